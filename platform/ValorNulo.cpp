#include "platform/ValorNulo.h"
#include <QDateTime>
#include <QUuid>

namespace ncc {

bool seEscribeNulo(const QVariant& v) {
    if (v.isNull()) return true;
    switch (v.typeId()) {
    case QMetaType::QString: return v.toString().isNull();
    case QMetaType::QByteArray: return v.toByteArray().isNull();
    case QMetaType::QDateTime: return !v.toDateTime().isValid();
    case QMetaType::QDate: return !v.toDate().isValid();
    case QMetaType::QTime: return !v.toTime().isValid();
    case QMetaType::QUuid: return v.toUuid().isNull();
    default: return false;
    }
}

}  // namespace ncc
