// ncc: the host program of the closing module and its command line.
#include "app/Comandos.h"
#include "host/Sesion.h"
#include <QApplication>
#include <QGuiApplication>
#include <algorithm>
#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <unistd.h>

namespace ncc::app {

static QList<Comando>& lista() {
    static QList<Comando> l;
    return l;
}
void registrar(const Comando& c) { lista().append(c); }
const QList<Comando>& comandos() { return lista(); }

std::optional<QString> tomarOpcion(QStringList& args, qsizetype i, const QString& nombre) {
    const QString a = args.at(i);
    if (a.startsWith(nombre + QLatin1Char('='))) {
        args.removeAt(i);
        return a.mid(nombre.size() + 1);
    }
    if (a != nombre) return std::nullopt;
    args.removeAt(i);
    if (i >= args.size()) throw host::ErrorOpciones(QStringLiteral("Falta el valor de %1").arg(nombre));
    return args.takeAt(i);
}

static void escribirAyuda(QTextStream& out) {
    out << "Uso: ncc <orden> [opciones]\n     ncc <orden> --help   (uso de una orden)\n\nÓrdenes:\n";
    // The summaries line up after the longest command name.
    qsizetype ancho = 0;
    for (const auto& c : comandos()) ancho = std::max(ancho, QString::fromUtf8(c.nombre).size());
    for (const auto& c : comandos())
        out << "  " << QString::fromUtf8(c.nombre).leftJustified(ancho + 2) << QString::fromUtf8(c.resumen) << "\n";
}

static int ayuda() {
    QTextStream out(stdout);
    escribirAyuda(out);
    return SalidaExito;
}

QString textoUso(const Comando& c) {
    if (c.uso) return c.uso();
    return QStringLiteral("Uso: ncc %1 [opciones]\n  %2\n").arg(QString::fromUtf8(c.nombre), QString::fromUtf8(c.resumen));
}

static int usoDe(const Comando& c) {
    QTextStream(stdout) << textoUso(c);
    return SalidaExito;
}

static const Comando* buscar(const QString& nombre) {
    for (const auto& c : comandos())
        if (nombre == QString::fromUtf8(c.nombre)) return &c;
    return nullptr;
}

static bool pideAyuda(const QStringList& args) {
    return args.contains(QLatin1String("-h")) || args.contains(QLatin1String("--help"));
}

// Memory that runs out inside a part of Qt that cannot pass the exception
// on (its PDF engine) ends the process at once: with a sentence and the
// failure status, not with an abort. A closing cut short so is settled by
// the next start from its journal.
[[noreturn]] static void terminarSinMemoria() {
    if (const std::exception_ptr e = std::current_exception()) {
        try {
            std::rethrow_exception(e);
        } catch (const std::bad_alloc&) {
            static const char texto[] = "ncc: memoria insuficiente\n";
            [[maybe_unused]] const auto n = ::write(2, texto, sizeof texto - 1);
            ::_exit(SalidaFallo);
        } catch (...) {
        }
    }
    std::abort();
}

}  // namespace ncc::app

// Qt ends the program when it finds no display for its windows: the
// desktop host asks first, so that it can say so (and its --help needs none).
static bool hayPantalla() {
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

static bool pideAyuda(int argc, char** argv) {
    for (int i = 2; i < argc; ++i)
        if (std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--help") == 0) return true;
    return false;
}

// Memory that runs out anywhere outside a closing's run (which restores the
// databases itself) ends the command with a sentence, not with an abort.
int main(int argc, char** argv) try {
    using namespace ncc::app;
    std::set_terminate(terminarSinMemoria);
    // The wizard and the historic editor need widgets; everything else runs
    // headless, so a terminal without a display is enough.
    const bool escritorio = argc > 1 && std::strcmp(argv[1], "escritorio") == 0;
    const bool conVentanas = (escritorio && hayPantalla() && !pideAyuda(argc, argv)) ||
                             (argc > 1 && (std::strcmp(argv[1], "capturas") == 0 ||
                                           std::strcmp(argv[1], "bench-paginas") == 0));
    // A report is drawn with Qt's text engine, which needs fonts but no
    // window: a closing's by `ncc informe`, a rehearsal's by the rehearsal,
    // and the closing's benchmark times it.
    const bool conFuentes = argc > 1 && (std::strcmp(argv[1], "informe") == 0 || std::strcmp(argv[1], "bench") == 0 ||
                                         (std::strcmp(argv[1], "cerrar") == 0 &&
                                          std::any_of(argv + 2, argv + argc, [](const char* a) { return std::strcmp(a, "--ensayo") == 0; })));
    // The page benchmark, the pictures and the closing need no screen: they
    // draw off screen, so the pictures come out the same with or without a
    // display.
    const bool sinPantalla = argc > 1 && (std::strcmp(argv[1], "bench-paginas") == 0 ||
                                          std::strcmp(argv[1], "capturas") == 0 || conFuentes);
    if (sinPantalla && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> app;
    if (conVentanas) app = std::make_unique<QApplication>(argc, argv);
    else if (conFuentes) app = std::make_unique<QGuiApplication>(argc, argv);
    else app = std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Norva"));
    QCoreApplication::setApplicationName(QStringLiteral("ncc"));

    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    if (args.isEmpty()) {
        QTextStream err(stderr);
        err << "ncc: falta la orden.\n";
        escribirAyuda(err);
        return SalidaUso;
    }
    if (args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h")) return ayuda();
    if (args.first() == QLatin1String("ayuda")) {
        if (args.size() > 1)
            if (const Comando* c = buscar(args.at(1))) return usoDe(*c);
        return ayuda();
    }
    const QString orden = args.takeFirst();
    if (const Comando* c = buscar(orden)) return pideAyuda(args) ? usoDe(*c) : c->ejecutar(args);
    QTextStream err(stderr);
    err << "ncc: orden desconocida: " << orden << "\n";
    escribirAyuda(err);
    return SalidaUso;
} catch (const std::bad_alloc&) {
    std::fputs("ncc: memoria insuficiente\n", stderr);
    return ncc::app::SalidaFallo;
}
