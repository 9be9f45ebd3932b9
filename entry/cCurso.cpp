#include "entry/cCurso.h"

namespace ncc {

cCurso::cCurso(QObject* parent)
    : QObject(parent),
      Alumnos_(std::make_shared<Coleccion<cAlumno>>()) {}

}  // namespace ncc
