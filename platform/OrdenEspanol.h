#pragma once
// Spanish alphabetical order, as a school's lists are read: case and accents
// do not count ("Álvarez" before "Blanco", "Sánchez" before "Soto"), "ñ" is a
// letter of its own after "n", and a Null text sorts as the empty text.
//
// The order is computed here, in the program, and never left to the back
// end: SQLite compares bytes and a server compares with whatever collation
// its databases were created with, so the same ORDER BY gives different
// lists, and a closing that numbers students by name would give different
// data. Every list of people sorted by name reads its rows and sorts them
// with these functions.
#include <QString>
#include <QVariant>
#include <algorithm>

namespace ncc::orden {

// The text under which `texto` sorts: folded case, no accents, "ñ" kept
// apart from "n".
QString claveEspanol(const QString& texto);

// Negative, zero or positive as `a` sorts before, with or after `b`. Texts
// equal once folded ("Pérez", "PEREZ") are told apart as written, so only
// identical texts compare equal.
int compararEspanol(const QString& a, const QString& b);

inline bool antesEnEspanol(const QString& a, const QString& b) { return compararEspanol(a, b) < 0; }

// A person's name as the suite has always sorted it: first surname, second
// surname and name joined, each Null part as empty text.
QString nombreParaOrden(const QVariant& apellido1, const QVariant& apellido2, const QVariant& nombre);

// A value of a sort column where the back ends place Nulls differently:
// Nulls first, as the suite's Access files sorted them.
int compararNulosPrimero(const QVariant& a, const QVariant& b);

// A person of a list: the text to sort by and an id that breaks ties.
struct ClavePersona {
    QString nombre;  // nombreParaOrden(...)
    qint64 id = 0;
};

// Total order of people: by name in Spanish order, then by id.
inline bool antesPersona(const ClavePersona& a, const ClavePersona& b) {
    const int c = compararEspanol(a.nombre, b.nombre);
    return c != 0 ? c < 0 : a.id < b.id;
}

// Sorts the elements of [primero, ultimo) by the person `clave(elemento)`
// gives (a ClavePersona).
template <class It, class F>
void ordenarPersonas(It primero, It ultimo, F clave) {
    std::stable_sort(primero, ultimo, [&](const auto& a, const auto& b) { return antesPersona(clave(a), clave(b)); });
}

}  // namespace ncc::orden
