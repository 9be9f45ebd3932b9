#include "platform/Sentencias.h"
#include "platform/Error.h"
#include <QString>
#include <atomic>
#include <new>
#include <thread>

namespace ncc {

namespace {
// Copies and drops of whole databases may run side by side on threads of
// their own: each statement still gets a number of its own.
std::atomic<long> cuenta = 0;
std::atomic<long> fallo = 0;
std::atomic<bool> sinMemoria = false;
std::atomic<long> falloAparte = 0;
std::atomic<std::thread::id> quienPide{};
thread_local long cuentaHilo = 0;

[[noreturn]] void fallar(long numero) {
    throw Error(errores::FalloInyectado, QStringLiteral("Fallo provocado en la sentencia %1").arg(numero));
}
}  // namespace

long Sentencias::contadas() { return cuenta; }
void Sentencias::reiniciar() { cuenta = 0; }
void Sentencias::fallarEn(long k) {
    fallo = k;
    sinMemoria = false;
    falloAparte = 0;
}

void Sentencias::fallarAparteEn(long k) {
    fallo = 0;
    sinMemoria = false;
    quienPide = std::this_thread::get_id();
    falloAparte = k;
}

void Sentencias::agotarMemoriaEn(long k) {
    fallo = k;
    sinMemoria = k > 0;
}

void Sentencias::contar() {
    const long numero = ++cuenta;
    if (fallo > 0 && numero == fallo) {
        if (sinMemoria) throw std::bad_alloc();
        fallar(numero);
    }
    if (falloAparte > 0 && std::this_thread::get_id() != quienPide.load() && ++cuentaHilo == falloAparte) fallar(numero);
}

}  // namespace ncc
