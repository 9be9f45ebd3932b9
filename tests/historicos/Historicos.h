#pragma once
// What the tests of the historic side share: the sample school with a
// session on it, a message service that lets a test look at the databases
// while a message is on screen, and the driving of modal dialogs.
#include "cierre/Muestra.h"
#include "platform/Textos.h"
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <functional>

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

template <typename T>
T* hijo(QWidget* w, const char* nombre) {
    T* h = w->findChild<T*>(QLatin1String(nombre));
    if (!h) ADD_FAILURE() << "no hay " << nombre << " en " << w->objectName().toStdString();
    return h;
}

// Runs `accion` on the modal dialog named `nombre` as soon as it is shown
// (the caller then opens it). Gives up after a few seconds, closing
// whatever modal window is open, so that a test never hangs.
inline void alAbrirse(const QString& nombre, std::function<void(QDialog&)> accion) {
    auto* t = new QTimer;
    t->setInterval(10);
    auto vueltas = std::make_shared<int>(0);
    QObject::connect(t, &QTimer::timeout, [t, nombre, accion, vueltas] {
        QWidget* w = QApplication::activeModalWidget();
        if (auto* d = qobject_cast<QDialog*>(w); d && d->objectName() == nombre) {
            t->stop();
            t->deleteLater();
            accion(*d);
        } else if (++*vueltas > 500) {
            t->stop();
            t->deleteLater();
            ADD_FAILURE() << "no se abrió " << nombre.toStdString();
            if (auto* otro = qobject_cast<QDialog*>(w)) otro->reject();
        }
    });
    t->start();
}

inline int elegir(QComboBox* c, const QString& texto) {
    const int i = c->findText(texto);
    EXPECT_GE(i, 0) << texto.toStdString();
    c->setCurrentIndex(i);
    return i;
}

inline QString u8(const char* t) { return QString::fromUtf8(t); }

// The sample school of the tests, small, with a host session on it that
// has installed the component's settings.
struct EscuelaMuestra {
    EscuelaMuestra(ContextoBD& ctx, int alumnos = 40) : muestra(crearMuestra(ctx, QStringLiteral("escuela"), alumnos)) {
        sesion = std::make_unique<SesionAbierta>(muestra);
    }
    ~EscuelaMuestra() {
        sesion.reset();
        muestra.borrar();
    }
    Conexion& centro() { return sesion->sesion->centro(); }
    Conexion& appEntrada() { return sesion->sesion->appEntrada(); }
    Muestra muestra;
    std::unique_ptr<SesionAbierta> sesion;
};

}  // namespace ncc::pruebas
