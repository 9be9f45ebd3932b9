#include "platform/Sentencias.h"
#include "platform/Error.h"
#include <QString>

namespace ncc {

namespace {
long cuenta = 0;
long fallo = 0;
}  // namespace

long Sentencias::contadas() { return cuenta; }
void Sentencias::reiniciar() { cuenta = 0; }
void Sentencias::fallarEn(long k) { fallo = k; }

void Sentencias::contar() {
    ++cuenta;
    if (fallo > 0 && cuenta == fallo)
        throw Error(errores::FalloInyectado,
                    QStringLiteral("Fallo provocado en la sentencia %1").arg(cuenta));
}

}  // namespace ncc
