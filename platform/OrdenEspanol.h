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
#include <iterator>
#include <vector>

namespace ncc::orden {

// The text under which `texto` sorts: folded case, no accents, "ñ" kept
// apart from "n".
QString claveEspanol(const QString& texto);

// Negative, zero or positive as `a` sorts before, with or after `b`. Texts
// equal once folded ("Pérez", "PEREZ") are told apart as written, so only
// identical texts compare equal.
int compararEspanol(const QString& a, const QString& b);

inline bool antesEnEspanol(const QString& a, const QString& b) { return compararEspanol(a, b) < 0; }

// compararEspanol of `a` and `b` whose keys (claveEspanol) are already made:
// a long sort folds each text once instead of at every comparison.
inline int compararConClaves(const QString& claveA, const QString& a, const QString& claveB, const QString& b) {
    if (const int c = claveA.compare(claveB)) return c;
    return a.compare(b);
}

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
// gives (a ClavePersona), in the order of antesPersona. Each name is folded
// once, not at every comparison: long lists sort in a fraction of the time.
template <class It, class F>
void ordenarPersonas(It primero, It ultimo, F clave) {
    using Valor = typename std::iterator_traits<It>::value_type;
    struct Entrada {
        QString plegado;
        ClavePersona persona;
        Valor valor;
    };
    std::vector<Entrada> v;
    v.reserve(static_cast<std::size_t>(std::distance(primero, ultimo)));
    for (It i = primero; i != ultimo; ++i) {
        ClavePersona p = clave(*i);
        QString plegado = claveEspanol(p.nombre);
        v.push_back({std::move(plegado), std::move(p), std::move(*i)});
    }
    std::stable_sort(v.begin(), v.end(), [](const Entrada& a, const Entrada& b) {
        const int c = compararConClaves(a.plegado, a.persona.nombre, b.plegado, b.persona.nombre);
        return c != 0 ? c < 0 : a.persona.id < b.persona.id;
    });
    for (Entrada& e : v) *primero++ = std::move(e.valor);
}

}  // namespace ncc::orden
