// Every page of the closing wizard and every window of the historic grade
// editor fits a 1024×768 screen, at 100 % and at 200 % (a 2048×1536 screen
// scaled twice): its minimum size within the screen's free area and, shown
// at that size, each button and field whole inside it. The screens are
// those of the offscreen platform, so the program starts itself again on
// each.
#include "ConAsistente.h"
#include "Controles.h"
#include "app/EnsayoAsistente.h"
#include "history/frmEditarHistorico.h"
#include "history/frmHistorico.h"
#include "history/frmHistoricoCurso.h"
#include "history/frmNCHistorico.h"
#include "history/frmNCursoEscolar.h"
#include "history/frmPropAlumno.h"
#include "history/frmPropMatAl.h"
#include "history/frmSelHAlumno.h"
#include "history/frmSelMatAl.h"
#include "history/frmSelMateria.h"
#include "platform/gui/MensajesQt.h"
#include "wizard/Asistente.h"
#include "wizard/frmProceso.h"
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QLayout>
#include <QMessageBox>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>

namespace ncc::pruebas {

namespace {

bool esControl(const QWidget* w) {
    return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLineEdit*>(w) ||
           qobject_cast<const QComboBox*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
           qobject_cast<const QAbstractItemView*>(w);
}

// What of `ventana` does not fit the primary screen: its minimum size, then,
// at that size, each button or field of its own (not the parts of another)
// outside it or smaller than it needs. A window that is not to be shown
// (showing the runner starts a closing) is laid out hidden.
QStringList loQueNoCabe(QWidget* ventana, bool mostrar = true) {
    QStringList r;
    const QString nombre = ventana->objectName();
    const QRect libre = QGuiApplication::primaryScreen()->availableGeometry();
    const bool visible = ventana->isVisible();
    ventana->ensurePolished();
    if (ventana->layout()) ventana->layout()->activate();
    const QSize minimo = ventana->minimumSize().expandedTo(ventana->minimumSizeHint());
    if (minimo.width() > libre.width() || minimo.height() > libre.height())
        r << QStringLiteral("%1 necesita %2×%3").arg(nombre).arg(minimo.width()).arg(minimo.height());
    ventana->resize(minimo);
    if (mostrar) ventana->show();
    if (ventana->layout()) ventana->layout()->activate();
    QCoreApplication::processEvents();
    for (QWidget* w : ventana->findChildren<QWidget*>()) {
        if (w->window() != ventana || !esControl(w) || !w->isVisibleTo(ventana)) continue;
        bool parte = false;
        for (QWidget* p = w->parentWidget(); p != ventana && !parte; p = p->parentWidget()) parte = esControl(p);
        const QRect sitio(w->mapTo(ventana, QPoint()), w->size());
        const QSize necesita = w->minimumSizeHint();
        if (!parte && (!ventana->rect().contains(sitio) || w->width() < necesita.width() || w->height() < necesita.height()))
            r << QStringLiteral("%1/%2 en %3,%4 %5×%6 (necesita %7×%8) de %9×%10")
                     .arg(nombre, w->objectName()).arg(sitio.x()).arg(sitio.y()).arg(sitio.width()).arg(sitio.height())
                     .arg(necesita.width()).arg(necesita.height()).arg(ventana->width()).arg(ventana->height());
    }
    if (!visible) ventana->hide();
    return r;
}

// The screens: the platform's configuration and the scale Qt applies to it.
struct Pantalla {
    int ancho, alto;
    const char* escala;
};

}  // namespace

class Pantallas : public ConAsistente<> {
protected:
    void SetUp() override {
        ConAsistente::SetUp();
        InstalarAsistente();
        app::instalarEnsayoEnAsistente();
    }
    QStringList noCaben;

    void comprobar(QWidget* w, bool mostrar = true) { noCaben += loQueNoCabe(w, mostrar); }

    // The wizard as a secretary goes through it: the start page, the student
    // page as it opens and with a section open, the rehearsal's result, the
    // activity page with an activity open and its prices, and the runner.
    void recorrerAsistente() {
        pasarComprobaciones();
        guion_.responderA(2180, Respuesta::Si).responderA(2184, Respuesta::No).responderA(16002, Respuesta::No);
        guion_.responderA(2187, Respuesta::Si).responderA(2191, Respuesta::Si);
        Conductor c;
        c.en(QStringLiteral("frmCierreCursoE"), [&](QWidget* w) {
             comprobar(w);
             Conductor::escribir(w, QStringLiteral("txtCursoPromocion"), QStringLiteral("2026/2027"));
             Conductor::pulsar(w, QStringLiteral("cmdCierreCursoE_1"));
         }).en(QStringLiteral("frmCierreAlumnos"), [&](QWidget* w) {
              comprobar(w);
              Conductor::pulsar(w, QStringLiteral("cmdProponer"));
              auto* secciones = hijo<QTableWidget>(w, "msgSecciones");
              for (int f = 0; f < secciones->rowCount() && secciones->currentRow() < 0; ++f)
                  if (secciones->item(f, 0)->flags() & Qt::ItemIsSelectable) secciones->setCurrentCell(f, 0);
              Conductor::pulsar(w, QStringLiteral("cmdPromocionar_0"));
              comprobar(w);
              Conductor::pulsar(w, QStringLiteral("cmdPromocionar_0"));
              guion_.olvidarMostrados();
              Conductor::pulsar(w, QStringLiteral("cmdEnsayar"));
              ASSERT_FALSE(guion_.mostrados().isEmpty());
              comprobar(MensajesQt::crearCaja(guion_.mostrados().first().mensaje, w).get());
              Conductor::pulsar(w, QStringLiteral("cmdCierreAlumnos_3"));
          }).en(QStringLiteral("frmCierreActividades"), [&](QWidget* w) {
              Conductor::pulsar(w, QStringLiteral("cmdPromocionar_0"));
              comprobar(w);
              Conductor::pulsar(w, QStringLiteral("cmdPrecios"));
          }).en(QStringLiteral("frmPrecioActividad"), [&](QWidget* w) {
              comprobar(w);
              Conductor::pulsar(w, QStringLiteral("cmdPrecioActividad_1"));
          }).en(QStringLiteral("frmCierreActividades"), [&](QWidget* w) {
              frmProceso proceso(w);
              proceso.cargar();
              comprobar(&proceso, false);
              Conductor::pulsar(w, QStringLiteral("cmdPromocionar_0"));
              Conductor::pulsar(w, QStringLiteral("cmdCierreActividades_1"));
          });
        sesion_->entrada->ActivarFormulario(1);
        EXPECT_TRUE(c.terminado()) << c.pendientes().join(QLatin1Char(',')).toStdString();
        EXPECT_TRUE(guion_.sinPreguntasInesperadas()) << guion_.inesperadas().join(QLatin1Char('|')).toStdString();
    }

    // The editor on the historic course with the most grades, read-only (no
    // lock), its dialogs, and the windows that choose and fill a course.
    void recorrerEditor() {
        Conexion& con = sesion_->sesion->centro();
        Recordset r = con.Abrir(QStringLiteral(
            "SELECT codcursoescolarhistorico, codtipoensenanza, codcurso FROM EvaluacionHistorica GROUP BY "
            "codcursoescolarhistorico, codtipoensenanza, codcurso ORDER BY COUNT(*) DESC, 1, 2, 3 LIMIT 1"));
        ASSERT_FALSE(r.eof());
        frmEditarHistorico editor(con, {qint16(r.entero(QStringLiteral("codcursoescolarhistorico"))),
                                        quint8(r.entero(QStringLiteral("codtipoensenanza"))),
                                        qint16(r.entero(QStringLiteral("codcurso"))), true}, nullptr);
        ASSERT_TRUE(editor.cargado() && !editor.edicion().colAlumnos().vacia());
        comprobar(&editor);
        editor.lngIDAlumno = editor.edicion().colAlumnos().Item(1)->IDAlumno();
        frmPropAlumno propiedades(editor);
        comprobar(&propiedades);
        hijo<QTableWidget>(&propiedades, "msgMaterias")->selectRow(0);
        ASSERT_NE(propiedades.materiaSeleccionada(), 0);
        frmPropMatAl nota(propiedades, propiedades.materiaSeleccionada());
        frmSelMateria materias(editor);
        frmSelMatAl materiasAlumno(propiedades);
        frmSelHAlumno alumnos(editor);
        frmHistoricoCurso selector;
        frmNCursoEscolar nuevoCurso(&selector);
        frmHistorico paso;
        frmNCHistorico nuevoHistorico(&paso);
        for (QWidget* w : std::initializer_list<QWidget*>{&nota, &materias, &materiasAlumno, &alumnos, &selector,
                                                          &nuevoCurso, &paso, &nuevoHistorico})
            comprobar(w);
    }
};

TEST_P(Pantallas, CadaVentanaCabeEn1024x768Al100YAl200PorCiento) {
    if (const QByteArray escala = qgetenv("NCC_PANTALLA_ESCALA"); !escala.isEmpty()) {
        const QScreen* pantalla = QGuiApplication::primaryScreen();
        ASSERT_EQ(pantalla->geometry(), QRect(0, 0, 1024, 768));
        ASSERT_EQ(pantalla->devicePixelRatio(), escala.toDouble());
        abrirMuestra(QStringLiteral("pantallas"));
        recorrerAsistente();
        recorrerEditor();
        EXPECT_TRUE(noCaben.isEmpty()) << noCaben.join(QLatin1Char('\n')).toStdString();
        return;
    }
    const auto* prueba = testing::UnitTest::GetInstance()->current_test_info();
    for (const Pantalla& p : {Pantalla{1024, 768, "1"}, Pantalla{2048, 1536, "2"}}) {
        QTemporaryDir carpeta;
        QFile configuracion(QDir(carpeta.path()).filePath(QStringLiteral("pantalla.json")));
        ASSERT_TRUE(configuracion.open(QIODevice::WriteOnly));
        configuracion.write(QStringLiteral(R"({"screens": [{"name": "P", "x": 0, "y": 0, "width": %1, "height": %2,
                                                "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})")
                                .arg(p.ancho).arg(p.alto).toUtf8());
        configuracion.close();
        QProcessEnvironment entorno = QProcessEnvironment::systemEnvironment();
        entorno.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen:configfile=") + configuracion.fileName());
        entorno.insert(QStringLiteral("QT_SCREEN_SCALE_FACTORS"), QString::fromLatin1(p.escala));
        entorno.insert(QStringLiteral("NCC_PANTALLA_ESCALA"), QString::fromLatin1(p.escala));
        QProcess hijo;
        hijo.setProcessEnvironment(entorno);
        hijo.setProcessChannelMode(QProcess::MergedChannels);
        hijo.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=%1.%2").arg(
                       QString::fromUtf8(prueba->test_suite_name()), QString::fromUtf8(prueba->name()))});
        ASSERT_TRUE(hijo.waitForFinished(300000));
        const QString salida = QString::fromUtf8(hijo.readAll());
        EXPECT_TRUE(hijo.exitStatus() == QProcess::NormalExit && hijo.exitCode() == 0 &&
                    salida.contains(QStringLiteral("[  PASSED  ] 1 test")))
            << p.ancho << "×" << p.alto << ":\n" << salida.toStdString();
    }
}

NCC_AMBOS_FONDOS(Pantallas);

}  // namespace ncc::pruebas
