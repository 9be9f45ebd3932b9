#include "buscar/CAsignardatos.h"
#include "buscar/frmBuscarAlumno.h"
#include "entry/RegistroClases.h"
#include "platform/Conexion.h"
#include <QApplication>

namespace ncbuscar {

CAsignardatos::CAsignardatos(QObject* parent) : QObject(parent) {}

void CAsignardatos::pasarconexiones(QObject* conCentro, QObject*, QObject*, QObject*) {
    centro_ = qobject_cast<ncc::Conexion*>(conCentro);
}

void CAsignardatos::ObtenerDatos(const QVariant& rutaIcono, const QVariant& excluidos) {
    rutaIcono_ = rutaIcono.toString();
    excluidos_ = excluidos.toString();
}

QVariant CAsignardatos::Buscar(const QString& que) {
    // Only students are searched here.
    if (que.compare(QLatin1String("Alumno"), Qt::CaseInsensitive) != 0 || !centro_) return QString();
    frmBuscarAlumno f(*centro_, excluidos_, QApplication::activeWindow());
    if (!rutaIcono_.isEmpty()) f.setWindowIcon(QIcon(rutaIcono_));
    if (f.exec() != QDialog::Accepted) return QString();
    return f.seleccion();
}

}  // namespace ncbuscar

using ncbuscar::CAsignardatos;
NCC_REGISTRAR_EXTERNA("NCBuscar.CAsignardatos", CAsignardatos);
