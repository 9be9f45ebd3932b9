#pragma once
// The questions a closing asks before anything is copied: whether there is
// anything to close, the irreversible-operation warning, students left
// ungraded, unpaid receipts, and the last confirmation with the partial
// closing. They talk to the user only through the message service, so the
// wizard's start page and `ncc cerrar` ask exactly the same things.
#include "platform/Conexion.h"
#include <optional>

namespace ncc {

class cConfiguracion;

// What the start checks found about the school.
struct InicioCierre {
    bool Secciones = false;    // active students in sections to close
    bool Actividades = false;  // activities to pass on
    bool Mostrar = false;      // every check passed: the closing may go on
};

// The start checks, in order: nothing to close (2193), the irreversible
// operation (1183), ungraded students (1182, only with sections), unpaid
// receipts (1180). A failed check, a No or a database error (shown as the
// standard error message) ends them with Mostrar false.
InicioCierre ComprobarInicioCierre(const cConfiguracion& conf);

// The single checks; the first two throw ncc::Error on a database failure,
// the others show it and answer false.
bool HaySecciones(Conexion& centro, qint16 idCentro);
bool HayActividades(Conexion& centro);
bool ConfirmarCierre();
bool ComprobarAlumnosSinEvaluar(Conexion& centro);
bool ComprobarRecibosPendientes(Conexion& centro);

// The school has a course of teaching type 3, 4, 5 or 9, whose year may be
// closed partially. Throws ncc::Error.
bool HayCursosCierreParcial(Conexion& centro);

// The last questions before the run: 1185, or 1186 when the activities
// exist but were not prepared, then whether the closing is partial when the
// school may close partially. `parcial` answers that question beforehand
// (the command line's --parcial and --si). Sets CierreParcial() from the
// answer; false on No or on a database error (shown).
bool ConfirmarInicioProceso(Conexion& centro, bool actividades, bool actividadesCargadas,
                            std::optional<bool> parcial = std::nullopt);

// The partial-closing question, as the start page asks it.
QString PreguntaCierreParcial();

// A school year of the centre is already called `nombre` (case and blanks
// around it aside): the closing refuses it as the new year's name.
bool NombreCursoUsado(Conexion& appEntrada, qint16 idCentro, const QString& nombre);
bool MismoNombreCurso(const QString& a, const QString& b);
// What the refusal says.
QString TextoNombreCursoUsado(const QString& nombre);

}  // namespace ncc
