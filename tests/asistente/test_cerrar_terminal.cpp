// `ncc cerrar` typed on a terminal without --si asks the wizard's start
// questions before it copies anything: answering No to the first one leaves
// the school's files exactly as they were.
#include "EscuelaCarpeta.h"
#include "Lectura.h"
#include "platform/Textos.h"
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace ncc::pruebas {

namespace {

// Runs `ncc args` on a pseudo-terminal (script(1)) typing `entrada`;
// answers what the terminal showed.
QString enTerminal(const QStringList& args, const QByteArray& entrada, int* salida) {
    QStringList partes{QStringLiteral("'") + qEnvironmentVariable("NCC_BIN") + QStringLiteral("'")};
    for (const QString& a : args) partes << QStringLiteral("'") + a + QStringLiteral("'");
    QProcess p;
    p.start(QStringLiteral("script"), {QStringLiteral("-qefc"), partes.join(QLatin1Char(' ')), QStringLiteral("/dev/null")});
    EXPECT_TRUE(p.waitForStarted());
    p.write(entrada);
    p.waitForBytesWritten();
    EXPECT_TRUE(p.waitForFinished(120000));
    *salida = p.exitCode();
    return QString::fromUtf8(p.readAllStandardOutput());
}

}  // namespace

TEST(CerrarEnTerminal, PreguntaPrimeroPorLaOperacionIrreversibleYUnNoNoTocaNada) {
    if (QStandardPaths::findExecutable(QStringLiteral("script")).isEmpty()) GTEST_SKIP() << "sin script(1)";
    auto escuela = escuelaCarpeta(20);
    const QString antes = huellaCarpeta(escuela->path());
    int salida = -1;
    const QString visto = enTerminal({QStringLiteral("cerrar"), QStringLiteral("--datos"), escuela->path()}, "n\n", &salida);
    EXPECT_EQ(salida, 2) << visto.toStdString();
    // The first question is the warning; nothing else was asked after No.
    const QString aviso = Texto(1183).section(QLatin1Char('.'), 0, 0);
    EXPECT_EQ(enFila({visto.contains(aviso), visto.contains(Texto(1185)), visto.contains(Texto(1180)),
                      visto.contains(Texto(1184))}),
              "true|false|false|true") << visto.toStdString();
    EXPECT_EQ(huellaCarpeta(escuela->path()).toStdString(), antes.toStdString());
}

// Without a terminal the progress goes to the log one line at a time: each
// inner loop starts at 1 of its units and reaches all of them.
TEST(CerrarEnTerminal, ElRegistroDelProgresoInternoEmpiezaEnUnoYLlegaAlFinal) {
    auto escuela = escuelaCarpeta(20);
    const SalidaNcc r = ejecutarNcc({QStringLiteral("cerrar"), QStringLiteral("--datos"), escuela->path(), QStringLiteral("--si")});
    ASSERT_EQ(r.salida, 0) << r.error.toStdString();
    // The closing's report, beside the application entry, named on stdout.
    const QString informe = QDir(escuela->path()).filePath(QStringLiteral("Cierre 2025-2026.pdf"));
    EXPECT_TRUE(r.texto.contains(QStringLiteral("Informe del cierre: ") + informe + QLatin1Char('\n'))) << r.texto.toStdString();
    EXPECT_GT(QFileInfo(informe).size(), 0);
    const QString texto = QStringLiteral("Proceso de Paso de Materias de los Alumnos: ");
    QStringList valores;
    for (const QString& l : r.error.split(QLatin1Char('\n')))
        if (const qsizetype i = l.indexOf(texto); i >= 0) valores << l.mid(i + texto.size()).trimmed();
    ASSERT_FALSE(valores.isEmpty()) << r.error.toStdString();
    const QString total = valores.first().section(QLatin1Char('/'), 1);
    EXPECT_EQ(enFila({valores.first(), valores.last()}), enFila({QStringLiteral("1/") + total, total + '/' + total}));
}

}  // namespace ncc::pruebas
