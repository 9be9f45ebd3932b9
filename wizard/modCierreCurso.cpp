#include "wizard/modCierreCurso.h"
#include "platform/Textos.h"
#include "platform/gui/Rejilla.h"
#include <QTableWidget>
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

void PintarFilaDecidida(Rejilla& rejilla, int fila, bool promocionada, bool propuesta) {
    constexpr qint64 kAmarillo = 65535, kAmarilloClaro = 0xCCFFFF;
    if (fila < 0 || fila >= rejilla.filas()) return;
    propuesta = propuesta && promocionada;
    rejilla.fijarColorFondoFila(fila, !promocionada ? -1 : propuesta ? kAmarilloClaro : kAmarillo);
    // The row says it in words too: a shade of yellow is easy to miss.
    const QString marca = QLatin1Char(' ') + Texto(17502);
    QString texto = rejilla.texto(fila, 0);
    if (texto.endsWith(marca)) texto.chop(marca.size());
    rejilla.fijarTexto(fila, 0, propuesta ? texto + marca : texto);
    // A long name is cut in its middle, so the mark stays in view, and the
    // whole name shows on hover.
    rejilla.tabla()->setTextElideMode(Qt::ElideMiddle);
    if (QTableWidgetItem* celda = rejilla.tabla()->item(fila, 0))
        celda->setToolTip(propuesta ? texto + marca + QLatin1Char('\n') + Texto(17503) : texto);
}

}  // namespace ncc
