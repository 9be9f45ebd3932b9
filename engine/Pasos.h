#pragma once
// The transfer steps of a closing, in the order the run calls them. Each
// traps its own errors, shows its message through the message service and
// answers false; the run then stops and rolls back.
#include "engine/EstadoMotor.h"

namespace ncc::motor {

// Students (promotion transfer).
bool PromocionarAlumnos(EstadoMotor& e);
bool NumerarAlumnosSeccion(EstadoMotor& e);
bool CrearSeccionAlumno(EstadoMotor& e);
bool ActualizarFechasEvaluacion(EstadoMotor& e);
bool PasarMateriasAlumnos(EstadoMotor& e);
bool PasarNotasEvaluaciones(EstadoMotor& e);
bool QuitarDelegados(EstadoMotor& e);
bool PasoVacio(EstadoMotor& e);
bool QuitarMarcaAnticipado(EstadoMotor& e);
// After a failed run: every student taken out of a section goes back.
void RestaurarAlumnosSecciones(EstadoMotor& e);

// Grade history.
bool PasarHistorico(EstadoMotor& e);

// Leavers and orphans.
bool PurgarFamilias(EstadoMotor& e);
bool PurgarBajas(EstadoMotor& e);
bool PurgarPrematriculas(EstadoMotor& e);
bool LimpiarHuerfanos(EstadoMotor& e);

// Activities.
bool PasarActividades(EstadoMotor& e);

}  // namespace ncc::motor
