#pragma once
// What every window of the historic side does when it opens: the session's
// icon and the texts of the string table.
#include "entry/cConfiguracion.h"
#include <QWidget>

namespace ncc::historicos {

// The session settings; throws ncc::Error when the host has handed over no
// session (or its school connection is gone).
cConfiguracion& sesion();
Conexion& centroSesion();

// Window icon from the session's RutaIcono and texts by string id.
void prepararVentana(QWidget* ventana);

// Runs `accion`, showing the standard error message for any ncc::Error:
// every handler of the windows traps its own errors.
template <typename F>
bool atrapar(F&& accion);

}  // namespace ncc::historicos

#include "platform/Error.h"
#include "platform/Mensajes.h"

template <typename F>
bool ncc::historicos::atrapar(F&& accion) {
    try {
        accion();
        return true;
    } catch (const Error& e) {
        mostrarError(e);
        return false;
    }
}
