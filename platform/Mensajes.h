#pragma once
// The one message service: every message and question of the component goes
// through here, so that the same code serves the Qt dialogs, the terminal and
// the tests (which answer the questions in advance).
#include "platform/Error.h"
#include <QString>
#include <QStringList>

namespace ncc {

enum class Icono { Ninguno, Critico, Pregunta, Exclamacion, Informacion };
enum class Botones { Aceptar, SiNo, SiNoCancelar, AceptarCancelar };
enum class Respuesta { Aceptar, Si, No, Cancelar };

struct Mensaje {
    QString texto;
    Icono icono = Icono::Informacion;
    Botones botones = Botones::Aceptar;
    Respuesta defecto = Respuesta::Aceptar;
    QString titulo;  // string 100 unless a caller says otherwise
};

class ServicioMensajes {
public:
    virtual ~ServicioMensajes() = default;
    virtual void pitar() = 0;
    virtual Respuesta mostrar(const Mensaje& m) = 0;
};

// The current service (a terminal one until somebody installs another).
ServicioMensajes& mensajes();
// Installs `s` (not owned); nullptr brings back the default.
void instalarServicioMensajes(ServicioMensajes* s);

// Conventions of the suite, built on the current service:
// beep + "Error <n>: <descripción>", critical icon, title string 100.
void mostrarError(long numero, const QString& descripcion);
void mostrarError(const Error& e);
// beep + a message by string id (or text) with the given icon, title 100.
void avisar(int idTexto, Icono icono = Icono::Critico);
void avisarTexto(const QString& texto, Icono icono = Icono::Informacion);
// beep + Yes/No question, No as default unless said; true for Yes.
bool preguntar(int idTexto, Icono icono = Icono::Pregunta, Respuesta defecto = Respuesta::No);
bool preguntarTexto(const QString& texto, Icono icono = Icono::Pregunta,
                    Respuesta defecto = Respuesta::No);

// Installs a service for the lifetime of the object.
class ServicioMensajesInstalado {
public:
    explicit ServicioMensajesInstalado(ServicioMensajes& s);
    ~ServicioMensajesInstalado();
    ServicioMensajesInstalado(const ServicioMensajesInstalado&) = delete;
    ServicioMensajesInstalado& operator=(const ServicioMensajesInstalado&) = delete;

private:
    ServicioMensajes* anterior_;
};

}  // namespace ncc
