#include "platform/InsercionLotes.h"

namespace ncc {

InsercionLotes::InsercionLotes(Conexion& con, QString cabecera, QString fila, int filasPorLote)
    : con_(con), cabecera_(std::move(cabecera)), fila_(std::move(fila)), filasPorLote_(std::max(1, filasPorLote)) {}

QString InsercionLotes::texto(int filas) const {
    QString s = cabecera_;
    s.reserve(cabecera_.size() + filas * (fila_.size() + 1));
    for (int i = 0; i < filas; ++i) {
        if (i > 0) s += QLatin1Char(',');
        s += fila_;
    }
    return s;
}

void InsercionLotes::agregar(const QVariantList& valores) {
    valores_ += valores;
    if (++filas_ >= filasPorLote_) vaciar();
}

void InsercionLotes::vaciar() {
    if (filas_ == 0) return;
    const QString sql = texto(filas_);
    // What is pending goes whether the statement succeeds or not: a failed
    // batch fails its step, which is undone as a whole.
    const QVariantList valores = std::move(valores_);
    valores_.clear();
    filas_ = 0;
    con_.Execute(sql, valores);
}

}  // namespace ncc
