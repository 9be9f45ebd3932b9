#pragma once
// What the pages of the closing wizard share while it is open: whether the
// closing is partial and the one open instance of each page, through which
// the pages reach one another. Opening the wizard (node 1) starts a fresh
// context, so nothing of an earlier run leaks into the next.
#include "entry/Coleccion.h"
#include "entry/cActividad.h"
#include "entry/cConfiguracion.h"
#include "entry/cCurso.h"
#include <QApplication>
#include <QDialog>
#include <QList>
#include <QPointer>
#include <QPushButton>
#include <functional>
#include <memory>

namespace ncc::motor {
struct EstadoMotor;
}

namespace ncc {

class frmCierreCursoE;
class frmCierreAlumnos;
class frmCierreActividades;
class frmPrecioActividad;
class frmProceso;
class cIFunciones;

// The two trees of a closing's decisions.
struct ArbolesCierre {
    std::shared_ptr<Coleccion<cCurso>> secciones;
    std::shared_ptr<Coleccion<cActividad>> actividades;
};

struct ContextoAsistente {
    // The component-wide flag that the databases step and the history read.
    bool& CierreParcial = ncc::CierreParcial();

    QPointer<frmCierreCursoE> CierreCursoE;
    QPointer<frmCierreAlumnos> CierreAlumnos;
    QPointer<frmCierreActividades> CierreActividades;
    QPointer<frmPrecioActividad> PrecioActividad;
    QPointer<frmProceso> Proceso;

    // Decisions taken without a page of their own (the default plan), used
    // by the runner for the trees whose page was not shown.
    ArbolesCierre Provisionales;

    // Every page shown through MostrarPagina, in the order they were opened,
    // so that closing the wizard can end them from the top down.
    QList<QPointer<QDialog>> PaginasAbiertas;
};

// The context of the open wizard.
ContextoAsistente& Asistente();
// Forgets everything of an earlier run: CierreParcial false, no pages.
void ReiniciarAsistente();

// Where the wizard takes the default decisions from while a page is missing:
// the host that knows the default plan installs it. Empty: no default.
std::function<ArbolesCierre()>& FuenteArbolesPorDefecto();

// What becomes of a closing that succeeded before the wizard closes: the
// host that writes the closing report installs it, and it answers the
// report's path (empty: none), which the runner offers to open. It is
// called with the engine's state while the new year's databases are still
// open; an ncc::Error it throws is shown and the wizard goes on. Empty: no
// report.
std::function<QString(const motor::EstadoMotor&)>& InformeTrasCierre();

// What the host keeps before the closing changes anything (the note of what
// its report will need, so that a closing killed halfway and completed by
// the next start still gets its report): called by the engine under the
// closing's lock; an ncc::Error it throws refuses the closing. Empty: nothing.
std::function<void(const motor::EstadoMotor&)>& AnotarAntesDelCierre();

// A rehearsal of the closing with the wizard's decisions, run by the host
// (which knows how to copy the school's databases): what "Ensayar cierre"
// hands over, and what it shows.
struct EnsayoAsistente {
    ArbolesCierre arboles;
    QString nuevoCurso;
    bool secciones = false;
    bool actividades = false;
    // Called with the engine before the run, to show its progress; what it
    // returns lives until the run has ended.
    std::function<std::unique_ptr<QObject>(cIFunciones&)> preparar;
};
struct ResultadoEnsayoAsistente {
    bool correcto = false;
    QString texto;
    QString informe;  // the rehearsal's report, offered to open; empty: none
};

// Tells where a closing's report was saved and offers to open it.
void OfrecerAbrirInforme(const QString& ruta);
// The question it asks.
QString PreguntaAbrirInforme(const QString& ruta);
// What it says when the desktop has no program to open the report.
QString TextoInformeSinVisor(const QString& ruta);
// Installed by the host; empty: the wizard says the rehearsal is not
// available.
std::function<ResultadoEnsayoAsistente(const EnsayoAsistente&)>& EnsayoDelAnfitrion();

// Wires a page's "Ensayar cierre" to the start page's EnsayarCierre and
// keeps it usable exactly when the page's "Finalizar" is.
void EnlazarEnsayo(QPushButton* ensayar, QPushButton* finalizar);

// The trees the runner hands to the engine: those of the student and
// activity pages when they were shown, else the provisional ones.
std::shared_ptr<Coleccion<cCurso>> SeccionesDelAsistente();
std::shared_ptr<Coleccion<cActividad>> ActividadesDelAsistente();

// Ends every open page from the top down: a page inside its exec() is
// ended (its caller deletes it once exec() has returned), a hidden one is
// deleted at once.
void TerminarPaginas();

// Loads a page if it is not loaded (construction and cargar()), shows it
// modally when its Mostrar() is true (calling `alMostrar` first) and
// forgets it when it is not. A page stays loaded, with its state, when it
// was only hidden ("< Anterior"); it is deleted once its exec() has
// returned if the wizard cleared its reference meanwhile (CerrarAsistente).
template <class Pagina, class AlMostrar>
void MostrarPagina(QPointer<Pagina>& referencia, AlMostrar alMostrar) {
    if (!referencia) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        Pagina* nueva = new Pagina(QApplication::activeModalWidget());
        referencia = nueva;
        Asistente().PaginasAbiertas.append(QPointer<QDialog>(nueva));
        nueva->cargar();
        QApplication::restoreOverrideCursor();
    }
    if (!referencia->Mostrar()) {
        delete referencia.data();
        referencia.clear();
        return;
    }
    alMostrar();
    QPointer<Pagina> pagina = referencia;
    pagina->exec();
    if (pagina && referencia != pagina) delete pagina.data();
}

}  // namespace ncc
