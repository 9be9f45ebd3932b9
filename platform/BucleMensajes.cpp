#include "platform/BucleMensajes.h"
#include <QCoreApplication>
#include <QElapsedTimer>

namespace ncc {

void ceder() {
    static QElapsedTimer reloj;
    if (!reloj.isValid() || reloj.elapsed() >= 30) {
        reloj.restart();
        cederAhora();
    }
}

void cederAhora() {
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

}  // namespace ncc
