#pragma once
// The one error type of the component. Every failure that a caller may show
// with the standard error message carries a number and a description, as the
// suite's users are used to reading "Error <número>: <descripción>".
#include <QString>
#include <stdexcept>

namespace ncc {

class Error : public std::runtime_error {
public:
    Error(long numero, const QString& descripcion)
        : std::runtime_error(descripcion.toStdString()), numero_(numero), descripcion_(descripcion) {}
    long numero() const { return numero_; }
    const QString& descripcion() const { return descripcion_; }

private:
    long numero_;
    QString descripcion_;
};

// Numbers of the errors raised by the component itself (not by a driver).
namespace errores {
constexpr long Desbordamiento = 6;        // value out of the field's range
constexpr long TipoNoCoincide = 13;       // value does not convert
constexpr long ClaveDuplicada = 457;      // key already in a collection
constexpr long ElementoNoEncontrado = 5;  // key or index not in a collection
constexpr long PropiedadNoEncontrada = 438;
constexpr long TextoNoEncontrado = 326;   // id missing from the string table
constexpr long RecordsetCerrado = 3704;
constexpr long SinRegistroActual = 3021;  // BOF or EOF
constexpr long CampoNoEncontrado = 3265;
constexpr long ConexionCerrada = 3709;
constexpr long FalloInyectado = 9999;     // fault hook of the tests
constexpr long Archivo = 75;              // path/file access error
constexpr long Proceso = 1000;            // an external tool failed
}  // namespace errores

}  // namespace ncc
