// The student page driven through its real widgets (offscreen), on both back
// ends: the section grid and its headings, the default decisions and their
// colours, marking, applying with the seat check, confirming, reopening,
// undoing, the column widths and the stored set through its buttons.
#include "Controles.h"
#include "EscuelaAlumnos.h"
#include "Lectura.h"
#include "platform/MensajesGuion.h"
#include "platform/Textos.h"
#include "platform/gui/Rejilla.h"
#include "wizard/frmCierreAlumnos.h"
#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QKeyEvent>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <QUuid>
#include <QCoreApplication>
#include <QDir>
#include <QSettings>

namespace ncc::pruebas {
namespace {

constexpr quint32 Azul = 16711680, Rojo = 255, Naranja = 33023, Amarillo = 65535;

class Pagina : public EscuelaAlumnos {
protected:
    Pagina() {
        guion.alInesperada([](const QString& t) { ADD_FAILURE() << "pregunta inesperada: " << t.toStdString(); });
        // A school name of its own: the widths a test stores never reach
        // another.
        escuela.conf().setNombreCentro(QStringLiteral("Pruebas ") + QUuid::createUuid().toString(QUuid::Id128));
    }
    ~Pagina() override {
        // The test's settings go with it.
        QSettings s(QCoreApplication::organizationName(),
                    escuela.conf().NombreCentro() + QStringLiteral("/Norva Centro 2000/CierreCurso"));
        const QString archivo = s.fileName();
        s.clear();
        s.sync();
        if (archivo.contains(escuela.conf().NombreCentro()))
            QDir(archivo.left(archivo.indexOf(escuela.conf().NombreCentro()) + escuela.conf().NombreCentro().size()))
                .removeRecursively();
    }

    void abrir() {
        ASSERT_TRUE(pagina.cargar());
        pagina.resize(1000, 700);
        pagina.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&pagina));
    }
    template <class W = QWidget>
    W* w(const char* nombre) { return hijo<W>(&pagina, nombre); }
    QTableWidget* secciones() { return w<QTableWidget>("msgSecciones"); }
    QTableWidget* alumnos() { return w<QTableWidget>("msgAlumnos"); }
    Rejilla* rejilla(QTableWidget* t) { return t->findChild<Rejilla*>(); }
    void clic(const char* boton) { QTest::mouseClick(w<QPushButton>(boton), Qt::LeftButton); }
    void clicFila(QTableWidget* t, int fila) {
        QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, t->visualItemRect(t->item(fila, 0)).center());
    }
    int filaAlumno(qint32 id) { return rejilla(alumnos())->buscarFila(id); }
    QString celda(qint32 id, int col) { return alumnos()->item(filaAlumno(id), col)->text(); }
    void elegir(const char* lista, const QString& texto) {
        auto* c = w<QComboBox>(lista);
        const int i = c->findText(texto);
        ASSERT_GE(i, 0) << lista << " " << texto.toStdString();
        c->setCurrentIndex(i);
    }
    QString seccionActual() { return secciones()->currentItem() ? secciones()->currentItem()->text().trimmed() : QString(); }

    frmCierreAlumnos pagina;
};

TEST_P(Pagina, AbreLaPrimeraSeccionYLaFilaActualSaltaLosEncabezados) {
    abrir();
    EXPECT_EQ(enFila({pagina.windowTitle(), w<QGroupBox>("fraCursos")->title(),
                      w<QPushButton>("cmdCierreAlumnos_2")->text()}),
              enFila({Texto(2001), Texto(2110), "< &Anterior"}));
    EXPECT_EQ(enFila({secciones()->rowCount(), rejilla(secciones())->esEncabezado(0), rejilla(secciones())->esEncabezado(3),
                      secciones()->currentRow(), pagina.Estado()}),
              "5|true|true|1|1");
    // Siguiente without activities, Guardar with nothing confirmed, Cargar
    // without a stored set: off.
    EXPECT_EQ(enFila({w("cmdCierreAlumnos_3")->isEnabled(), w("cmdCierreAlumnos_4")->isEnabled(), w("cmdGuardar_0")->isEnabled(),
                      w("cmdGuardar_1")->isEnabled(), w("cmdPromocionar_1")->isEnabled(), w("fraBloqueo_0")->isEnabled()}),
              "false|true|false|false|false|false");
    EXPECT_EQ(w<QDateEdit>("dtpFechaBaja")->text(), QStringLiteral("30/06/2026"));
    // "Ayuda" asks for the page's help with F1, as the host expects.
    struct EspiaF1 : QObject {
        int veces = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            veces += e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_F1;
            return false;
        }
    } espia;
    pagina.installEventFilter(&espia);
    w<QPushButton>("cmdCierreAlumnos_0")->click();
    pagina.removeEventFilter(&espia);
    EXPECT_EQ(espia.veces, 1);

    // 1º Primaria promotes directly: all blue "Promociona", in their order.
    ASSERT_EQ(alumnos()->rowCount(), 3);
    EXPECT_EQ(alumnos()->item(0, 0)->text(), QStringLiteral("Ap1003, N1003"));
    for (int f = 0; f < 3; ++f)
        EXPECT_EQ(enFila({alumnos()->item(f, 1)->text(), rejilla(alumnos())->colorTexto(f, 1)}),
                  enFila({Texto(2173), Azul}));

    // Down onto the ESO heading goes on to its first section; up onto it
    // comes back; up onto the first heading stays on the first section.
    secciones()->setFocus();
    QTest::keyClick(secciones(), Qt::Key_Down);
    EXPECT_EQ(seccionActual(), QStringLiteral("2º A"));
    EXPECT_EQ(celda(1201, 1), Texto(2174));  // no grades: repeats, red
    EXPECT_EQ(enFila({rejilla(alumnos())->colorTexto(filaAlumno(1201), 2), celda(1202, 1)}),
              enFila({Rojo, Texto(2173)}));
    QTest::keyClick(secciones(), Qt::Key_Down);
    EXPECT_EQ(enFila({secciones()->currentRow(), seccionActual()}), "4|1º d'ESO A");
    QTest::keyClick(secciones(), Qt::Key_Up);
    EXPECT_EQ(secciones()->currentRow(), 2);
    QTest::keyClick(secciones(), Qt::Key_Up);
    QTest::keyClick(secciones(), Qt::Key_Up);
    EXPECT_EQ(secciones()->currentRow(), 1);
    // A click on a heading lands on the section under it.
    clicFila(secciones(), 3);
    EXPECT_EQ(enFila({secciones()->currentRow(), alumnos()->rowCount()}), "4|1");
}

TEST_P(Pagina, AlDesplazarseLosEncabezadosNoQuedanEnLosBordes) {
    alumno(2201, 221, 22, 2, 1);  // a second ESO section: 0 H, 1, 2, 3 H, 4, 5
    abrir();
    QTableWidget* t = secciones();
    Rejilla* r = rejilla(t);
    ASSERT_TRUE(t->rowCount() == 6 && r->esEncabezado(3));
    // Two rows in view.
    t->setFixedHeight(t->horizontalHeader()->height() + 2 * t->verticalHeader()->defaultSectionSize() +
                      2 * t->frameWidth() + 2);
    QCoreApplication::processEvents();
    ASSERT_EQ(r->filasVisibles(), 2);
    QScrollBar* barra = t->verticalScrollBar();
    ASSERT_EQ(barra->maximum(), 4);

    // Down: rows 1 and 2 in view, nothing to do; rows 2 and 3 would leave
    // the ESO heading last, so its first section comes into view.
    barra->setValue(1);
    EXPECT_EQ(r->filaSuperior(), 1);
    barra->setValue(2);
    EXPECT_EQ(r->filaSuperior(), 3);
    // Up from the bottom onto the heading: the row above shows too.
    barra->setValue(4);
    barra->setValue(3);
    EXPECT_EQ(r->filaSuperior(), 2);
    // The first heading at the top stays there.
    barra->setValue(0);
    EXPECT_EQ(r->filaSuperior(), 0);
}

TEST_P(Pagina, AplicarConLaComprobacionDePlazasConfirmarYReabrir) {
    abrir();
    clicFila(secciones(), 2);  // 2º A: 1201, 1202, 1203
    clic("cmdPromocionar_0");
    ASSERT_EQ(pagina.Estado(), 2);
    EXPECT_FALSE(secciones()->isEnabled());
    EXPECT_EQ(w<QPushButton>("cmdPromocionar_0")->text(), QStringLiteral("Efectuar ca&mbios"));  // Alt+M still
    EXPECT_EQ(enFila({w<QPushButton>("cmdCierreAlumnos_4")->isEnabled(), w<QPushButton>("cmdAceptar")->isEnabled()}),
              "false|false");

    // Mark all three by mouse and keyboard: selection colours everywhere.
    clicFila(alumnos(), 0);
    clicFila(alumnos(), 1);
    alumnos()->setCurrentCell(2, 0);
    QTest::keyClick(alumnos(), Qt::Key_Space);
    EXPECT_EQ(rejilla(alumnos())->filasMarcadas(), (QList<int>{0, 1, 2}));
    EXPECT_EQ(enFila({rejilla(alumnos())->colorFondo(1, 3), w<QPushButton>("cmdAceptar")->isEnabled()}),
              enFila({rejilla(alumnos())->colorFondoSeleccion(), true}));

    // 1º d'ESO A has 20 places: 18 taken + 3 = 21 asks 2190.
    pagina.Secciones()->Item("211")->setNumPlazasOcupadas(18);
    elegir("cboActas_0", QStringLiteral("ESO"));
    elegir("cboActas_1", QStringLiteral("1º d'ESO"));
    elegir("cboActas_2", QStringLiteral("A"));
    guion.responder(Respuesta::No);
    clic("cmdAceptar");
    EXPECT_TRUE(guion.textos().last().contains(Texto(2190)));
    EXPECT_EQ(celda(1201, 3), QString());  // refused: nothing applied
    EXPECT_EQ(rejilla(alumnos())->filasMarcadas().size(), 3);

    // 198 + 3 is refused whatever the places.
    pagina.Secciones()->Item("211")->setNumPlazasOcupadas(198);
    guion.olvidarMostrados();
    clic("cmdAceptar");
    ASSERT_EQ(guion.mostrados().size(), 1);
    EXPECT_EQ(enFila({guion.ultimo().mensaje.texto, guion.ultimo().mensaje.icono}),
              enFila({Texto(2196), Icono::Exclamacion}));

    // With room: applied, marks cleared, destination shown.
    pagina.Secciones()->Item("211")->setNumPlazasOcupadas(0);
    alumnos()->setCurrentCell(0, 0);
    QTest::keyClick(alumnos(), Qt::Key_Space);  // 1201 off: 1202, 1203 go
    clic("cmdAceptar");
    EXPECT_EQ(enFila({celda(1202, 3), celda(1203, 1), rejilla(alumnos())->filasMarcadas().size()}),
              enFila({"ESO 1º d'ESO A", Texto(2173), 0}));

    // 1201 leaves on the date chosen: orange.
    clicFila(alumnos(), filaAlumno(1201));
    w<QRadioButton>("optOpcion_2")->click();
    EXPECT_EQ(enFila({w("fraBloqueo_2")->isEnabled(), w("fraBloqueo_1")->isEnabled()}), "true|false");
    w<QDateEdit>("dtpFechaBaja")->setDate(QDate(2026, 6, 15));
    clic("cmdAceptar");
    EXPECT_EQ(enFila({celda(1201, 1), celda(1201, 2), rejilla(alumnos())->colorTexto(filaAlumno(1201), 1)}),
              enFila({Texto(2175), "15/06/2026", Naranja}));

    // Confirm: yellow row, two seats taken in 1º d'ESO A.
    clic("cmdPromocionar_0");
    EXPECT_EQ(enFila({pagina.Estado(), rejilla(secciones())->colorFondo(2, 0)}), enFila({1, Amarillo}));
    const auto s211 = pagina.Secciones()->Item("211");
    EXPECT_EQ(enFila({s211->NumPlazasOcupadas(), s211->IDsPlazasOcupadas(), pagina.Secciones()->Item("121")->Promocionada(),
                      pagina.Secciones()->Item("121")->Alumnos()->Count(), w("cmdGuardar_0")->isEnabled(),
                      w("cmdCierreAlumnos_4")->isEnabled()}),
              "2|,1202,1203,|true|3|true|true");

    // Reopening and keeping: the stored decisions come back.
    guion.responder(Respuesta::No);
    clic("cmdPromocionar_0");
    const QString dicho = guion.ultimo().mensaje.texto;
    EXPECT_EQ(enFila({dicho.startsWith(Texto(2184)), dicho.contains(Texto(2188)), dicho.contains(Texto(2189)),
                      pagina.Estado(), celda(1202, 3)}),
              "true|true|true|2|ESO 1º d'ESO A");
    // ... undo goes back to them as well.
    clicFila(alumnos(), filaAlumno(1202));
    w<QRadioButton>("optOpcion_1")->click();
    // Repite preselects the open section.
    EXPECT_EQ(w<QComboBox>("cboActas_2")->currentData().toInt(), 121);
    clic("cmdAceptar");
    EXPECT_EQ(celda(1202, 1), Texto(2174));
    clic("cmdPromocionar_1");
    EXPECT_EQ(enFila({pagina.Estado(), celda(1202, 1)}), enFila({1, Texto(2173)}));

    // Reopening and answering Yes gives the seats back and rereads.
    guion.responder(Respuesta::Si);
    clicFila(secciones(), 1);
    clicFila(secciones(), 2);
    EXPECT_EQ(enFila({s211->NumPlazasOcupadas(), s211->IDsPlazasOcupadas(), pagina.Secciones()->Item("121")->Promocionada(),
                      celda(1202, 3), w("cmdGuardar_0")->isEnabled()}),
              "0|,|false||false");
    EXPECT_EQ(rejilla(secciones())->colorFondo(2, 0), rejilla(secciones())->colorFondoRejilla());
}

TEST_P(Pagina, SinAsignarPreguntaAlConfirmarYDeshacerReleeLaSeccion) {
    abrir();
    clic("cmdPromocionar_0");
    clic("cmdSeleccionar_0");
    EXPECT_EQ(rejilla(alumnos())->filasMarcadas().size(), 3);
    clic("cmdSeleccionar_1");
    EXPECT_TRUE(rejilla(alumnos())->filasMarcadas().isEmpty());
    guion.responderA(2191, Respuesta::No);
    clic("cmdPromocionar_0");
    EXPECT_EQ(pagina.Estado(), 2);  // refused: still editing
    clic("cmdPromocionar_1");
    EXPECT_EQ(enFila({pagina.Estado(), pagina.Secciones()->Item("111")->Promocionada(), secciones()->isEnabled()}),
              "1|false|true");
}

TEST_P(Pagina, AnchosEstrechosDesdeOchoAlumnosYGuardadosPorUsuario) {
    // The first section opened has 8 students: the narrower defaults.
    for (int i = 0; i < 5; ++i) alumno(1010 + i, 111, 11, 1, 10 + i);
    abrir();
    ASSERT_EQ(alumnos()->rowCount(), 8);
    EXPECT_EQ(alumnos()->columnWidth(0), Rejilla::twipsAPixeles(3200, alumnos()));
    // Never narrower than the title or the decisions shown.
    EXPECT_GE(alumnos()->columnWidth(1), Rejilla::twipsAPixeles(995, alumnos()));
    EXPECT_GE(alumnos()->columnWidth(1), alumnos()->horizontalHeader()->sectionSizeHint(1));
    EXPECT_GE(alumnos()->columnWidth(1), alumnos()->fontMetrics().horizontalAdvance(Texto(2173)));
    // A width the user sets is kept for the next section and the next time.
    alumnos()->setColumnWidth(0, 333);
    clicFila(secciones(), 4);
    EXPECT_NEAR(alumnos()->columnWidth(0), 333, 1);
    pagina.hide();
    frmCierreAlumnos otra;
    ASSERT_TRUE(otra.cargar());
    EXPECT_NEAR(otra.findChild<QTableWidget*>(QStringLiteral("msgAlumnos"))->columnWidth(0), 333, 1);
}

TEST_P(Pagina, GuardarYCargarPorSusBotones) {
    abrir();
    clic("cmdPromocionar_0");
    clic("cmdSeleccionar_0");
    elegir("cboActas_1", QStringLiteral("2º"));
    elegir("cboActas_2", QStringLiteral("B"));
    clic("cmdAceptar");
    clic("cmdPromocionar_0");
    guion.responderA(2194, Respuesta::Si);
    clic("cmdGuardar_0");
    EXPECT_EQ(enFila({contar(QStringLiteral("CIERRECURSO_SECCION_ALUMNO")),
                      w<QPushButton>("cmdGuardar_1")->isEnabled()}),
              "3|true");

    // Another decision in memory, then the stored set comes back over it.
    clicFila(secciones(), 4);
    clic("cmdPromocionar_0");
    guion.responderA(2191, Respuesta::Si);
    clic("cmdPromocionar_0");
    EXPECT_TRUE(pagina.Secciones()->Item("211")->Promocionada());
    guion.responderA(2195, Respuesta::Si);
    clic("cmdGuardar_1");
    EXPECT_EQ(enFila({pagina.Secciones()->Item("211")->Promocionada(), pagina.Secciones()->Item("111")->Promocionada(),
                      pagina.Secciones()->Item("122")->NumPlazasOcupadas(), pagina.Estado(), w<QPushButton>("cmdGuardar_0")->isEnabled(),
                      w<QPushButton>("cmdPromocionar_1")->isEnabled(), w("fraBloqueoTotal")->isEnabled()}),
              "false|true|3|1|true|false|true");
    EXPECT_EQ(rejilla(secciones())->colorFondo(1, 0), Amarillo);
    EXPECT_EQ(rejilla(secciones())->colorFondo(4, 0), rejilla(secciones())->colorFondoRejilla());
}

TEST_P(Pagina, SinSeccionesConAlumnosActivosAvisaYNoSeMuestra) {
    EscuelaPrueba::sql(con(), QStringLiteral("UPDATE Alumno SET FechaBaja='2026/06/01'"));
    guion.olvidarMostrados();
    EXPECT_EQ(enFila({pagina.cargar(), pagina.Mostrar()}), "false|false");
    ASSERT_EQ(guion.mostrados().size(), 1);
    EXPECT_EQ(enFila({guion.ultimo().mensaje.texto, guion.ultimo().mensaje.icono}),
              enFila({Texto(2185), Icono::Informacion}));
}

NCC_AMBOS_FONDOS(Pagina);

}  // namespace
}  // namespace ncc::pruebas
