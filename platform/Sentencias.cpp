#include "platform/Sentencias.h"
#include "platform/Error.h"
#include <QString>
#include <new>

namespace ncc {

namespace {
long cuenta = 0;
long fallo = 0;
bool sinMemoria = false;
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
    ++cuenta;
    if (fallo > 0 && cuenta == fallo) {
        if (sinMemoria) throw std::bad_alloc();
        throw Error(errores::FalloInyectado,
                    QStringLiteral("Fallo provocado en la sentencia %1").arg(cuenta));
    }
}

}  // namespace ncc
