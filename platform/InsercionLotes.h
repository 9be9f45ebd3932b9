#pragma once
// Rows of one INSERT written many at a time: "INSERT INTO T VALUES (…),(…)"
// with up to a batch of rows per statement. Each row is a '?' template with
// its bound values; a batch of a given size is one prepared text, so a long
// run of rows costs a statement per batch instead of one per row. Rows wait
// in memory until the batch is full or vaciar() is called: whoever reads the
// table, or ends the work, calls vaciar() first.
#include "platform/Conexion.h"

namespace ncc {

class InsercionLotes {
public:
    // cabecera: "INSERT INTO Tabla VALUES"; fila: the row with its '?', as
    // "(?,?,0,?)".
    InsercionLotes(Conexion& con, QString cabecera, QString fila, int filasPorLote = 100);
    InsercionLotes(const InsercionLotes&) = delete;
    InsercionLotes& operator=(const InsercionLotes&) = delete;

    void agregar(const QVariantList& valores);
    void vaciar();
    int pendientes() const { return filas_; }

private:
    QString texto(int filas) const;

    Conexion& con_;
    QString cabecera_, fila_;
    int filasPorLote_;
    int filas_ = 0;
    QVariantList valores_;
};

}  // namespace ncc
