#include "host/ResumenCierre.h"
#include "platform/Conexion.h"
#include <QSet>

namespace ncc::host {

namespace {

long contar(Conexion& con, const QString& tabla) {
    Recordset rs = con.Abrir(QStringLiteral("SELECT COUNT(*) FROM ") + tabla);
    return rs.eof() ? 0 : static_cast<long>(rs.campo(0).toLongLong());
}

QHash<qint64, long> plazas(Conexion& con) {
    QHash<qint64, long> p;
    Recordset rs = con.Abrir(QStringLiteral("SELECT IDSeccion, NumPlazas FROM Seccion"));
    for (; !rs.eof(); rs.MoveNext()) p.insert(rs.entero(QStringLiteral("IDSeccion")), static_cast<long>(rs.entero(QStringLiteral("NumPlazas"))));
    return p;
}

}  // namespace

ResumenCierre ResumenCierre::leerAntes(const cConfiguracion& conf, const Arboles& arboles) {
    ResumenCierre r;
    for (const auto& s : *arboles.secciones) {
        if (!s->Promocionada()) continue;
        for (const auto& a : *s->Alumnos()) {
            if (a->Promociona()) ++r.promocionan;
            else if (a->Repite()) ++r.repiten;
            else if (a->Baja()) ++r.bajas;
        }
    }
    Conexion& c = *conf.conLocalCentro();
    r.actividadesAntes = contar(c, QStringLiteral("Actividad"));
    // The closing makes one historic year after every one the school has.
    Recordset hist = c.Abrir(QStringLiteral("SELECT MAX(IDCursoEscolarHistorico) FROM CursoEscolarHistorico"));
    r.ultimoHistoricoAntes_ = hist.eof() ? 0 : static_cast<long>(hist.campo(0).toLongLong());
    r.bajasAntes_ = contar(c, QStringLiteral("Alumno_Baja"));
    r.familiasAntes_ = contar(c, QStringLiteral("Familia"));
    r.direccionesAntes_ = contar(c, QStringLiteral("Direccion"));
    r.cuentasAntes_ = contar(c, QStringLiteral("Cuenta"));
    r.fotosAntes_ = contar(c, QStringLiteral("Foto"));
    r.plazasAntes_ = plazas(c);
    return r;
}

ResumenCierre ResumenCierre::completar(const motor::EstadoMotor& e) const {
    ResumenCierre r = *this;
    Conexion& nuevo = const_cast<Conexion&>(e.conNuevoCentro);
    Conexion& cerrado = e.conLocalCentro();
    r.bajasArchivadas = contar(cerrado, QStringLiteral("Alumno_Baja")) - bajasAntes_;
    // The grades passed are the rows of the closed year's historic year: the
    // historic rows of the leavers, deleted on the way, are not among them.
    r.filasHistorico = contar(nuevo, QStringLiteral("EvaluacionHistorica WHERE CodCursoEscolarHistorico > %1").arg(ultimoHistoricoAntes_));
    r.materiasPendientes = contar(nuevo, QStringLiteral("AlumnoPte_MatDet"));
    r.actividadesDespues = contar(nuevo, QStringLiteral("Actividad"));
    r.familias = familiasAntes_ - contar(nuevo, QStringLiteral("Familia"));
    r.direcciones = direccionesAntes_ - contar(nuevo, QStringLiteral("Direccion"));
    r.cuentas = cuentasAntes_ - contar(nuevo, QStringLiteral("Cuenta"));
    r.fotos = fotosAntes_ - contar(nuevo, QStringLiteral("Foto"));
    const auto despues = plazas(nuevo);
    for (auto it = despues.cbegin(); it != despues.cend(); ++it) {
        const long antes = plazasAntes_.value(it.key(), it.value());
        if (it.value() != antes) {
            ++r.seccionesCorregidas;
            r.plazasAnadidas += it.value() - antes;
        }
    }
    r.nuevaCentro = e.strNuevaCentro;
    r.nuevaBorrado = e.strNuevaBorradoCentro;
    return r;
}

ResumenCierre ResumenCierre::trasCierre(const motor::EstadoMotor& e) {
    ResumenCierre r = leerAntes(*e.conf, Arboles{e.ColSecciones, e.colActividades});
    // The run has taken the leavers out of their sections.
    for (const auto& a : e.colAlumnosRetirados)
        if (a->Baja()) ++r.bajas;
    QSet<qint64> bajas;
    if (e.HayBajas)
        for (const qint32 id : e.IDsAlumnosBaja)
            if (id != 0) bajas.insert(id);
    QSet<qint64> archivados;
    Recordset rs = e.conLocalCentro().Abrir(QStringLiteral("SELECT IDAlumno FROM Alumno_Baja"));
    long filas = 0;
    for (; !rs.eof(); rs.MoveNext(), ++filas)
        if (const qint64 id = rs.entero(QStringLiteral("IDAlumno")); bajas.contains(id)) archivados.insert(id);
    r.bajasAntes_ = filas - static_cast<long>(archivados.size());
    return r.completar(e);
}

QString ResumenCierre::texto(double segundos) const {
    QString t;
    auto linea = [&t](const QString& etiqueta, long n) { t += QStringLiteral("  %1 %2\n").arg(etiqueta, -44).arg(n, 7); };
    t += QStringLiteral("Resumen del cierre (%1 s):\n").arg(segundos, 0, 'f', 1);
    linea(QStringLiteral("Alumnos que promocionan:"), promocionan);
    linea(QStringLiteral("Alumnos que repiten:"), repiten);
    linea(QStringLiteral("Alumnos que causan baja:"), bajas);
    linea(QStringLiteral("Alumnos archivados en Alumno_Baja:"), bajasArchivadas);
    linea(QStringLiteral("Secciones con plazas corregidas:"), seccionesCorregidas);
    linea(QStringLiteral("Plazas añadidas a esas secciones:"), plazasAnadidas);
    linea(QStringLiteral("Notas pasadas al histórico:"), filasHistorico);
    linea(QStringLiteral("Materias pendientes en el nuevo curso:"), materiasPendientes);
    linea(QStringLiteral("Actividades que continúan:"), actividadesDespues);
    linea(QStringLiteral("Actividades eliminadas:"), actividadesAntes - actividadesDespues);
    linea(QStringLiteral("Familias eliminadas:"), familias);
    linea(QStringLiteral("Direcciones eliminadas:"), direcciones);
    linea(QStringLiteral("Cuentas bancarias eliminadas:"), cuentas);
    linea(QStringLiteral("Fotos eliminadas:"), fotos);
    t += QStringLiteral("  Bases de datos del nuevo curso:\n    %1\n    %2\n").arg(nuevaCentro, nuevaBorrado);
    return t;
}

}  // namespace ncc::host
