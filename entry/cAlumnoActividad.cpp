#include "entry/cAlumnoActividad.h"
#include "entry/Rango.h"

namespace ncc {

cAlumnoActividad::cAlumnoActividad(QObject* parent) : QObject(parent) {}

void cAlumnoActividad::setIDTipoAlumno(long valor) { IDTipoAlumno_ = comprobarRango<quint8>(valor, "IDTipoAlumno"); }

std::shared_ptr<cAlumnoActividad> MiembroLeido(const Recordset& rs) {
    auto m = std::make_shared<cAlumnoActividad>();
    m->setIDAlumno(qint32(rs.entero(QStringLiteral("IDAlumno"))));
    m->setNombre(rs.texto(QStringLiteral("Nombre")));
    m->setApellido1(rs.texto(QStringLiteral("Apellido_1")));
    m->setApellido2(rs.texto(QStringLiteral("Apellido_2")));
    m->setIDTipoAlumno(long(rs.entero(QStringLiteral("codTipoAlumno"))));
    m->setTipoAlumno(rs.texto(QStringLiteral("Descripcion")));
    m->setIDSeccionActual(qint16(rs.entero(QStringLiteral("codSeccion"))));
    m->setEuros(rs.texto(QStringLiteral("PrecioEuros")));
    m->setPesetas(rs.texto(QStringLiteral("PrecioPesetas")));
    m->setPasar(false);
    m->setVisible(true);
    return m;
}

}  // namespace ncc
