#pragma once
// The message service of the windows: modal message boxes over the active
// window, with the suite's Spanish button texts.
#include "platform/Mensajes.h"
#include <memory>

class QMessageBox;
class QWidget;

namespace ncc {

class MensajesQt : public ServicioMensajes {
public:
    void pitar() override;
    Respuesta mostrar(const Mensaje& m) override;

    // The box that mostrar() shows for `m`, not yet shown.
    static std::unique_ptr<QMessageBox> crearCaja(const Mensaje& m, QWidget* padre);
    static Respuesta respuesta(int boton);
};

}  // namespace ncc
