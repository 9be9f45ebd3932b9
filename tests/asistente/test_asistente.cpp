// The closing wizard's start page and runner, driven headless through their
// real widgets on both back ends: the start checks, the name of the new
// year, leaving the wizard, and the three ends of a run.
#include "CarpetaBloqueada.h"
#include "ConAsistente.h"
#include "Conductor.h"
#include "Controles.h"
#include "EscuelaCarpeta.h"
#include "cierre/Volcado.h"
#include "platform/Reloj.h"
#include <QComboBox>
#include "engine/ComprobacionesCierre.h"
#include "entry/SoloLectura.h"
#include "history/BloqueoHistorico.h"
#include "host/InformeCierre.h"
#include "host/InformeDebido.h"
#include "platform/Textos.h"
#include "wizard/Asistente.h"
#include "wizard/ContextoAsistente.h"
#include "wizard/frmCierreCursoE.h"
#include "wizard/frmProceso.h"
#include "wizard/frmCierreAlumnos.h"
#include "wizard/SeleccionAlumnos.h"
#include <QDesktopServices>
#include <QDirIterator>
#include <QProcess>
#include <csignal>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QTableWidget>

namespace ncc::pruebas {

namespace {

bool contiene(const QStringList& textos, int id) { return textos.contains(Texto(id)); }

// Where the desktop would have opened a file.
class AbridorArchivos : public QObject {
    Q_OBJECT
public:
    AbridorArchivos() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "abrir"); }
    ~AbridorArchivos() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    QList<QUrl> abiertas;
public slots:
    void abrir(const QUrl& url) { abiertas << url; }
};

// The question of "Finalizar" when some promoted or repeating student has no
// destination.
const QString kSinDestino = QStringLiteral("¡Atención! Existen alumnos promocionados");

}  // namespace

class AsistenteCierre : public ConAsistente<MensajesConVistazo> {
protected:
    void SetUp() override {
        ConAsistente::SetUp();
        InstalarAsistente();
    }
    void TearDown() override {
        Sentencias::fallarEn(0);
        ConAsistente::TearDown();
    }

    void abrirMuestra() { ConAsistente::abrirMuestra(QStringLiteral("asistente")); }
    Conexion& centro() { return sesion_->sesion->centro(); }
    long long cursosRegistrados() {
        return contar(sesion_->sesion->appEntrada(), QStringLiteral("SELECT COUNT(*) FROM CursoEscolar"));
    }
    void conPlanPorDefecto(std::function<void(host::Plan&)> cambio = {}) {
        SesionAbierta* s = sesion_.get();
        FuenteArbolesPorDefecto() = [s, cambio] {
            host::Plan p = s->planPorDefecto();
            if (cambio) cambio(p);
            return ArbolesCierre{p.arboles.secciones, p.arboles.actividades};
        };
    }
    void activarNodo1() { sesion_->entrada->ActivarFormulario(1); }
    // The questions after "Finalizar" answered so that the run goes ahead.
    void responderFinalizar() {
        guion_.responderA(1186, Respuesta::Si).responderTexto(PreguntaCierreParcial(), Respuesta::No);
        guion_.responderA(2191, Respuesta::Si).responderTexto(kSinDestino, Respuesta::Si);
    }
    // Then every section confirmed on the student page, and "Finalizar".
    static Conductor& nombrarYFinalizar(Conductor& c, const QString& nombre = QStringLiteral("2026/2027")) {
        return nombrar(c, nombre).en(QStringLiteral("frmCierreAlumnos"), [](QWidget* w) {
            // The start page waits behind it, its buttons off.
            EXPECT_FALSE(Asistente().CierreCursoE->findChild<QPushButton*>(QStringLiteral("cmdCierreCursoE_1"))->isEnabled());
            confirmarSecciones(w);
            Conductor::pulsar(w, QStringLiteral("cmdCierreAlumnos_4"));
        });
    }
    // "Proponer todo" and three exceptions, by mouse or by keyboard alone.
    void cerrarConTresExcepciones(bool teclado);
    // Back from the student page and out of the wizard.
    static void volverYSalir(Conductor& c) {
        c.en(QStringLiteral("frmCierreAlumnos"),
             [](QWidget* w) { Conductor::pulsar(w, QStringLiteral("cmdCierreAlumnos_2")); })
            .en(QStringLiteral("frmCierreCursoE"),
                [](QWidget* w) { Conductor::pulsar(w, QStringLiteral("cmdCierreCursoE_2")); });
    }
};

TEST_P(AsistenteCierre, SinDatosQueCerrarAvisa2193YNoAbreNingunaVentana) {
    EscuelaPrueba escuela(*ctx_);
    CierreParcial() = true;
    Conductor c;
    AbrirAsistente();
    EXPECT_TRUE(c.vistas().isEmpty()) << c.vistas().join(QLatin1Char(',')).toStdString();
    // Opening the wizard forgets the partial closing of an earlier run.
    EXPECT_EQ(enFila({guion_.textos().join('|'), guion_.ultimo().mensaje.icono, CierreParcial(),
                      Asistente().CierreCursoE.isNull()}),
              enFila({Texto(2193), Icono::Informacion, false, true}));
}


TEST_P(AsistenteCierre, UnPeriodoFinalSinNotaPregunta1182) {
    abrirMuestra();
    // Every ordinary evaluation graded; one subject of kind 1 left without a
    // grade in the first final period of an active student.
    EscuelaPrueba::sql(centro(), QStringLiteral("UPDATE Evaluacion SET Evaluado=%1").arg(centro().verdadero()));
    Recordset rs = centro().Abrir(QStringLiteral(
        "SELECT EvaluacionActa.IDEvaluacionActa FROM EvaluacionActa, Alumno_MateriaDetalles, MateriaDetalles, "
        "TipoMateria, Alumno, NumEvaluacion WHERE "
        "EvaluacionActa.CodAlumno_MateriaDetalles=Alumno_MateriaDetalles.IDAlumno_MateriaDetalles AND "
        "Alumno_MateriaDetalles.CodMateriaDetalles=MateriaDetalles.IDMateriaDetalles AND "
        "MateriaDetalles.CodTipoMateria=TipoMateria.IDTipoMateria AND TipoMateria.CodEspecificarTipoMateria=1 AND "
        "Alumno_MateriaDetalles.CodAlumno=Alumno.IDAlumno AND (Alumno.FechaBaja IS NULL OR Alumno.FechaBaja='') AND "
        "EvaluacionActa.CodNumEvaluacion=NumEvaluacion.IDNumEvaluacion AND NumEvaluacion.Orden IN (1,2) AND "
        "NumEvaluacion.Final<>0 ORDER BY EvaluacionActa.IDEvaluacionActa LIMIT 1"));
    ASSERT_FALSE(rs.eof()) << "la escuela de muestra no tiene actas finales";
    EscuelaPrueba::sql(centro(), QStringLiteral("UPDATE EvaluacionActa SET CodNota=0 WHERE IDEvaluacionActa=%1")
                                     .arg(rs.entero(QStringLiteral("IDEvaluacionActa"))));
    guion_.responderA(1183, Respuesta::Si).responderA(1182, Respuesta::No);
    Conductor c;
    activarNodo1();
    EXPECT_TRUE(c.vistas().isEmpty());
    EXPECT_EQ(guion_.textos(), (QStringList{Texto(1183), Texto(1182)}));
}

// A No to the unpaid receipts, or to the irreversible operation's warning
// (critical, Yes by default), shows no page.
TEST_P(AsistenteCierre, UnNoALosRecibosPendientesOAlAvisoDeOperacionIrreversibleNoMuestraLaPagina) {
    abrirMuestra();
    EscuelaPrueba::sql(centro(),
                       QStringLiteral("INSERT INTO ReciboPendiente (IDReciboP, CodMiembroFamiliaPagador, Fecha, Importe, "
                                      "Pagado) VALUES (99001, 0, '2026/05/01', 12.5, 0)"));
    guion_.responderA(1183, Respuesta::Si).responderA(1182, Respuesta::Si).responderA(1180, Respuesta::No);
    Conductor c;
    activarNodo1();
    EXPECT_EQ(enFila({guion_.textos().last(), contiene(guion_.textos(), 2193)}), enFila({Texto(1180), false}));
    MensajesGuion no;
    no.responderA(1183, Respuesta::No);
    {
        ServicioMensajesInstalado instalado(no);
        activarNodo1();
    }
    ASSERT_EQ(no.textos(), QStringList{Texto(1183)});
    EXPECT_EQ(enFila({no.ultimo().mensaje.icono, no.ultimo().mensaje.defecto, no.ultimo().conPitido,
                      c.vistas().size()}),
              enFila({Icono::Critico, Respuesta::Si, true, 0}));
}

TEST_P(AsistenteCierre, UnNombreEnBlancoOYaUsadoSeRehusaYSalirPreguntaAntesDeCerrar) {
    abrirMuestra();
    pasarComprobaciones();
    // 2180 three times: No (Salir), No (closing by the frame), Yes (Salir).
    guion_.responder(Respuesta::No).responder(Respuesta::No).responder(Respuesta::Si);
    int vecesSalir = 0;
    guion_.alMostrar = [&](const Mensaje& m) { vecesSalir += m.texto == Texto(2180); };
    Conductor c;
    c.en(QStringLiteral("frmCierreCursoE"),
         [&](QWidget* w) {
             const auto texto = [w](const char* n) { return w->findChild<QWidget*>(n)->property("text"); };
             EXPECT_EQ(enFila({w->windowTitle(), texto("lblCentro"), texto("lblCursoActual"), texto("lblEtiqueta_2"),
                               texto("cmdCierreCursoE_1")}),
                       enFila({Texto(1001), sesion_->sesion->NombreCentro(), "2025/2026",
                               QStringLiteral("(*) ") + Texto(1122), "&Siguiente >"}));
             Conductor::escribir(w, QStringLiteral("txtCursoPromocion"), QStringLiteral("   "));
             Conductor::pulsar(w, QStringLiteral("cmdCierreCursoE_1"));
             EXPECT_EQ(guion_.ultimo().mensaje.texto, Texto(1181));
             // A name the centre already uses is refused here, not at the end.
             Conductor::escribir(w, QStringLiteral("txtCursoPromocion"), QStringLiteral(" 2025/2026"));
             Conductor::pulsar(w, QStringLiteral("cmdCierreCursoE_1"));
             EXPECT_EQ(enFila({guion_.ultimo().mensaje.texto, w->isVisible()}),
                       enFila({TextoNombreCursoUsado(QStringLiteral("2025/2026")), true}));
         })
        .en(QStringLiteral("frmCierreCursoE"),
            [&](QWidget* w) {
                Conductor::pulsar(w, QStringLiteral("cmdCierreCursoE_2"));
                EXPECT_TRUE(w->isVisible());
                w->close();
                EXPECT_TRUE(w->isVisible());
                Conductor::pulsar(w, QStringLiteral("cmdCierreCursoE_2"));
            });
    activarNodo1();
    EXPECT_EQ(enFila({c.terminado(), c.agotado(), vecesSalir, guion_.sinPreguntasInesperadas(),
                      sesion_->sesion->lngRowData()}),
              "true|false|3|true|0")
        << c.pendientes().join(QLatin1Char(',')).toStdString() << guion_.inesperadas().join('|').toStdString();
}

TEST_P(AsistenteCierre, UnaEjecucionCorrectaAvisaAlAnfitrionYCierraElAsistente) {
    abrirMuestra();
    conPlanPorDefecto();
    pasarComprobaciones();
    responderFinalizar();
    CierreParcial() = true;
    const long long cursos = cursosRegistrados();
    // The host's report, offered once the closing is done.
    QString informe;
    InformeTrasCierre() = [&informe](const motor::EstadoMotor& e) { return informe = host::escribirInformeCierre(e, false); };
    guion_.responderA(16002, Respuesta::Si);
    AbridorArchivos escritorio;
    bool noSeCierraDuranteLaEjecucion = false;
    Conductor c;
    nombrarYFinalizar(c, QStringLiteral("  2026/2027 ")).en(QStringLiteral("frmProceso"), [&](QWidget* w) {
            EXPECT_EQ(w->windowTitle(), Texto(5001) + QStringLiteral(" 2025/2026"));
            w->close();
            noSeCierraDuranteLaEjecucion = w->isVisible();
        });
    activarNodo1();
    EXPECT_TRUE(c.terminado() && noSeCierraDuranteLaEjecucion) << c.pendientes().join(QLatin1Char(',')).toStdString();
    const QStringList t = guion_.textos();
    EXPECT_TRUE(contiene(t, 2182) && !contiene(t, 2181)) << t.join(QLatin1Char('|')).toStdString();
    // Right after 2182: where the report is, and whether to open it.
    const qsizetype i2182 = t.indexOf(Texto(2182));
    ASSERT_GT(t.size(), i2182 + 1);
    EXPECT_TRUE(t.at(i2182 + 1).contains(Texto(16002)) && t.at(i2182 + 1).contains(QDir::toNativeSeparators(informe)))
        << t.at(i2182 + 1).toStdString();
    EXPECT_EQ(escritorio.abiertas, QList<QUrl>{QUrl::fromLocalFile(informe)});
    // The new year carries the trimmed name.
    EXPECT_EQ(enFila({informe.endsWith(QStringLiteral("/Cierre 2025-2026.pdf")), QFileInfo(informe).size() > 0,
                      sesion_->sesion->lngRowData(), cursosRegistrados(), CierreParcial(),
                      Asistente().CierreCursoE.isNull(), guion_.sinPreguntasInesperadas(),
                      contar(sesion_->sesion->appEntrada(),
                             QStringLiteral("SELECT COUNT(*) FROM CursoEscolar WHERE Nombre='2026/2027'"))}),
              enFila({true, true, -100, cursos + 1, false, true, true,
                      1})) << informe.toStdString() << guion_.inesperadas().join(QLatin1Char('|')).toStdString();
    QFile::remove(informe);
}

TEST_P(AsistenteCierre, UnaConfirmacionRechazadaNoDa2181YElAsistenteSigueAbierto) {
    abrirMuestra();
    // One section left unpromoted on the student page: the run asks 2187
    // and is answered No.
    pasarComprobaciones();
    responderFinalizar();
    guion_.responderA(2187, Respuesta::No).responderA(2180, Respuesta::Si);
    const long long cursos = cursosRegistrados();
    Conductor c;
    c.en(QStringLiteral("frmCierreCursoE"),
         [&](QWidget* w) {
             Conductor::escribir(w, QStringLiteral("txtCursoPromocion"), QStringLiteral("2026/2027"));
             Conductor::pulsar(w, QStringLiteral("cmdCierreCursoE_1"));
             // Back on the start page, its buttons working again.
             EXPECT_TRUE(w->isVisible());
         })
        .en(QStringLiteral("frmCierreAlumnos"), [&](QWidget* w) {
            confirmarSecciones(w, 1);
            Conductor::pulsar(w, QStringLiteral("cmdCierreAlumnos_4"));
        });
    volverYSalir(c);
    activarNodo1();
    EXPECT_TRUE(c.terminado()) << c.pendientes().join(QLatin1Char(',')).toStdString();
    const QStringList t = guion_.textos();
    EXPECT_EQ(enFila({contiene(t, 2187), contiene(t, 2181), contiene(t, 2182), sesion_->sesion->lngRowData(),
                      cursosRegistrados()}),
              enFila({true, false, false, 0, cursos}));
}

// "Finalizar" passes the page's decisions through the check that a plan's
// and the saved choices' pass: a saved set loaded with "Cargar datos
// alumnos" that has no row for one student (enrolled after the save) asks
// 2191 about him, and one giving a student two decisions is refused naming
// him, before the last questions and the run.
TEST_P(AsistenteCierre, FinalizarRechazaLoQueNingunaPaginaPuedeDecidir) {
    abrirMuestra();
    qint32 id = 0, sinFila = 0;
    {
        const host::Plan p = sesion_->planPorDefecto();
        SeleccionAlumnos datos(centro(), 1);
        datos.Cargar();
        for (const auto& s : *p.arboles.secciones)
            if (const auto d = datos.Seccion(s->IDSeccion()); d && s->Promocionada()) {
                d->setAlumnos(s->Alumnos());
                d->setPromocionada(true);
                if (!id && s->Alumnos()->Count() > 1) {
                    id = s->Alumnos()->Item(1)->IDAlumno();
                    sinFila = s->Alumnos()->Item(2)->IDAlumno();
                }
            }
        datos.GuardarDatosAlumnos();
        ASSERT_NE(id, 0);
        centro().Execute(QStringLiteral("UPDATE CIERRECURSO_SECCION_ALUMNO SET SinAsignar=0, Promociona=-1, Repite=-1, Baja=0 "
                                        "WHERE IDAlumno=%1").arg(id));
        centro().Execute(QStringLiteral("DELETE FROM CIERRECURSO_SECCION_ALUMNO WHERE IDAlumno=%1").arg(sinFila));
    }
    pasarComprobaciones();
    guion_.responderA(2195, Respuesta::Si).responderA(2191, Respuesta::Si).responderTexto(kSinDestino, Respuesta::Si);
    guion_.responderA(2180, Respuesta::Si);
    const long long cursos = cursosRegistrados();
    Conductor c;
    nombrar(c).en(QStringLiteral("frmCierreAlumnos"),
            [&](QWidget* w) {
                Conductor::pulsar(w, QStringLiteral("cmdGuardar_1"));
                Conductor::pulsar(w, QStringLiteral("cmdCierreAlumnos_4"));
                Conductor::pulsar(w, QStringLiteral("cmdCierreAlumnos_2"));
            })
        .en(QStringLiteral("frmCierreCursoE"),
            [&](QWidget* w) { Conductor::pulsar(w, QStringLiteral("cmdCierreCursoE_2")); });
    activarNodo1();
    EXPECT_TRUE(c.terminado()) << c.pendientes().join(QLatin1Char(',')).toStdString();
    const QString t = guion_.textos().join(QLatin1Char('|'));
    EXPECT_TRUE(t.contains(QStringLiteral("No se puede cerrar el curso con estas decisiones")) &&
                t.contains(QStringLiteral("el alumno %1").arg(id)) && t.contains(QStringLiteral("(tiene 2)")))
        << t.toStdString();
    EXPECT_EQ(enFila({contiene(guion_.textos(), 2191),
                      contiene(guion_.textos(), 1185) || contiene(guion_.textos(), 1186), cursosRegistrados()}),
              enFila({true, false, cursos}));
}

TEST_P(AsistenteCierre, UnaEjecucionFallidaDa2181TrasElErrorYDejaCeroPorCiento) {
    abrirMuestra();
    conPlanPorDefecto();
    pasarComprobaciones();
    responderFinalizar();
    guion_.responderA(2180, Respuesta::Si);
    QString porcentaje;
    guion_.alMostrar = [&](const Mensaje& m) {
        if (m.texto == Texto(1186)) {
            // A statement early in the run fails.
            Sentencias::reiniciar();
            Sentencias::fallarEn(12);
        } else if (m.texto == Texto(2181)) {
            Sentencias::fallarEn(0);
            if (frmProceso* p = Asistente().Proceso) {
                auto* etiqueta = p->findChild<QLabel*>(QStringLiteral("lblProgreso"));
                QObject::connect(p, &QDialog::finished, p, [&porcentaje, etiqueta] { porcentaje = etiqueta->text(); });
            }
        }
    };
    const long long cursos = cursosRegistrados();
    Conductor c;
    volverYSalir(nombrarYFinalizar(c));
    activarNodo1();
    EXPECT_TRUE(c.terminado()) << c.pendientes().join(QLatin1Char(',')).toStdString();
    const QStringList t = guion_.textos();
    const qsizetype i2181 = t.indexOf(Texto(2181));
    ASSERT_GT(i2181, 0) << t.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(t.at(i2181 - 1).startsWith(Texto(500) + QStringLiteral(" 9999"))) << t.at(i2181 - 1).toStdString();
    EXPECT_EQ(enFila({guion_.mostrados().at(i2181).mensaje.icono, porcentaje, sesion_->sesion->lngRowData(),
                      cursosRegistrados()}),
              enFila({Icono::Critico, "0%", 0, cursos}));
}

namespace {

// Three exceptions to the proposal: in the first section whose first two
// students are promoted, the first repeats and the second leaves; a promoted
// student of another section goes to another section of his teaching type.
struct Excepciones {
    int seccion = 0;
    qint32 repite = 0, baja = 0;
    int otraSeccion = 0;
    qint32 cambia = 0;
    int tipo = 0, curso = 0, destino = 0;
};

Excepciones elegirExcepciones(const host::Plan& plan, Conexion& centro) {
    Excepciones x;
    for (const auto& s : *plan.arboles.secciones) {
        if (!s->Promocionada() || s->Alumnos()->Count() < 2) continue;
        const auto& alumnos = *s->Alumnos();
        if (x.seccion == 0 && alumnos.Item(1)->Promociona() && alumnos.Item(2)->Promociona()) {
            x.seccion = s->IDSeccion();
            x.repite = alumnos.Item(1)->IDAlumno();
            x.baja = alumnos.Item(2)->IDAlumno();
            continue;
        }
        for (const auto& a : alumnos) {
            if (x.cambia != 0 || !a->Promociona() || a->NIDSeccion() == 0) continue;
            const QSet<qint64> otras = ids(centro, QStringLiteral("SELECT IDSeccion FROM Seccion INNER JOIN Curso ON "
                                                                  "Seccion.codCurso=Curso.IDCurso WHERE "
                                                                  "Curso.codTipoEnsenanza=%1 AND IDSeccion<>%2")
                                                       .arg(a->NIDTipoEnsenanza())
                                                       .arg(a->NIDSeccion()));
            if (otras.isEmpty()) continue;
            x.otraSeccion = s->IDSeccion();
            x.cambia = a->IDAlumno();
            x.tipo = a->NIDTipoEnsenanza();
            x.destino = int(*std::min_element(otras.begin(), otras.end()));
            x.curso = int(contar(centro, QStringLiteral("SELECT codCurso FROM Seccion WHERE IDSeccion=%1").arg(x.destino)));
        }
    }
    return x;
}

// The same exceptions written into a plan, as a secretary edits the file
// that `ncc plan` wrote.
void aplicarExcepciones(host::Plan& plan, const Excepciones& x) {
    const auto s = plan.arboles.secciones->Item(QString::number(x.seccion));
    const auto repite = s->Alumnos()->Item(QString::number(x.repite));
    repite->setPromociona(false);
    repite->setRepite(true);
    repite->setNIDTipoEnsenanza(s->IDTipoEnsenanza());
    repite->setNIDCurso(s->IDCurso());
    repite->setNIDSeccion(s->IDSeccion());
    const auto baja = s->Alumnos()->Item(QString::number(x.baja));
    baja->setPromociona(false);
    baja->setBaja(true);
    baja->setNIDTipoEnsenanza(0);
    baja->setNIDCurso(0);
    baja->setNIDSeccion(0);
    baja->setFechaBaja(Reloj::hoy().toString(QStringLiteral("dd/MM/yyyy")));
    const auto cambia = plan.arboles.secciones->Item(QString::number(x.otraSeccion))
        ->Alumnos()
        ->Item(QString::number(x.cambia));
    cambia->setNIDCurso(quint8(x.curso));
    cambia->setNIDSeccion(qint16(x.destino));
}

// Every row a closing left: the application entry, the closed year and the
// new year's two databases (a session opened after it is on the new year).
QStringList volcadoTrasCierre(const Muestra& m) {
    SesionAbierta s(m);
    QStringList r;
    for (const QString& base : {QStringLiteral("AppEntrada"), QStringLiteral("BorradoAppEntrada")})
        r += volcado(m.cadena(base), suite::TipoBase::AppEntrada);
    for (const QString& cadena : {m.cadena(QStringLiteral("A1C3")), m.cadena(QStringLiteral("B1C3")),
                                  s.sesion->centro().ConnectionString(), s.sesion->borradoCentro().ConnectionString()})
        r += volcado(cadena, suite::TipoBase::Centro);
    return r;
}

// A row of a grid by its data; -1 when none.
int filaDe(QWidget* w, const char* rejilla, qint64 dato) {
    auto* t = w->findChild<QTableWidget*>(QString::fromLatin1(rejilla));
    for (int f = 0; t && f < t->rowCount(); ++f)
        if (t->item(f, 0)->data(Qt::UserRole).toLongLong() == dato) return f;
    return -1;
}

// How the user reaches the student page's rows, options and lists: with
// the mouse, or with the keyboard alone (arrows on the grid or list that
// has the focus, Space to mark a student, Alt+letters). Buttons are pressed
// by their Alt+letter either way.
struct Manos {
    bool teclado = false;

    void fila(QWidget* w, const char* rejilla, qint64 dato) const {
        auto* t = w->findChild<QTableWidget*>(QString::fromLatin1(rejilla));
        const int f = filaDe(w, rejilla, dato);
        ASSERT_GE(f, 0);
        if (!teclado) return Conductor::clicFila(t, f);
        Conductor::flechasHasta(t, [t] { return t->currentRow(); }, f);
    }
    void opcion(QWidget* w, const char* opcion) const {
        if (teclado) Conductor::teclear(w, QString::fromLatin1(opcion));
        else Conductor::clic(w->findChild<QRadioButton*>(opcion));
    }
    // Destination list n, which label n names.
    void lista(QWidget* w, int n, int id) const {
        auto* c = w->findChild<QComboBox*>(QStringLiteral("cboActas_%1").arg(n));
        const int i = c->findData(id);
        if (!teclado) return Conductor::elegir(c, i);
        if (c->currentIndex() == i) return;
        Conductor::teclear(w, QStringLiteral("lblCierreAlumnos_%1").arg(n));
        Conductor::flechasHasta(c, [c] { return c->currentIndex(); }, i);
    }
    // A section reached and opened, each of its students marked (a click
    // marks) and `decidir` run for him, and the section confirmed.
    void cambiarSeccion(QWidget* w, int seccion, const QList<qint32>& alumnos, const std::function<void()>& decidir) const {
        fila(w, "msgSecciones", seccion);
        Conductor::teclear(w, QStringLiteral("cmdPromocionar_0"));
        for (qint32 id : alumnos) {
            fila(w, "msgAlumnos", id);
            if (teclado) Conductor::tecla(Qt::Key_Space);
            decidir();
        }
        Conductor::teclear(w, QStringLiteral("cmdPromocionar_0"));
    }
};

}  // namespace

// "Proponer todo" on both pages and three exceptions close the school row
// for row as `ncc plan` with the same three exceptions and `ncc cerrar`
// close its twin; the host, which cannot take the sign, has its wizard
// closed all the same.
void AsistenteCierre::cerrarConTresExcepciones(bool teclado) {
    const Manos manos{teclado};
    abrirMuestra();
    const Excepciones x = elegirExcepciones(sesion_->planPorDefecto(), centro());
    ASSERT_NE(x.seccion, 0);
    ASSERT_NE(x.cambia, 0);
    guion_.responderA(2187, Respuesta::Si).responderA(710, Respuesta::Si).responderA(2190, Respuesta::Si);

    // The twin, closed as the command line closes it.
    Muestra gemela = copiarMuestra(*ctx_, muestra_, QStringLiteral("gemela"));
    struct Borrar {
        Muestra& m;
        ~Borrar() { m.borrar(); }
    } borrarGemela{gemela};
    QStringList esperado;
    sesion_.reset();
    ASSERT_FALSE(cerrarMuestra(gemela, QStringLiteral("2026/2027"), [&](host::Plan& plan, Conexion& centro, cIFunciones&) {
                     aplicarExcepciones(plan, x);
                     host::sincronizarActividades(plan, centro);
                 }).nuevo.isEmpty());
    esperado = volcadoTrasCierre(gemela);
    // On the server the new year's databases are named from the centre and
    // the years alone: the twin's go before the school closes.
    if (ctx_->esServidor()) borrarLoDelCierreEnServidor();

    // The school's own session again: the twin's took the component's.
    sesion_ = std::make_unique<SesionAbierta>(muestra_);
    // Telling the host is the last thing: a host that cannot take the sign
    // still gets its wizard closed, since the closing is done.
    QObject sinSenal;
    ConfiguracionActual()->setDatosSesion(&sinSenal);
    pasarComprobaciones();
    guion_.responderA(1185, Respuesta::Si).responderTexto(PreguntaCierreParcial(), Respuesta::No);
    Conductor c;
    nombrar(c).en(QStringLiteral("frmCierreAlumnos"),
            [&](QWidget* w) {
                Conductor::teclear(w, QStringLiteral("cmdProponer"));
                EXPECT_FALSE(w->findChild<QPushButton*>(QStringLiteral("cmdProponer"))->isEnabled());
                auto* secciones = w->findChild<QTableWidget*>(QStringLiteral("msgSecciones"));
                const QString propuesta = Texto(17502);
                const int fila = filaDe(w, "msgSecciones", x.seccion);
                EXPECT_TRUE(secciones->item(fila, 0)->text().endsWith(propuesta));
                int accion = 0;
                manos.cambiarSeccion(w, x.seccion, {x.repite, x.baja}, [&] {
                    manos.opcion(w, accion++ == 0 ? "optOpcion_1" : "optOpcion_2");
                    Conductor::teclear(w, QStringLiteral("cmdAceptar"));
                });
                // Confirmed, no longer a proposal; the others still are.
                EXPECT_FALSE(secciones->item(fila, 0)->text().endsWith(propuesta));
                EXPECT_TRUE(secciones->item(filaDe(w, "msgSecciones", x.otraSeccion), 0)->text().endsWith(propuesta));
                manos.cambiarSeccion(w, x.otraSeccion, {x.cambia}, [&] {
                    manos.lista(w, 0, x.tipo);
                    manos.lista(w, 1, x.curso);
                    manos.lista(w, 2, x.destino);
                    Conductor::teclear(w, QStringLiteral("cmdAceptar"));
                });
                Conductor::teclear(w, QStringLiteral("cmdCierreAlumnos_3"));
            })
        .en(QStringLiteral("frmCierreActividades"),
            [&](QWidget* w) {
                // The hourglass was for the load only.
                EXPECT_EQ(QApplication::overrideCursor(), nullptr);
                Conductor::teclear(w, QStringLiteral("cmdProponer"));
                EXPECT_FALSE(w->findChild<QPushButton*>(QStringLiteral("cmdProponer"))->isEnabled());
                Conductor::teclear(w, QStringLiteral("cmdCierreActividades_3"));
            })
        .en(QStringLiteral("frmProceso"), [](QWidget*) {});
    activarNodo1();
    EXPECT_TRUE(c.terminado()) << c.pendientes().join(QLatin1Char(',')).toStdString();
    const QStringList t = guion_.textos();
    // With the mouse the whole closing takes at most 30 of the user's
    // actions: the click that opens the wizard, those of the pages and one
    // answer to each message shown (this host cannot take the sign on
    // purpose: the error it causes is no answer a real host asks for).
    if (teclado) EXPECT_EQ(Conductor::clics(), 0);
    else EXPECT_LE(1 + Conductor::acciones() + t.size() - t.filter(QStringLiteral("lngRowData")).size(), 30)
        << Conductor::acciones() << " en las páginas; mensajes: " << t.join(QLatin1Char('|')).toStdString();
    const qsizetype i2182 = t.indexOf(Texto(2182));
    ASSERT_GE(i2182, 0) << t.join(QLatin1Char('|')).toStdString();
    ASSERT_GT(t.size(), i2182 + 1);
    EXPECT_EQ(enFila({t.at(i2182 + 1).contains(QStringLiteral("lngRowData")), Asistente().CierreCursoE.isNull(),
                      guion_.sinPreguntasInesperadas()}),
              "true|true|true")
        << t.join(QLatin1Char('|')).toStdString() << guion_.inesperadas().join(QLatin1Char('|')).toStdString();
    sesion_.reset();
    const QStringList hecho = volcadoTrasCierre(muestra_);
    EXPECT_TRUE(hecho == esperado) << diferencias(hecho, esperado).toStdString();
}

TEST_P(AsistenteCierre, ProponerTodoConTresExcepcionesCierraComoElPlanConLasMismas) { cerrarConTresExcepciones(false); }

// The same closing without the mouse: rows by arrows, students marked with
// Space, options and lists by their Alt+letter; the focus goes where the
// next step is (the students on opening a section and after "Aplicar", the
// sections once it is confirmed).
TEST_P(AsistenteCierre, SoloConElTecladoCierraIgual) { cerrarConTresExcepciones(true); }

// A wizard closing killed halfway is undone by the next start and owes no
// report; one killed once it said it was done, before its report, gets the
// report at the next start from what it noted before its first change. The
// wizard runs in a process of this same test program, which is killed.
TEST_P(AsistenteCierre, UnCierreMatadoRecibeSuInformeAlVolverSoloSiQuedoHecho) {
    if (GetParam() == Proveedor::PostgreSQL) GTEST_SKIP() << "la nota del informe no depende de la base de datos";
    if (const QByteArray matarEn = qgetenv("NCC_MATAR_ASISTENTE"); !matarEn.isEmpty()) {
        abrirMuestra();
        conPlanPorDefecto();
        pasarComprobaciones();
        responderFinalizar();
        AnotarAntesDelCierre() = host::anotarInformeAntesDelCierre;
        // Once it said it was done, or halfway along its bar.
        guion_.alMostrar = [&](const Mensaje& m) { if (matarEn == "hecho" && m.texto == Texto(2182)) ::raise(SIGKILL); };
        Conductor c;
        nombrarYFinalizar(c).en(QStringLiteral("frmProceso"), [&](QWidget* w) {
            auto* barra = w->findChild<QProgressBar*>(QStringLiteral("pgrProgreso"));
            QObject::connect(barra, &QProgressBar::valueChanged,
                             [&, barra](int v) { if (matarEn == "mitad" && v > barra->maximum() / 2) ::raise(SIGKILL); });
        });
        activarNodo1();
        FAIL() << "el cierre no se ha matado en " << matarEn.constData();
    }
    const auto* prueba = testing::UnitTest::GetInstance()->current_test_info();
    for (const bool hecho : {false, true}) {
        QTemporaryDir raiz;
        QProcess hijo;
        QProcessEnvironment entorno = QProcessEnvironment::systemEnvironment();
        entorno.insert(QStringLiteral("TMPDIR"), raiz.path());
        entorno.insert(QStringLiteral("NCC_MATAR_ASISTENTE"), hecho ? QStringLiteral("hecho") : QStringLiteral("mitad"));
        hijo.setProcessEnvironment(entorno);
        hijo.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=%1.%2").arg(
                       QString::fromUtf8(prueba->test_suite_name()), QString::fromUtf8(prueba->name()))});
        ASSERT_TRUE(hijo.waitForFinished(300000) && hijo.exitStatus() == QProcess::CrashExit) << hijo.readAll().toStdString();
        QDirIterator busca(raiz.path(), {QStringLiteral("AppEntrada.db")}, QDir::Files, QDirIterator::Subdirectories);
        ASSERT_TRUE(busca.hasNext());
        const QDir escuela = QFileInfo(busca.next()).absoluteDir();
        const SalidaNcc inicio = ejecutarNcc({QStringLiteral("recuperar"), QStringLiteral("--datos"), escuela.path()});
        const QString informe = escuela.filePath(QStringLiteral("Cierre 2025-2026.pdf"));
        EXPECT_TRUE(inicio.salida == 0 && inicio.error.contains(QStringLiteral("Informe del cierre: ") + informe) == hecho &&
                    (QFileInfo(informe).size() > 0) == hecho)
            << hecho << ": " << inicio.error.toStdString();
    }
}

// With no program to open PDF files, the offer of the report still says
// where the report is.
TEST_P(AsistenteCierre, SinVisorDePdfDiceDondeEstaElInforme) {
    if (GetParam() == Proveedor::PostgreSQL) GTEST_SKIP() << "no depende de la base de datos";
    QTemporaryDir sinProgramas;
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", sinProgramas.path().toLocal8Bit());
    const QString ruta = QDir(sinProgramas.path()).filePath(QStringLiteral("Cierre 2025-2026.pdf"));
    guion_.responderTexto(PreguntaAbrirInforme(ruta), Respuesta::Si);
    OfrecerAbrirInforme(ruta);
    qputenv("PATH", path);
    EXPECT_EQ(guion_.ultimo().mensaje.texto, TextoInformeSinVisor(ruta));
}

// A school folder she can only read opens: the wizard reads it and refuses,
// in one sentence naming the folder, only what would write; a historic
// course opens read-only, saying the same.
TEST_P(AsistenteCierre, UnaCarpetaDeSoloLecturaSeLeeYSoloSeRehusaLoQueEscribe) {
    if (GetParam() == Proveedor::PostgreSQL) GTEST_SKIP() << "el servidor no tiene carpeta";
    muestra_ = crearMuestra(*ctx_, QStringLiteral("lectura"), 24);
    CarpetaBloqueada bloqueo(muestra_.carpeta);
    if (!bloqueo.activa()) GTEST_SKIP() << "este sistema de archivos no deja impedir la escritura a root";
    sesion_ = std::make_unique<SesionAbierta>(muestra_);
    pasarComprobaciones();
    responderFinalizar();
    guion_.responderA(2180, Respuesta::Si);
    QStringList dichos;
    Conductor c;
    nombrar(c).en(QStringLiteral("frmCierreAlumnos"), [&](QWidget* w) {
        Conductor::pulsar(w, QStringLiteral("cmdProponer"));  // in memory: allowed
        for (const char* boton : {"cmdGuardar_0", "cmdCierreAlumnos_4"}) {
            guion_.olvidarMostrados();
            Conductor::pulsar(w, QString::fromLatin1(boton));
            dichos << guion_.textos().join(QLatin1Char('|'));
        }
    });
    volverYSalir(c);
    activarNodo1();
    EXPECT_TRUE(c.terminado()) << c.pendientes().join(QLatin1Char(',')).toStdString();
    historicos::CursoHistoricoElegido curso;
    guion_.olvidarMostrados();
    historicos::TomarBloqueo(centro(), curso, 1);
    EXPECT_TRUE(curso.blnSoloLectura);
    dichos << guion_.textos().join(QLatin1Char('|'));
    const QString aviso = TextoSoloLectura(QDir::toNativeSeparators(QFileInfo(muestra_.carpeta).absoluteFilePath()));
    EXPECT_EQ(dichos, QStringList(3, aviso));
}

NCC_AMBOS_FONDOS(AsistenteCierre);

TEST(Proceso, ElProgresoInternoEmpiezaEnUnoYNoPasaDelMaximo) {
    frmProceso p;
    auto* marco = p.findChild<QGroupBox*>(QStringLiteral("fraHistorico"));
    auto* etiqueta = p.findChild<QLabel*>(QStringLiteral("lblHistorico"));
    auto* barra = p.findChild<QProgressBar*>(QStringLiteral("prgHistorico"));
    ASSERT_TRUE(marco && etiqueta && barra);
    EXPECT_TRUE(marco->isHidden());
    p.IniciarProgreso(3, QStringLiteral("Proceso de Paso de Datos a Histórico"));
    EXPECT_EQ(enFila({marco->isHidden(), marco->title(), etiqueta->text(), barra->value()}),
              "false|Proceso de Paso de Datos a Histórico|1/3|1");
    p.AumentarProgreso();
    p.AumentarProgreso();
    EXPECT_EQ(etiqueta->text(), QStringLiteral("3/3"));
    p.AumentarProgreso();
    EXPECT_EQ(enFila({etiqueta->text(), barra->value()}), "3/3|3");
    p.CerrarProgreso();
    EXPECT_TRUE(marco->isHidden());
}

}  // namespace ncc::pruebas

#include "test_asistente.moc"
