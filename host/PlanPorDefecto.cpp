// The plan against the school's own data: the plan that carries the school on
// as it is (the proposal, what a secretary gets by opening every section and
// every activity of the wizard and confirming it), and the check that fits a
// plan from elsewhere onto the school.
#include "engine/PropuestaCierre.h"
#include "engine/ValidacionDecisiones.h"
#include "entry/cAlumno.h"
#include "entry/cAlumnoActividad.h"
#include "entry/cPrecioActividad.h"
#include "host/Plan.h"
#include "platform/Conexion.h"
#include <QHash>
#include <QSet>
#include <algorithm>

namespace ncc::host {

Plan planPorDefecto(Conexion& centro, qint16 idCentro) {
    Plan plan;
    plan.cabecera.centro = idCentro;
    const motor::EstructuraCentro e = motor::leerEstructura(centro, idCentro);
    motor::proponerSecciones(centro, e, *plan.arboles.secciones);
    motor::proponerActividades(centro, e, *plan.arboles.secciones, *plan.arboles.actividades);
    return plan;
}

// ---------------------------------------------------------------------------

void encajarEnCentro(Plan& plan, Conexion& centro, qint16 idCentro) {
    const motor::EstructuraCentro e = motor::leerEstructura(centro, idCentro);

    struct DatosAlumno {
        QString fechaBaja;
        QSet<int> secciones;  // his own and those that list him
    };
    QHash<qint32, DatosAlumno> alumnos;
    for (Recordset rs = centro.Abrir(QStringLiteral("SELECT IDAlumno, codSeccion, FechaBaja FROM Alumno")); !rs.eof();
         rs.MoveNext()) {
        auto& d = alumnos[qint32(rs.entero(QStringLiteral("IDAlumno")))];
        d.fechaBaja = rs.texto(QStringLiteral("FechaBaja"));
        if (!rs.esNulo(QStringLiteral("codSeccion"))) d.secciones.insert(int(rs.entero(QStringLiteral("codSeccion"))));
    }
    for (Recordset rs = centro.Abrir(QStringLiteral("SELECT codSeccion, codAlumno FROM Seccion_Alumno")); !rs.eof();
         rs.MoveNext()) {
        const auto it = alumnos.find(qint32(rs.entero(QStringLiteral("codAlumno"))));
        if (it != alumnos.end()) it->secciones.insert(int(rs.entero(QStringLiteral("codSeccion"))));
    }
    QSet<int> actividades, tiposAlumno;
    for (Recordset rs = centro.Abrir(QStringLiteral("SELECT IDActividad FROM Actividad")); !rs.eof(); rs.MoveNext())
        actividades.insert(int(rs.entero(QStringLiteral("IDActividad"))));
    for (Recordset rs = centro.Abrir(QStringLiteral("SELECT IDTipoAlumno FROM TipoAlumno")); !rs.eof(); rs.MoveNext())
        tiposAlumno.insert(int(rs.entero(QStringLiteral("IDTipoAlumno"))));

    QStringList problemas;
    const auto idsDe = [](const QSet<int>& s) {
        QList<int> l(s.begin(), s.end());
        std::sort(l.begin(), l.end());
        QStringList t;
        for (int i : l) t << QString::number(i);
        return t.join(QStringLiteral(", "));
    };

    int i = 0;
    for (const auto& s : *plan.arboles.secciones) {
        const QString ruta = QStringLiteral("secciones[%1]").arg(i++);
        if (!e.seccion.contains(s->IDSeccion())) {
            problemas << QStringLiteral("%1: la sección %2 no existe en el centro").arg(ruta).arg(s->IDSeccion());
        } else {
            const auto& c = e.curso[e.seccion[s->IDSeccion()].curso];
            if (s->IDCurso() != 0 && s->IDCurso() != c.id)
                problemas << QStringLiteral("%1: la sección %2 es del curso %3, no del %4")
                                 .arg(ruta)
                                 .arg(s->IDSeccion())
                                 .arg(c.id)
                                 .arg(s->IDCurso());
            if (s->IDTipoEnsenanza() != 0 && s->IDTipoEnsenanza() != c.tipo)
                problemas << QStringLiteral("%1: la sección %2 es del tipo de enseñanza %3, no del %4")
                                 .arg(ruta)
                                 .arg(s->IDSeccion())
                                 .arg(c.tipo)
                                 .arg(s->IDTipoEnsenanza());
        }
        int j = 0;
        for (const auto& a : *s->Alumnos()) {
            const QString r = QStringLiteral("%1.Alumnos[%2]").arg(ruta).arg(j++);
            const auto it = alumnos.constFind(a->IDAlumno());
            if (it == alumnos.cend()) {
                problemas << QStringLiteral("%1: el alumno %2 no existe en el centro").arg(r).arg(a->IDAlumno());
            } else if (!it->secciones.contains(s->IDSeccion())) {
                problemas << QStringLiteral("%1: el alumno %2 no es de la sección %3 (es de la %4)")
                                 .arg(r)
                                 .arg(a->IDAlumno())
                                 .arg(s->IDSeccion())
                                 .arg(it->secciones.isEmpty() ? QStringLiteral("ninguna") : idsDe(it->secciones));
            } else if (!it->fechaBaja.isEmpty()) {
                problemas << QStringLiteral("%1: el alumno %2 ya es baja desde %3").arg(r).arg(a->IDAlumno()).arg(it->fechaBaja);
            }
        }
    }

    i = 0;
    for (const auto& a : *plan.arboles.actividades) {
        const QString ruta = QStringLiteral("actividades[%1]").arg(i++);
        if (!actividades.contains(a->IDActividad()))
            problemas << QStringLiteral("%1: la actividad %2 no existe en el centro").arg(ruta).arg(a->IDActividad());
        int j = 0;
        for (const auto& m : *a->Alumnos()) {
            const QString r = QStringLiteral("%1.Alumnos[%2]").arg(ruta).arg(j++);
            if (!alumnos.contains(m->IDAlumno()))
                problemas << QStringLiteral("%1: el alumno %2 no existe en el centro").arg(r).arg(m->IDAlumno());
        }
        j = 0;
        for (const auto& p : *a->TipoAlumnos()) {
            const QString r = QStringLiteral("%1.TipoAlumnos[%2]").arg(ruta).arg(j++);
            if (!tiposAlumno.contains(p->ID()))
                problemas << QStringLiteral("%1: el tipo de alumno %2 no existe en el centro").arg(r).arg(p->ID());
        }
        j = 0;
        for (const auto& p : *a->Cursos()) {
            const QString r = QStringLiteral("%1.Cursos[%2]").arg(ruta).arg(j++);
            const auto* c = e.cursoDe(p->ID());
            if (!c || !c->delCentro)
                problemas << QStringLiteral("%1: el curso %2 no existe en el centro").arg(r).arg(p->ID());
        }
    }
    if (!problemas.isEmpty()) throw ErrorPlan(ErrorPlan::Tipo::NoEncaja, problemas);

    auto& secciones = *plan.arboles.secciones;
    for (const auto& s : secciones) s->setVisible(e.conActivos.contains(s->IDSeccion()));
    for (int id : e.secciones)
        if (e.conActivos.contains(id) && !secciones.contiene(Coleccion<cCurso>::clave(id)))
            secciones.Add(motor::nuevaSeccion(e, id), id);
}

void validarDecisiones(const Plan& plan, Conexion& centro, qint16 idCentro, bool secciones, bool actividades) {
    motor::AlcanceValidacion alcance;
    alcance.secciones = secciones;
    alcance.actividades = actividades;
    const QStringList problemas =
        motor::problemasDecisiones(plan.arboles.secciones.get(), plan.arboles.actividades.get(), centro, idCentro, alcance);
    if (!problemas.isEmpty()) throw ErrorPlan(ErrorPlan::Tipo::NoEncaja, problemas);
}

}  // namespace ncc::host

namespace ncc::host {

void sincronizarActividades(Plan& plan, Conexion& centro) {
    // Who stays, as the promotion transfer decides it: the students of a
    // promoted section who are promoted or repeat, and those already
    // enrolled for the next year. Everybody else not yet enrolled leaves.
    QSet<qint32> seQuedan, sinMatricula;
    for (const auto& s : *plan.arboles.secciones) {
        if (!s->Promocionada()) continue;
        for (const auto& a : *s->Alumnos())
            if (!a->SinAsignar() && (a->Promociona() || a->Repite())) seQuedan.insert(a->IDAlumno());
    }
    for (Recordset rs = centro.Abrir(QStringLiteral("SELECT IDAlumno FROM Alumno WHERE Anticipado=0")); !rs.eof();
         rs.MoveNext())
        sinMatricula.insert(qint32(rs.entero(QStringLiteral("IDAlumno"))));

    for (const auto& act : *plan.arboles.actividades) {
        bool cambiada = false;
        for (const auto& m : *act->Alumnos())
            if (m->Visible() && sinMatricula.contains(m->IDAlumno()) && !seQuedan.contains(m->IDAlumno())) {
                m->setVisible(false);
                cambiada = true;
            }
        if (!cambiada) continue;
        for (const auto& p : *act->TipoAlumnos()) p->setVisible(false);
        for (const auto& p : *act->Cursos()) p->setVisible(false);
        for (const auto& m : *act->Alumnos()) {
            if (!m->Visible()) continue;
            const QString curso = Coleccion<cPrecioActividad>::clave(m->IDCurso());
            const QString tipo = Coleccion<cPrecioActividad>::clave(m->IDTipoAlumno());
            if (act->Cursos()->contiene(curso)) act->Cursos()->Item(curso)->setVisible(true);
            if (act->TipoAlumnos()->contiene(tipo)) act->TipoAlumnos()->Item(tipo)->setVisible(true);
        }
    }
}

}  // namespace ncc::host
