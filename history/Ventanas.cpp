#include "history/Ventanas.h"
#include "entry/gui/cIInterface.h"
#include <QFileInfo>
#include <QIcon>

namespace ncc::historicos {

cConfiguracion& sesion() {
    cConfiguracion* c = ConfiguracionActual();
    if (!c) throw Error(91, QStringLiteral("Variable de objeto no establecida: no se han obtenido los datos de la sesión"));
    return *c;
}

Conexion& centroSesion() {
    Conexion* c = sesion().conLocalCentro();
    if (!c) throw Error(91, QStringLiteral("Variable de objeto no establecida: la sesión no tiene la base de datos del centro"));
    return *c;
}

void prepararVentana(QWidget* ventana) {
    if (const cConfiguracion* c = ConfiguracionActual(); c && QFileInfo(c->RutaIcono()).isFile())
        ventana->setWindowIcon(QIcon(c->RutaIcono()));
    cIInterface textos;
    textos.CargarTextos(ventana);
}

}  // namespace ncc::historicos
