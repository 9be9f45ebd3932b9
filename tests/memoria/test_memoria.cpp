// A closing under little memory (ulimit -v), from far too little to enough,
// at even steps: every run ends by itself with a sentence (never a signal),
// a closing that fails leaves the school as it was, one that stands says so
// and gets its report, at once or at the next start. Long: labelled
// "largo" in ctest (ctest -LE largo leaves it out).
#include "EscuelaCarpeta.h"
#include "platform/Textos.h"
#include <QDir>
#include <QProcess>
#include <gtest/gtest.h>

using namespace ncc;

namespace {

struct Corrida {
    bool senal = false;
    int salida = -1;
    QString texto, error;
};

Corrida conMemoria(int megas, const QStringList& argumentos) {
    QProcess p;
    p.start(QStringLiteral("/bin/sh"),
            QStringList{QStringLiteral("-c"), QStringLiteral("ulimit -v %1 && exec \"$0\" \"$@\"").arg(megas * 1024),
                        qEnvironmentVariable("NCC_BIN")} +
                argumentos);
    Corrida c;
    if (!p.waitForFinished(300000)) {
        p.kill();
        p.waitForFinished();
    }
    c.senal = p.exitStatus() != QProcess::NormalExit;
    c.salida = p.exitCode();
    c.texto = QString::fromUtf8(p.readAllStandardOutput());
    c.error = QString::fromUtf8(p.readAllStandardError());
    return c;
}

TEST(Memoria, ConPocaMemoriaElCierreTerminaConUnaFraseYElCentroQuedaEnteroConSuInforme) {
    const QString modelo = pruebas::modeloCarpeta(300);
    // Below some size the program's libraries cannot even be mapped (the
    // loader says so): the sweep starts where it runs.
    int suelo = 30;
    while (suelo < 400 && conMemoria(suelo, {QStringLiteral("ayuda")}).salida != 0) suelo += 5;
    int cerrados = 0, fallidos = 0;
    for (int megas = suelo; megas <= suelo + 150; megas += 6) {
        const auto escuela = pruebas::copiarEscuelaCarpeta(modelo);
        const QDir d(escuela->path());
        const Corrida c = conMemoria(megas, {QStringLiteral("cerrar"), QStringLiteral("--datos"), d.path(), QStringLiteral("--si")});
        const std::string donde = std::to_string(megas) + " MB:\n" + c.texto.toStdString() + c.error.toStdString();
        EXPECT_TRUE(!c.senal && (c.salida == 0 || c.salida == 1)) << donde;
        EXPECT_FALSE(c.error.contains(Texto(1184))) << donde;
        for (const QString& linea : c.texto.split(QLatin1Char('\n')))
            if (linea.startsWith(QStringLiteral("Informe del cierre:"))) {
                EXPECT_TRUE(QFileInfo(linea.mid(20)).isFile()) << donde;
            }
        // The next start with memory enough settles whatever was left.
        const pruebas::SalidaNcc r = pruebas::ejecutarNcc({QStringLiteral("recuperar"), QStringLiteral("--datos"), d.path()});
        EXPECT_EQ(r.salida, 0) << donde << r.error.toStdString();
        const bool cerrado = QFileInfo::exists(d.filePath(QStringLiteral("A1C4.db")));
        EXPECT_EQ(cerrado, c.salida == 0) << donde;
        if (cerrado) {
            ++cerrados;
            EXPECT_TRUE(QFileInfo::exists(d.filePath(QStringLiteral("Cierre 2025-2026.pdf")))) << donde << r.error.toStdString();
        } else {
            ++fallidos;
        }
    }
    // The sweep went from too little to enough.
    EXPECT_TRUE(cerrados > 0 && fallidos > 0) << cerrados << " " << fallidos;
}

}  // namespace
