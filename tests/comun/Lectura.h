#pragma once
// What the tests read back, in a form whose failures read well: the rows of
// a read as text, and texts and lists of texts printed as such.
#include "platform/Conexion.h"
#include <QStringList>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& l, std::ostream* os) {
    *os << "{\n";
    for (const auto& s : l) *os << "  \"" << s.toStdString() << "\"\n";
    *os << "}";
}

namespace ncc::pruebas {

// The rows of a read, each as its fields joined by "|" (Null as "~").
inline QStringList leerFilas(Conexion& con, const QString& sql) {
    QStringList r;
    for (Recordset rs = con.Abrir(sql); !rs.eof(); rs.MoveNext()) {
        QStringList f;
        for (int i = 0; i < rs.numeroCampos(); ++i)
            f << (rs.campo(i).isNull() ? QStringLiteral("~") : rs.campo(i).toString());
        r << f.join(QLatin1Char('|'));
    }
    return r;
}

// Several values of one object joined as leerFilas joins a row's fields
// (booleans as "true" and "false"), so that one comparison states them all
// and a failure shows every one.
inline QString enFila(std::initializer_list<QVariant> valores) {
    QStringList f;
    for (const QVariant& v : valores) f << (v.isNull() ? QStringLiteral("~") : v.toString());
    return f.join(QLatin1Char('|'));
}

// The first field of a read's first row (0 when there is none): a count.
inline long long contar(Conexion& con, const QString& sql) {
    Recordset rs = con.Abrir(sql);
    return rs.eof() ? 0 : rs.campo(0).toLongLong();
}

}  // namespace ncc::pruebas
