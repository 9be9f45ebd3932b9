#include "wizard/ContextoAsistente.h"
#include "wizard/frmCierreActividades.h"
#include "wizard/frmCierreAlumnos.h"
#include "wizard/frmCierreCursoE.h"

namespace ncc {

ContextoAsistente& Asistente() {
    static ContextoAsistente c;
    return c;
}

void ReiniciarAsistente() {
    ContextoAsistente& c = Asistente();
    c.CierreParcial = false;
    c.CierreCursoE.clear();
    c.CierreAlumnos.clear();
    c.CierreActividades.clear();
    c.PrecioActividad.clear();
    c.Proceso.clear();
    c.Provisionales = {};
    c.PaginasAbiertas.clear();
}

std::function<ArbolesCierre()>& FuenteArbolesPorDefecto() {
    static std::function<ArbolesCierre()> f;
    return f;
}

std::function<QString(const motor::EstadoMotor&)>& InformeTrasCierre() {
    static std::function<QString(const motor::EstadoMotor&)> f;
    return f;
}

// The student and activity pages plug in here: once they exist, these
// read their Secciones() and Actividades() when their page was shown.
std::shared_ptr<Coleccion<cCurso>> SeccionesDelAsistente() {
    const ContextoAsistente& a = Asistente();
    if (a.CierreAlumnos && a.CierreCursoE && a.CierreCursoE->SeccionesCargadas()) return a.CierreAlumnos->Secciones();
    return a.Provisionales.secciones;
}

std::shared_ptr<Coleccion<cActividad>> ActividadesDelAsistente() {
    const ContextoAsistente& a = Asistente();
    if (a.CierreActividades && a.CierreCursoE && a.CierreCursoE->ActividadesCargadas())
        return a.CierreActividades->Actividades();
    return a.Provisionales.actividades;
}

}  // namespace ncc

namespace ncc {

void TerminarPaginas() {
    QList<QPointer<QDialog>>& paginas = Asistente().PaginasAbiertas;
    for (qsizetype i = paginas.size() - 1; i >= 0; --i) {
        QPointer<QDialog> p = paginas.at(i);
        if (!p) continue;
        if (p->isVisible()) p->done(QDialog::Rejected);
        else delete p.data();
    }
    paginas.clear();
}

}  // namespace ncc
