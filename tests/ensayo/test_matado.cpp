// `ncc cerrar --ensayo` as a secretary runs it, on the sample school's
// folder: it prints what the closing would do and changes nothing; it fails
// with the step and the closing's message; and when the process is killed
// halfway, the next start of the host (`ncc recuperar`) removes what it
// left, the school is byte for byte as it was and closes normally.
#include "EscuelaCarpeta.h"
#include "Ensayo.h"
#include "platform/Textos.h"
#include <QFileInfo>
#include <QTemporaryDir>

namespace ncc::pruebas {

class EnsayoNcc : public testing::Test {
protected:
    void SetUp() override {
        escuela_ = escuelaCarpeta(600);
        muestra_.carpeta = escuela_->path();
    }

    // The temporary folder and the user's data of the runs are the test's
    // own, so that what they leave can be seen.
    QProcessEnvironment entorno() const {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert(QStringLiteral("TMPDIR"), temporal_.path());
        e.insert(QStringLiteral("XDG_DATA_HOME"), datos_.path());
        return e;
    }

    SalidaNcc ncc(const QStringList& args) const { return ejecutarNcc(args, 180000, entorno()); }

    // A rehearsal killed at its `n`-th line of progress; false when it ended
    // by itself first.
    bool ensayarYMatarTrasLinea(int n) {
        return matarNccTrasLinea({QStringLiteral("cerrar"), QStringLiteral("--ensayo"), QStringLiteral("--datos"), escuela_->path()},
                                 n, entorno());
    }

    QStringList restos() const {
        QStringList r = QDir(temporal_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        for (const QString& f :
             QDir(QDir(datos_.path()).filePath(QStringLiteral("ncc/ensayos"))).entryList(QDir::Files | QDir::Hidden))
            r << QStringLiteral("ncc/ensayos/") + f;
        return r;
    }

    std::unique_ptr<QTemporaryDir> escuela_;
    QTemporaryDir temporal_, datos_;
    Muestra muestra_;
};

TEST_F(EnsayoNcc, ImprimeLoQueHariaElCierreSinPreguntarNiCambiarNadaYSiFallaDiceElPaso) {
    const auto antes = estadoEscuela(muestra_);
    // No --si and no terminal: a question would end the command with 2.
    const SalidaNcc c = ncc({QStringLiteral("cerrar"), QStringLiteral("--ensayo"), QStringLiteral("--datos"), escuela_->path()});
    ASSERT_EQ(c.salida, 0) << c.error.toStdString();
    // The new databases are named where the closing will make them.
    EXPECT_EQ(enFila({c.texto.contains(Texto(15030)), c.texto.contains(QStringLiteral("Alumnos que promocionan:")),
                      c.texto.contains(QDir(escuela_->path()).filePath(QStringLiteral("A1C4.db")))}),
              "true|true|true")
        << c.texto.toStdString();
    EXPECT_TRUE(c.error.contains(QStringLiteral("Cierre 100%"))) << c.error.toStdString();
    // Its report, beside the school's databases and named as a rehearsal's.
    const QString informe = QDir(escuela_->path()).filePath(QStringLiteral("Ensayo cierre 2025-2026.pdf"));
    EXPECT_TRUE(c.texto.contains(QStringLiteral("Informe del ensayo: ") + informe)) << c.texto.toStdString();
    EXPECT_GT(QFileInfo(informe).size(), 1000);
    EXPECT_EQ(estadoEscuela(muestra_), antes);
    EXPECT_TRUE(restos().isEmpty()) << unir(restos()).toStdString();

    // One that fails ends with an error that says the step, and leaves
    // nothing either.
    romperHistorico(QStringLiteral("Provider=SQLite;Data Source=") + escuela_->filePath(QStringLiteral("A1C3.db")));
    const auto roto = estadoEscuela(muestra_);
    const SalidaNcc f =
        esperarSalida(ncc({QStringLiteral("cerrar"), QStringLiteral("--ensayo"), QStringLiteral("--datos"), escuela_->path()}), 1, Texto(15031));
    EXPECT_EQ(enFila({f.error.contains(Texto(15032)), f.texto.isEmpty()}), "true|true");
    EXPECT_EQ(estadoEscuela(muestra_), roto);
    EXPECT_TRUE(restos().isEmpty()) << unir(restos()).toStdString();
}

TEST_F(EnsayoNcc, UnEnsayoMatadoNoDejaNadaTrasLaSiguienteApertura) {
    const auto antes = estadoEscuela(muestra_);
    for (int linea : {1, 6}) {
        ASSERT_TRUE(ensayarYMatarTrasLinea(linea)) << "el ensayo terminó antes de la línea " << linea;
        // Killed halfway: its copies are still there.
        EXPECT_FALSE(restos().isEmpty());
        const SalidaNcc r = ncc({QStringLiteral("recuperar"), QStringLiteral("--datos"), escuela_->path()});
        ASSERT_EQ(r.salida, 0) << r.error.toStdString();
        EXPECT_TRUE(restos().isEmpty()) << linea << ": " << unir(restos()).toStdString();
        EXPECT_EQ(estadoEscuela(muestra_), antes) << linea;
    }
    // And the real closing runs straight after.
    esperarSalida(ncc({QStringLiteral("cerrar"), QStringLiteral("--datos"), escuela_->path(), QStringLiteral("--si")}), 0);
    EXPECT_TRUE(QFileInfo::exists(QDir(escuela_->path()).filePath(QStringLiteral("A1C4.db"))));
}

}  // namespace ncc::pruebas
