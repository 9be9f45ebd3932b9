#pragma once
// The message service of the windows: modal message boxes over the active
// window, with the suite's Spanish button texts.
#include "platform/Mensajes.h"

namespace ncc {

class MensajesQt : public ServicioMensajes {
public:
    void pitar() override;
    Respuesta mostrar(const Mensaje& m) override;
};

}  // namespace ncc
