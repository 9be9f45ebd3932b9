#pragma once
// Dates of the closing: the wizard carries them as text ("dd/mm/yyyy" as
// typed, "yyyy/mm/dd" once stored, or empty) and the school database keeps
// them as text "yyyy/mm/dd".
#include <QDate>
#include <QString>

namespace ncc::motor {

// The date a text stands for, in any of the forms the suite writes
// ("dd/mm/yyyy", "yyyy/mm/dd", with "/", "-" or "." between the parts and an
// optional time after a blank); an invalid QDate when it is no date.
QDate fechaDeTexto(const QString& texto);

// "yyyy/mm/dd", the form the school database keeps.
inline QString textoFechaBase(const QDate& d) { return d.toString(QStringLiteral("yyyy/MM/dd")); }

}  // namespace ncc::motor
