#pragma once
// The subcommands of `ncc`. Each lives in a file of its own and registers
// itself here, so the dispatcher needs no list of them.
#include <QStringList>
#include <functional>
#include <optional>

namespace ncc::app {

// Exit statuses of the command line.
constexpr int SalidaExito = 0;
constexpr int SalidaFallo = 1;      // failed (and rolled back)
constexpr int SalidaRechazo = 2;    // cancelled or refused
constexpr int SalidaUso = 64;       // bad usage

struct Comando {
    const char* nombre;
    const char* resumen;  // one line for `ncc ayuda`
    std::function<int(const QStringList& argumentos)> ejecutar;
    // The usage text that -h and --help print; none: the summary line.
    std::function<QString()> uso = {};
};

void registrar(const Comando& c);
const QList<Comando>& comandos();
// What `ncc ORDEN --help` prints; the manual page and the shell's completion
// are made from the same texts.
QString textoUso(const Comando& c);

struct Registro {
    explicit Registro(const Comando& c) { registrar(c); }
};

// The value of option `nombre` when args[i] is it, written "--opcion valor"
// or "--opcion=valor", taken out of `args`; nothing when args[i] is another
// argument. An empty value comes back as such (each command says what it
// means); "--opcion" with nothing after it is taken out and throws
// host::ErrorOpciones ("Falta el valor de --opcion").
std::optional<QString> tomarOpcion(QStringList& args, qsizetype i, const QString& nombre);

// The school year after `actual`: "2025/2026" -> "2026/2027"; any other
// name gives nothing.
QString cursoSiguiente(const QString& actual);

}  // namespace ncc::app
