#include "EscuelaCarpeta.h"
#include "platform/Conexion.h"
#include "suite/Demo.h"
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>
#include <map>

namespace ncc::pruebas {

void crearEscuelaCarpeta(const QString& carpeta, int alumnos) {
    suite::OpcionesDemo o;
    o.alumnos = alumnos;
    const suite::ResumenDemo r = suite::crearDemoSQLite(carpeta, o);
    Conexion app(r.appEntrada);
    app.Open();
    app.Execute(QStringLiteral("UPDATE CursoEscolar SET BD=?, BDBorrado=? WHERE IDCursoEscolar=%1").arg(r.idCursoEscolar),
                {QStringLiteral("Provider=SQLite;Data Source=A1C%1.db").arg(r.idCursoEscolar),
                 QStringLiteral("Provider=SQLite;Data Source=B1C%1.db").arg(r.idCursoEscolar)});
    app.Close();
}

QString modeloCarpeta(int alumnos) {
    static std::map<int, std::unique_ptr<QTemporaryDir>> modelos;
    auto& m = modelos[alumnos];
    if (!m) {
        m = std::make_unique<QTemporaryDir>();
        crearEscuelaCarpeta(m->path(), alumnos);
    }
    return m->path();
}

std::unique_ptr<QTemporaryDir> copiarEscuelaCarpeta(const QString& modelo) {
    auto d = std::make_unique<QTemporaryDir>();
    for (const QString& f : QDir(modelo).entryList(QDir::Files))
        EXPECT_TRUE(QFile::copy(QDir(modelo).filePath(f), d->filePath(f))) << f.toStdString();
    return d;
}

SalidaNcc ejecutarNcc(const QStringList& argumentos, int milisegundos, const QProcessEnvironment& entorno,
                      const QString& carpetaDeTrabajo) {
    QProcess p;
    p.setProcessEnvironment(entorno);
    p.setWorkingDirectory(carpetaDeTrabajo);
    p.start(qEnvironmentVariable("NCC_BIN"), argumentos);
    SalidaNcc r;
    if (!p.waitForFinished(milisegundos)) {
        p.kill();
        p.waitForFinished();
        r.error = QStringLiteral("<no terminó a tiempo>");
        return r;
    }
    r.error = QString::fromUtf8(p.readAllStandardError());
    r.texto = QString::fromUtf8(p.readAllStandardOutput());
    if (p.exitStatus() == QProcess::NormalExit) r.salida = p.exitCode();
    return r;
}

SalidaNcc esperarSalida(SalidaNcc r, int salida, const QString& frase, std::source_location donde) {
    const testing::ScopedTrace traza(donde.file_name(), int(donde.line()), "");
    EXPECT_EQ(r.salida, salida) << r.error.toStdString();
    if (!frase.isEmpty()) {
        EXPECT_TRUE(r.error.contains(frase)) << "se esperaba «" << frase.toStdString() << "» en:\n" << r.error.toStdString();
    }
    return r;
}

bool escribirFichero(const QString& ruta, const QByteArray& contenido) {
    QFile f(ruta);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(contenido) == contenido.size();
}

QString huellaCarpeta(const QString& carpeta) {
    QStringList r;
    for (const QFileInfo& fi : QDir(carpeta).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                                           QDir::Name)) {
        QFile f(fi.filePath());
        QCryptographicHash h(QCryptographicHash::Sha256);
        if (!fi.isDir() && f.open(QIODevice::ReadOnly)) h.addData(&f);
        r << fi.fileName() +
                 (fi.isDir() ? QStringLiteral("/") : QLatin1Char('=') + QString::fromLatin1(h.result().toHex()));
    }
    return r.join(QLatin1Char('\n'));
}

bool enLineaDeNcc(const QStringList& argumentos, int n, const std::function<void(QProcess&)>& alLlegar,
                  const QProcessEnvironment& entorno) {
    QProcess p;
    p.setProcessEnvironment(entorno);
    p.start(qEnvironmentVariable("NCC_BIN"), argumentos);
    EXPECT_TRUE(p.waitForStarted());
    p.setReadChannel(QProcess::StandardError);
    int lineas = 0;
    while (p.state() != QProcess::NotRunning) {
        p.waitForReadyRead(50);
        while (p.canReadLine()) {
            const QByteArray linea = p.readLine();
            if (!linea.startsWith("Cierre ") || !linea.contains('%') || ++lineas < n) continue;
            alLlegar(p);
            p.waitForFinished(120000);
            return true;
        }
    }
    return false;
}

bool matarNccTrasLinea(const QStringList& argumentos, int n, const QProcessEnvironment& entorno) {
    return enLineaDeNcc(argumentos, n, [](QProcess& p) { p.kill(); }, entorno);
}

}  // namespace ncc::pruebas
