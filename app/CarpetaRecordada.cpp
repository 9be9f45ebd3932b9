#include "app/CarpetaRecordada.h"
#include "platform/Ajustes.h"
#include "platform/CadenaConexion.h"
#include <QFileInfo>

namespace ncc::app {

namespace {

const QString clave = QStringLiteral("Sesion/UltimaCarpeta");

bool nombraCentro(const QStringList& args) {
    for (const QString& a : args)
        for (const char* opcion : {"--datos", "--servidor"})
            if (a == QLatin1String(opcion) || a.startsWith(QString::fromLatin1(opcion) + QLatin1Char('=')))
                return true;
    return false;
}

}  // namespace

void completarConCarpetaRecordada(QStringList& args, const QString& orden, QTextStream& aviso) {
    if (nombraCentro(args)) return;
    const QString carpeta = Ajustes::leerPrograma(clave).toString();
    if (carpeta.isEmpty())
        throw host::ErrorOpciones(
            QStringLiteral("No se ha indicado el centro: nombre la carpeta de sus bases de datos con "
                           "«ncc %1 --datos CARPETA» (por ejemplo, ncc %1 --datos ~/escuela) o un servidor con "
                           "--servidor CADENA, y las próximas veces se usará la misma carpeta")
                .arg(orden));
    aviso << "ncc " << orden << ": centro de la carpeta usada la última vez: " << carpeta << "\n";
    aviso.flush();
    args << QStringLiteral("--datos") << carpeta;
}

QString usoCarpetaRecordada() {
    return QStringLiteral("  sin --datos ni --servidor, la carpeta del centro usada la última vez\n");
}

void recordarCarpeta(const host::OpcionesSesion& opciones) {
    if (opciones.appEntrada.esServidor()) return;
    Ajustes::escribirPrograma(clave, QFileInfo(opciones.appEntrada.archivo).absolutePath());
}

}  // namespace ncc::app
