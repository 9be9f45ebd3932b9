#pragma once
// The conversions of the component's interfaces: a value given as a wider
// number is held in a narrower field, and one that does not fit overflows
// instead of being cut.
#include "platform/Error.h"
#include <QString>
#include <algorithm>
#include <limits>

namespace ncc {

template <class Campo>
Campo comprobarRango(long long valor, const char* miembro) {
    if (valor < (long long)std::numeric_limits<Campo>::min() ||
        valor > (long long)std::numeric_limits<Campo>::max())
        throw Error(errores::Desbordamiento,
                    QStringLiteral("Desbordamiento: %1 no cabe en %2").arg(valor).arg(QString::fromUtf8(miembro)));
    return static_cast<Campo>(valor);
}

// A stored value read into a narrower field where a page shows it: one out
// of range takes the nearest value that fits instead of failing the load.
template <class Campo>
Campo acotar(long long valor) {
    return static_cast<Campo>(std::clamp<long long>(valor, (long long)std::numeric_limits<Campo>::min(),
                                                    (long long)std::numeric_limits<Campo>::max()));
}

}  // namespace ncc
