#pragma once
// Every row of a closing's databases as comparable text: Booleans as "V"/"F"
// (the back ends store true as -1 and 1), Null as "~", integers and reals in
// one spelling, rows sorted, so two back ends or two builds compare row for
// row whatever order their tables keep.
#include "platform/Conexion.h"
#include "suite/Esquema.h"
#include <QSet>
#include <QStringList>
#include <algorithm>

namespace ncc::pruebas {

// Every row of a table as text, a Boolean as "V"/"F" (the back ends store
// true as -1 and 1), Null as "~"; the connection strings of the application
// entry name files or catalogs of each back end and are left out.
inline QStringList filasTabla(Conexion& con, const suite::Tabla& t) {
    QStringList columnas;
    QVector<suite::TipoColumna> tipos;
    for (const auto& c : t.columnas) {
        if (t.nombre == QLatin1String("CursoEscolar") && (c.nombre == QLatin1String("BD") || c.nombre == QLatin1String("BDBorrado")))
            continue;
        columnas << c.nombre;
        tipos << c.tipo;
    }
    QStringList filas;
    for (Recordset rs = con.Abrir(QStringLiteral("SELECT %1 FROM %2").arg(columnas.join(QLatin1Char(',')), t.nombre));
         !rs.eof(); rs.MoveNext()) {
        QStringList f;
        for (int i = 0; i < columnas.size(); ++i) {
            const QVariant v = rs.campo(i);
            if (v.isNull()) {
                f << QStringLiteral("~");
                continue;
            }
            switch (tipos.at(i)) {
            case suite::TipoColumna::Booleano: f << (v.toLongLong() != 0 ? QStringLiteral("V") : QStringLiteral("F")); break;
            case suite::TipoColumna::Entero:
            case suite::TipoColumna::EnteroLargo: f << QString::number(v.toLongLong()); break;
            case suite::TipoColumna::Real: f << QString::number(v.toDouble(), 'g', 12); break;
            case suite::TipoColumna::Binario: f << QString::fromLatin1(v.toByteArray().toHex()); break;
            default: f << v.toString(); break;
            }
        }
        filas << t.nombre + QLatin1Char(':') + f.join(QLatin1Char('|'));
    }
    std::sort(filas.begin(), filas.end());
    return filas;
}

inline QStringList volcado(const QString& cadena, suite::TipoBase tipo) {
    Conexion con(cadena);
    con.Open();
    QStringList todo;
    for (const suite::Tabla& t : suite::tablas(tipo)) todo += filasTabla(con, t);
    return todo;
}

// What differs between two dumps, a few lines of each side.
inline QString diferencias(const QStringList& a, const QStringList& b) {
    const QSet<QString> sa(a.cbegin(), a.cend()), sb(b.cbegin(), b.cend());
    QStringList solo1 = QStringList((sa - sb).values()), solo2 = QStringList((sb - sa).values());
    solo1.sort();
    solo2.sort();
    QString t = QStringLiteral("%1 filas solo en SQLite, %2 solo en PostgreSQL\n").arg(solo1.size()).arg(solo2.size());
    for (int i = 0; i < std::min<qsizetype>(8, solo1.size()); ++i) t += QStringLiteral("  SQLite:     ") + solo1.at(i) + QLatin1Char('\n');
    for (int i = 0; i < std::min<qsizetype>(8, solo2.size()); ++i) t += QStringLiteral("  PostgreSQL: ") + solo2.at(i) + QLatin1Char('\n');
    return t;
}

}  // namespace ncc::pruebas
