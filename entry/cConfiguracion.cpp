#include "entry/cConfiguracion.h"
#include "platform/Conexion.h"
#include <algorithm>

namespace ncc {

static std::unique_ptr<cConfiguracion>& actual() {
    static std::unique_ptr<cConfiguracion> c;
    return c;
}

cConfiguracion* ConfiguracionActual() { return actual().get(); }

QString NombreCentroActual() {
    const cConfiguracion* c = ConfiguracionActual();
    return c ? c->NombreCentro() : QString();
}

void fijarConfiguracionActual(std::unique_ptr<cConfiguracion> c) { actual() = std::move(c); }

bool& CierreParcial() {
    static bool parcial = false;
    return parcial;
}

QString& ArchivoAyuda() {
    static QString ruta;
    return ruta;
}

QString ObtenerRutaBD(const Conexion& con) {
    if (con.esServidor()) return QString();
    const QString origen = con.propiedad(QStringLiteral("Data Source"));
    // A path written on Windows keeps its backslashes in the string.
    const qsizetype barra = std::max(origen.lastIndexOf(QLatin1Char('/')), origen.lastIndexOf(QLatin1Char('\\')));
    if (barra < 0) return QString();
    return origen.left(barra);
}

}  // namespace ncc
