#include "platform/Ajustes.h"
#include <QCoreApplication>
#include <QSettings>

namespace ncc {

// The suite kept these under the user's settings of the application named
// NombreCentro + "\Norva Centro 2000\CierreCurso": one store per school, so
// that two schools on the same computer keep their own column widths. The
// organization is the program's own (the test program sets a different one
// so that it never touches a user's real settings).
static QString organizacion() {
    const QString o = QCoreApplication::organizationName();
    return o.isEmpty() ? QStringLiteral("Norva") : o;
}

static QString aplicacion(const QString& nombreCentro) {
    return nombreCentro + QStringLiteral("/Norva Centro 2000/CierreCurso");
}

static QString claveCompleta(const QString& seccion, const QString& clave) {
    return seccion + QLatin1Char('/') + clave;
}

QVariant Ajustes::leer(const QString& nombreCentro, const QString& seccion, const QString& clave,
                       const QVariant& defecto) {
    QSettings s(organizacion(), aplicacion(nombreCentro));
    return s.value(claveCompleta(seccion, clave), defecto);
}

void Ajustes::escribir(const QString& nombreCentro, const QString& seccion, const QString& clave,
                       const QVariant& valor) {
    QSettings s(organizacion(), aplicacion(nombreCentro));
    s.setValue(claveCompleta(seccion, clave), valor);
    s.sync();
}

// Beside the schools' stores, under the organization, never inside one.
static const QString programa = QStringLiteral("CierreCurso");

QVariant Ajustes::leerPrograma(const QString& clave, const QVariant& defecto) {
    QSettings s(organizacion(), programa);
    return s.value(clave, defecto);
}

void Ajustes::escribirPrograma(const QString& clave, const QVariant& valor) {
    QSettings s(organizacion(), programa);
    s.setValue(clave, valor);
    s.sync();
}

}  // namespace ncc
