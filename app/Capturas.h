#pragma once
// ncc capturas: a picture of every window of the component on a real
// school, for reviewers and for the README. Each unit of windows adds its
// own pictures from a file of its own (CapturasX.cpp) with one line:
//
//     const RegistroCaptura registro({"frmX", capturarX});
//
// and takes them with the Capturador it is given. The questions its windows
// ask while it works are photographed and answered Yes (or as told), so a
// capture never waits for anybody; captures must not change the school.
#include "platform/Mensajes.h"
#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>

class QImage;
class QWidget;

namespace ncc::app {

class Capturador {
public:
    explicit Capturador(QString carpeta);

    // Writes <nombre>.png: the window as it is now, under a title bar that
    // shows its title as a desktop would (cut where a desktop would cut it).
    // A window that is not shown is laid out and rendered without showing
    // it, so that showing it cannot start anything.
    void guardar(QWidget* ventana, const QString& nombre);
    // Writes <nombre>.png of a picture drawn without a window (a page).
    void guardarImagen(const QImage& imagen, const QString& nombre);
    // Writes <nombre>.png of the message box the windows would show for `m`.
    void guardarMensaje(const Mensaje& m, const QString& nombre);
    // The name given to the pictures of the messages asked while a window
    // works: <prefijo>_<string id> (or _<n> for a text outside the table).
    void fijarPrefijo(const QString& prefijo) { prefijo_ = prefijo; }
    // The answer given to the questions of the windows from now on.
    void fijarRespuesta(Respuesta r) { respuesta_ = r; }

    const QStringList& escritas() const { return escritas_; }
    QString prefijo() const { return prefijo_; }
    Respuesta respuesta() const { return respuesta_; }
    QString nombreMensaje(const QString& texto);

private:
    QString carpeta_;
    QString prefijo_ = QStringLiteral("mensaje");
    Respuesta respuesta_ = Respuesta::Si;
    QStringList escritas_;
    int sinId_ = 0;
};

struct Captura {
    const char* nombre;  // the form, for `ncc capturas --solo`
    std::function<void(Capturador&)> hacer;
};

void registrarCaptura(const Captura& c);
const QList<Captura>& capturas();

struct RegistroCaptura {
    explicit RegistroCaptura(const Captura& c) { registrarCaptura(c); }
};

}  // namespace ncc::app
