#pragma once
// Date fields as a Spanish secretary uses them: "dd/mm/yyyy" typed with its
// slashes, the calendar in Spanish (month names, Monday first) whatever the
// machine's language, opening on the field's date or, when it has none, on
// today's month. A field that may be empty is emptied by deleting its whole
// text (Delete or Backspace with everything selected) and then shows blank.
#include <QDate>

class QDateEdit;

namespace ncc {

void prepararCampoFecha(QDateEdit* campo, bool vaciable = false);
// The date shown; invalid when the field is empty.
QDate fechaCampo(const QDateEdit* campo);
// Shows `fecha`; an invalid date empties a field that may be empty.
void fijarFechaCampo(QDateEdit* campo, const QDate& fecha);

}  // namespace ncc
