#pragma once
// The grade history: the closing's history step (PasarHistorico, in
// engine/Pasos.h) is made of the procedures below, and the historic side
// (the grade transfer of an earlier year) uses the two module procedures.
#include "engine/EstadoMotor.h"
#include "engine/ListaIds.h"
#include "platform/Conexion.h"
#include <QString>
#include <QVariantList>

namespace ncc::motor {

// Runs a long read and keeps the interface responsive around it. The
// recordset comes back in `rs`; when `Cancelar` has become true while the
// interface was served, `rs` comes back closed (nothing). Errors go to the
// caller.
void EjecutarAsincrono(const QString& strSQL, Conexion& conexion, Recordset& rs, const bool& Cancelar,
                       const QVariantList& valores = {});

// The reads of the students' final grades that the closing and the grade
// transfer of an earlier year share, of the students who have not left. Each
// ends in "Alumno.codSeccion ", for the caller's " IN (…)" or "= ?".
// The last evaluated acts, each row once, their columns named: IDAlumno,
// Repetidor, codTipoEnsenanza, codCurso, codSeccion, codNota,
// codNumEvaluacion, RE_AC_DIV, codMateria, Aprobado, codMateriaDetalles.
QString NotasFinalesDeSeccion(const QString& verdadero);
// The sections whose final grades pass, by codSeccion: no section of
// teaching type 1; of type 2 only those where a course ends a cycle; of
// every other type all.
QString SeccionesConNotasFinales(const QString& verdadero);
// The joins and conditions of the last evaluated acts of the pending
// subjects of earlier years the students carry, with the teaching type and
// course the subject belongs to (tables Alumno, AlumnoPte_MatDet,
// MateriaDetalles, Seccion, Curso, EvaluacionActaPte, Nota).
QString PendientesFinalesDeSeccion(const QString& verdadero);
// On the server, takes the statistics of the tables those reads join, as
// the server's own autovacuum would: a school loaded or copied not long ago
// has none, or stale ones, and the server then scans every period row of the
// school for each section (20,000 students: 37 ms a section instead of 3).
// Statistics only: no row changes; a user who does not own a table is
// warned, not stopped. Nothing on SQLite.
void EstadisticasNotasFinales(Conexion& conexion);

// Numbers the Orden of every EvaluacionHistorica row still at 0: 1, 2, 3 ...
// per student and school year, the grades of the year before the pending
// subjects. More than 255 rows of one student and year overflow. Errors go to
// the caller.
void RenumerarOrdenHistorico(Conexion& conexion);

// Registers the closed year as an application historic year in the new
// database; shows its own error and answers through `Correcto`.
void CrearCursoHistorico(EstadoMotor& e, long& IDCursoHistorico, bool& Correcto);

// A subject the student carries pending into the new year, in the section he
// goes to. Nothing when any of the three is 0. Errors go to the caller.
// The rows are written in batches: EscribirPendientes writes what waits.
void CrearMateriaPendiente(EstadoMotor& e, const qint32& IDAlumno, const qint32& IDMateriaDetalles,
                           const qint16& IDSeccion);
void EscribirPendientes(EstadoMotor& e);

// Starts the history step's reads of the closed year on a connection and
// thread of their own, and on the server its rows too, for the step to take
// when its turn comes: called as the students' phase begins. Nothing in a
// partial closing. Errors come when the step takes the reads.
void AdelantarLecturasHistorico(EstadoMotor& e);
// The promotion's removal of students' history rows from the new year: made
// here, or on the server handed to the rows written ahead, which wait for
// PermitirEscrituraHistorico (the promotion done) before their first row.
void QuitarDelHistorico(EstadoMotor& e, const ListaIds& alumnos);
bool PermitirEscrituraHistorico(EstadoMotor& e);

}  // namespace ncc::motor
