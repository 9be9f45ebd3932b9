#pragma once
// Which values are written as Null, the same on both back ends and as Qt's
// drivers wrote them: a null variant, or a null text, byte array, date or
// time. (A QVariant holding a null QString is not null itself.)
#include <QVariant>

namespace ncc {

bool seEscribeNulo(const QVariant& v);

}  // namespace ncc
