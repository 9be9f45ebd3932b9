#include "wizard/DelegadoEuros.h"
#include "entry/Moneda.h"

namespace ncc {

QString DelegadoEuros::displayText(const QVariant& valor, const QLocale& idioma) const {
    if (valor.typeId() != QMetaType::QString) return QStyledItemDelegate::displayText(valor, idioma);
    return textoEurosConCentimos(valor.toString());
}

}  // namespace ncc
