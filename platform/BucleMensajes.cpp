#include "platform/BucleMensajes.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

namespace ncc {

namespace {

// Only the interface's thread has windows to paint; work on a thread of its
// own (a read or a write ahead of the run) goes on without yielding.
bool enHiloInterfaz() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

}  // namespace

void ceder() {
    if (!enHiloInterfaz()) return;
    static QElapsedTimer reloj;
    if (!reloj.isValid() || reloj.elapsed() >= 30) {
        reloj.restart();
        cederAhora();
    }
}

void cederAhora() {
    if (enHiloInterfaz()) QCoreApplication::processEvents();
}

}  // namespace ncc
