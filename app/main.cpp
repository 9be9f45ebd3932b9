// ncc: the host program of the closing module and its command line.
#include "app/Comandos.h"
#include <QApplication>
#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>
#include <cstring>
#include <memory>

namespace ncc::app {

static QList<Comando>& lista() {
    static QList<Comando> l;
    return l;
}
void registrar(const Comando& c) { lista().append(c); }
const QList<Comando>& comandos() { return lista(); }

static int ayuda() {
    QTextStream out(stdout);
    out << "Uso: ncc <orden> [opciones]\n\nÓrdenes:\n";
    for (const auto& c : comandos())
        out << "  " << QString::fromUtf8(c.nombre).leftJustified(12) << QString::fromUtf8(c.resumen) << "\n";
    return SalidaExito;
}

}  // namespace ncc::app

int main(int argc, char** argv) {
    using namespace ncc::app;
    // The wizard and the historic editor need widgets; everything else runs
    // headless, so a terminal without a display is enough.
    const bool conVentanas = argc > 1 && (std::strcmp(argv[1], "escritorio") == 0 ||
                                          std::strcmp(argv[1], "capturas") == 0 ||
                                          std::strcmp(argv[1], "bench-paginas") == 0);
    // The page benchmark needs no screen.
    if (argc > 1 && std::strcmp(argv[1], "bench-paginas") == 0 && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> app;
    if (conVentanas) app = std::make_unique<QApplication>(argc, argv);
    else app = std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Norva"));
    QCoreApplication::setApplicationName(QStringLiteral("ncc"));

    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    if (args.isEmpty() || args.first() == QLatin1String("ayuda") || args.first() == QLatin1String("--help"))
        return ayuda();
    const QString orden = args.takeFirst();
    for (const auto& c : comandos())
        if (orden == QString::fromUtf8(c.nombre)) return c.ejecutar(args);
    QTextStream(stderr) << "ncc: orden desconocida: " << orden << "\n";
    ayuda();
    return SalidaUso;
}
