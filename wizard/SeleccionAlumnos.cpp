#include "wizard/SeleccionAlumnos.h"
#include "engine/Comun.h"
#include "entry/Rango.h"
#include "engine/PropuestaCierre.h"
#include "platform/OrdenEspanol.h"
#include "platform/Conexion.h"
#include "platform/Recordset.h"
#include <QLocale>
#include <QSet>
#include <algorithm>

namespace ncc {

namespace {

// Orders the suite's databases leave open: a missing Orden goes first, as
// the suite's Access databases sorted it.
bool ordenAntes(const QVariant& a, const QVariant& b) {
    if (a.isNull() != b.isNull()) return a.isNull();
    return a.toLongLong() < b.toLongLong();
}
bool ordenIgual(const QVariant& a, const QVariant& b) {
    return a.isNull() == b.isNull() && a.toLongLong() == b.toLongLong();
}

QString clave(qint64 id) { return QString::number(id); }

}  // namespace

int compararEnEspanol(const QString& a, const QString& b) { return orden::compararEspanol(a, b); }

bool antesEnEspanol(const QString& a, const QString& b) { return compararEnEspanol(a, b) < 0; }

SeleccionAlumnos::SeleccionAlumnos(Conexion& centro, qint16 idCentro) : con_(centro), idCentro_(idCentro) {}

std::shared_ptr<cCurso> SeleccionAlumnos::Seccion(int idSeccion) const {
    return secciones_->buscar(clave(idSeccion));
}

// ---------------------------------------------------------------------------
// The page's load

void SeleccionAlumnos::Cargar() {
    for (Recordset rs = con_.Abrir(QStringLiteral(
             "SELECT DISTINCT Curso.IDCurso AS IDCurso, Curso.codTipoEnsenanza AS codTipoEnsenanza FROM (Curso INNER JOIN "
             "Centro_TipoEnsenanza ON Curso.codTipoEnsenanza=Centro_TipoEnsenanza.codTipoEnsenanza) WHERE "
             "Centro_TipoEnsenanza.codCentro=%1 ORDER BY Curso.IDCurso")
                                       .arg(idCentro_));
         !rs.eof(); rs.MoveNext()) {
        const int curso = int(rs.entero(QStringLiteral("IDCurso")));
        if (tiposCurso_.contains(curso)) continue;
        listaCursos_ += QString::number(curso) + QLatin1Char(',');
        tiposCurso_.insert(curso, int(rs.entero(QStringLiteral("codTipoEnsenanza"))));
    }

    for (Recordset rs = con_.Abrir(QStringLiteral("SELECT DISTINCT codTipoEnsenanza FROM Centro_TipoEnsenanza WHERE "
                                                  "codCentro=%1 ORDER BY codTipoEnsenanza")
                                       .arg(idCentro_));
         !rs.eof(); rs.MoveNext())
        listaTipos_ += QString::number(rs.entero(QStringLiteral("codTipoEnsenanza"))) + QLatin1Char(',');

    // The union of the query with itself that the suite used to fold
    // repeated rows is a DISTINCT; the order is settled here so that text
    // sorts in Spanish on both back ends.
    struct Fila {
        int tipo, curso, seccion;
        long long plazas, promocion;
        QVariant ordenTipo, ordenCurso;
        QString descripcion;
    };
    QList<Fila> filas;
    for (Recordset rs = con_.Abrir(QStringLiteral(
             "SELECT DISTINCT TipoEnsenanza.IDTipoEnsenanza AS IDTipoEnsenanza, Curso.IDCurso AS IDCurso, "
             "Seccion.IDSeccion AS IDSeccion, Seccion.NumPlazas AS NumPlazas, Curso.Promocion AS Promocion, "
             "TipoEnsenanza.Orden AS OrdenTipo, Curso.Orden AS OrdenCurso, Seccion.Descripcion AS Descripcion "
             "FROM Seccion INNER JOIN (Curso INNER JOIN (TipoEnsenanza INNER JOIN "
             "Centro_TipoEnsenanza ON "
             "TipoEnsenanza.IDTipoEnsenanza=Centro_TipoEnsenanza.codTipoEnsenanza) ON "
             "Curso.codTipoEnsenanza=TipoEnsenanza.IDTipoEnsenanza) ON "
             "Seccion.codCurso=Curso.IDCurso "
             "WHERE Centro_TipoEnsenanza.codCentro=%1")
                                       .arg(idCentro_));
         !rs.eof(); rs.MoveNext())
        filas << Fila{int(rs.entero(QStringLiteral("IDTipoEnsenanza"))), int(rs.entero(QStringLiteral("IDCurso"))),
                      int(rs.entero(QStringLiteral("IDSeccion"))), rs.entero(QStringLiteral("NumPlazas")),
                      rs.entero(QStringLiteral("Promocion")), rs.campo(QStringLiteral("OrdenTipo")),
                      rs.campo(QStringLiteral("OrdenCurso")), rs.texto(QStringLiteral("Descripcion"))};
    std::sort(filas.begin(), filas.end(), [](const Fila& a, const Fila& b) {
        if (!ordenIgual(a.ordenTipo, b.ordenTipo)) return ordenAntes(a.ordenTipo, b.ordenTipo);
        if (!ordenIgual(a.ordenCurso, b.ordenCurso)) return ordenAntes(a.ordenCurso, b.ordenCurso);
        if (const int c = compararEnEspanol(a.descripcion, b.descripcion)) return c < 0;
        return a.seccion < b.seccion;
    });
    for (const Fila& f : filas) {
        if (secciones_->contiene(clave(f.seccion))) continue;
        auto s = std::make_shared<cCurso>();
        s->setIDTipoEnsenanza(acotar<quint8>(f.tipo));
        s->setIDCurso(acotar<quint8>(f.curso));
        s->setIDSeccion(qint16(f.seccion));
        s->setNumPlazas(acotar<quint8>(f.plazas));
        s->setPromocionDirecta(f.promocion == 0);
        secciones_->Add(s, clave(f.seccion));
        listaSecciones_ += QString::number(f.seccion) + QLatin1Char(',');
    }
}

QList<FilaSeccion> SeleccionAlumnos::FilasSecciones() {
    struct Fila {
        int tipo, seccion;
        QString nombreTipo, curso, descripcion;
        QVariant ordenTipo, ordenCurso;
    };
    // The sections, courses and teaching types of the active students who
    // belong to some section, told apart first over the students alone:
    // joined student by student, the descriptions were read for every one.
    // (The "+" keeps SQLite from walking the students through the teaching
    // type's index, a lookup of the table per student, instead of reading
    // the table straight through.)
    QList<Fila> filas;
    for (Recordset rs = con_.Abrir(
             QStringLiteral(
                 "SELECT DISTINCT TipoEnsenanza.IDTipoEnsenanza AS IDTipoEnsenanza, TipoEnsenanza.Nombre AS Nombre, "
                 "Seccion.IdSeccion AS IdSeccion, Seccion.Descripcion AS SDescripcion, "
                 "Curso.Descripcion AS CDescripcion, TipoEnsenanza.Orden AS OrdenTipo, Curso.Orden AS OrdenCurso "
                 "FROM (SELECT DISTINCT +Alumno.codTipoEnsenanza AS codTipoEnsenanza, Alumno.codCurso AS codCurso, "
                 "Alumno.codSeccion AS codSeccion FROM Alumno WHERE %1 AND EXISTS (SELECT 1 FROM Seccion_Alumno "
                 "WHERE Seccion_Alumno.codAlumno=Alumno.IDAlumno)) Activos "
                 "INNER JOIN Seccion ON Activos.codSeccion=Seccion.IDSeccion "
                 "INNER JOIN Curso ON Activos.codCurso=Curso.IDCurso "
                 "INNER JOIN TipoEnsenanza ON Activos.codTipoEnsenanza=TipoEnsenanza.IDTipoEnsenanza "
                 "INNER JOIN Centro_TipoEnsenanza ON "
                 "TipoEnsenanza.IDTipoEnsenanza=Centro_TipoEnsenanza.codTipoEnsenanza "
                 "WHERE Centro_TipoEnsenanza.codCentro=%2")
                 .arg(motor::AlumnoActivo)
                 .arg(idCentro_));
         !rs.eof(); rs.MoveNext())
        filas << Fila{int(rs.entero(QStringLiteral("IDTipoEnsenanza"))), int(rs.entero(QStringLiteral("IdSeccion"))),
                      rs.texto(QStringLiteral("Nombre")), rs.texto(QStringLiteral("CDescripcion")),
                      rs.texto(QStringLiteral("SDescripcion")), rs.campo(QStringLiteral("OrdenTipo")),
                      rs.campo(QStringLiteral("OrdenCurso"))};
    // Teaching types of equal Orden stay together under one heading.
    std::sort(filas.begin(), filas.end(), [](const Fila& a, const Fila& b) {
        if (!ordenIgual(a.ordenTipo, b.ordenTipo)) return ordenAntes(a.ordenTipo, b.ordenTipo);
        if (a.tipo != b.tipo) return a.tipo < b.tipo;
        if (!ordenIgual(a.ordenCurso, b.ordenCurso)) return ordenAntes(a.ordenCurso, b.ordenCurso);
        if (const int c = compararEnEspanol(a.descripcion, b.descripcion)) return c < 0;
        return a.seccion < b.seccion;
    });

    QList<FilaSeccion> r;
    QSet<int> puestas;
    int tipoAnterior = -1;
    for (const Fila& f : filas) {
        // A section outside the school's list (a student whose course and
        // section disagree) could not be promoted: it gets no row.
        const auto s = Seccion(f.seccion);
        if (!s || puestas.contains(f.seccion)) continue;
        puestas.insert(f.seccion);
        if (f.tipo != tipoAnterior) {
            r << FilaSeccion{true, f.tipo, 0, f.nombreTipo};
            tipoAnterior = f.tipo;
        }
        r << FilaSeccion{false, f.tipo, f.seccion, QStringLiteral("    ") + f.curso + QLatin1Char(' ') + f.descripcion};
        s->setVisible(true);
    }
    return r;
}

QList<OpcionLista> SeleccionAlumnos::TiposEnsenanza() {
    QList<OpcionLista> r;
    for (Recordset rs = con_.Abrir(QStringLiteral(
             "SELECT TipoEnsenanza.IDTipoEnsenanza AS IDTipoEnsenanza, TipoEnsenanza.Nombre AS Nombre FROM "
             "TipoEnsenanza INNER JOIN Centro_TipoEnsenanza ON "
             "TipoEnsenanza.IDTipoEnsenanza=Centro_TipoEnsenanza.codTipoEnsenanza "
             "WHERE Centro_TipoEnsenanza.codCentro=%1 "
             "ORDER BY (TipoEnsenanza.Orden IS NOT NULL), TipoEnsenanza.Orden, TipoEnsenanza.IDTipoEnsenanza")
                                       .arg(idCentro_));
         !rs.eof(); rs.MoveNext()) {
        const OpcionLista o{int(rs.entero(QStringLiteral("IDTipoEnsenanza"))), rs.texto(QStringLiteral("Nombre"))};
        if (r.isEmpty() || r.last().id != o.id) r << o;
    }
    return r;
}

QList<OpcionLista> SeleccionAlumnos::CursosDe(int idTipoEnsenanza) {
    QList<OpcionLista> r;
    for (Recordset rs = con_.Abrir(QStringLiteral("SELECT IDCurso, Descripcion FROM Curso WHERE codTipoEnsenanza=? "
                                                  "ORDER BY (Curso.Orden IS NOT NULL), Curso.Orden, IDCurso"),
                                   {idTipoEnsenanza});
         !rs.eof(); rs.MoveNext())
        r << OpcionLista{int(rs.entero(QStringLiteral("IDCurso"))), rs.texto(QStringLiteral("Descripcion"))};
    return r;
}

QList<OpcionLista> SeleccionAlumnos::SeccionesDe(int idCurso) {
    QList<OpcionLista> r;
    for (Recordset rs = con_.Abrir(QStringLiteral("SELECT IDSeccion, Descripcion FROM Seccion WHERE codCurso=? "
                                                  "ORDER BY IDSeccion"),
                                   {idCurso});
         !rs.eof(); rs.MoveNext())
        r << OpcionLista{int(rs.entero(QStringLiteral("IDSeccion"))), rs.texto(QStringLiteral("Descripcion"))};
    std::stable_sort(r.begin(), r.end(),
                     [](const OpcionLista& a, const OpcionLista& b) { return antesEnEspanol(a.texto, b.texto); });
    return r;
}

bool SeleccionAlumnos::HayDatosGuardados() {
    return !con_.Abrir(QStringLiteral("SELECT IDSeccion FROM CIERRECURSO_SECCION LIMIT 1")).bof();
}

// ---------------------------------------------------------------------------
// One section

QHash<qint32, QVariant> SeleccionAlumnos::LeerPromociones(qint16 idSeccion) {
    return LeerPromociones(QStringLiteral("=?"), {int(idSeccion)}).value(idSeccion);
}

QHash<qint16, QHash<qint32, QVariant>> SeleccionAlumnos::LeerPromociones(const QString& secciones,
                                                                         const QVariantList& valores) {
    // A student with any Promocion value is judged by his highest (MAX
    // passes over Nulls); with none, by Null.
    QHash<qint16, QHash<qint32, QVariant>> r;
    for (Recordset rs = con_.Abrir(QStringLiteral(
             "SELECT Seccion_Alumno.codSeccion AS codSeccion, Seccion_Alumno.codAlumno AS codAlumno, "
             "MAX(Alumno_NumEvaluacion.Promocion) AS Promocion FROM Seccion_Alumno "
             "INNER JOIN Alumno_NumEvaluacion ON Seccion_Alumno.codAlumno=Alumno_NumEvaluacion.codAlumno "
             "WHERE Seccion_Alumno.codSeccion") + secciones + QStringLiteral(
             " GROUP BY Seccion_Alumno.codSeccion, Seccion_Alumno.codAlumno"),
                                   valores);
         !rs.eof(); rs.MoveNext())
        r[qint16(rs.entero(QStringLiteral("codSeccion")))].insert(qint32(rs.entero(QStringLiteral("codAlumno"))),
                                                                rs.campo(QStringLiteral("Promocion")));
    return r;
}

QHash<qint32, QString> SeleccionAlumnos::LeerActividades(const QString& secciones, const QVariantList& valores) {
    QHash<qint32, QString> r;
    for (Recordset rs = con_.Abrir(QStringLiteral(
             "SELECT Alumno_Actividad_Miembro.codAlumno AS codAlumno, Alumno_Actividad_Miembro.codActividad AS codActividad "
             "FROM Alumno_Actividad_Miembro INNER JOIN Alumno ON "
             "Alumno_Actividad_Miembro.codAlumno=Alumno.IDAlumno WHERE ") +
                                       motor::AlumnoActivo + QStringLiteral(" AND Alumno.codSeccion") + secciones +
                                       QStringLiteral(" ORDER BY Alumno.codSeccion, (Alumno.OrdenSeccion IS NOT NULL), "
                                                      "Alumno.OrdenSeccion, Alumno_Actividad_Miembro.codAlumno, "
                                                      "Alumno_Actividad_Miembro.codActividad"),
                                   valores);
         !rs.eof(); rs.MoveNext()) {
        QString& lista = r[qint32(rs.entero(QStringLiteral("codAlumno")))];
        const QString act = QString::number(rs.entero(QStringLiteral("codActividad")));
        if (lista.isEmpty()) lista = act;
        else if (!(QLatin1Char(',') + lista + QLatin1Char(',')).contains(QLatin1Char(',') + act + QLatin1Char(',')))
            lista += QLatin1Char(',') + act;
    }
    return r;
}

void SeleccionAlumnos::DefectoPromocion(cAlumno& a, bool promocionDirecta,
                                        const QHash<qint32, QVariant>& promociones) {
    bool promociona = promocionDirecta;
    if (!promocionDirecta) {
        const auto it = promociones.constFind(a.IDAlumno());
        promociona = it != promociones.cend() && !it->isNull() && it->toLongLong() == 1;
    }
    a.setPromociona(promociona);
    a.setRepite(!promociona);
    a.setBaja(false);
}

ColeccionAlumnos SeleccionAlumnos::CargarAlumnosSeccion(qint16 idSeccion, bool actividades) {
    const auto s = Seccion(idSeccion);
    const bool directa = s && s->PromocionDirecta();
    Recordset rs = con_.Abrir(QStringLiteral(
                                  "SELECT Alumno.IdAlumno AS IdAlumno, Alumno.Apellido_1 AS Apellido_1, "
                                  "Alumno.Apellido_2 AS Apellido_2, Alumno.Nombre AS Nombre, "
                                  "Alumno.codTipoEnsenanza AS codTipoEnsenanza, Alumno.codCurso AS codCurso, "
                                  "Alumno.codSeccion AS codSeccion FROM Seccion_Alumno INNER JOIN Alumno ON "
                                  "Seccion_Alumno.codAlumno=Alumno.IDAlumno WHERE ") +
                                  motor::AlumnoActivo +
                                  QStringLiteral(" AND Seccion_Alumno.codSeccion=? "
                                                 "ORDER BY (Alumno.OrdenSeccion IS NOT NULL), Alumno.OrdenSeccion, "
                                                 "Alumno.IDAlumno"),
                              {int(idSeccion)});
    const QHash<qint32, QVariant> promociones = directa ? QHash<qint32, QVariant>() : LeerPromociones(idSeccion);
    const QHash<qint32, QString> miembros =
        actividades ? LeerActividades(QStringLiteral("=?"), {int(idSeccion)}) : QHash<qint32, QString>();

    auto alumnos = std::make_shared<Coleccion<cAlumno>>();
    int orden = 0;
    for (; !rs.eof(); rs.MoveNext()) {
        ++orden;
        const qint32 id = qint32(rs.entero(QStringLiteral("IdAlumno")));
        if (alumnos->contiene(clave(id))) continue;  // a repeated membership row
        auto a = std::make_shared<cAlumno>();
        a->setIDAlumno(id);
        a->setNombre(rs.texto(QStringLiteral("Nombre")));
        a->setApellido1(rs.texto(QStringLiteral("Apellido_1")));
        a->setApellido2(rs.texto(QStringLiteral("Apellido_2")));
        a->setSinAsignar(true);
        a->setOrden(acotar<quint8>(orden));
        a->setIDTipoEnsenanza(acotar<quint8>(rs.entero(QStringLiteral("codTipoEnsenanza"))));
        a->setIDCurso(acotar<quint8>(rs.entero(QStringLiteral("codCurso"))));
        a->setIDSeccion(qint16(rs.entero(QStringLiteral("codSeccion"))));
        a->setActividades(miembros.value(id));
        DefectoPromocion(*a, directa, promociones);
        alumnos->Add(a, clave(id));
    }
    return alumnos;
}

std::shared_ptr<cAlumno> SeleccionAlumnos::CopiarAlumno(const cAlumno& o) {
    auto a = std::make_shared<cAlumno>();
    a->setIDAlumno(o.IDAlumno());
    a->setIDTipoEnsenanza(o.IDTipoEnsenanza());
    a->setIDCurso(o.IDCurso());
    a->setIDSeccion(o.IDSeccion());
    a->setActividades(o.Actividades());
    a->setPromociona(o.Promociona());
    a->setRepite(o.Repite());
    a->setBaja(o.Baja());
    a->setFechaBaja(o.FechaBaja());
    a->setNIDTipoEnsenanza(o.NIDTipoEnsenanza());
    a->setNIDCurso(o.NIDCurso());
    a->setNIDSeccion(o.NIDSeccion());
    a->setNombre(o.Nombre());
    a->setApellido1(o.Apellido1());
    a->setApellido2(o.Apellido2());
    a->setNTipoEnsenanza(o.NTipoEnsenanza());
    a->setNCurso(o.NCurso());
    a->setNSeccion(o.NSeccion());
    a->setSeleccionado(o.Seleccionado());
    a->setSinAsignar(o.SinAsignar());
    a->setOrden(o.Orden());
    return a;
}

ColeccionAlumnos SeleccionAlumnos::CopiarAlumnos(const Coleccion<cAlumno>& alumnos) {
    auto r = std::make_shared<Coleccion<cAlumno>>();
    for (const auto& a : alumnos) r->Add(CopiarAlumno(*a), clave(a->IDAlumno()));
    return r;
}

static QString entreComas(qint32 id) { return QLatin1Char(',') + QString::number(id) + QLatin1Char(','); }

int SeleccionAlumnos::ContarPlazas(const cCurso& destino, const Coleccion<cAlumno>& alumnosSeccion) {
    int n = 0;
    for (const auto& a : alumnosSeccion)
        if ((a->Seleccionado() || a->NIDSeccion() == destino.IDSeccion()) &&
            !destino.IDsPlazasOcupadas().contains(entreComas(a->IDAlumno())))
            ++n;
    return n;
}

ResultadoPlazas SeleccionAlumnos::ComprobarPlazas(const Coleccion<cAlumno>& alumnosSeccion, int idCursoDestino,
                                                  int idSeccionDestino) const {
    if (idCursoDestino == 0 || idSeccionDestino == 0) return ResultadoPlazas::Bien;
    const auto d = Seccion(idSeccionDestino);
    if (!d) return ResultadoPlazas::Bien;
    const int n = ContarPlazas(*d, alumnosSeccion) + d->NumPlazasOcupadas();
    if (n > d->NumPlazas() && n <= MaximoPlazasSeccion) return ResultadoPlazas::Preguntar;
    if (n > MaximoPlazasSeccion) return ResultadoPlazas::Rechazar;
    return ResultadoPlazas::Bien;
}

void SeleccionAlumnos::OcuparPlaza(const cAlumno& a) {
    if (a.NIDSeccion() == 0) return;
    const auto d = Seccion(a.NIDSeccion());
    if (!d) return;
    d->setNumPlazasOcupadas(acotar<quint8>(d->NumPlazasOcupadas() + 1));
    d->setIDsPlazasOcupadas(d->IDsPlazasOcupadas() + QString::number(a.IDAlumno()) + QLatin1Char(','));
}

void SeleccionAlumnos::LiberarPlazas(const cCurso& s) {
    if (!s.Alumnos()) return;
    for (const auto& a : *s.Alumnos()) {
        if (a->NIDSeccion() == 0) continue;
        const auto d = Seccion(a->NIDSeccion());
        if (!d) continue;
        // The count follows the list: a seat that was never taken is not
        // given back.
        QString ids = d->IDsPlazasOcupadas();
        const qsizetype i = ids.indexOf(entreComas(a->IDAlumno()));
        if (i < 0) continue;
        ids.replace(i, entreComas(a->IDAlumno()).size(), QStringLiteral(","));
        d->setIDsPlazasOcupadas(ids);
        d->setNumPlazasOcupadas(acotar<quint8>(d->NumPlazasOcupadas() - 1));
    }
}

void SeleccionAlumnos::DesmarcarSeccion(cCurso& s) {
    s.setAlumnos(std::make_shared<Coleccion<cAlumno>>());
    s.setPromocionada(false);
}

void SeleccionAlumnos::ConfirmarSeccion(cCurso& s, const Coleccion<cAlumno>& alumnosSeccion) {
    if (s.Promocionada()) {
        LiberarPlazas(s);
        DesmarcarSeccion(s);
    }
    if (!s.Alumnos()) s.setAlumnos(std::make_shared<Coleccion<cAlumno>>());
    for (const auto& a : alumnosSeccion) {
        a->setSeleccionado(false);
        s.Alumnos()->Add(CopiarAlumno(*a), clave(a->IDAlumno()));
        OcuparPlaza(*a);
    }
    s.setPromocionada(true);
}

QList<qint16> SeleccionAlumnos::ProponerSecciones() {
    Coleccion<cCurso> propuesta;
    motor::proponerSecciones(con_, motor::leerEstructura(con_, idCentro_), propuesta);
    QList<qint16> propuestas;
    for (const auto& s : *secciones_) {
        if (!s->Visible() || s->Promocionada()) continue;
        const auto p = propuesta.buscar(clave(s->IDSeccion()));
        if (!p || !p->Promocionada() || !p->Alumnos()) continue;
        ConfirmarSeccion(*s, *p->Alumnos());
        propuestas << s->IDSeccion();
    }
    return propuestas;
}

bool SeleccionAlumnos::HaySeccionesPromocionadas() const {
    for (const auto& s : *secciones_)
        if (s->Visible() && s->Promocionada()) return true;
    return false;
}

}  // namespace ncc
