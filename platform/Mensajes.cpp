#include "platform/Mensajes.h"
#include "platform/MensajesTerminal.h"
#include "platform/Textos.h"

namespace ncc {

static ServicioMensajes*& instalado() {
    static ServicioMensajes* s = nullptr;
    return s;
}

ServicioMensajes& mensajes() {
    ServicioMensajes* s = instalado();
    return s ? *s : mensajesTerminal();
}

void instalarServicioMensajes(ServicioMensajes* s) { instalado() = s; }

ServicioMensajesInstalado::ServicioMensajesInstalado(ServicioMensajes& s) : anterior_(instalado()) {
    instalarServicioMensajes(&s);
}

ServicioMensajesInstalado::~ServicioMensajesInstalado() { instalarServicioMensajes(anterior_); }

static Respuesta pitarYMostrar(const QString& texto, Icono icono, Botones botones, Respuesta defecto) {
    ServicioMensajes& s = mensajes();
    s.pitar();
    Mensaje m;
    m.texto = texto;
    m.icono = icono;
    m.botones = botones;
    m.defecto = defecto;
    m.titulo = Texto(TituloProducto);
    return s.mostrar(m);
}

void mostrarError(long numero, const QString& descripcion) {
    const QString texto =
        Texto(PalabraError) + QLatin1Char(' ') + QString::number(numero) + QStringLiteral(": ") + descripcion;
    pitarYMostrar(texto, Icono::Critico, Botones::Aceptar, Respuesta::Aceptar);
}

void mostrarError(const Error& e) { mostrarError(e.numero(), e.descripcion()); }

void avisar(int idTexto, Icono icono) { avisarTexto(Texto(idTexto), icono); }

void avisarTexto(const QString& texto, Icono icono) {
    pitarYMostrar(texto, icono, Botones::Aceptar, Respuesta::Aceptar);
}

bool preguntar(int idTexto, Icono icono, Respuesta defecto) {
    return preguntarTexto(Texto(idTexto), icono, defecto);
}

bool preguntarTexto(const QString& texto, Icono icono, Respuesta defecto) {
    return pitarYMostrar(texto, icono, Botones::SiNo, defecto) == Respuesta::Si;
}

}  // namespace ncc
