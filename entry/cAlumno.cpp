#include "entry/cAlumno.h"

namespace ncc {

cAlumno::cAlumno(QObject* parent) : QObject(parent) {}

}  // namespace ncc
