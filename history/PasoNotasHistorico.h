#pragma once
// The grade transfer: the final grades of an earlier school year of the
// school, read from that year's own database, go into a historic school
// year of the current one (EvaluacionHistorica). No widgets: the transfer
// form drives it and shows its progress, the tests drive it directly.
#include "engine/ListaIds.h"
#include "platform/Conexion.h"
#include "platform/Mensajes.h"
#include <QMap>
#include <QString>
#include <functional>
#include <memory>

namespace ncc::historicos {

struct ResultadoPaso {
    bool correcto = false;  // the run ended without an error
    long secciones = 0;     // sections passed
    long insertadas = 0;    // grade rows written and kept
    long existentes = 0;    // rows that an earlier transfer of the origin had already written
    long omitidas = 0;      // rows that could not be written (their own statement failed)
    long sinAlumno = 0;     // rows written and then removed: their student is no longer at the school
    // The rows already there, by the historic year that holds them.
    QMap<qint32, long> existentesPorHistorico;
    // What the secretary is told at the end (MostrarResultado).
    QString mensaje;
    Icono icono = Icono::Informacion;
};

// Beep and the final message of a transfer.
void MostrarResultado(const ResultadoPaso& r);

// The final message of a transfer that ran to its end: what was passed,
// what was already there and in which historic year (named by
// `nombreHistorico`), and what could not be passed.
QString TextoFinalPaso(const ResultadoPaso& r, const std::function<QString(qint32)>& nombreHistorico);

struct Clave;

class PasoNotasHistorico {
public:
    // `centro`: the current year's school database, which holds the historic
    // store; `appEntrada`: the application entry, which names the origin
    // year's database; `carpetaBD`: the application entry's folder, from
    // which a relative SQLite path of the origin is taken (empty on the
    // server). The connections are the host's: `appEntrada` is opened for
    // the look-up only when it was closed, and then closed again.
    PasoNotasHistorico(Conexion& centro, Conexion& appEntrada, QString carpetaBD);

    // Called with (0, number of sections) before the first section and with
    // (sections done, number of sections) after each; never for an origin
    // without sections.
    std::function<void(long valor, long maximo)> progreso;
    // Sections read from the origin in one read each of their grades,
    // promotion data and pending subjects; 0: the back end's own run, as the
    // closing reads them.
    int seccionesPorLectura = 0;

    // Passes the grades of school year `origen` (CursoEscolar.IDCursoEscolar)
    // into historic year `historico`, numbers the new rows and removes those
    // of them whose student is no longer in the school; rows that were in
    // the history before the run are never touched. The final message is
    // left in the result, for the caller to show once its pointer is back:
    // the rows passed, already there (and in which historic year) and
    // skipped; the origin that could not be found; or the error that
    // stopped the run (the rows already written stay, and a repeat writes
    // nothing twice). The transfer form and `ncc historico` both run it.
    ResultadoPaso PasarNotasHistorico(qint32 origen, qint32 historico);

    // The origin year's database, opened; nullptr, with the reason in
    // `r`, when the year is not registered or its database is not there.
    std::unique_ptr<Conexion> AbrirOrigen(qint32 origen, ResultadoPaso& r);

private:
    struct NotaOrigen;
    // The rows of sections [desde, hasta) of `secciones`, a list per
    // section in the order they are written.
    QList<QList<NotaOrigen>> leerTramo(Conexion& cnOrigen, const motor::ListaIds& secciones, int desde, int hasta,
                                       qint32 origen, qint32 historico);
    // Writes a section's rows: by batches, or each row alone (`porLotes`
    // false) so that a row the store refuses is counted and the others go
    // on. `enHistorico`: the store's grades of the origin year as the run
    // started, with their historic years; `presentes`: the students at the
    // school. Adds the section's counts to `r` once they are all written.
    void escribirSeccion(const QList<NotaOrigen>& notas, const QHash<Clave, qint32>& enHistorico,
                         const motor::ListaIds& presentes, qint32 historico, bool porLotes, ResultadoPaso& r);
    QString textoFinal(const ResultadoPaso& r);

    Conexion& centro_;
    Conexion& appEntrada_;
    QString carpetaBD_;
    // The highest id this run has given a row, written or not written for
    // want of its student: the next section's ids come after it.
    qint64 ultimoId_ = 0;
    // Whether this run numbers its rows as it writes them.
    bool numerarAlEscribir_ = false;
};

}  // namespace ncc::historicos
