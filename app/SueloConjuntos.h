#pragma once
// The set-based floor of `ncc bench` on SQLite: what the closing's writes
// cost when they are done with no client in between. Before the clock
// starts it finds, per table, the rows the closing deleted, changed and
// added (by comparing whole rows of the databases before and after). Timed:
// the six copies the closing makes, from the databases as they were; in
// each, the rows gone or changed deleted by their key and the rows new or
// changed inserted, one statement of each per table in one transaction;
// and the compaction of the two new ones. It writes every row the closing
// wrote, into the same tables with the same indexes, and nothing else.
#include <QList>
#include <QString>

namespace ncc::app {

struct ParSuelo {
    QString antes;    // the database file as it was before the closing
    QString despues;  // the same database, or the new one made from it, after
    bool nueva = false;  // a new year's database: compacted at the end
};

struct ResultadoSuelo {
    double segundos = 0;
    // Tables whose rows the floor did not bring to the closing's (it should
    // be none: the figure is only a floor of the same work if it is).
    QStringList distintas;
};

// Works in `carpeta`, which it leaves empty; the pairs' files are not
// changed.
ResultadoSuelo sueloConjuntos(const QList<ParSuelo>& pares, const QString& carpeta);

}  // namespace ncc::app
