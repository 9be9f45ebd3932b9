#pragma once
// The statements of a SQLite connection run through SQLite's own interface,
// on the same handle Qt opened. Qt's SQL module names every bound value by a
// text built for it and copies every value read into a cache of its own; on
// the embedded back end those two costs were a third of storing the
// student page's set and of reading a school's students. The values bound
// and read are those Qt would give: the same types, Null for a null text.
#include "platform/Recordset.h"
#include <QHash>
#include <QString>
#include <QVariantList>

struct sqlite3;
struct sqlite3_stmt;

namespace ncc {

class SentenciasSqlite {
public:
    explicit SentenciasSqlite(sqlite3* base) : base_(base) {}
    ~SentenciasSqlite();
    SentenciasSqlite(const SentenciasSqlite&) = delete;
    SentenciasSqlite& operator=(const SentenciasSqlite&) = delete;

    // Runs a statement (its first row only, when it reads); returns the rows
    // it changed. Booleans are bound as `verdadero` or 0.
    int ejecutar(const QString& sql, const QVariantList& valores, int verdadero);
    // Reads every row of a statement.
    Recordset abrir(const QString& sql, const QVariantList& valores, int verdadero);
    // Statements kept prepared: those with values, one per distinct text.
    int preparadas() const { return int(preparadas_.size()); }

private:
    class Uso;
    sqlite3_stmt* preparar(const QString& sql);
    [[noreturn]] void lanzar(int codigo) const;

    sqlite3* base_;
    QHash<QString, sqlite3_stmt*> preparadas_;
};

}  // namespace ncc
