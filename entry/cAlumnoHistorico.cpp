#include "entry/cAlumnoHistorico.h"

namespace ncc {

cAlumnoHistorico::cAlumnoHistorico(QObject* parent) : QObject(parent) {}

}  // namespace ncc
