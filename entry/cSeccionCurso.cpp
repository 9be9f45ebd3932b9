#include "entry/cSeccionCurso.h"

namespace ncc {

cSeccionCurso::cSeccionCurso(QObject* parent) : QObject(parent) {}

}  // namespace ncc
