#pragma once
// A rehearsal of the closing ("Ensayar cierre"): the whole closing, with the
// decisions taken and the same engine run, on throw-away copies of the
// school's four databases; what the closing would do is reported and the
// copies go. Nothing of the school changes: its files and server databases
// are only read, no journal of its own is written, its lock is held only
// while the rehearsal runs, and the real closing can run straight after.
//
// On SQLite the copies live in a temporary folder of their own, the
// application entry among them with the current year's connection strings
// pointed at the copies. On PostgreSQL they are databases of the same server
// named "ncc_ensayo_<marca>_…", and so is everything the run makes there;
// all of them are dropped at the end, also when the rehearsal fails. A
// rehearsal cut short (a killed process, a power cut) leaves them behind:
// the next start of the host removes them with limpiarEnsayosAbandonados,
// right after settling a closing that was cut short.
#include "engine/EstadoMotor.h"
#include "host/Plan.h"
#include "platform/CadenaConexion.h"
#include "host/ResumenCierre.h"
#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>

namespace ncc {
class cIFunciones;
}

namespace ncc::host {

// The start of the name of every server database of a rehearsal. No name a
// closing gives ("A1C4", "AppEntradaB") starts so, and a school whose own
// databases did is not rehearsed (the leftovers' sweep would drop them).
inline constexpr const char* PrefijoEnsayo = "ncc_ensayo_";
// While a rehearsal on a server runs, it holds an advisory lock of the
// maintenance database keyed (ClaveEnsayos, its marca as a number), so a
// host on another computer can tell its databases from a dead rehearsal's.
inline constexpr int ClaveEnsayos = 0x4E43;  // "NC"
// The comment every server database of rehearsal `marca` carries: only
// databases with it are ever dropped as a rehearsal's.
QString comentarioEnsayo(const QString& marca);
// The rehearsal's own step before the run: copying the school's databases.
inline constexpr int PasoCopiaEnsayo = 15025;

struct DecisionesEnsayo {
    Arboles arboles;
    QString nuevoCurso;
    bool secciones = true;
    bool actividades = true;
    // Called with the engine before the run, to show its progress; what it
    // returns lives until the run has ended.
    std::function<std::unique_ptr<QObject>(cIFunciones&)> preparar;
    // The rehearsal's closing report ("Ensayo cierre …pdf"), written where
    // the real closing's would go, beside the school's own databases.
    bool informe = true;
    // A partial closing is rehearsed (the closed year stays active).
    bool parcial = false;
    // The start checks are run too, their questions listed: the command
    // line's rehearsal; the wizard ran them when it opened.
    bool comprobarInicio = false;
};

struct ResultadoEnsayo {
    bool correcto = false;
    // The step where the closing stopped (a motor::pasos id or
    // PasoCopiaEnsayo); 0 when it never started.
    int paso = 0;
    // What the closing would have said: its errors, the questions it asks
    // (answered Yes by the rehearsal) and its other notices.
    QStringList errores, preguntas, avisos;
    // Figures of the run when it succeeded, its new databases named as the
    // real closing will name them.
    ResumenCierre resumen;
    double segundos = 0;
    // The path of the rehearsal's report; empty when none was written (a
    // failure to write it is among the notices).
    QString informe;
    // False when a copy could not be removed: the next start removes it.
    bool descartadas = true;

    QString nombrePaso() const;
    // The report for the secretary, in Spanish.
    // `enColumnas`: the summary's figures lined up for a terminal.
    QString texto(bool enColumnas = true) const;
};

// Called after a successful run, before the copies go, with the engine's
// state (its new databases open, the lent session settings pointing at the
// copies) and the run's figures.
using InformeEnsayo = std::function<void(const motor::EstadoMotor&, const ResumenCierre&)>;

// Rehearses the closing of the session of the component's current settings
// with decisions `d`. The trees of `d` and the partial-closing switch come
// back as they were given. An exception of `informe` is reported among the
// notices and does not spoil the result.
ResultadoEnsayo ensayarCierre(const DecisionesEnsayo& d, const InformeEnsayo& informe = {});

// Removes what rehearsals cut short left behind: their folders, their
// journals and, on the server of `appEntrada`, their databases that no
// session uses and no running rehearsal of this machine owns. A failure is
// left for the next start.
void limpiarEnsayosAbandonados(const DatosConexion& appEntrada);

}  // namespace ncc::host
