// Stand-ins for the students and history steps until they are written.
#include "engine/Pasos.h"

namespace ncc::motor {
bool PromocionarAlumnos(EstadoMotor&) { return true; }
bool NumerarAlumnosSeccion(EstadoMotor&) { return true; }
bool CrearSeccionAlumno(EstadoMotor&) { return true; }
bool ActualizarFechasEvaluacion(EstadoMotor&) { return true; }
bool PasarMateriasAlumnos(EstadoMotor&) { return true; }
bool PasarNotasEvaluaciones(EstadoMotor&) { return true; }
bool QuitarDelegados(EstadoMotor&) { return true; }
bool PasoVacio(EstadoMotor&) { return true; }
bool QuitarMarcaAnticipado(EstadoMotor&) { return true; }
void RestaurarAlumnosSecciones(EstadoMotor&) {}
bool PasarHistorico(EstadoMotor&) { return true; }
}  // namespace ncc::motor
