#pragma once
// Databases as wholes: SQLite files and PostgreSQL databases are copied,
// dropped, renamed and tested for existence here.
#include "platform/Conexion.h"
#include <QString>

namespace ncc::archivos {

bool existe(const QString& ruta);
void borrar(const QString& ruta);             // no error when absent
void renombrar(const QString& de, const QString& a);
// A consistent copy of a SQLite database (VACUUM INTO), even while other
// connections hold the source open; an existing destination is replaced.
void copiarBaseSQLite(const QString& origen, const QString& destino);
// VACUUM INTO a new file: the compaction of a database.
void compactarSQLite(const QString& origen, const QString& destino);
// How a copy reaches the disk: flushed before `copiar` returns; its
// writing only begun, for the caller to wait for with `sincronizar` before
// anything relies on it (several copies then reach the disk side by side
// with the copying); or left to the system, for a file of a run's own that
// the run replaces or removes before anything relies on it.
enum class Escritura { Sincronizada, Empezada, Libre };
// A byte-for-byte copy of a database file that no connection is writing
// (the backups must give back exactly what was there); an existing
// destination is replaced.
void copiar(const QString& origen, const QString& destino, Escritura escritura = Escritura::Sincronizada);
// Flushes a database file to disk (fsync) with the log or journal beside
// it, and its folder.
void sincronizar(const QString& ruta);

}  // namespace ncc::archivos

namespace ncc::servidor {

// `datos` is any connection of the server: its host, port and
// credentials are used; its database is ignored.
bool existe(const DatosConexion& datos, const QString& nombre);
// Copies database `origen` into a new database `destino` (replaced if it
// exists) with pg_dump piped into pg_restore: other sessions may stay
// connected to the source, which CREATE DATABASE ... TEMPLATE forbids.
// A `comentario` is put on the new database as soon as it exists, before
// its contents: whoever made it can tell it from any other database even
// when the copy is cut short.
void copiar(const DatosConexion& datos, const QString& origen, const QString& destino, const QString& comentario = {});
void borrar(const DatosConexion& datos, const QString& nombre);  // drops, forcing out sessions
void renombrar(const DatosConexion& datos, const QString& de, const QString& a);
void crear(const DatosConexion& datos, const QString& nombre);
// The comment on database `nombre` (empty when it has none or is not there).
QString comentario(const DatosConexion& datos, const QString& nombre);
// The databases whose names begin with `prefijo`, sorted; with `libres`,
// only those no session is connected to.
QStringList conPrefijo(const DatosConexion& datos, const QString& prefijo, bool libres = false);
// Puts backup `copia` back as `original`: the original is dropped and the
// copy takes its name, its owner, its grants, its settings, its comment and
// its connection limit, as the original had them.
void reponer(const DatosConexion& datos, const QString& copia, const QString& original);

}  // namespace ncc::servidor
