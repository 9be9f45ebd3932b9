// The activity page inside the wizard, on the sample school and both back
// ends: opened from the start page, one activity edited (a member out, a
// price typed by student type, new dates), "Finalizar" runs the closing, and
// the new year's activity rows are what was clicked and typed; the student
// page's stored decisions, loaded, reach the activity page.
#include "asistente/ConAsistente.h"
#include "Lectura.h"
#include "engine/ComprobacionesCierre.h"
#include "platform/Textos.h"
#include "platform/gui/Rejilla.h"
#include "wizard/ContextoAsistente.h"
#include "wizard/frmCierreActividades.h"
#include "wizard/frmCierreAlumnos.h"
#include "wizard/frmCierreCursoE.h"
#include "wizard/frmPrecioActividad.h"
#include <QDateEdit>
#include <QRadioButton>
#include <QTableWidget>

namespace ncc::pruebas {
namespace {

Rejilla* rejilla(QWidget* w, const char* nombre) {
    auto* t = w->findChild<QTableWidget*>(QString::fromLatin1(nombre));
    return t ? t->findChild<Rejilla*>() : nullptr;
}

class AsistenteActividades : public ConAsistente<> {
protected:
    void SetUp() override {
        ConAsistente::SetUp();
        abrirMuestra(QStringLiteral("actividades"));
    }
};

TEST_P(AsistenteActividades, FinalizarCierraConLasFechasMiembrosYPreciosElegidos) {
    ReiniciarAsistente();
    pasarComprobaciones();
    guion_.responderA(1185, Respuesta::Si).responderTexto(PreguntaCierreParcial(), Respuesta::No);
    guion_.responderA(710, Respuesta::Si);  // the other activities go

    frmCierreCursoE inicio;
    Asistente().CierreCursoE = &inicio;
    inicio.cargar();
    ASSERT_TRUE(inicio.Mostrar()) << guion_.textos().join(QLatin1Char('|')).toStdString();
    // The student page's decisions: the default ones for every section.
    Asistente().Provisionales.secciones = sesion_->planPorDefecto().arboles.secciones;
    inicio.setSeccionesCargadas(true);
    auto* nombre = inicio.findChild<QLineEdit*>(QStringLiteral("txtCursoPromocion"));
    nombre->setText(QStringLiteral("2026/2027"));
    emit nombre->editingFinished();  // the box loses the focus
    ASSERT_EQ(inicio.NuevoCursoEscolar(), "2026/2027");

    qint32 fuera = 0;
    qint16 tipoPrecio = 0;
    std::shared_ptr<cActividad> comedor;
    Conductor c;
    c.en(QStringLiteral("frmCierreActividades"),
         [&](QWidget* w) {
             auto* pagina = static_cast<frmCierreActividades*>(w);
             EXPECT_EQ(pagina->IDActividad(), 1);
             comedor = pagina->Actividades()->Item("1");
             Conductor::pulsar(w, QStringLiteral("cmdPromocionar_0"));
             Conductor::pulsar(w, QStringLiteral("cmdSeleccionar_0"));
             Conductor::pulsar(w, QStringLiteral("cmdAceptar"));
             Rejilla* alumnos = rejilla(w, "msgAlumnos");
             ASSERT_GT(alumnos->filas(), 1);
             fuera = alumnos->datoFila(0).toInt();
             // The first member leaves, from the keyboard: the members keep
             // the focus after "Aplicar".
             Conductor::flechasHasta(alumnos->tabla(), [alumnos] { return alumnos->filaActual(); }, 0);
             Conductor::tecla(Qt::Key_Space);
             Conductor::teclear(w, QStringLiteral("optOpcion_1"));
             Conductor::teclear(w, QStringLiteral("cmdAceptar"));
             EXPECT_TRUE(alumnos->tabla()->hasFocus());
             w->findChild<QDateEdit*>(QStringLiteral("dtpFechaInicio"))->setDate(QDate(2026, 9, 14));
             Conductor::pulsar(w, QStringLiteral("cmdPrecios"));
         })
        .en(QStringLiteral("frmPrecioActividad"),
            [&](QWidget* w) {
                Rejilla* tipos = rejilla(w, "msgPrecio_0");
                ASSERT_GT(tipos->filas(), 0);
                tipoPrecio = qint16(tipos->datoFila(0).toInt());
                Conductor::escribir(w, QStringLiteral("txtPrecio"), QStringLiteral("100,5"));
                tipos->marcar(0, true);
                emit tipos->marcaCambiada(0, true);
                Conductor::pulsar(w, QStringLiteral("cmdAceptar"));
                Conductor::pulsar(w, QStringLiteral("cmdPrecioActividad_0"));
            })
        .en(QStringLiteral("frmCierreActividades"), [&](QWidget* w) {
            Conductor::pulsar(w, QStringLiteral("cmdPromocionar_0"));
            Conductor::pulsar(w, QStringLiteral("cmdCierreActividades_3"));
        });
    inicio.CargarFormularioActividades();
    EXPECT_TRUE(c.terminado()) << c.pendientes().join(QLatin1Char(',')).toStdString();
    const QStringList t = guion_.textos();
    ASSERT_TRUE(t.contains(Texto(2182))) << t.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(inicio.CerrandoAsistente());
    ASSERT_TRUE(comedor && comedor->Promocionada());
    Asistente().CierreCursoE.clear();

    // The new year.
    SesionAbierta despues(muestra_);
    Conexion& nuevo = despues.sesion->centro();
    const auto leer = [&](const QString& sql) { return leerFilas(nuevo, sql); };
    EXPECT_EQ(leer(QStringLiteral("SELECT IDActividad, FechaInicio, FechaFin FROM Actividad ORDER BY IDActividad")),
              QStringList({"1|2026/09/14|2027/06/19"}));
    int filas = 0, conPrecio = 0;
    for (Recordset rs = nuevo.Abrir(QStringLiteral(
             "SELECT Alumno_Actividad_Miembro.CodAlumno, Alumno.CodTipoAlumno, PrecioEuros, PrecioPesetas, Septiembre, "
             "Junio, Julio, MesesRealizacion FROM Alumno_Actividad_Miembro INNER JOIN Alumno ON "
             "Alumno.IDAlumno=Alumno_Actividad_Miembro.CodAlumno WHERE CodActividad=1"));
         !rs.eof(); rs.MoveNext()) {
        ++filas;
        const qint32 id = qint32(rs.entero(QStringLiteral("CodAlumno")));
        SCOPED_TRACE(id);
        EXPECT_NE(id, fuera);
        const auto m = comedor->Alumnos()->Item(QString::number(id));
        const QString precio = enFila({rs.texto(QStringLiteral("PrecioEuros")),
                                       rs.texto(QStringLiteral("PrecioPesetas"))});
        EXPECT_EQ(enFila({rs.texto(QStringLiteral("MesesRealizacion")), rs.entero(QStringLiteral("Septiembre")),
                          rs.entero(QStringLiteral("Junio")), rs.entero(QStringLiteral("Julio")), m->Pasar(), precio}),
                  enFila({"111111111100", -1, -1, 0, true, m->Euros(), m->Pesetas()}));
        if (rs.entero(QStringLiteral("CodTipoAlumno")) == tipoPrecio) {
            ++conPrecio;
            EXPECT_EQ(precio, "100,5|16722");
        }
    }
    EXPECT_TRUE(filas > 0 && conPrecio > 0) << filas << " " << conPrecio;
    EXPECT_EQ(leer(QStringLiteral("SELECT PrecioGeneralEuro, PrecioGeneralPta FROM Actividad_TipoAlumno WHERE "
                                  "CodActividad=1 AND CodTipoAlumno=%1")
                       .arg(tipoPrecio)),
              QStringList({"100,5|16722"}));
}

// "Cargar datos alumnos" with the activity page open behind: a member who
// leaves in the decisions that go and stays in the loaded ones is on the
// activity's grid again, and confirming the activity keeps him.
TEST_P(AsistenteActividades, CargarDatosAlumnosLlegaALaPaginaDeActividades) {
    ReiniciarAsistente();
    pasarComprobaciones();
    guion_.responderA(2191, Respuesta::Si).responderA(2190, Respuesta::Si).responderA(2184, Respuesta::No);
    guion_.responderA(2194, Respuesta::Si).responderA(2195, Respuesta::Si);
    frmCierreCursoE inicio;
    Asistente().CierreCursoE = &inicio;
    inicio.cargar();
    ASSERT_TRUE(inicio.Mostrar()) << guion_.textos().join(QLatin1Char('|')).toStdString();
    frmCierreAlumnos alumnos;
    Asistente().CierreAlumnos = &alumnos;
    ASSERT_TRUE(alumnos.cargar());
    inicio.setSeccionesCargadas(true);
    frmCierreActividades actividades;
    Asistente().CierreActividades = &actividades;
    actividades.cargar();
    ASSERT_TRUE(actividades.Mostrar());
    inicio.setActividadesCargadas(true);
    ASSERT_EQ(actividades.IDActividad(), 1);

    // A member of the first activity whom the page proposes to keep.
    const auto propuesta = sesion_->planPorDefecto().arboles.secciones;
    qint32 miembro = 0;
    qint16 seccion = 0;
    Rejilla* enActividad = rejilla(&actividades, "msgAlumnos");
    for (int f = 0; f < enActividad->filas() && !miembro; ++f)
        for (const auto& s : *propuesta)
            if (const auto a = s->Alumnos()->buscar(QString::number(enActividad->datoFila(f).toInt()));
                a && s->Promocionada() && !a->SinAsignar() && (a->Promociona() || a->Repite())) {
                miembro = a->IDAlumno();
                seccion = s->IDSeccion();
            }
    ASSERT_NE(miembro, 0);
    auto enGrid = [&] { return enActividad->buscarFila(miembro) >= 0; };

    // His section confirmed as proposed and stored; then he leaves.
    auto* secciones = alumnos.findChild<QTableWidget*>(QStringLiteral("msgSecciones"));
    for (int f = 0; f < secciones->rowCount(); ++f)
        if (secciones->item(f, 0)->data(Qt::UserRole).toInt() == seccion) secciones->setCurrentCell(f, 0);
    Conductor::pulsar(&alumnos, QStringLiteral("cmdPromocionar_0"));
    Conductor::pulsar(&alumnos, QStringLiteral("cmdPromocionar_0"));
    Conductor::pulsar(&alumnos, QStringLiteral("cmdGuardar_0"));
    Conductor::pulsar(&alumnos, QStringLiteral("cmdPromocionar_0"));  // 2184: No keeps the confirmed students
    Rejilla* enSeccion = rejilla(&alumnos, "msgAlumnos");
    const int fila = enSeccion->buscarFila(miembro);
    ASSERT_GE(fila, 0);
    enSeccion->marcar(fila, true);
    emit enSeccion->marcaCambiada(fila, true);
    alumnos.findChild<QRadioButton*>(QStringLiteral("optOpcion_2"))->click();
    Conductor::pulsar(&alumnos, QStringLiteral("cmdAceptar"));
    Conductor::pulsar(&alumnos, QStringLiteral("cmdPromocionar_0"));
    ASSERT_FALSE(enGrid());

    Conductor::pulsar(&alumnos, QStringLiteral("cmdGuardar_1"));
    EXPECT_TRUE(enGrid());
    Conductor::pulsar(&actividades, QStringLiteral("cmdPromocionar_0"));
    Conductor::pulsar(&actividades, QStringLiteral("cmdPromocionar_0"));
    EXPECT_TRUE(actividades.Actividades()->Item("1")->Alumnos()->Item(QString::number(miembro))->Visible() &&
                guion_.textos().contains(Texto(2194)));
    ReiniciarAsistente();
}

}  // namespace

NCC_AMBOS_FONDOS(AsistenteActividades);

}  // namespace ncc::pruebas
