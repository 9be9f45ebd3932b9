#pragma once
// The activities phase of the closing: PasarActividades (engine/Pasos.h) is
// made of the steps below.
#include "engine/EstadoMotor.h"
#include "engine/ListaIds.h"

namespace ncc::motor {

// New dates and prices by student type of the promoted activities; the
// activities left unpromoted are deleted.
bool PasarPreciosActividades(EstadoMotor& e);
// Prices and months of the members who pass; the others leave the activity.
bool PasarMiembrosActividades(EstadoMotor& e);
// An activity and everything that hangs on it, in the new year's database
// (its link to other schools stays).
void BorrarActividades(EstadoMotor& e, const ListaIds& strIDs, bool& Correcto);

// "Enero" ... "Diciembre" for 1 to 12, the empty text otherwise. They are
// also the names of the month columns.
QString NombreMes(int mes);
// Sets the recordset's filter and hands the same recordset back.
Recordset& FiltrarRecordset(Recordset& rs, const QString& filtro);

}  // namespace ncc::motor
