#include "platform/Sentencias.h"
#include "platform/Error.h"
#include <QString>
#include <atomic>
#include <new>

namespace ncc {

namespace {
// Copies and drops of whole databases may run side by side on threads of
// their own: each statement still gets a number of its own.
std::atomic<long> cuenta = 0;
std::atomic<long> fallo = 0;
std::atomic<bool> sinMemoria = false;
}  // namespace

long Sentencias::contadas() { return cuenta; }
void Sentencias::reiniciar() { cuenta = 0; }
void Sentencias::fallarEn(long k) {
    fallo = k;
    sinMemoria = false;
}

void Sentencias::agotarMemoriaEn(long k) {
    fallo = k;
    sinMemoria = k > 0;
}

void Sentencias::contar() {
    const long numero = ++cuenta;
    if (fallo > 0 && numero == fallo) {
        if (sinMemoria) throw std::bad_alloc();
        throw Error(errores::FalloInyectado,
                    QStringLiteral("Fallo provocado en la sentencia %1").arg(numero));
    }
}

}  // namespace ncc
