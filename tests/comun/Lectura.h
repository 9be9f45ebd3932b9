#pragma once
// What the tests read back, in a form whose failures read well: the rows of
// a read as text, and texts and lists of texts printed as such.
#include "platform/Conexion.h"
#include <QStringList>
#include <gtest/gtest.h>
#include <ostream>
#include <type_traits>

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

// One value for enFila: what a QVariant holds, a long, or an enumeration
// (as its number).
struct ValorFila {
    QVariant v;
    template <class T>
    ValorFila(const T& x) {  // NOLINT: implicit, so that a brace list takes any value
        if constexpr (std::is_enum_v<T> || std::is_same_v<T, long>) v = static_cast<qlonglong>(x);
        else v = QVariant(x);
    }
};

// Several values of one object joined as leerFilas joins a row's fields
// (booleans as "true" and "false"), so that one comparison states them all
// and a failure shows every one. A value with no text of its own (a list of
// several texts, say) fails the test: it would compare equal to anything.
inline QString enFila(std::initializer_list<ValorFila> valores) {
    QStringList f;
    for (const ValorFila& x : valores) {
        QString t = QStringLiteral("~");
        if (!x.v.isNull() && !QMetaType::convert(x.v.metaType(), x.v.constData(), QMetaType::fromType<QString>(), &t))
            ADD_FAILURE() << "enFila: un " << x.v.typeName() << " no se escribe como texto";
        f << t;
    }
    return f.join(QLatin1Char('|'));
}

// The first field of a read's first row (0 when there is none): a count.
inline long long contar(Conexion& con, const QString& sql) {
    Recordset rs = con.Abrir(sql);
    return rs.eof() ? 0 : rs.campo(0).toLongLong();
}

}  // namespace ncc::pruebas
