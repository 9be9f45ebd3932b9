// "Ensayar cierre" beside "Finalizar" on the student and activity pages,
// driven headless through the real wizard on both back ends: it shows what
// the closing would do, the pages keep their decisions, the school is left
// as it was and the wizard goes on.
#include "Ensayo.h"
#include "app/EnsayoAsistente.h"
#include "asistente/ConAsistente.h"
#include "platform/Textos.h"
#include "wizard/Asistente.h"
#include "wizard/frmCierreAlumnos.h"
#include <QFileInfo>

namespace ncc::pruebas {

namespace {

int alumnosEnSecciones() {
    int n = 0;
    for (const auto& s : *Asistente().CierreAlumnos->Secciones())
        if (s->Alumnos()) n += s->Alumnos()->Count();
    return n;
}

}  // namespace

class EnsayoAsistente : public ConAsistente<> {
protected:
    void SetUp() override {
        ConAsistente::SetUp();
        InstalarAsistente();
        app::instalarEnsayoEnAsistente();
    }
};

TEST_P(EnsayoAsistente, EnsayarDesdeLasDosPaginasMuestraElResultadoYNoCambiaNada) {
    muestra_ = crearMuestra(*ctx_, QStringLiteral("asistente"), 24);
    const auto antes = estadoEscuela(muestra_);
    const QStringList restosAntes = restosDeEnsayos();
    sesion_ = std::make_unique<SesionAbierta>(muestra_);
    pasarComprobaciones();
    guion_.responderA(2191, Respuesta::Si).responderA(2180, Respuesta::Si).responderA(2184, Respuesta::No);
    // The rehearsal's report is offered; a test opens no viewer.
    guion_.responderA(16002, Respuesta::No);
    guion_.alInesperada([](const QString& t) { ADD_FAILURE() << "pregunta inesperada: " << t.toStdString(); });

    QString deAlumnos, deActividades, informe;
    int alumnosAntes = -1, alumnosDespues = -2;
    bool ensayarComoFinalizar = false;
    Conductor c;
    nombrar(c).en(QStringLiteral("frmCierreAlumnos"),
            [&](QWidget* w) {
                auto* ensayar = w->findChild<QPushButton*>(QStringLiteral("cmdEnsayar"));
                auto* finalizar = w->findChild<QPushButton*>(QStringLiteral("cmdCierreAlumnos_4"));
                ASSERT_NE(ensayar, nullptr);
                EXPECT_EQ(ensayar->text(), QStringLiteral("&Ensayar cierre"));
                confirmarSecciones(w, 1);
                // Usable exactly when "Finalizar" is: not while a section is open.
                Conductor::pulsar(w, QStringLiteral("cmdPromocionar_0"));
                ensayarComoFinalizar = !finalizar->isEnabled() && !ensayar->isEnabled();
                Conductor::pulsar(w, QStringLiteral("cmdPromocionar_0"));
                ensayarComoFinalizar = ensayarComoFinalizar && finalizar->isEnabled() && ensayar->isEnabled();
                alumnosAntes = alumnosEnSecciones();
                guion_.olvidarMostrados();
                Conductor::pulsar(w, QStringLiteral("cmdEnsayar"));
                ASSERT_EQ(guion_.mostrados().size(), 2) << guion_.textos().join(QLatin1Char('\n')).toStdString();
                deAlumnos = guion_.mostrados().first().mensaje.texto;
                EXPECT_EQ(guion_.mostrados().first().mensaje.icono, Icono::Informacion);
                informe = guion_.ultimo().mensaje.texto;
                alumnosDespues = alumnosEnSecciones();
                EXPECT_TRUE(w->isEnabled());
                Conductor::pulsar(w, QStringLiteral("cmdCierreAlumnos_3"));
            })
        .en(QStringLiteral("frmCierreActividades"), [&](QWidget* w) {
            guion_.olvidarMostrados();
            Conductor::pulsar(w, QStringLiteral("cmdEnsayar"));
            deActividades = guion_.mostrados().isEmpty() ? QString() : guion_.mostrados().first().mensaje.texto;
            Conductor::pulsar(w, QStringLiteral("cmdCierreActividades_1"));
        });
    sesion_->entrada->ActivarFormulario(1);
    EXPECT_TRUE(c.terminado()) << c.pendientes().join(QLatin1Char(',')).toStdString();
    EXPECT_EQ(enFila({ensayarComoFinalizar, deAlumnos.startsWith(Texto(15030))}),
              "true|true") << deAlumnos.toStdString();
    // Those who leave by their decisions apart from those archived with the
    // section left unpromoted.
    const auto cifra = [&deAlumnos](const char* linea) {
        const QString t = deAlumnos.section(QString::fromUtf8(linea) + QStringLiteral(": "), 1).section(QLatin1Char('\n'), 0, 0);
        return t.isEmpty() ? -1 : t.toInt();
    };
    EXPECT_EQ(cifra("Alumnos que causan baja"), alumnosAntes);
    EXPECT_GT(cifra("Alumnos de secciones no promocionadas"), 0);
    // (Among the archived, too, those who had left before.)
    EXPECT_LE(alumnosAntes + cifra("Alumnos de secciones no promocionadas"), cifra("Alumnos archivados en el curso cerrado"));
    EXPECT_TRUE(deActividades.startsWith(Texto(15030))) << deActividades.toStdString();
    // Then the rehearsal's report, beside the school's databases (the
    // server's in the documents folder), offered to open.
    EXPECT_TRUE(informe.contains(Texto(16002))) << informe.toStdString();
    const QString ruta = informe.section(QLatin1Char('\n'), 1, 1);
    EXPECT_TRUE(ruta.endsWith(QStringLiteral("Ensayo cierre 2025-2026.pdf")) && QFileInfo(ruta).size() > 1000)
        << ruta.toStdString();
    if (!muestra_.esServidor()) {
        EXPECT_EQ(QFileInfo(ruta).absolutePath(), QFileInfo(muestra_.carpeta).absoluteFilePath());
    }
    // Nothing closed: the host is not told of a new year.
    EXPECT_EQ(enFila({alumnosAntes > 0, alumnosDespues, sesion_->sesion->lngRowData() != -100}),
              enFila({true, alumnosAntes, true}));
    sesion_.reset();
    EXPECT_EQ(estadoEscuela(muestra_), antes);
    EXPECT_EQ(restosDeEnsayos(), restosAntes);
}

TEST_P(EnsayoAsistente, SinEnsayoDelAnfitrionLoDice) {
    if (GetParam() == Proveedor::PostgreSQL) GTEST_SKIP() << "no depende de la base de datos";
    EnsayoDelAnfitrion() = nullptr;
    abrirMuestra(QStringLiteral("sin"), 20);
    pasarComprobaciones();
    guion_.responderA(2180, Respuesta::Si);
    QStringList vistos;
    Conductor c;
    nombrar(c).en(QStringLiteral("frmCierreAlumnos"), [&](QWidget* w) {
            Conductor::pulsar(w, QStringLiteral("cmdEnsayar"));
            vistos = guion_.textos();
            Conductor::pulsar(w, QStringLiteral("cmdCierreAlumnos_1"));
        });
    sesion_->entrada->ActivarFormulario(1);
    EXPECT_TRUE(c.terminado());
    EXPECT_TRUE(vistos.contains(Texto(15037))) << unir(vistos).toStdString();
}

NCC_AMBOS_FONDOS(EnsayoAsistente);

}  // namespace ncc::pruebas
