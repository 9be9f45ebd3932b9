#pragma once
// Rows of one INSERT written many at a time. On SQLite files:
// "INSERT INTO T VALUES (…),(…)" with up to a batch of rows per statement.
// Each row is a '?' template with its bound values; a batch of a given size
// is one prepared text, so a long run of rows costs a statement per batch
// instead of one per row. On the server the same rows go as one COPY … FROM
// STDIN per filasPorCopia rows (per row for a batch of one), written as
// text by the client instead of an EXECUTE whose values the server parses
// as literals. Rows wait in memory until the batch is full or vaciar() is
// called: whoever reads the table, or ends the work, calls vaciar() first.
#include "platform/Conexion.h"
#include <QByteArray>

namespace ncc {

class InsercionLotes {
public:
    // cabecera: "INSERT INTO Tabla VALUES"; fila: the row with its '?', as
    // "(?,?,0,?)" (the fixed values are numbers).
    InsercionLotes(Conexion& con, QString cabecera, QString fila, int filasPorLote = 100);
    InsercionLotes(const InsercionLotes&) = delete;
    InsercionLotes& operator=(const InsercionLotes&) = delete;

    void agregar(const QVariantList& valores);
    // Writes what is pending; returns once every row added is written, and
    // throws if any of them could not be.
    void vaciar();
    // On the server, each full COPY is handed over and written by the
    // server while the caller goes on adding rows (or reading elsewhere);
    // a failure comes at the connection's next use or at vaciar(). For
    // work that fails whole when one batch fails; a caller that undoes a
    // failed batch alone must not ask for it.
    void escribirDetras() { detras_ = true; }
    int pendientes() const { return filas_; }

    static constexpr int filasPorCopia = 10000;

private:
    QString texto(int filas) const;
    void agregarCopia(const QVariantList& valores);
    void enviar();

    Conexion& con_;
    QString cabecera_, fila_;
    int filasPorLote_;
    int filas_ = 0;
    QVariantList valores_;
    // The server's: the table, the row's fixed values (a null one where a
    // value is bound), the rows as COPY text and the back end's true.
    bool copia_ = false;
    QString tabla_;
    QList<QByteArray> fijos_;
    QByteArray copiaFilas_;
    int verdadero_ = 1;
    bool detras_ = false;
};

}  // namespace ncc
