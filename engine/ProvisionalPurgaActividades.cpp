// Stand-ins for the purge and activities steps until they are written.
#include "engine/Pasos.h"

namespace ncc::motor {
bool PurgarFamilias(EstadoMotor&) { return true; }
bool PurgarBajas(EstadoMotor&) { return true; }
bool PurgarPrematriculas(EstadoMotor&) { return true; }
bool LimpiarHuerfanos(EstadoMotor&) { return true; }
bool PasarActividades(EstadoMotor& e) {
    e.avisos->AvanzarProgreso();
    e.avisos->AvanzarProgreso();
    return true;
}
}  // namespace ncc::motor
