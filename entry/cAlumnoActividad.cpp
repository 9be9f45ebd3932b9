#include "entry/cAlumnoActividad.h"
#include "entry/Rango.h"

namespace ncc {

cAlumnoActividad::cAlumnoActividad(QObject* parent) : QObject(parent) {}

void cAlumnoActividad::setIDTipoAlumno(long valor) { IDTipoAlumno_ = comprobarRango<quint8>(valor, "IDTipoAlumno"); }

}  // namespace ncc
