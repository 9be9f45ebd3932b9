// Linked only into the test programs that run closings on the server: they
// alone may drop the databases a closing names from the centre and years.
#include "comun/EscuelaPrueba.h"

namespace {
const bool marcada = (ncc::pruebas::marcarPruebasDeCierre(), true);
}  // namespace
