#include "entry/cActividad.h"
#include "entry/Rango.h"

namespace ncc {

cActividad::cActividad(QObject* parent)
    : QObject(parent),
      Alumnos_(std::make_shared<Coleccion<cAlumnoActividad>>()),
      TipoAlumnos_(std::make_shared<Coleccion<cPrecioActividad>>()),
      Cursos_(std::make_shared<Coleccion<cPrecioActividad>>()) {}

void cActividad::setIDActividad(long valor) { IDActividad_ = comprobarRango<qint16>(valor, "IDActividad"); }
void cActividad::setTipoActividad(long valor) { TipoActividad_ = comprobarRango<quint8>(valor, "TipoActividad"); }

}  // namespace ncc
