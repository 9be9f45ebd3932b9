#include "platform/InsercionLotes.h"
#include <cmath>

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
    // What is pending goes whether the statements succeed or not: a failed
    // batch fails its step, which is undone as a whole.
    const QVariantList valores = std::move(valores_);
    const int filas = filas_;
    valores_.clear();
    filas_ = 0;
    // A batch that is not full is written as a multiple of a step and the
    // rest (70 rows of 100: 70 and 0; 73: 70 and 3), so that a long run of
    // short batches (a section's last rows, section after section) reuses a
    // few prepared texts instead of preparing one of every size it meets.
    const int paso = int(std::ceil(std::sqrt(double(filasPorLote_))));
    const int porFila = int(valores.size()) / filas;
    const int primeras = filas == filasPorLote_ ? filas : filas / paso * paso;
    if (primeras > 0) con_.Execute(texto(primeras), primeras == filas ? valores : valores.mid(0, primeras * porFila));
    if (primeras < filas) con_.Execute(texto(filas - primeras), valores.mid(primeras * porFila));
}

}  // namespace ncc
