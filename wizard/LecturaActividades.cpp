#include "wizard/LecturaActividades.h"
#include "engine/Comun.h"
#include "engine/PropuestaCierre.h"
#include "platform/OrdenEspanol.h"
#include "engine/PurgaFechas.h"
#include "entry/cAlumno.h"
#include "entry/cPrecioActividad.h"
#include "platform/Conexion.h"
#include <QLocale>
#include <algorithm>

namespace ncc::actividades {

namespace {

// A course of the school as the price rows list them.
struct FilaCurso {
    qint16 id = 0;
    QString nombre;
    bool tipoSinOrden = false;
    long long ordenTipo = 0;
    bool cursoSinOrden = false;
    long long ordenCurso = 0;
};

// The courses of the school's teaching types, by the teaching type's order
// and then the course's (no order first, as the suite's files sorted them,
// whatever the back end does with Nulls).
QList<FilaCurso> leerCursos(Conexion& con, qint16 idCentro) {
    QList<FilaCurso> cursos;
    Recordset rs = con.Abrir(QStringLiteral(
        "SELECT DISTINCT TipoEnsenanza.Nombre, Curso.IDCurso, Curso.Descripcion, "
        "TipoEnsenanza.Orden AS OrdenTipo, Curso.Orden AS OrdenCurso FROM Curso "
        "INNER JOIN TipoEnsenanza ON Curso.codTipoEnsenanza=TipoEnsenanza.IDTipoEnsenanza "
        "INNER JOIN Centro_TipoEnsenanza ON TipoEnsenanza.IDTipoEnsenanza=Centro_TipoEnsenanza.codTipoEnsenanza "
        "WHERE Centro_TipoEnsenanza.codCentro=%1 ORDER BY OrdenTipo, OrdenCurso, IDCurso")
                                 .arg(idCentro));
    for (; !rs.eof(); rs.MoveNext()) {
        FilaCurso f;
        f.id = qint16(rs.entero(QStringLiteral("IDCurso")));
        f.nombre = rs.texto(QStringLiteral("Nombre")) + QLatin1Char(' ') + rs.texto(QStringLiteral("Descripcion"));
        f.tipoSinOrden = rs.esNulo(QStringLiteral("OrdenTipo"));
        f.ordenTipo = rs.entero(QStringLiteral("OrdenTipo"));
        f.cursoSinOrden = rs.esNulo(QStringLiteral("OrdenCurso"));
        f.ordenCurso = rs.entero(QStringLiteral("OrdenCurso"));
        cursos << f;
    }
    std::stable_sort(cursos.begin(), cursos.end(), [](const FilaCurso& a, const FilaCurso& b) {
        if (a.tipoSinOrden != b.tipoSinOrden) return a.tipoSinOrden;
        if (a.ordenTipo != b.ordenTipo) return a.ordenTipo < b.ordenTipo;
        if (a.cursoSinOrden != b.cursoSinOrden) return a.cursoSinOrden;
        if (a.ordenCurso != b.ordenCurso) return a.ordenCurso < b.ordenCurso;
        return a.id < b.id;
    });
    return cursos;
}

// The general price (euros, pesetas) of each activity and student type as
// the school keeps it; the first row where one is written twice.
using PreciosGenerales = QHash<QPair<qint32, qint16>, QPair<QString, QString>>;

PreciosGenerales leerPreciosGenerales(Conexion& centro, qint32 soloActividad) {
    PreciosGenerales r;
    const QString donde = soloActividad ? QStringLiteral(" WHERE codActividad=%1").arg(soloActividad) : QString();
    for (Recordset rs = centro.Abrir(QStringLiteral("SELECT codActividad, codTipoAlumno, PrecioGeneralEuro, PrecioGeneralPta "
                                                    "FROM Actividad_TipoAlumno") +
                                     donde +
                                     QStringLiteral(" ORDER BY codActividad NULLS FIRST, codTipoAlumno NULLS FIRST, "
                                                    "PrecioGeneralEuro NULLS FIRST, PrecioGeneralPta NULLS FIRST"));
         !rs.eof(); rs.MoveNext()) {
        const QPair<qint32, qint16> k{qint32(rs.entero(QStringLiteral("codActividad"))),
                                      qint16(rs.entero(QStringLiteral("codTipoAlumno")))};
        if (!r.contains(k))
            r.insert(k, {rs.texto(QStringLiteral("PrecioGeneralEuro")), rs.texto(QStringLiteral("PrecioGeneralPta"))});
    }
    return r;
}

// Each price row by type takes the school's general price, untouched; the
// rows by course start empty (the school keeps no price by course).
void ponerPreciosGenerales(cActividad& a, const PreciosGenerales& generales) {
    for (const auto& p : *a.TipoAlumnos()) {
        const auto precio = generales.value({qint32(a.IDActividad()), p->ID()});
        p->setEuros(precio.first);
        p->setPesetas(precio.second);
    }
    for (const auto& p : *a.Cursos()) {
        p->setEuros(QString());
        p->setPesetas(QString());
    }
    for (const auto& precios : {a.TipoAlumnos(), a.Cursos()})
        for (const auto& p : *precios) {
            p->setVisible(false);
            p->setCambiado(false);
            p->PreciosAnteriores().clear();
        }
}

}  // namespace

QDate unAnoDespues(const QDate& d) { return d.isValid() ? d.addYears(1) : QDate(); }

QString textoPantalla(const QDate& d) { return d.isValid() ? d.toString(QStringLiteral("dd/MM/yyyy")) : QString(); }

CargaActividades leerActividades(Conexion& centro, qint16 idCentro) {
    CargaActividades r;
    for (Recordset rs = centro.Abrir(QStringLiteral(
             "SELECT IDActividad, TipoActividad, Nombre, FechaInicio, FechaFin FROM Actividad ORDER BY IDActividad ASC"));
         !rs.eof(); rs.MoveNext()) {
        auto a = std::make_shared<cActividad>();
        a->setIDActividad(long(rs.entero(QStringLiteral("IDActividad"))));
        a->setTipoActividad(long(rs.entero(QStringLiteral("TipoActividad"))));
        r.nombres.insert(a->IDActividad(), rs.texto(QStringLiteral("Nombre")));
        const QDate inicio = motor::fechaDeTexto(rs.texto(QStringLiteral("FechaInicio")));
        const QDate fin = motor::fechaDeTexto(rs.texto(QStringLiteral("FechaFin")));
        if (inicio.isValid() && fin.isValid()) {
            a->setFechaInicio(textoPantalla(unAnoDespues(inicio)));
            a->setFechaFin(textoPantalla(unAnoDespues(fin)));
        }
        r.actividades->Add(a, a->IDActividad());
    }

    // Prices by the student types of each activity's active members.
    Recordset tipos = centro.Abrir(
        QStringLiteral("SELECT DISTINCT Alumno_Actividad_Miembro.codActividad, TipoAlumno.IDTipoAlumno, "
                       "TipoAlumno.Descripcion FROM Actividad "
                       "INNER JOIN Alumno_Actividad_Miembro ON Actividad.IDActividad=Alumno_Actividad_Miembro.codActividad "
                       "INNER JOIN Alumno ON Alumno_Actividad_Miembro.codAlumno=Alumno.IDAlumno "
                       "INNER JOIN TipoAlumno ON Alumno.codTipoAlumno=TipoAlumno.IDTipoAlumno WHERE ") +
        motor::AlumnoActivo +
        QStringLiteral(" ORDER BY Alumno_Actividad_Miembro.codActividad ASC, TipoAlumno.IDTipoAlumno ASC"));
    r.noTipos = tipos.eof();
    for (; !tipos.eof(); tipos.MoveNext()) {
        const auto a = r.actividades->buscar(clave<cActividad>(tipos.entero(QStringLiteral("codActividad"))));
        const qint16 tipo = qint16(tipos.entero(QStringLiteral("IDTipoAlumno")));
        if (!a || a->TipoAlumnos()->contiene(clave<cPrecioActividad>(tipo))) continue;
        auto p = std::make_shared<cPrecioActividad>();
        p->setID(tipo);
        p->setNombre(tipos.texto(QStringLiteral("Descripcion")));
        a->TipoAlumnos()->Add(p, tipo);
    }

    // Prices by course: every course of the school, for every activity.
    const QList<FilaCurso> cursos = leerCursos(centro, idCentro);
    r.noCursos = cursos.isEmpty();
    for (const auto& a : *r.actividades)
        for (const FilaCurso& c : cursos) {
            if (a->Cursos()->contiene(clave<cPrecioActividad>(c.id))) continue;
            auto p = std::make_shared<cPrecioActividad>();
            p->setID(c.id);
            p->setNombre(c.nombre);
            a->Cursos()->Add(p, c.id);
        }
    const PreciosGenerales generales = leerPreciosGenerales(centro, 0);
    for (const auto& a : *r.actividades) ponerPreciosGenerales(*a, generales);
    return r;
}

void reponerPrecios(Conexion& centro, cActividad& a) {
    ponerPreciosGenerales(a, leerPreciosGenerales(centro, a.IDActividad()));
}

Fechas fechasDeBase(Conexion& centro, qint32 idActividad) {
    Fechas f;
    Recordset rs = centro.Abrir(QStringLiteral("SELECT FechaInicio, FechaFin FROM Actividad WHERE IDActividad=?"),
                                {idActividad});
    if (rs.eof()) return f;
    f.inicio = motor::fechaDeTexto(rs.texto(QStringLiteral("FechaInicio")));
    f.fin = motor::fechaDeTexto(rs.texto(QStringLiteral("FechaFin")));
    return f;
}

ColeccionAlumnosActividad leerMiembros(Conexion& centro, qint32 idActividad, const Coleccion<cCurso>* secciones) {
    QList<std::shared_ptr<cAlumnoActividad>> filas;
    Recordset rs = centro.Abrir(
        QStringLiteral("SELECT Alumno.IDAlumno, Alumno.Nombre, Alumno.Apellido_1, Alumno.Apellido_2, "
                       "Alumno.codTipoAlumno, TipoAlumno.Descripcion, Alumno.codTipoEnsenanza, Alumno.CodCurso, "
                       "Alumno.CodSeccion, Alumno_Actividad_Miembro.PrecioPesetas, Alumno_Actividad_Miembro.PrecioEuros "
                       "FROM Alumno_Actividad_Miembro "
                       "INNER JOIN Alumno ON Alumno_Actividad_Miembro.codAlumno=Alumno.IDAlumno "
                       "LEFT JOIN TipoEnsenanza ON Alumno.codTipoEnsenanza=TipoEnsenanza.IDTipoEnsenanza "
                       "LEFT JOIN Curso ON Alumno.codCurso=Curso.IDCurso "
                       "LEFT JOIN Seccion ON Alumno.codSeccion=Seccion.IDSeccion "
                       "INNER JOIN TipoAlumno ON Alumno.codTipoAlumno=TipoAlumno.IDTipoAlumno WHERE ") +
            motor::AlumnoActivo +
            QStringLiteral(" AND Alumno_Actividad_Miembro.codActividad=? "
                           "ORDER BY COALESCE(Alumno.Apellido_1,'') || COALESCE(Alumno.Apellido_2,'') || "
                           "COALESCE(Alumno.Nombre,''), Alumno.IDAlumno"),
        {idActividad});
    filas.reserve(rs.RecordCount());
    for (; !rs.eof(); rs.MoveNext()) {
        auto m = MiembroLeido(rs);
        filas << m;
    }
    return miembrosUnicos(filas, secciones);
}

ColeccionAlumnosActividad miembrosUnicos(QList<std::shared_ptr<cAlumnoActividad>>& filas,
                                         const Coleccion<cCurso>* secciones) {
    ordenarPorNombre(filas);
    auto miembros = std::make_shared<Coleccion<cAlumnoActividad>>();
    for (const auto& m : filas) {
        // A student listed or stored twice in the activity is one member.
        const QString k = clave<cAlumnoActividad>(m->IDAlumno());
        if (miembros->contiene(k)) continue;
        if (secciones) tomarDestino(*m, *secciones, true);
        miembros->Add(m, k);
    }
    return miembros;
}

bool tomarDestino(cAlumnoActividad& m, const Coleccion<cCurso>& secciones, bool conVisible) {
    if (m.IDSeccionActual() == 0) return false;
    const auto s = secciones.buscar(clave<cCurso>(m.IDSeccionActual()));
    if (!s || !s->Promocionada()) return false;
    // His section of record may not list him (Seccion_Alumno and
    // Alumno.codSeccion disagree): then the page has no decision for him.
    const auto alumno = s->Alumnos()->buscar(clave<cAlumno>(m.IDAlumno()));
    if (!alumno) return false;
    m.setTipoEnsenanza(alumno->NTipoEnsenanza());
    m.setIDCurso(alumno->NIDCurso());
    m.setCurso(alumno->NCurso());
    m.setSeccion(alumno->NSeccion());
    if (conVisible) m.setVisible(!alumno->Baja());
    return true;
}

void sincronizarMiembros(const Coleccion<cAlumnoActividad>& miembros, const Coleccion<cCurso>& secciones) {
    for (const auto& m : miembros) tomarDestino(*m, secciones, true);
}

PreciosEnUso marcarPreciosEnUso(cActividad& a, const Coleccion<cAlumnoActividad>& miembros) {
    PreciosEnUso r;
    for (const auto& p : *a.TipoAlumnos()) p->setVisible(false);
    for (const auto& p : *a.Cursos()) p->setVisible(false);
    for (const auto& m : miembros) {
        if (!m->Visible()) continue;
        if (m->IDCurso() != 0)
            if (const auto p = a.Cursos()->buscar(clave<cPrecioActividad>(m->IDCurso()))) {
                p->setVisible(true);
                r.noCursos = false;
            }
        if (m->IDTipoAlumno() != 0)
            if (const auto p = a.TipoAlumnos()->buscar(clave<cPrecioActividad>(m->IDTipoAlumno()))) {
                p->setVisible(true);
                r.noTipos = false;
            }
    }
    return r;
}

std::shared_ptr<cAlumnoActividad> copiarMiembro(const cAlumnoActividad& m) {
    auto c = std::make_shared<cAlumnoActividad>();
    c->setIDAlumno(m.IDAlumno());
    c->setNombre(m.Nombre());
    c->setApellido1(m.Apellido1());
    c->setApellido2(m.Apellido2());
    c->setTipoEnsenanza(m.TipoEnsenanza());
    c->setIDCurso(m.IDCurso());
    c->setCurso(m.Curso());
    c->setIDSeccionActual(m.IDSeccionActual());
    c->setSeccion(m.Seccion());
    c->setIDTipoAlumno(m.IDTipoAlumno());
    c->setTipoAlumno(m.TipoAlumno());
    c->setPasar(m.Pasar());
    c->setPesetas(m.Pesetas());
    c->setEuros(m.Euros());
    c->setSeleccionado(m.Seleccionado());
    c->setVisible(m.Visible());
    return c;
}

void ordenarPorNombre(QList<std::shared_ptr<cAlumnoActividad>>& miembros) {
    orden::ordenarPersonas(miembros.begin(), miembros.end(), [](const std::shared_ptr<cAlumnoActividad>& m) {
        return orden::ClavePersona{m->Apellido1() + m->Apellido2() + m->Nombre(), m->IDAlumno()};
    });
}

QList<qint32> proponerPendientes(Conexion& centro, qint16 idCentro, Coleccion<cActividad>& actividades,
                                 const Coleccion<cCurso>* secciones) {
    const motor::EstructuraCentro e = motor::leerEstructura(centro, idCentro);
    Coleccion<cCurso> seccionesPropuestas;
    if (!secciones) {
        motor::proponerSecciones(centro, e, seccionesPropuestas);
        secciones = &seccionesPropuestas;
    }
    Coleccion<cActividad> propuesta;
    motor::proponerActividades(centro, e, *secciones, propuesta);
    QList<qint32> propuestas;
    for (const auto& a : actividades) {
        if (a->Promocionada()) continue;
        const auto p = propuesta.buscar(Coleccion<cActividad>::clave(a->IDActividad()));
        if (!p) continue;
        a->setFechaInicio(p->FechaInicio());
        a->setFechaFin(p->FechaFin());
        a->setAlumnos(p->Alumnos());
        a->setTipoAlumnos(p->TipoAlumnos());
        a->setCursos(p->Cursos());
        a->setPromocionada(true);
        propuestas << a->IDActividad();
    }
    return propuestas;
}

}  // namespace ncc::actividades
