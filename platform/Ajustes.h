#pragma once
// Per-user settings (grid column widths of the wizard pages), kept where the
// suite kept them: under NombreCentro + "/Norva Centro 2000/CierreCurso".
#include <QString>
#include <QVariant>

namespace ncc {

struct Ajustes {
    static QVariant leer(const QString& nombreCentro, const QString& seccion,
                         const QString& clave, const QVariant& defecto = {});
    static void escribir(const QString& nombreCentro, const QString& seccion,
                         const QString& clave, const QVariant& valor);
    // The program's own settings, not tied to a school (the folder of the
    // school last opened).
    static QVariant leerPrograma(const QString& clave, const QVariant& defecto = {});
    static void escribirPrograma(const QString& clave, const QVariant& valor);
};

}  // namespace ncc
