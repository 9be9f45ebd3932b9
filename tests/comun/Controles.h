#pragma once
// Driving real windows in the tests: their widgets found by name, the
// modal windows they open driven from inside their own event loop, and the
// messages they show answered by a script.
#include "platform/MensajesGuion.h"
#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace ncc::pruebas {

// The scripted answers, and a look at the moment each message is shown.
class MensajesConVistazo : public MensajesGuion {
public:
    std::function<void(const Mensaje&)> alMostrar;
    Respuesta mostrar(const Mensaje& m) override {
        if (alMostrar) alMostrar(m);
        return MensajesGuion::mostrar(m);
    }
};

// The child `nombre` of `w`; a missing one fails the test.
template <class T = QAbstractButton>
T* hijo(QWidget* w, const char* nombre) {
    T* h = w->findChild<T*>(QString::fromLatin1(nombre));
    EXPECT_NE(h, nullptr) << "no hay " << nombre << " en " << w->objectName().toStdString();
    return h;
}

// Runs `f` on the modal window named `nombre` as soon as it shows. Gives up
// after `ms`, closing whatever modal window is open, so that a test never
// hangs.
inline void alAbrirse(const QString& nombre, std::function<void(QWidget*)> f, int ms = 10000) {
    auto reloj = std::make_shared<QElapsedTimer>();
    reloj->start();
    auto intento = std::make_shared<std::function<void()>>();
    *intento = [=] {
        QWidget* w = QApplication::activeModalWidget();
        if (w && w->objectName() == nombre && w->isVisible()) {
            f(w);
            return;
        }
        if (reloj->elapsed() > ms) {
            ADD_FAILURE() << "no se abrió " << nombre.toStdString();
            if (w) w->close();
            return;
        }
        QTimer::singleShot(10, *intento);
    };
    QTimer::singleShot(0, *intento);
}

inline void alAbrirse(const QString& nombre, std::function<void(QDialog&)> f) {
    alAbrirse(nombre, [nombre, f](QWidget* w) {
        if (auto* d = qobject_cast<QDialog*>(w)) f(*d);
        else ADD_FAILURE() << nombre.toStdString() << " no es un diálogo";
    });
}

}  // namespace ncc::pruebas
