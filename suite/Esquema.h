#pragma once
// The schema of the suite's four kinds of database, in one definition from
// which the SQLite and the PostgreSQL texts are generated. The suite owns
// these databases; the closing module only reads and writes them. The schema
// is here for the tests, the sample school and users trying the module.
#include "platform/Conexion.h"
#include <QString>
#include <QStringList>
#include <QVector>

namespace ncc::suite {

enum class TipoBase {
    AppEntrada,         // application entry (and its deleted twin, same tables)
    Centro,             // school database of one school year (and its twin)
};

enum class TipoColumna { Entero, EnteroLargo, Texto, Memo, Booleano, Real, Binario };

struct Columna {
    QString nombre;
    TipoColumna tipo;
    int longitud = 0;         // for Texto: the column's width (0: no limit)
    bool clave = false;       // the table's primary key (one column)
    // For Booleano: the column also holds -1 on the server, because some
    // statements write the Access true (-1) whatever the back end.
    bool admiteMenosUno = false;
};

struct Tabla {
    QString nombre;
    QVector<Columna> columnas;  // in the order positional INSERTs rely on
};

// The tables of one kind of database, in creation order.
const QVector<Tabla>& tablas(TipoBase tipo);

// The CREATE TABLE statements for the back end of `con`.
QStringList sentenciasCreacion(TipoBase tipo, Proveedor proveedor);

// Creates every table of `tipo` in the open, empty database of `con`.
void crearEsquema(Conexion& con, TipoBase tipo);

}  // namespace ncc::suite
