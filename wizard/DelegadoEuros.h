#pragma once
// Shows a grid column of prices in euros with both cents ("35,50"); the
// cells keep the price as it is stored and typed.
#include <QStyledItemDelegate>

namespace ncc {

class DelegadoEuros : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QString displayText(const QVariant& valor, const QLocale& idioma) const override;
};

}  // namespace ncc
