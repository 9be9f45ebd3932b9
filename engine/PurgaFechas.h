#pragma once
// Dates and texts of the closing as the statements bind them. The wizard
// carries dates as text ("dd/mm/yyyy" as typed, "yyyy/mm/dd" once stored, or
// empty) and the school database keeps them as text "yyyy/mm/dd".
#include <QDate>
#include <QString>

namespace ncc::motor {

// The date a text stands for, in any of the forms the suite writes
// ("dd/mm/yyyy", "yyyy/mm/dd", with "/", "-" or "." between the parts and an
// optional time after a blank); an invalid QDate when it is no date.
QDate fechaDeTexto(const QString& texto);

// "yyyy/mm/dd", the form the school database keeps.
inline QString textoFechaBase(const QDate& d) { return d.toString(QStringLiteral("yyyy/MM/dd")); }

// A text about to be bound as a statement value. The drivers bind a null
// QString (an unset field, a Null column read back, an empty result) as SQL
// NULL, while the suite always stored an empty text as ''.
inline QString textoNoNulo(const QString& s) { return s.isNull() ? QStringLiteral("") : s; }

}  // namespace ncc::motor
