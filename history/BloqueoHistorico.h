#pragma once
// The edit lock of one historic course: a bloqueohistorico row (historic
// year, teaching type, course, user) while one user edits its grades.
// Whoever finds a row opens the editor read-only.
#include "history/CursoHistoricoElegido.h"
#include "platform/Conexion.h"

namespace ncc::historicos {

// Tries to take the lock of `elegido` for `usuario` and sets
// elegido.blnSoloLectura. The check and the insert are one statement in one
// transaction, so two users who ask at the same moment cannot both get it.
//
// When the row found is the user's own (an editor of his that never
// closed, a program that died), he is asked, naming the course, whether to
// release it (No by default); Yes releases it and takes it afresh. Anyone
// else's lock, or No, shows string 6051 and leaves the editor read-only.
// Database errors reach the caller.
void TomarBloqueo(Conexion& con, CursoHistoricoElegido& elegido, qint16 usuario);

// Releases the lock `elegido` holds (only when it is not read-only, and
// only the user's own row), then clears blnSoloLectura. The editor calls it
// on every way out; a second call finds nothing left to delete. Database
// errors reach the caller.
void LiberarBloqueo(Conexion& con, CursoHistoricoElegido& elegido, qint16 usuario);

// Who holds the lock of that course: the user id, or -1 when nobody does.
int TitularBloqueo(Conexion& con, qint16 cursoHistorico, qint16 tipoEnsenanza, qint16 curso);

}  // namespace ncc::historicos
