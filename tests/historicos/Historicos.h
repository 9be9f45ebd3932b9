#pragma once
// What the tests of the historic side share: the sample school with a
// session on it, and the driving of modal dialogs.
#include "Controles.h"
#include "cierre/Muestra.h"
#include "platform/Textos.h"
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <functional>

namespace ncc::pruebas {

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
