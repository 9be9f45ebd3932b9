#pragma once
// The stored decisions of the activity page: the promoted activities with
// their dates, members and prices, kept in four CIERRECURSO_ tables of the
// school database so that a secretary can stop and go on another day. One
// stored set per school database; a save replaces the previous one.
#include "entry/Coleccion.h"
#include "entry/cActividad.h"
#include "entry/cCurso.h"

namespace ncc {
class Conexion;
}

namespace ncc::actividades {

// A stored set exists.
bool hayDatosActividades(Conexion& centro);

// Replaces the stored set by the promoted activities of `actividades`, all
// in one transaction: a save that fails half-way leaves the previous set as
// it was. Raises ncc::Error on a database failure.
void guardarDatosActividades(Conexion& centro, const Coleccion<cActividad>& actividades);
// The same statements inside the caller's transaction.
void escribirDatosActividades(Conexion& centro, const Coleccion<cActividad>& actividades);

// Brings the stored set back onto `actividades` as the page has just read
// them (every activity unpromoted): each stored activity that still exists is
// promoted with its stored dates, prices and members. Only members that are
// still active members of the activity and have a stored row come back, and
// only prices of student types still among its active members and of courses
// still in the school. With the student page's sections (`secciones`
// non-null) each member takes the destination given to him there. Raises
// ncc::Error on a database failure.
void cargarDatosActividades(Conexion& centro, Coleccion<cActividad>& actividades, const Coleccion<cCurso>* secciones);

// The activities as the page holds them right after "Cargar datos
// actividades": every activity of the school, the stored ones promoted.
std::shared_ptr<Coleccion<cActividad>> actividadesGuardadas(Conexion& centro, qint16 idCentro,
                                                            const Coleccion<cCurso>* secciones);

}  // namespace ncc::actividades
