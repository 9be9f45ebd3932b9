#pragma once
// Everything that differs between the embedded back end (SQLite files) and
// the server back end (PostgreSQL) lives here, so that the rest of the code
// writes one SQL text for both.
#include <QString>

namespace ncc {

enum class Proveedor { SQLite, PostgreSQL };

struct Dialecto {
    static Proveedor desdeNombre(const QString& nombreProveedor);  // "SQLite"/"PostgreSQL"
    static QString nombre(Proveedor p);
    static QString driverQt(Proveedor p);
    // The back end's true: -1 as Access stored it in the SQLite files, 1 as
    // SQL Server's bit stored it on the server.
    static int verdadero(Proveedor p) { return p == Proveedor::SQLite ? -1 : 1; }
    static QString extensionArchivo() { return QStringLiteral(".db"); }
};

}  // namespace ncc
