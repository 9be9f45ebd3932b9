#include "entry/cMateria.h"

namespace ncc {

cMateria::cMateria(QObject* parent) : QObject(parent) {}

}  // namespace ncc
