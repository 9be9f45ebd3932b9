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
};

}  // namespace ncc
