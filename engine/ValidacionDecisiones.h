#pragma once
// The one check that a closing's decisions pass before anything is copied,
// wherever they come from: a plan file, the choices saved in the wizard
// (CIERRECURSO_*), or the wizard's pages as they stand. The engine writes
// what it is given into the new year, so a decision that no secretary could
// have made on the pages (two decisions for one student, a leaving date of
// 31 February, a destination section of another course, a price of "abc")
// is refused here, all of them at once, each naming the student or the
// activity and the value.
#include "entry/Coleccion.h"
#include "entry/cActividad.h"
#include "entry/cCurso.h"
#include <QStringList>
#include <optional>

namespace ncc {
class Conexion;
}

namespace ncc::motor {

// A price as the price page takes it: euros with up to 7 whole digits, a
// comma and at most two decimals (in cents), and whole pesetas; never a
// sign, an exponent or a point (in Spanish a point separates thousands).
std::optional<qint64> centimosDeEuros(const QString& euros);
std::optional<qint64> pesetasDeTexto(const QString& pesetas);

struct AlcanceValidacion {
    bool secciones = true;    // the students of the promoted sections
    bool actividades = true;  // the promoted activities
    // Students still waiting for a decision (`SinAsignar`) are let through:
    // only where the secretary was asked whether they may leave (2191).
    bool admiteSinAsignar = false;
};

// Students of promoted sections still waiting for a decision (`SinAsignar`):
// the closing makes them leavers.
bool HayAlumnosSinAsignar(const Coleccion<cCurso>& secciones);

// Every problem of the decisions, one line each; empty when they can be
// closed. Reads the school's teaching types, courses and sections from
// `centro` (the school database of the year being closed).
QStringList problemasDecisiones(const Coleccion<cCurso>* secciones, const Coleccion<cActividad>* actividades,
                                Conexion& centro, qint16 idCentro, const AlcanceValidacion& alcance);

}  // namespace ncc::motor
