#pragma once
// The report a closing owes. Before its run a closing notes what its report
// will need (the two years, the partial flag, the decisions as a plan)
// beside its journal (a server's in this user's data folder); the report is
// then written by a process of its own (`ncc informe`), so that nothing that happens while it is drawn (a lack of
// memory inside Qt's PDF engine, a kill) can take the closing down. A
// closing that was completed by a recovery, or whose report failed or was
// killed, still has its note: the next start writes the report, or anyone
// with `ncc informe`. The note stays after the report, with its path, so
// that the report can be written again.
#include "engine/EstadoMotor.h"
#include "host/Sesion.h"
#include <QByteArray>
#include <QString>
#include <optional>

namespace ncc::host {

struct InformeDebido {
    QString cerrado, nuevo;  // the closed year and the new one, by name
    bool parcial = false, secciones = true, actividades = true;
    QByteArray plan;         // the decisions, as `ncc plan` writes them
    QString informe;         // the report's path once written
};

QString rutaInformeDebido(const OpcionesSesion& op);
void anotarInformeDebido(const OpcionesSesion& op, const InformeDebido& d);
// Nothing when there is no note (or one that cannot be read).
std::optional<InformeDebido> leerInformeDebido(const OpcionesSesion& op);
void quitarInformeDebido(const OpcionesSesion& op);
// The note's temporaries left by a process killed while writing it (a
// closing, or the report's process), which nothing else would remove.
void quitarTemporalesInformeDebido(const OpcionesSesion& op);

// Notes what the report of the closing about to run will need, from the
// engine's state (the wizard's decisions, which the host only sees there):
// the wizard's hook before the closing's first change.
void anotarInformeAntesDelCierre(const motor::EstadoMotor& e);
// The session options of a session's settings.
OpcionesSesion opcionesDe(const cConfiguracion& conf);

// Whether the application entry registers the note's new year for the
// centre: the closing was done (by its run or by a recovery).
bool cierreHecho(const OpcionesSesion& op, const InformeDebido& d);

// Reads the closing of `d` from the databases of both years and writes its
// report; returns the path and notes it. Throws ncc::Error (ErrorSesion
// when a year is not registered).
QString escribirInformeDebido(const OpcionesSesion& op, const InformeDebido& d);

}  // namespace ncc::host
