#pragma once
// The closing report: what a closing did, as the school keeps it in its
// records. Its figures are read from the databases once the run has
// succeeded (the closed year's and the new year's), not from the decisions,
// so that a decision the run did not carry out shows as a difference
// between what was decided and what was done.
//
// Reading (leerInforme) is apart from drawing (InformePdf.h), so that the
// tests can look at the figures and the page can change without them.
#include "engine/EstadoMotor.h"
#include "host/ResumenCierre.h"
#include <QDateTime>
#include <QList>
#include <QString>

namespace ncc::host {

// One student of a section of the closed year and what became of him.
struct AlumnoInforme {
    qint32 id = 0;
    QString nombre;   // "Apellido1 Apellido2, Nombre"
    QString detalle;  // the new course and section, or the date of leaving
};

struct SeccionInforme {
    qint16 id = 0;
    QString nombre;  // teaching type, course and section of the closed year
    QString tipo;    // the teaching type alone
    QList<AlumnoInforme> promocionan, repiten, bajas;
};

// A decision the databases do not show carried out.
struct DiferenciaInforme {
    QString ambito;  // the section or the activity
    QString nombre;  // the student, or the activity itself
    QString decidido, hecho;
};

struct PlazasInforme {
    QString seccion;
    long antes = 0, despues = 0;
};

struct MiembroInforme {
    QString nombre, seccion, euros, pesetas;
};

struct ActividadInforme {
    qint32 id = 0;
    QString nombre, inicio, fin;  // dates as "dd/MM/yyyy", empty when none
    QList<MiembroInforme> miembros;
};

// Grades passed to the historic year, by course of the closed year.
struct HistoricoInforme {
    QString curso;
    long alumnos = 0, notas = 0, pendientes = 0;
};

// What the purge removed: numbers only, never whom.
struct PurgaInforme {
    QString concepto;
    long cantidad = 0;
};

struct DatosInforme {
    bool ensayo = false, parcial = false;
    QString centro, cursoCerrado, cursoNuevo, usuario;
    QDateTime cuando;
    ResumenCierre resumen;
    long anticipados = 0;  // enrolled for the new year beforehand: they stay as they were
    QList<SeccionInforme> secciones;
    QList<PlazasInforme> plazas;
    QList<ActividadInforme> actividades;
    QStringList actividadesQuitadas;
    QList<HistoricoInforme> historico;
    QList<PurgaInforme> purga;
    QList<DiferenciaInforme> diferencias;
};

// Reads the report of the run whose state is `e` (after TransferirDatos
// returned true, its connections still open). Throws ncc::Error on a
// database failure.
// `resumen`: the run's summary when the caller took its figures before the
// run (the command line, the rehearsal); without it the summary is read
// after the run alone.
DatosInforme leerInforme(const motor::EstadoMotor& e, bool ensayo, const ResumenCierre* resumen = nullptr);

// "Cierre 2025-2026.pdf", or "Ensayo cierre 2025-2026.pdf" for a
// rehearsal: the closed year's name with what a file name cannot hold
// ("/" among them) turned into "-".
QString nombreInforme(const QString& cursoCerrado, bool ensayo);

// Where the reports of the school of `e` go: beside the application-entry
// database, or the user's documents folder when the databases are on a
// server.
QString carpetaInforme(const motor::EstadoMotor& e);
// The same for the session of `conf`: a rehearsal asks it before it points
// the settings at its copies, so that its report lands beside the school's
// own databases and not in the copies' folder that goes.
QString carpetaInforme(const cConfiguracion& conf);

// Reads the report of the run and writes it as a PDF into `carpeta` (empty:
// carpetaInforme(e)); returns the file's path. A real closing's report never
// replaces an earlier one (a second one of the same year gets " (2)"); a
// rehearsal's replaces the previous rehearsal's. Throws ncc::Error when the
// databases cannot be read or the file cannot be written.
QString escribirInformeCierre(const motor::EstadoMotor& e, bool ensayo, const QString& carpeta = {},
                              const ResumenCierre* resumen = nullptr);

}  // namespace ncc::host
