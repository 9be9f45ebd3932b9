#pragma once
// Procedures shared by the wizard's pages.
#include "entry/Coleccion.h"
#include "entry/cActividad.h"
#include "entry/cCurso.h"

namespace ncc {

class Rejilla;

// True as soon as a student of any section is promoted or repeats with no
// destination at all (teaching type, course and section all 0). A student
// with a teaching type but no course or section has a destination: the
// closing places him as far as it was chosen.
bool HayAlumnosSinDestino(const Coleccion<cCurso>& secciones);

// Carries the destinations of `alumnos` (students of a section just decided
// on the student page) into the promoted activities of `actividades` (the
// activity page's collection) that they belong to: each member takes the new
// teaching type, course and section texts and is visible unless he leaves;
// then the price rows of each activity touched are shown for the courses
// and student types of its visible members only. A student who is not a
// member of a listed activity, an activity that is not in the collection and
// a price row that is missing are skipped.
void SincronizarActividades(const Coleccion<cAlumno>& alumnos, const Coleccion<cActividad>& actividades);

// Paints a row of the section or activity list as its decision stands:
// yellow when the user confirmed it; a paler yellow, with "(propuesta)"
// after its text and a tip, when "Proponer todo" gave it and the user has
// not reviewed it; the grid's own colour when nothing is decided.
void PintarFilaDecidida(Rejilla& rejilla, int fila, bool promocionada, bool propuesta);

}  // namespace ncc
