#include "host/ResumenCierre.h"
#include "platform/Conexion.h"
#include <QLocale>
#include <QSet>

namespace ncc::host {

namespace {

QHash<qint64, long> plazas(Conexion& con) {
    QHash<qint64, long> p;
    Recordset rs = con.Abrir(QStringLiteral("SELECT IDSeccion, NumPlazas FROM Seccion"));
    for (; !rs.eof(); rs.MoveNext()) p.insert(rs.entero(QStringLiteral("IDSeccion")), static_cast<long>(rs.entero(QStringLiteral("NumPlazas"))));
    return p;
}

// The students the closing archives because their section was not promoted:
// every one of those sections, whatever the page showed of it (one never
// opened holds no students in the tree).
long alumnosSinPromocionar(Conexion& con, const Coleccion<cCurso>& secciones) {
    QStringList ids;
    for (const auto& s : secciones)
        if (!s->Promocionada()) ids << QString::number(s->IDSeccion());
    if (ids.isEmpty()) return 0;
    return contarFilas(con, QStringLiteral("Alumno WHERE Anticipado=0 AND CodSeccion IN(%1)").arg(ids.join(QLatin1Char(','))));
}

}  // namespace

void ResumenCierre::contarDecision(const cAlumno& a) {
    // By what the closing does to him: a student without destination
    // leaves whatever he was marked, as does one marked nothing.
    if (!a.SinAsignar() && a.Promociona()) ++promocionan;
    else if (!a.SinAsignar() && a.Repite()) ++repiten;
    else ++bajas;
}

long contarFilas(Conexion& con, const QString& tabla) {
    Recordset rs = con.Abrir(QStringLiteral("SELECT COUNT(*) FROM ") + tabla);
    return rs.eof() ? 0 : static_cast<long>(rs.campo(0).toLongLong());
}

ResumenCierre ResumenCierre::leerAntes(const cConfiguracion& conf, const Arboles& arboles) {
    ResumenCierre r;
    for (const auto& s : *arboles.secciones) {
        if (!s->Promocionada()) continue;
        for (const auto& a : *s->Alumnos()) r.contarDecision(*a);
    }
    Conexion& c = *conf.conLocalCentro();
    r.sinPromocionar = alumnosSinPromocionar(c, *arboles.secciones);
    r.actividadesAntes = contarFilas(c, QStringLiteral("Actividad"));
    // The closing makes one historic year after every one the school has.
    Recordset hist = c.Abrir(QStringLiteral("SELECT MAX(IDCursoEscolarHistorico) FROM CursoEscolarHistorico"));
    r.ultimoHistoricoAntes_ = hist.eof() ? 0 : static_cast<long>(hist.campo(0).toLongLong());
    r.bajasAntes_ = contarFilas(c, QStringLiteral("Alumno_Baja"));
    r.familiasAntes_ = contarFilas(c, QStringLiteral("Familia"));
    r.direccionesAntes_ = contarFilas(c, QStringLiteral("Direccion"));
    r.cuentasAntes_ = contarFilas(c, QStringLiteral("Cuenta"));
    r.fotosAntes_ = contarFilas(c, QStringLiteral("Foto"));
    r.plazasAntes_ = plazas(c);
    return r;
}

ResumenCierre ResumenCierre::completar(const motor::EstadoMotor& e) const {
    ResumenCierre r = *this;
    Conexion& nuevo = const_cast<Conexion&>(e.conNuevoCentro);
    Conexion& cerrado = e.conLocalCentro();
    r.bajasArchivadas = contarFilas(cerrado, QStringLiteral("Alumno_Baja")) - bajasAntes_;
    // The grades passed are the rows of the closed year's historic year: the
    // historic rows of the leavers, deleted on the way, are not among them.
    r.filasHistorico = contarFilas(nuevo, QStringLiteral("EvaluacionHistorica WHERE CodCursoEscolarHistorico > %1").arg(ultimoHistoricoAntes_));
    r.materiasPendientes = contarFilas(nuevo, QStringLiteral("AlumnoPte_MatDet"));
    r.actividadesDespues = contarFilas(nuevo, QStringLiteral("Actividad"));
    r.familias = familiasAntes_ - contarFilas(nuevo, QStringLiteral("Familia"));
    r.direcciones = direccionesAntes_ - contarFilas(nuevo, QStringLiteral("Direccion"));
    r.cuentas = cuentasAntes_ - contarFilas(nuevo, QStringLiteral("Cuenta"));
    r.fotos = fotosAntes_ - contarFilas(nuevo, QStringLiteral("Foto"));
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
    // The run has taken the leavers and the unassigned students out of
    // their sections.
    for (const auto& a : e.colAlumnosRetirados) r.contarDecision(*a);
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

QList<std::pair<QString, long>> ResumenCierre::lineas() const {
    return {
        {QStringLiteral("Alumnos que promocionan"), promocionan},
        {QStringLiteral("Alumnos que repiten"), repiten},
        {QStringLiteral("Alumnos que causan baja"), bajas},
        {QStringLiteral("Alumnos de secciones no promocionadas"), sinPromocionar},
        {QStringLiteral("Alumnos archivados en el curso cerrado"), bajasArchivadas},
        {QStringLiteral("Secciones con plazas aumentadas"), seccionesCorregidas},
        {QStringLiteral("Plazas añadidas a esas secciones"), plazasAnadidas},
        {QStringLiteral("Notas pasadas al histórico"), filasHistorico},
        {QStringLiteral("Materias pendientes en el nuevo curso"), materiasPendientes},
        {QStringLiteral("Actividades que continúan"), actividadesDespues},
        {QStringLiteral("Actividades eliminadas"), actividadesAntes - actividadesDespues},
        {QStringLiteral("Familias eliminadas"), familias},
        {QStringLiteral("Direcciones eliminadas"), direcciones},
        {QStringLiteral("Cuentas bancarias eliminadas"), cuentas},
        {QStringLiteral("Fotos eliminadas"), fotos},
    };
}

QString ResumenCierre::texto(double segundos, bool enColumnas) const {
    QString t;
    // A terminal lines the figures up in columns; a message box, whose
    // letters are not all as wide, puts each after its label.
    auto linea = [&t, enColumnas](const QString& etiqueta, long n) {
        t += enColumnas ? QStringLiteral("  %1 %2\n").arg(etiqueta, -44).arg(n, 7)
                        : QStringLiteral("  %1 %2\n").arg(etiqueta).arg(n);
    };
    t += QStringLiteral("Resumen del cierre (%1 s):\n").arg(QLocale(QLocale::Spanish, QLocale::Spain).toString(segundos, 'f', 1));
    for (const auto& [etiqueta, n] : lineas()) linea(etiqueta + QLatin1Char(':'), n);
    t += QStringLiteral("  Bases de datos del nuevo curso:\n    %1\n    %2\n").arg(nuevaCentro, nuevaBorrado);
    return t;
}

}  // namespace ncc::host
