#include "entry/SoloLectura.h"
#include "platform/Mensajes.h"
#include <QDir>
#include <QFileInfo>

namespace ncc {

bool SeEscribe(const QString& archivo) {
    const QFileInfo f(archivo);
    return QFileInfo(f.absolutePath()).isWritable() && (!f.exists() || f.isWritable());
}

QString CarpetaSoloLectura(const cConfiguracion& conf) {
    if (conf.SQLServer()) return QString();
    for (const Conexion* c : {conf.conLocalAppEntrada(), conf.conLocalBorradoAppEntrada(), conf.conLocalCentro(),
                              conf.conLocalBorradoCentro()}) {
        if (!c || c->esServidor()) continue;
        const QString archivo = c->propiedad(QStringLiteral("Data Source"));
        if (!SeEscribe(archivo)) return QDir::toNativeSeparators(QFileInfo(archivo).absolutePath());
    }
    return QString();
}

QString TextoSoloLectura(const QString& carpeta) {
    return QStringLiteral("La carpeta del centro «%1» es de solo lectura: se puede consultar, pero no guardar nada en ella.")
        .arg(carpeta);
}

QString AvisoSoloLectura() {
    const cConfiguracion* conf = ConfiguracionActual();
    const QString carpeta = conf ? CarpetaSoloLectura(*conf) : QString();
    return carpeta.isEmpty() ? QString() : TextoSoloLectura(carpeta);
}

bool PuedeEscribir() {
    const QString aviso = AvisoSoloLectura();
    if (aviso.isEmpty()) return true;
    avisarTexto(aviso, Icono::Exclamacion);
    return false;
}

}  // namespace ncc
