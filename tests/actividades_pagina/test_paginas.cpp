// The activity page and the price page driven through their widgets, on both
// back ends: opening activities, dates one year on, "Pasar"/"Baja",
// confirming and reopening, the student page's decisions, prices in euros
// and pesetas, stored choices, and what the engine then writes.
#include "Controles.h"
#include "EscuelaActividades.h"
#include "GrabadorAvisos.h"
#include "engine/Actividades.h"
#include "engine/EstadoMotor.h"
#include "engine/Pasos.h"
#include "entry/cPrecioActividad.h"
#include "platform/Textos.h"
#include "platform/gui/Rejilla.h"
#include "suite/Esquema.h"
#include "wizard/modCierreCurso.h"
#include "wizard/frmCierreActividades.h"
#include "wizard/frmPrecioActividad.h"
#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QRadioButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

namespace ncc::pruebas {
namespace {

void pulsar(QWidget* pagina, const char* nombre) {
    auto* b = hijo<QAbstractButton>(pagina, nombre);
    ASSERT_TRUE(b->isEnabled()) << nombre;
    QTest::mouseClick(b, Qt::LeftButton);
}

void pulsarFila(QTableWidget* t, int fila) {
    QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, t->visualItemRect(t->item(fila, 0)).center());
}

// A column's texts as the grid shows them.
QStringList columna(QTableWidget* t, int c) {
    QStringList r;
    const auto* delegado = qobject_cast<const QStyledItemDelegate*>(t->itemDelegateForColumn(c));
    for (int f = 0; f < t->rowCount(); ++f) {
        const QString texto = t->item(f, c) ? t->item(f, c)->text() : QString();
        r << (delegado ? delegado->displayText(texto, {}) : texto);
    }
    return r;
}

// The colours a cell shows, as 0x00BBGGRR.
quint32 colorTexto(QTableWidget* t, int fila, int c) { return t->findChild<Rejilla*>()->colorTexto(fila, c); }
quint32 colorFondo(QTableWidget* t, int fila, int c) { return t->findChild<Rejilla*>()->colorFondo(fila, c); }

int filaDe(QTableWidget* t, const QString& texto) {
    for (int f = 0; f < t->rowCount(); ++f)
        if (t->item(f, 0)->text().startsWith(texto)) return f;
    return -1;
}

class PaginaActividades : public EscuelaActividades {
protected:
    // Copies a table of the school into another database, row by row.
    void copiarTabla(const char* tabla, Conexion& destino) {
        for (Recordset rs = centro().Abrir(QStringLiteral("SELECT * FROM %1").arg(QLatin1String(tabla))); !rs.eof();
             rs.MoveNext()) {
            QStringList columnas, marcas;
            QVariantList valores;
            for (int i = 0; i < rs.numeroCampos(); ++i) {
                columnas << rs.nombreCampo(i);
                marcas << QStringLiteral("?");
                valores << rs.campo(i);
            }
            destino.Execute(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                .arg(QLatin1String(tabla), columnas.join(QLatin1Char(',')), marcas.join(QLatin1Char(','))),
                            valores);
        }
    }

    PaginaActividades() {
        guion.alInesperada([](const QString& t) { ADD_FAILURE() << "pregunta inesperada: " << t.toStdString(); });
        pagina.setSecciones([this] { return conSecciones ? secciones : nullptr; });
    }

    void abrir() {
        pagina.cargar();
        ASSERT_TRUE(pagina.Mostrar()) << guion.textos().join(QLatin1Char('\n')).toStdString();
        pagina.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&pagina));
    }
    QTableWidget* actividades() { return hijo<QTableWidget>(&pagina, "msgActividades"); }
    QTableWidget* alumnos() { return hijo<QTableWidget>(&pagina, "msgAlumnos"); }
    void elegir(int fila) { actividades()->setCurrentCell(fila, 0); }
    // "Promocionar", every member "Pasar" (or "Baja"), "Efectuar cambios".
    void confirmarTodos(bool pasar = true) {
        pulsar(&pagina, "cmdPromocionar_0");
        pulsar(&pagina, "cmdSeleccionar_0");
        hijo<QRadioButton>(&pagina, pasar ? "optOpcion_0" : "optOpcion_1")->setChecked(true);
        pulsar(&pagina, "cmdAceptar");
        pulsar(&pagina, "cmdPromocionar_0");
    }
    std::shared_ptr<cActividad> actividad(int id) { return pagina.Actividades()->Item(QString::number(id)); }

    // Drives the price page that "Establecer precios" opens, and accepts it.
    void conPaginaDePrecios(const std::function<void(frmPrecioActividad&)>& f) {
        bool visto = false;
        QTimer::singleShot(0, [&] {
            auto* p = qobject_cast<frmPrecioActividad*>(QApplication::activeModalWidget());
            if (!p) return;
            visto = true;
            f(*p);
            pulsar(p, "cmdPrecioActividad_0");
        });
        pulsar(&pagina, "cmdPrecios");
        EXPECT_TRUE(visto);
    }

    frmCierreActividades pagina;
    bool conSecciones = false;
};

TEST_P(PaginaActividades, AbreLaPrimeraActividadConLasFechasUnAnoDespuesYLaConfirmaSinFechaYVeintinueveDeFebrero) {
    abrir();
    EXPECT_EQ(pagina.windowTitle(), "Asistente para cierre de curso escolar. Selección de actividades");
    EXPECT_EQ(columna(actividades(), 0), QStringList({"Comedor", "Coro", "Excursión"}));
    EXPECT_EQ(enFila({pagina.IDActividad(), hijo<QCheckBox>(&pagina, "chkFecha")->isChecked(),
                      hijo<QDateEdit>(&pagina, "dtpFechaInicio")->text(), hijo<QDateEdit>(&pagina, "dtpFechaFin")->text()}),
              "1|false|15/09/2002|30/06/2003");
    // Active members only, in Spanish order, none passing yet (in red).
    EXPECT_EQ(columna(alumnos(), 0), QStringList({"Álvarez Sanz, Íñigo", "Nuñez Gil, Luis", "Nuto Gil, Pedro",
                                                  "Sin Sección, Eva", "Zamora Ruiz, Ana"}));
    EXPECT_EQ(columna(alumnos(), 3), QStringList(5, QStringLiteral("No")));
    EXPECT_EQ(enFila({columna(alumnos(), 1).value(0), colorTexto(alumnos(), 0, 3), columna(alumnos(), 4).value(0)}),
              "Becado|255|123,50");
    EXPECT_EQ(enFila({hijo(&pagina, "cmdPrecios")->isEnabled(), hijo(&pagina, "cmdGuardar_0")->isEnabled(),
                      hijo(&pagina, "cmdGuardar_1")->isEnabled(), hijo<QWidget>(&pagina, "fraBloqueo")->isEnabled()}),
              "true|false|false|false");

    // Choosing does nothing outside editing.
    pulsarFila(alumnos(), 0);
    EXPECT_FALSE(pagina.Actividades()->Item("1")->Alumnos()->contiene("2"));

    pulsar(&pagina, "cmdPromocionar_0");
    EXPECT_EQ(enFila({pagina.Estado(), actividades()->isEnabled()}), "2|false");
    EXPECT_EQ(hijo<QAbstractButton>(&pagina, "cmdPromocionar_0")->text(), "Efectuar ca&mbios");  // Alt+M still
    EXPECT_FALSE(hijo<QAbstractButton>(&pagina, "cmdCierreActividades_3")->isEnabled());
    // Two pass, one does not; the rest stay as they were.
    pulsarFila(alumnos(), filaDe(alumnos(), "Zamora"));
    pulsarFila(alumnos(), filaDe(alumnos(), "Nuto"));
    EXPECT_TRUE(hijo<QAbstractButton>(&pagina, "cmdAceptar")->isEnabled());
    pulsar(&pagina, "cmdAceptar");
    pulsarFila(alumnos(), filaDe(alumnos(), "Nuto"));
    hijo<QRadioButton>(&pagina, "optOpcion_1")->setChecked(true);
    pulsar(&pagina, "cmdAceptar");
    const int zamora = filaDe(alumnos(), "Zamora");
    EXPECT_EQ(enFila({alumnos()->item(zamora, 3)->text(), colorTexto(alumnos(), zamora, 3)}), "Si|16711680");
    pulsar(&pagina, "cmdPromocionar_0");

    EXPECT_EQ(pagina.Estado(), 1);
    const auto a = actividad(1);
    EXPECT_EQ(enFila({a->Promocionada(), a->FechaInicio(), a->FechaFin(), a->Alumnos()->Count(), a->Alumnos()->Item("1")->Pasar(),
                      a->Alumnos()->Item("3")->Pasar(), a->Alumnos()->Item("2")->Pasar()}),
              "true|2002/09/15|2003/06/30|5|true|false|false");
    EXPECT_EQ(enFila({colorFondo(actividades(), 0, 0), hijo<QAbstractButton>(&pagina, "cmdGuardar_0")->isEnabled(),
                      hijo<QAbstractButton>(&pagina, "cmdCierreActividades_3")->isEnabled(),
                      guion.sinPreguntasInesperadas()}),
              "65535|true|true|true");

    // Coro lacks its start date: "Sin fecha", both pickers on today and
    // disabled while editing.
    elegir(1);
    auto* sinFecha = hijo<QCheckBox>(&pagina, "chkFecha");
    EXPECT_EQ(enFila({sinFecha->isChecked(), hijo<QDateEdit>(&pagina, "dtpFechaInicio")->text(),
                      hijo<QDateEdit>(&pagina, "dtpFechaFin")->text()}),
              "true|20/06/2026|20/06/2026");
    pulsar(&pagina, "cmdPromocionar_0");
    EXPECT_FALSE(hijo<QDateEdit>(&pagina, "dtpFechaInicio")->isEnabled());
    pulsar(&pagina, "cmdPromocionar_0");
    EXPECT_EQ(enFila({actividad(2)->Promocionada(), actividad(2)->FechaInicio(), actividad(2)->FechaFin()}), "true||");

    // The trip of the 29th of February 2024 goes to the 28th in 2025.
    elegir(2);
    EXPECT_EQ(enFila({sinFecha->isChecked(), hijo<QDateEdit>(&pagina, "dtpFechaInicio")->text()}), "false|28/02/2025");
    // An end before the start is refused instead of failing the closing.
    pulsar(&pagina, "cmdPromocionar_0");
    hijo<QDateEdit>(&pagina, "dtpFechaFin")->setDate(QDate(2025, 2, 1));
    pulsar(&pagina, "cmdPromocionar_0");
    EXPECT_EQ(enFila({pagina.Estado(), actividad(3)->Promocionada(),
                      guion.ultimo().mensaje.texto.contains(QStringLiteral("anterior a la fecha de inicio"))}),
              "2|false|true");
    hijo<QDateEdit>(&pagina, "dtpFechaFin")->setDate(QDate(2025, 3, 2));
    pulsar(&pagina, "cmdPromocionar_0");
    EXPECT_EQ(enFila({actividad(3)->FechaInicio(), actividad(3)->FechaFin()}), "2025/02/28|2025/03/02");
}

TEST_P(PaginaActividades, ReabrirUnaActividadPromocionadaYDeshacerCambios) {
    abrir();
    confirmarTodos(true);
    // Back to it: the question, answered No, keeps the confirmed members.
    elegir(1);
    guion.responderA(2184, Respuesta::No);
    elegir(0);
    EXPECT_TRUE(actividad(1)->Promocionada());
    EXPECT_EQ(columna(alumnos(), 3), QStringList(5, QStringLiteral("Si")));
    // Editing and undoing: the working members are the confirmed ones again,
    // so a confirmation right after keeps every member passing.
    pulsar(&pagina, "cmdPromocionar_0");
    pulsar(&pagina, "cmdSeleccionar_0");
    hijo<QRadioButton>(&pagina, "optOpcion_1")->setChecked(true);
    pulsar(&pagina, "cmdAceptar");
    EXPECT_EQ(columna(alumnos(), 3), QStringList(5, QStringLiteral("No")));
    pulsar(&pagina, "cmdPromocionar_1");
    EXPECT_EQ(columna(alumnos(), 3), QStringList(5, QStringLiteral("Si")));
    pulsar(&pagina, "cmdPromocionar_0");  // asks 2184 again: No
    pulsar(&pagina, "cmdPromocionar_0");
    for (const auto& m : *actividad(1)->Alumnos()) EXPECT_TRUE(m->Pasar());

    // Yes: the activity is read again from the database, its prices too.
    actividad(1)->TipoAlumnos()->Item("1")->setEuros(QStringLiteral("6,01"));
    guion.olvidarMostrados();
    MensajesGuion otro;
    ServicioMensajesInstalado instaladoOtro(otro);
    otro.responderA(2184, Respuesta::Si);
    elegir(1);
    elegir(0);
    EXPECT_EQ(columna(alumnos(), 3), QStringList(5, QStringLiteral("No")));
    EXPECT_NE(colorFondo(actividades(), 0, 0), 65535u);
    EXPECT_EQ(enFila({otro.textos().first().contains(Texto(2188)), actividad(1)->Promocionada(),
                      actividad(1)->TipoAlumnos()->Item("1")->Euros(),
                      hijo<QAbstractButton>(&pagina, "cmdGuardar_0")->isEnabled()}),
              "true|false|5|false");
}

TEST_P(PaginaActividades, LasDecisionesDeLaPaginaDeAlumnosLleganALosMiembros) {
    // Section 101: Ana promoted to 2º A, Íñigo leaves; section 201: Luis
    // leaves, so the trip has nobody left.
    conSecciones = true;
    seccionPromocionada(101, {{1, 201, false}, {2, 0, true}});
    seccionPromocionada(201, {{4, 0, true}});
    abrir();
    EXPECT_EQ(columna(alumnos(), 0), QStringList({"Nuto Gil, Pedro", "Sin Sección, Eva", "Zamora Ruiz, Ana"}));
    EXPECT_EQ(alumnos()->item(2, 2)->text(), "Primaria 2º A");
    // Íñigo and Luis were the Becado members: no Becado price in use.
    EXPECT_EQ(enFila({actividad(1)->TipoAlumnos()->Item("2")->Visible(),
                      actividad(1)->Cursos()->Item("12")->Visible()}),
              "false|true");
    elegir(2);
    EXPECT_EQ(enFila({alumnos()->rowCount(), pagina.NoTipos(), pagina.NoCursos(),
                      hijo<QAbstractButton>(&pagina, "cmdPrecios")->isEnabled()}),
              "0|true|true|false");

    // Later on the student page Ana leaves too: the confirmed comedor hides
    // her and her course's price row is no longer in use.
    elegir(0);
    confirmarTodos(true);
    auto ana = std::make_shared<cAlumno>();
    ana->setIDAlumno(1);
    ana->setBaja(true);
    ana->setActividades(QStringLiteral("1,2"));
    Coleccion<cAlumno> cambiados;
    cambiados.Add(ana, 1);
    SincronizarActividades(cambiados, *pagina.Actividades());
    pagina.RefrescarGrid();
    EXPECT_EQ(columna(alumnos(), 0), QStringList({"Nuto Gil, Pedro", "Sin Sección, Eva"}));
    EXPECT_EQ(enFila({actividad(1)->Alumnos()->Item("1")->Visible(), actividad(1)->Cursos()->Item("12")->Visible()}),
              "false|false");
}

TEST_P(PaginaActividades, PreciosPorTipoEnPesetasLleganSoloASuTipoAunqueNoSeVean) {
    escuela.conf().setPesetas(true);
    conSecciones = true;
    seccionPromocionada(101, {{1, 201, false}, {2, 0, true}});  // Íñigo (Becado) leaves: hidden
    abrir();
    pulsar(&pagina, "cmdPromocionar_0");
    conPaginaDePrecios([](frmPrecioActividad& p) {
        EXPECT_EQ(enFila({p.windowTitle(), hijo<QRadioButton>(&p, "optOpcion_0")->isChecked(),
                          hijo<QLabel>(&p, "lblDato_0")->text()}),
                  "Asistente para el Cierre de Curso Escolar. Selección de precios|true|Pesetas:");
        auto* tipos = hijo<QTableWidget>(&p, "msgPrecio_0");
        // Luis is Becado and visible, so both types are in use.
        EXPECT_EQ(columna(tipos, 0), QStringList({"Ordinario", "Becado"}));
        auto* precio = hijo<QLineEdit>(&p, "txtPrecio");
        EXPECT_EQ(enFila({precio->text(), hijo<QLabel>(&p, "lblPrecioAux")->text()}), "0|0");
        precio->selectAll();
        QTest::keyClicks(precio, "1x0,00");  // only digits get in
        EXPECT_EQ(enFila({precio->text(), hijo<QLabel>(&p, "lblPrecioAux")->text()}), "1000|6,01");
        pulsarFila(tipos, 0);
        pulsar(&p, "cmdAceptar");
        EXPECT_EQ(QList({columna(tipos, 1), columna(tipos, 2)}),
                  QList<QStringList>({{"6,01", "9,00"}, {"1000", "1497"}}));
    });
    const auto a = actividad(1);
    // Ordinario members get the price; the Becado ones keep theirs, since
    // their row was left at the activity's general price.
    EXPECT_EQ(columna(alumnos(), 4), QStringList({"123,50", "6,01", "6,01", "6,01"}));
    EXPECT_EQ(columna(alumnos(), 5), QStringList({"20548", "1000", "1000", "1000"}));
    pulsar(&pagina, "cmdPromocionar_0");
    EXPECT_EQ(enFila({a->Alumnos()->Item("2")->Euros(), a->Alumnos()->Item("4")->Euros()}), "123,5|123,5");

    // A hidden member of a priced type is priced too.
    elegir(0);  // the question: No keeps the confirmed members
    guion.responderA(2184, Respuesta::No);
    elegir(1);
    elegir(0);
    pulsar(&pagina, "cmdPromocionar_0");  // 2184 again: No
    conPaginaDePrecios([](frmPrecioActividad& p) {
        auto* tipos = hijo<QTableWidget>(&p, "msgPrecio_0");
        auto* precio = hijo<QLineEdit>(&p, "txtPrecio");
        precio->setText(QStringLiteral("499"));
        pulsarFila(tipos, 1);
        pulsar(&p, "cmdAceptar");
    });
    pulsar(&pagina, "cmdPromocionar_0");
    // Íñigo (2) is hidden.
    EXPECT_EQ(enFila({a->Alumnos()->Item("2")->Pesetas(), a->Alumnos()->Item("2")->Euros(),
                      a->Alumnos()->Item("4")->Pesetas(), a->Alumnos()->Item("1")->Pesetas()}),
              "499|3|499|1000");
}

TEST_P(PaginaActividades, PreciosPorCursoEnEurosConLaComaAunqueLaMaquinaUsePunto) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    conSecciones = true;
    seccionPromocionada(101, {{1, 201, false}, {2, 0, true}});
    abrir();
    pulsar(&pagina, "cmdPromocionar_0");
    conPaginaDePrecios([](frmPrecioActividad& p) {
        pulsar(&p, "optOpcion_1");
        EXPECT_FALSE(hijo<QTableWidget>(&p, "msgPrecio_0")->isVisible());
        auto* cursos = hijo<QTableWidget>(&p, "msgPrecio_1");
        EXPECT_EQ(columna(cursos, 0), QStringList({"Primaria 2º"}));  // Ana's new course
        auto* precio = hijo<QLineEdit>(&p, "txtPrecio");
        precio->selectAll();
        QTest::keyClicks(precio, "6,0,15");  // a second comma and a third decimal are refused
        EXPECT_EQ(enFila({precio->text(), hijo<QLabel>(&p, "lblPrecioAux")->text()}), "6,01|1000");
        // Something that is no amount is refused with a message.
        precio->setText(QStringLiteral(","));
        pulsarFila(cursos, 0);
        pulsar(&p, "cmdAceptar");
        EXPECT_EQ(columna(cursos, 1), QStringList({""}));
        precio->setText(QStringLiteral("6,01"));
        pulsar(&p, "cmdAceptar");
        EXPECT_EQ(QList({columna(cursos, 1), columna(cursos, 2)}), QList<QStringList>({{"6,01"}, {"1000"}}));
    });
    QLocale::setDefault(QLocale::c());
    EXPECT_TRUE(guion.textos().join(QLatin1Char('\n')).contains(QStringLiteral("no es un importe válido en euros")));
    // Only Ana is of course 12.
    EXPECT_EQ(columna(alumnos(), 4), QStringList({"123,50", "123,50", "123,50", "6,01"}));
}

TEST_P(PaginaActividades, GuardaYCargaLasDecisionesDesdeLaPagina) {
    abrir();
    confirmarTodos(true);
    guion.responderA(3193, Respuesta::Si);
    pulsar(&pagina, "cmdGuardar_0");
    EXPECT_TRUE(hijo<QAbstractButton>(&pagina, "cmdGuardar_1")->isEnabled());
    EXPECT_EQ(filas(QStringLiteral("SELECT IDActividad, FechaInicio, FechaFin FROM CIERRECURSO_ACTIVIDAD")),
              QStringList({"1|2002/09/15|2003/06/30"}));

    frmCierreActividades otra;
    otra.cargar();
    otra.show();
    ASSERT_TRUE(otra.Mostrar());
    auto* t = hijo<QTableWidget>(&otra, "msgActividades");
    t->setCurrentCell(1, 0);
    guion.responderA(3194, Respuesta::Si);
    pulsar(&otra, "cmdGuardar_1");
    // The row shown stays.
    EXPECT_EQ(enFila({otra.Actividades()->Item("1")->Promocionada(), colorFondo(t, 0, 0), otra.IDActividad(),
                      hijo<QAbstractButton>(&otra, "cmdGuardar_0")->isEnabled(),
                      hijo<QAbstractButton>(&otra, "cmdPromocionar_1")->isEnabled()}),
              "true|65535|2|true|false");
    guion.responderA(2184, Respuesta::No);
    t->setCurrentCell(0, 0);  // promoted: the question, No shows the loaded members
    EXPECT_EQ(columna(hijo<QTableWidget>(&otra, "msgAlumnos"), 3), QStringList(5, QStringLiteral("Si")));
}

// What was clicked and typed is what the engine writes into the new year.
TEST_P(PaginaActividades, ElMotorEscribeLasFechasMesesYPreciosElegidos) {
    abrir();
    pulsar(&pagina, "cmdPromocionar_0");
    // Every member passes but Ana; every Ordinario member at 6,01 euros.
    pulsar(&pagina, "cmdSeleccionar_0");
    pulsar(&pagina, "cmdAceptar");
    pulsarFila(alumnos(), filaDe(alumnos(), "Zamora"));
    hijo<QRadioButton>(&pagina, "optOpcion_1")->setChecked(true);
    pulsar(&pagina, "cmdAceptar");
    hijo<QDateEdit>(&pagina, "dtpFechaInicio")->setDate(QDate(2026, 10, 1));
    hijo<QDateEdit>(&pagina, "dtpFechaFin")->setDate(QDate(2027, 2, 26));
    conPaginaDePrecios([](frmPrecioActividad& p) {
        hijo<QLineEdit>(&p, "txtPrecio")->setText(QStringLiteral("6,01"));
        pulsarFila(hijo<QTableWidget>(&p, "msgPrecio_0"), 0);
        pulsar(&p, "cmdAceptar");
    });
    // Thought better of: Ordinario's price cleared (its members get theirs
    // back), Becado's set to 7 euros.
    conPaginaDePrecios([](frmPrecioActividad& p) {
        auto* tipos = hijo<QTableWidget>(&p, "msgPrecio_0");
        EXPECT_EQ(columna(tipos, 1), QStringList({"6,01", "9,00"}));
        pulsarFila(tipos, 0);
        pulsar(&p, "cmdLimpiar");
        hijo<QLineEdit>(&p, "txtPrecio")->setText(QStringLiteral("7"));
        pulsarFila(tipos, 1);
        pulsar(&p, "cmdAceptar");
    });
    pulsar(&pagina, "cmdPromocionar_0");
    elegir(1);  // Coro: Eva and Pedro pass, without dates, its price untouched
    confirmarTodos(true);

    // The new year's database: a copy of the activities of this one.
    motor::EstadoMotor e;
    e.conf = &escuela.conf();
    GrabadorAvisos avisos;
    e.avisos = &avisos;
    e.conNuevoCentro.setConnectionString(ctx.cadena(QStringLiteral("nuevo")));
    e.conNuevoCentro.Open();
    suite::crearEsquema(e.conNuevoCentro, suite::TipoBase::Centro);
    for (const char* tabla : {"Actividad", "Alumno_Actividad_Miembro", "Actividad_TipoAlumno"}) copiarTabla(tabla, e.conNuevoCentro);
    e.colActividades = pagina.Actividades();
    ASSERT_TRUE(motor::PasarActividades(e)) << guion.textos().join(QLatin1Char('\n')).toStdString();

    const auto leer = [&](const QString& sql) { return leerFilas(e.conNuevoCentro, sql); };
    EXPECT_EQ(leer(QStringLiteral("SELECT IDActividad, FechaInicio, FechaFin FROM Actividad ORDER BY IDActividad")),
              QStringList({"1|2026/10/01|2027/02/26", "2||"}));
    EXPECT_EQ(leer(QStringLiteral("SELECT CodAlumno, PrecioEuros, PrecioPesetas, Octubre, Enero, Marzo, MesesRealizacion "
                                  "FROM Alumno_Actividad_Miembro WHERE CodActividad=1 ORDER BY CodAlumno")),
              QStringList({"2|7|1165|-1|-1|0|011111000000", "3|123,5|20548|-1|-1|0|011111000000",
                           "4|7|1165|-1|-1|0|011111000000", "6|123,5|20548|-1|-1|0|011111000000"}));
    EXPECT_EQ(leer(QStringLiteral("SELECT CodAlumno, PrecioEuros, PrecioPesetas, MesesRealizacion FROM "
                                  "Alumno_Actividad_Miembro WHERE CodActividad=2 ORDER BY CodAlumno")),
              QStringList({"1|0|0|000000000000", "3|0|0|000000000000"}));
    // The cleared price goes; the untouched one stays as it was.
    EXPECT_EQ(leer(QStringLiteral("SELECT CodActividad, CodTipoAlumno, PrecioGeneralEuro, PrecioGeneralPta FROM "
                                  "Actividad_TipoAlumno ORDER BY CodActividad, CodTipoAlumno")),
              QStringList({"1|2|7|1165", "2|1|3|499"}));
    // The trip was left unpromoted: it goes.
    EXPECT_EQ(leer(QStringLiteral("SELECT COUNT(*) FROM Alumno_Actividad_Miembro WHERE CodActividad=3")), QStringList({"0"}));
}

NCC_AMBOS_FONDOS(PaginaActividades);

}  // namespace
}  // namespace ncc::pruebas
