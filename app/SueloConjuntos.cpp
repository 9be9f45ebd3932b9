#include "app/SueloConjuntos.h"
#include "platform/BasesDatos.h"
#include "platform/CadenaConexion.h"
#include "platform/Conexion.h"
#include "platform/CopiasDetras.h"
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <unistd.h>

namespace ncc::app {

namespace {

QString cadenaSQLite(const QString& ruta) {
    CadenaConexion c;
    c.fijar(QStringLiteral("Provider"), QStringLiteral("SQLite"));
    c.fijar(QStringLiteral("Data Source"), ruta);
    return c.texto();
}

QString lista(const QStringList& columnas) { return columnas.join(QStringLiteral(", ")); }

struct Tabla {
    QString nombre;
    QStringList columnas, clave;
};

// The user tables of the attached database `esquema`, with their columns
// and primary key.
QList<Tabla> tablas(Conexion& con, const QString& esquema) {
    QList<Tabla> r;
    for (Recordset rs = con.Abrir(QStringLiteral("SELECT name FROM %1.sqlite_master WHERE type = 'table' AND "
                                                 "name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY name").arg(esquema));
         !rs.eof(); rs.MoveNext())
        r.append({rs.campo(0).toString(), {}, {}});
    for (Tabla& t : r) {
        QList<QPair<int, QString>> clave;
        for (Recordset rs = con.Abrir(QStringLiteral("SELECT name, pk FROM pragma_table_info(?, ?) ORDER BY cid"),
                                      {t.nombre, esquema});
             !rs.eof(); rs.MoveNext()) {
            t.columnas << rs.campo(0).toString();
            if (rs.campo(1).toInt() > 0) clave.append({rs.campo(1).toInt(), rs.campo(0).toString()});
        }
        std::sort(clave.begin(), clave.end());
        for (const auto& c : clave) t.clave << c.second;
    }
    return r;
}

bool difieren(Conexion& con, const QString& tabla, const QString& columnas) {
    const QString sql = QStringLiteral("SELECT EXISTS (SELECT %2 FROM main.%1 EXCEPT SELECT %2 FROM despues.%1) "
                                       "OR EXISTS (SELECT %2 FROM despues.%1 EXCEPT SELECT %2 FROM main.%1)")
                            .arg(tabla, columnas);
    return con.Abrir(sql).campo(0).toInt() != 0;
}

// What the closing changed in one database, found before the clock starts:
// per table, the keys of the rows that went or changed (q_<table>) and the
// rows that came or changed (n_<table>), in a database of their own. A
// table with no key that changed is written again whole.
struct Cambios {
    QString ruta;
    QList<Tabla> tablas;  // those that changed
};

Cambios apartarCambios(const QString& antes, const QString& despues, const QString& ruta) {
    archivos::borrar(ruta);
    Conexion con(cadenaSQLite(antes));
    con.Open();
    con.Execute(QStringLiteral("ATTACH DATABASE ? AS despues"), {despues});
    con.Execute(QStringLiteral("ATTACH DATABASE ? AS cambios"), {ruta});
    Cambios c{ruta, {}};
    for (const Tabla& t : tablas(con, QStringLiteral("despues"))) {
        const QString columnas = lista(t.columnas);
        if (!difieren(con, t.nombre, columnas)) continue;
        const QString clave = t.clave.isEmpty() ? QString() : lista(t.clave);
        if (!clave.isEmpty())
            con.Execute(QStringLiteral("CREATE TABLE cambios.q_%1 AS SELECT %3 FROM (SELECT %2 FROM main.%1 EXCEPT "
                                       "SELECT %2 FROM despues.%1)").arg(t.nombre, columnas, clave));
        con.Execute(QStringLiteral("CREATE TABLE cambios.n_%1 AS SELECT %2 FROM despues.%1%3")
                        .arg(t.nombre, columnas,
                             clave.isEmpty() ? QString() : QStringLiteral(" EXCEPT SELECT %1 FROM main.%2").arg(columnas, t.nombre)));
        c.tablas.append(t);
    }
    con.Execute(QStringLiteral("DETACH DATABASE cambios"));
    con.Execute(QStringLiteral("DETACH DATABASE despues"));
    con.Close();
    return c;
}

// Writes the changes into the copy, one statement per table and kind.
void aplicarCambios(const QString& ruta, const Cambios& c, bool nueva) {
    Conexion con(cadenaSQLite(ruta));
    con.Open();
    // As the closing's connection to a new year's database, whose file is
    // the run's own until it is compacted.
    con.fijarCacheKiB(64 * 1024);
    if (nueva) con.fijarArchivoDeTrabajo();
    con.Execute(QStringLiteral("ATTACH DATABASE ? AS cambios"), {c.ruta});
    con.BeginTrans();
    for (const Tabla& t : c.tablas) {
        const QString columnas = lista(t.columnas);
        if (t.clave.isEmpty()) {
            con.Execute(QStringLiteral("DELETE FROM main.%1").arg(t.nombre));
        } else {
            const QString clave = lista(t.clave);
            con.Execute(QStringLiteral("DELETE FROM main.%1 WHERE %2 IN (SELECT %3 FROM cambios.q_%1)")
                            .arg(t.nombre, t.clave.size() == 1 ? clave : QStringLiteral("(%1)").arg(clave), clave));
        }
        con.Execute(QStringLiteral("INSERT INTO main.%1 (%2) SELECT %2 FROM cambios.n_%1").arg(t.nombre, columnas));
    }
    con.CommitTrans();
    con.Execute(QStringLiteral("DETACH DATABASE cambios"));
    con.Close();
}

QStringList tablasDistintas(const QString& ruta, const QString& despues) {
    Conexion con(cadenaSQLite(ruta));
    con.Open();
    con.Execute(QStringLiteral("ATTACH DATABASE ? AS despues"), {despues});
    QStringList r;
    for (const Tabla& t : tablas(con, QStringLiteral("despues")))
        if (difieren(con, t.nombre, lista(t.columnas))) r << QFileInfo(despues).fileName() + QLatin1Char('.') + t.nombre;
    con.Execute(QStringLiteral("DETACH DATABASE despues"));
    con.Close();
    return r;
}

}  // namespace

ResultadoSuelo sueloConjuntos(const QList<ParSuelo>& pares, const QString& carpeta) {
    QDir dir(carpeta);
    dir.mkpath(QStringLiteral("."));
    QStringList copias;
    QList<Cambios> cambios;
    for (int i = 0; i < pares.size(); ++i) {
        copias << dir.filePath(QStringLiteral("suelo%1.db").arg(i));
        cambios << apartarCambios(pares.at(i).antes, pares.at(i).despues, dir.filePath(QStringLiteral("cambios%1.db").arg(i)));
    }

    ResultadoSuelo r;
    ::sync();
    QElapsedTimer t;
    t.start();
    // Copied as the closing copies: the new year's copies first, left to
    // the system until their compacted copies; the backups then made on a
    // thread of their own while the new year's changes are written, each
    // started on its way to the disk, and waited for before the first
    // change to an original.
    QVector<archivos::CopiasDetras::Copia> respaldos;
    for (int i = 0; i < pares.size(); ++i)
        if (pares.at(i).nueva) archivos::copiar(pares.at(i).antes, copias.at(i), archivos::Escritura::Libre);
        else respaldos.append({pares.at(i).antes, copias.at(i)});
    archivos::CopiasDetras detras(respaldos, archivos::Escritura::Empezada);
    for (int i = 0; i < pares.size(); ++i)
        if (pares.at(i).nueva) aplicarCambios(copias.at(i), cambios.at(i), true);
    if (const auto fallo = detras.esperar().fallo) std::rethrow_exception(fallo);
    for (int i = 0; i < pares.size(); ++i)
        if (!pares.at(i).nueva) archivos::sincronizar(copias.at(i));
    for (int i = 0; i < pares.size(); ++i)
        if (!pares.at(i).nueva) aplicarCambios(copias.at(i), cambios.at(i), false);
    for (int i = 0; i < pares.size(); ++i) {
        if (!pares.at(i).nueva) continue;
        const QString compacta = copias.at(i) + QStringLiteral(".compacta");
        archivos::compactarSQLite(copias.at(i), compacta);
        archivos::sincronizar(compacta);
        archivos::borrar(copias.at(i));
        archivos::renombrar(compacta, copias.at(i));
    }
    r.segundos = t.nsecsElapsed() / 1e9;

    for (int i = 0; i < pares.size(); ++i) {
        r.distintas << tablasDistintas(copias.at(i), pares.at(i).despues);
        archivos::borrar(copias.at(i));
        archivos::borrar(cambios.at(i).ruta);
    }
    return r;
}

}  // namespace ncc::app
