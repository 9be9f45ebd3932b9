#pragma once
// A connection to one of the suite's databases, where the suite had ADO.
// Built from a connection string (Provider, Data Source, Initial Catalog,
// User ID, Password); its properties are read and set by name.
#include "platform/CadenaConexion.h"
#include "platform/Dialecto.h"
#include "platform/Recordset.h"
#include <QObject>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariantList>
#include <initializer_list>
#include <memory>
#include <utility>

namespace ncc {

class Conexion : public QObject {
    Q_OBJECT
public:
    explicit Conexion(QObject* parent = nullptr);
    explicit Conexion(const QString& cadena, QObject* parent = nullptr);
    explicit Conexion(const DatosConexion& datos, QObject* parent = nullptr);
    ~Conexion() override;

    QString ConnectionString() const;
    DatosConexion datos() const { return cadena_.datos(); }
    void setConnectionString(const QString& cadena);  // only while closed

    // Properties of the connection string, by name, case-insensitively.
    QString propiedad(const QString& nombre) const;
    void fijarPropiedad(const QString& nombre, const QString& valor);
    QStringList nombresPropiedades() const;

    Proveedor proveedor() const;
    bool esServidor() const { return proveedor() == Proveedor::PostgreSQL; }
    int verdadero() const { return Dialecto::verdadero(proveedor()); }

    void Open();
    void Close();
    int State() const;  // 0 closed, 1 open

    // Runs a statement with bound values ('?' placeholders); returns the
    // number of rows it touched. Each distinct text is prepared once.
    int Execute(const QString& sql, const QVariantList& valores = {});
    Recordset Abrir(const QString& sql, const QVariantList& valores = {});
    // Server only: rows for `tabla` in COPY's text format (a line each,
    // fields separated by tabs, \N for Null) sent as one COPY … FROM STDIN,
    // inside the connection's transaction; counted as one statement.
    // `detras`: the call returns once the rows are handed over, and the
    // server writes them while the caller goes on (reading the next rows
    // from another database, say); the connection's next use, or
    // terminarCopia(), waits for it first and throws the COPY's failure
    // there. A caller that must know at once whether its rows went in
    // (to undo just them) leaves it false.
    void copiar(const QString& tabla, const QByteArray& filas, bool detras = false);
    // Waits for a COPY handed over with `detras`; throws its failure.
    void terminarCopia() { esperarCopia(true); }
    // The list of tables: TABLE_NAME and TABLE_TYPE ("TABLE").
    Recordset Tablas();
    // Removes every row of the tables, inside the connection's transaction:
    // one DELETE each on SQLite; on the server one TRUNCATE of them all,
    // which gives each table new empty files instead of marking every row
    // deleted in the old ones (and in each of its indexes); a DELETE each
    // there too when the user may not TRUNCATE them all.
    void vaciarTablas(const QStringList& tablas);

    // The page cache of a SQLite connection, in KiB (nothing on a server):
    // a run that rewrites a large database keeps its indexes in memory
    // instead of spilling pages to the file and reading them back.
    void fijarCacheKiB(int kib);
    // Where a SQLite connection keeps a savepoint's journal: in memory
    // (true), or in a temporary file once it passes 64 KiB (SQLite's
    // default); nothing on a server. A run with a savepoint per part of its
    // work would otherwise write every page it changes to that file again
    // for each part.
    void fijarTemporalesEnMemoria(bool enMemoria);
    // A SQLite file that a run makes for itself and keeps only as a
    // compacted copy: a failed or cut-short run removes it, so neither a
    // rollback journal nor waiting for the disk protects anything in it. It
    // is written without either (before the transaction begins). A file in
    // write-ahead-log mode stays in it, since its compacted copy takes the
    // mode from it. Nothing on a server.
    void fijarArchivoDeTrabajo();
    // Refuses (true) or allows again (false) every change through this
    // connection, with the back end's own error: a run that must not change
    // a database until some point is stopped by any statement that would.
    // Not kept across a reopening. On a server it holds from the next
    // transaction: a transaction already begun keeps its own mode.
    void fijarSoloLectura(bool soloLectura);
    // The server's version as a number (150004 for 15.4; 0 on SQLite),
    // asked once per opening and, like the settings above, not counted as
    // one of the statements of the work.
    int versionServidor();

    void BeginTrans();
    void CommitTrans();
    void RollbackTrans();
    bool enTransaccion() const { return enTransaccion_; }
    int sentenciasPreparadas() const;

    // Folder of a SQLite file or host[:port] of a server, and the name of the
    // database inside it (the file path on SQLite, the catalog on the server).
    QString origenDatos() const;

private:
    void fijarSQLite(const QString& pragma);
    QSqlQuery& preparada(const QString& sql);
    void antesDeSentencia();
    QSqlQuery& ejecutar(const QString& sql, const QVariantList& valores);
    [[noreturn]] void lanzarError(const class QSqlError& e, const QString& sql) const;
    void comprobarAbierta() const;
    // Waits for the COPY still being written, if any; its failure is thrown
    // when `lanzar`, dropped otherwise (on the way to a rollback).
    void esperarCopia(bool lanzar = true);

    CadenaConexion cadena_;
    QString nombreQt_;
    bool abierta_ = false;
    bool enTransaccion_ = false;
    int version_ = -1;
    QHash<QString, std::shared_ptr<QSqlQuery>> preparadas_;
    std::shared_ptr<QSqlQuery> ultima_;  // the last unprepared statement
    // The statements of a SQLite connection, run past Qt's SQL module.
    std::unique_ptr<class SentenciasSqlite> sqlite_;
    std::unique_ptr<struct CopiaEnCurso> copia_;
};

// Scope guard: rolls back unless committed.
class Transaccion {
public:
    explicit Transaccion(Conexion& c) : c_(c) { c_.BeginTrans(); }
    ~Transaccion() {
        if (!hecha_) try { c_.RollbackTrans(); } catch (...) {}
    }
    void confirmar() { c_.CommitTrans(); hecha_ = true; }
    Transaccion(const Transaccion&) = delete;
    Transaccion& operator=(const Transaccion&) = delete;

private:
    Conexion& c_;
    bool hecha_ = false;
};

// Scope guard: closes the open ones of some connections and opens them
// again when done (volver) or on the way out of an error, where a failure
// to reopen is not the news. The server copies a database by itself
// (CREATE DATABASE … TEMPLATE) only while nobody is connected to it.
class ConexionesApartadas {
public:
    explicit ConexionesApartadas(std::initializer_list<Conexion*> conexiones) {
        for (Conexion* c : conexiones)
            if (c && c->State() == 1) {
                c->Close();
                cerradas_.append(c);
            }
    }
    // Opens them again; throws when one cannot open (left to the destructor).
    void volver() {
        while (!cerradas_.isEmpty()) {
            cerradas_.first()->Open();
            cerradas_.removeFirst();
        }
    }
    // Hands them over closed: whoever takes them opens them again.
    QList<Conexion*> soltar() { return std::exchange(cerradas_, {}); }
    ~ConexionesApartadas() {
        for (Conexion* c : cerradas_) try { c->Open(); } catch (...) {}
    }
    ConexionesApartadas(const ConexionesApartadas&) = delete;
    ConexionesApartadas& operator=(const ConexionesApartadas&) = delete;

private:
    QList<Conexion*> cerradas_;
};

}  // namespace ncc
