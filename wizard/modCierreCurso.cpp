#include "wizard/modCierreCurso.h"
#include "entry/cAlumnoActividad.h"
#include "entry/cPrecioActividad.h"

namespace ncc {

bool HayAlumnosSinDestino(const Coleccion<cCurso>& secciones) {
    for (const auto& s : secciones) {
        if (!s->Alumnos()) continue;
        for (const auto& a : *s->Alumnos())
            if ((a->Promociona() || a->Repite()) && a->NIDTipoEnsenanza() == 0 && a->NIDCurso() == 0 &&
                a->NIDSeccion() == 0)
                return true;
    }
    return false;
}

void SincronizarActividades(const Coleccion<cAlumno>& alumnos, const Coleccion<cActividad>& actividades) {
    QList<std::shared_ptr<cActividad>> tocadas;
    for (const auto& a : alumnos) {
        const QString clave = QString::number(a->IDAlumno());
        for (const QString& id : a->Actividades().split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            const auto actividad = actividades.buscar(id.trimmed());
            if (!actividad || !actividad->Promocionada() || !actividad->Alumnos()) continue;
            // The activity page reads its members through the student type:
            // a member without one is not on its list.
            const auto miembro = actividad->Alumnos()->buscar(clave);
            if (!miembro) continue;
            miembro->setTipoEnsenanza(a->NTipoEnsenanza());
            miembro->setIDCurso(a->NIDCurso());
            miembro->setCurso(a->NCurso());
            miembro->setSeccion(a->NSeccion());
            miembro->setVisible(!a->Baja());
            if (!tocadas.contains(actividad)) tocadas << actividad;
        }
    }
    for (const auto& actividad : tocadas) {
        for (const auto& precios : {actividad->TipoAlumnos(), actividad->Cursos()})
            if (precios)
                for (const auto& p : *precios) p->setVisible(false);
        for (const auto& m : *actividad->Alumnos()) {
            if (!m->Visible()) continue;
            if (actividad->Cursos())
                if (const auto p = actividad->Cursos()->buscar(QString::number(m->IDCurso()))) p->setVisible(true);
            if (actividad->TipoAlumnos())
                if (const auto p = actividad->TipoAlumnos()->buscar(QString::number(m->IDTipoAlumno())))
                    p->setVisible(true);
        }
    }
}

}  // namespace ncc
