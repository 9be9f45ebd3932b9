#pragma once
// The purge of the leavers and of the rows nobody uses any more. The steps
// the run calls are declared in engine/Pasos.h; these are the parts they are
// made of, each reporting through `Correcto` after showing its own error.
#include "engine/EstadoMotor.h"
#include "engine/ListaIds.h"

namespace ncc::motor {

// The addresses of the leavers and of the deleted families' members that no
// remaining student, staff member or family member uses. Without
// `DireccionesFamilia` (no family was deleted) only the leavers' own count.
void PurgarDirecciones(EstadoMotor& e, const ListaIds* DireccionesFamilia, bool& Correcto);

// Each takes the leaver ids (strIDsAlumnosBaja).
void ArchivarBajas(EstadoMotor& e, const ListaIds& strIDs, bool& Correcto);
void PurgarDatosMedicos(EstadoMotor& e, const ListaIds& strIDs, bool& Correcto);
void PurgarFotos(EstadoMotor& e, const ListaIds& strIDs, bool& Correcto);
void PurgarPrematriculaAux(EstadoMotor& e, const ListaIds& strIDs, bool& Correcto);

}  // namespace ncc::motor
