#include "platform/Dialecto.h"
#include "platform/Error.h"

namespace ncc {

Proveedor Dialecto::desdeNombre(const QString& n) {
    if (n.compare(QLatin1String("SQLite"), Qt::CaseInsensitive) == 0 || n.isEmpty()) return Proveedor::SQLite;
    if (n.compare(QLatin1String("PostgreSQL"), Qt::CaseInsensitive) == 0) return Proveedor::PostgreSQL;
    throw Error(3706, QStringLiteral("No se encuentra el proveedor \"%1\"").arg(n));
}

QString Dialecto::nombre(Proveedor p) {
    return p == Proveedor::SQLite ? QStringLiteral("SQLite") : QStringLiteral("PostgreSQL");
}

QString Dialecto::driverQt(Proveedor p) {
    return p == Proveedor::SQLite ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL");
}

}  // namespace ncc
