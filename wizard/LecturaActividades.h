#pragma once
// What the activity page reads from the school database, without a widget:
// every activity with its dates proposed one year on and its price rows, the
// members of one activity, and the destinations that the student page gave
// them. `ncc plan` reads the same trees as the page shows them.
#include "entry/Coleccion.h"
#include "entry/cActividad.h"
#include "entry/cAlumnoActividad.h"
#include "entry/cCurso.h"
#include <QDate>
#include <QHash>
#include <QString>
#include <memory>

namespace ncc {
class Conexion;
}

namespace ncc::actividades {

// The key of the row `id` in a collection of T.
template <class T>
QString clave(qint64 id) {
    return Coleccion<T>::clave(id);
}

using ColeccionActividades = std::shared_ptr<Coleccion<cActividad>>;

// The same day and month one year on. The 29th of February becomes the 28th
// when the next year has no such day (swapping the year in the text, as the
// suite did, gives a date that does not exist).
QDate unAnoDespues(const QDate& d);

// "dd/mm/yyyy", as the page shows a date; empty for an invalid one.
QString textoPantalla(const QDate& d);

// Every activity of the school (by id), unpromoted, with its dates one year
// on ("dd/mm/yyyy"; both empty unless both are dates), its price rows by the
// student types of its active members, at the activity's general price of
// each type, and by every course of the school, without price (all not in
// use). `noTipos`/`noCursos` say that the school has no such rows at all.
struct CargaActividades {
    ColeccionActividades actividades = std::make_shared<Coleccion<cActividad>>();
    QHash<qint32, QString> nombres;  // by activity id
    bool noTipos = false;
    bool noCursos = false;
};
CargaActividades leerActividades(Conexion& centro, qint16 idCentro);

// The price rows of `a` as the load gives them: by type at the school's
// general price, by course empty, none in use or changed on the price page.
void reponerPrecios(Conexion& centro, cActividad& a);

// The dates of an activity as the school keeps them; invalid when missing or
// no date.
struct Fechas {
    QDate inicio, fin;
    bool validas() const { return inicio.isValid() && fin.isValid(); }
};
Fechas fechasDeBase(Conexion& centro, qint32 idActividad);

// The active members of an activity at their current prices, none passing,
// in Spanish order of surnames and name. With the student page's sections
// (`secciones` non-null), a member whose section is promoted there takes the
// destination given to him and is visible only if he does not leave.
ColeccionAlumnosActividad leerMiembros(Conexion& centro, qint32 idActividad, const Coleccion<cCurso>* secciones);

// The members of rows read of an activity, in Spanish order of surnames and
// name (`filas` is sorted so): a student listed or stored twice is one
// member; with the student page's sections each takes his destination
// there, as tomarDestino does with `conVisible`.
ColeccionAlumnosActividad miembrosUnicos(QList<std::shared_ptr<cAlumnoActividad>>& filas,
                                         const Coleccion<cCurso>* secciones);

// A member takes the destination that the student page gave him, when his
// section is promoted there and he is among its students; `conVisible` also
// hides him when he leaves. False when his section is not promoted there.
bool tomarDestino(cAlumnoActividad& m, const Coleccion<cCurso>& secciones, bool conVisible);

// Every member of `miembros` takes his destination (and visibility) from the
// student page.
void sincronizarMiembros(const Coleccion<cAlumnoActividad>& miembros, const Coleccion<cCurso>& secciones);

// The price rows in use are those of the visible members' course and type:
// every row of the activity is first marked unused. Returns whether none is
// in use by type and by course.
struct PreciosEnUso {
    bool noTipos = true;
    bool noCursos = true;
};
PreciosEnUso marcarPreciosEnUso(cActividad& a, const Coleccion<cAlumnoActividad>& miembros);

// "Proponer todo": every activity of `actividades` not yet promoted takes
// the closing's proposal (the command line's default plan): dates one year
// on, every active member passing at his price with the destination that
// `secciones` gives him (the proposal's own sections when null), prices by
// student type at the activity's general prices. Returns the ids proposed.
QList<qint32> proponerPendientes(Conexion& centro, qint16 idCentro, Coleccion<cActividad>& actividades,
                                 const Coleccion<cCurso>* secciones);

// A copy of a member (the page keeps its working members apart from the
// activity's confirmed ones).
std::shared_ptr<cAlumnoActividad> copiarMiembro(const cAlumnoActividad& m);

// Sorts rows of members as names sort in Spanish: surnames then name, run
// together as the suite's ORDER BY did, ties by student id.
void ordenarPorNombre(QList<std::shared_ptr<cAlumnoActividad>>& miembros);

}  // namespace ncc::actividades
