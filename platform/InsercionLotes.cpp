#include "platform/InsercionLotes.h"
#include "platform/Error.h"
#include "platform/ValorNulo.h"
#include <cmath>

namespace ncc {

InsercionLotes::InsercionLotes(Conexion& con, QString cabecera, QString fila, int filasPorLote)
    : con_(con), cabecera_(std::move(cabecera)), fila_(std::move(fila)), filasPorLote_(std::max(1, filasPorLote)) {
    if (!con_.esServidor()) return;
    copia_ = true;
    verdadero_ = con_.verdadero();
    // "INSERT INTO Tabla VALUES": the third word.
    tabla_ = cabecera_.split(QLatin1Char(' '), Qt::SkipEmptyParts).value(2);
    QString f = fila_.trimmed();
    if (f.startsWith(QLatin1Char('('))) f = f.mid(1);
    if (f.endsWith(QLatin1Char(')'))) f.chop(1);
    for (const QString& v : f.split(QLatin1Char(','))) {
        const QString t = v.trimmed();
        // A fixed value is a number or NULL, written as COPY reads them.
        if (t == QLatin1String("?")) fijos_.append(QByteArray());
        else fijos_.append(t.compare(QLatin1String("NULL"), Qt::CaseInsensitive) == 0 ? QByteArray("\\N") : t.toUtf8());
    }
}

QString InsercionLotes::texto(int filas) const {
    QString s = cabecera_;
    s.reserve(cabecera_.size() + filas * (fila_.size() + 1));
    for (int i = 0; i < filas; ++i) {
        if (i > 0) s += QLatin1Char(',');
        s += fila_;
    }
    return s;
}

namespace {

// A value in COPY's text format: \N for Null, a boolean as the back end's
// true or 0, and a text with its backslashes, tabs and line ends escaped.
void anadirCopia(QByteArray& s, const QVariant& v, int verdadero) {
    if (seEscribeNulo(v)) {
        s += "\\N";
        return;
    }
    switch (v.typeId()) {
    case QMetaType::Bool: s += v.toBool() ? QByteArray::number(verdadero) : QByteArray("0"); return;
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::UChar:
    case QMetaType::Char:
    case QMetaType::SChar: s += QByteArray::number(v.toLongLong()); return;
    case QMetaType::UInt:
    case QMetaType::UShort:
    case QMetaType::ULong:
    case QMetaType::ULongLong: s += QByteArray::number(v.toULongLong()); return;
    default: break;
    }
    const QByteArray t = v.toString().toUtf8();
    for (const char c : t) switch (c) {
        case '\\': s += "\\\\"; break;
        case '\t': s += "\\t"; break;
        case '\n': s += "\\n"; break;
        case '\r': s += "\\r"; break;
        default: s += c;
        }
}

}  // namespace

void InsercionLotes::agregarCopia(const QVariantList& valores) {
    int i = 0;
    for (int c = 0; c < fijos_.size(); ++c) {
        if (c > 0) copiaFilas_ += '\t';
        if (fijos_[c].isNull()) anadirCopia(copiaFilas_, valores.value(i++), verdadero_);
        else copiaFilas_ += fijos_[c];
    }
    copiaFilas_ += '\n';
    // As the server refuses an INSERT whose values do not fill its row.
    if (i != valores.size())
        throw Error(-2147217900L, QStringLiteral("%1 valores para una fila de %2 en %3").arg(valores.size()).arg(i).arg(tabla_));
    // A caller that writes row by row, to catch each row's failure, has
    // each row copied at once.
    if (++filas_ >= (filasPorLote_ == 1 ? 1 : filasPorCopia)) enviar();
}

void InsercionLotes::agregar(const QVariantList& valores) {
    if (copia_) return agregarCopia(valores);
    valores_ += valores;
    if (++filas_ >= filasPorLote_) enviar();
}

void InsercionLotes::vaciar() {
    enviar();
    if (copia_ && detras_) con_.terminarCopia();
}

void InsercionLotes::enviar() {
    if (filas_ == 0) return;
    // What is pending goes whether the statements succeed or not: a failed
    // batch fails its step, which is undone as a whole.
    const int filas = filas_;
    filas_ = 0;
    if (copia_) {
        const QByteArray texto = std::move(copiaFilas_);
        copiaFilas_.clear();
        con_.copiar(tabla_, texto, detras_);
        return;
    }
    const QVariantList valores = std::move(valores_);
    valores_.clear();
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
