#include "platform/gui/Ayuda.h"
#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

namespace ncc {

void PedirAyuda(QWidget* ventana) {
    if (!ventana) return;
    QKeyEvent pulsada(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QCoreApplication::sendEvent(ventana, &pulsada);
    QKeyEvent soltada(QEvent::KeyRelease, Qt::Key_F1, Qt::NoModifier);
    QCoreApplication::sendEvent(ventana, &soltada);
}

}  // namespace ncc
