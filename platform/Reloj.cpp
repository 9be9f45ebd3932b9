#include "platform/Reloj.h"

namespace ncc {

// Set only by tests, so that dates written by a closing do not depend on the
// day the tests run.
static QDate& hoyFijado() {
    static QDate d;
    return d;
}

QDate Reloj::hoy() {
    const QDate& d = hoyFijado();
    return d.isValid() ? d : QDate::currentDate();
}

void Reloj::fijarHoy(const QDate& d) { hoyFijado() = d; }

}  // namespace ncc
