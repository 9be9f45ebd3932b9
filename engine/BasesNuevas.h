#pragma once
// The next school year's databases: copies of the current ones, their
// backups, the tables emptied for the new year, the registration of the new
// year, the compaction and the restoration after a failed run.
#include "engine/EstadoMotor.h"

namespace ncc::motor {

bool CrearNuevoCursoEscolar(EstadoMotor& e);
bool ObtenerNuevoID(Conexion& con1, Conexion& con2, const QString& tabla, const QString& campo, long& nuevoId);
// The refusals before a run, under the closing's lock; each throws
// ncc::Error with the message for the user and changes nothing. The names
// the run will create, back up or compact against those it reads and
// against the databases of registered years:
void ComprobarNombresBases(EstadoMotor& e);
// The session's year is still the centre's current one (no closing has
// closed it meanwhile) and the new year's name is not already a year's.
void ComprobarCursoVigente(EstadoMotor& e);
bool CopiarBasesDatos(EstadoMotor& e, qint16 centro, qint16 cursoActual, qint16 cursoNuevo);
// Called before the run's first change to a database it backed up: the
// backups are then on disk and the journal says that a recovery restores
// them. Until then the session's connections to those databases refuse
// every change. Once per run; later calls return true at once.
bool PermitirCambiosOriginales(EstadoMotor& e);
bool ObtenerOrigenDatos(const EstadoMotor& e, const Conexion& con, QString& valor);
bool AbrirNuevasBasesDatos(EstadoMotor& e);
bool ApuntarNuevasBasesDatos(EstadoMotor& e, const QString& nuevaCentro, const QString& nuevaBorrado);
bool EstablecerCredenciales(EstadoMotor& e, Conexion& con);
bool VaciarNuevasBasesDatos(EstadoMotor& e);
QStringList ListaTablasVaciar(bool procesarSecciones);
bool RegistrarCursoNuevaBD(EstadoMotor& e, qint16 centro, long nuevoId, qint16 usuario, const QString& nombre);
bool RegistrarCursoAppEntrada(EstadoMotor& e, qint16 centro, qint16 actual, qint16 nuevo, const QString& nombre,
                              const QString& bd, const QString& bdBorrado);
bool CompactarNuevasBasesDatos(EstadoMotor& e);
// Whether every backup went.
bool BorrarCopiasSeguridad(EstadoMotor& e);
// Whether everything was restored and the run's journal went.
bool RestaurarBasesDatos(EstadoMotor& e);
void DuplicarComillas(QString& texto);

// Whole databases on the server `enServidor`, whose credentials are used;
// `comentario` goes on the copy (servidor::copiar).
void CopiaDBSQLServer(const DatosConexion& enServidor, const QString& dbOrigen, const QString& dbDestino,
                      const QString& comentario = {});
void BorraDBSQLServer(const DatosConexion& enServidor, const QString& dbABorrar);

}  // namespace ncc::motor
