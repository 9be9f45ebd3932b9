// Test entry: a QApplication on the offscreen platform, so that widget tests
// and the message loop work without a display.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                    : qgetenv("QT_QPA_PLATFORM"));
    // The command-line tests run the `ncc` of this build unless told another.
    if (qgetenv("NCC_BIN").isEmpty()) qputenv("NCC_BIN", QByteArray(NCC_BIN_CONSTRUIDO));
    // A closing test runs on the server ctest gave it (tests/CMakeLists.txt):
    // server N's variables are NCC_PG_*_N, the first's NCC_PG_* themselves.
    const QByteArray servidor = qgetenv("CTEST_RESOURCE_GROUP_0_SERVIDORES").split(',').value(0).mid(3);
    if (!servidor.isEmpty() && servidor != "1")
        for (const char* v : {"NCC_PG_HOST", "NCC_PG_PORT", "NCC_PG_USER", "NCC_PG_PASSWORD"})
            qputenv(v, qgetenv(QByteArray(v) + '_' + servidor));
    // Each test program has a temporary folder of its own, which the `ncc`
    // processes it starts inherit: tests that watch the temporary folder
    // (a rehearsal leaves nothing behind) must not see another program's
    // files, not even another run of `ncc` on the same machine.
    QTemporaryDir propio(QDir::tempPath() + QStringLiteral("/ncc-pruebas-XXXXXX"));
    QDir(propio.path()).mkpath(QStringLiteral("tmp"));
    qputenv("TMPDIR", QDir(propio.path()).filePath(QStringLiteral("tmp")).toLocal8Bit());
    // The tests and the programs they start write the user's data, settings
    // and caches into a folder of their own, removed at the end, never into
    // the home folder of whoever runs them.
    QTemporaryDir usuario(QDir(propio.path()).filePath(QStringLiteral("ncc-pruebas-usuario-XXXXXX")));
    for (const char* v : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"})
        qputenv(v, QDir(usuario.path()).filePath(QString::fromLatin1(v).section(QLatin1Char('_'), 1, 1).toLower()).toLocal8Bit());
    // The runtime folder too: Qt's text engine (the closing report) would
    // otherwise make one in the temporary folder, which some tests watch.
    const QString runtime = QDir(usuario.path()).filePath(QStringLiteral("runtime"));
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
    // The documents folder too, where a server's closing leaves its report.
    QDir(usuario.path()).mkpath(QStringLiteral("config"));
    QFile carpetas(QDir(usuario.path()).filePath(QStringLiteral("config/user-dirs.dirs")));
    if (carpetas.open(QIODevice::WriteOnly))
        carpetas.write("XDG_DOCUMENTS_DIR=\"" + QDir(usuario.path()).filePath(QStringLiteral("documentos")).toUtf8() + "\"\n");
    carpetas.close();
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("NorvaPruebas"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
