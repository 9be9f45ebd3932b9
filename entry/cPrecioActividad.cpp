#include "entry/cPrecioActividad.h"

namespace ncc {

cPrecioActividad::cPrecioActividad(QObject* parent) : QObject(parent) {}

}  // namespace ncc
