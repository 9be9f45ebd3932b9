#pragma once
// A school whose database files this user can only read: what only reads
// works on it, and what would write says so beforehand, in one sentence,
// instead of failing halfway.
#include "entry/cConfiguracion.h"
#include <QString>

namespace ncc {

// The session's folder of database files that cannot be written (the folder
// itself, or a database file in it), empty when every one can be or the
// databases are on a server.
QString CarpetaSoloLectura(const cConfiguracion& conf);

// Whether SQLite can write the database file `archivo`: the file (when it
// exists) and its folder, where it writes its journal.
bool SeEscribe(const QString& archivo);

// The sentence that says why nothing can be saved in `carpeta`.
QString TextoSoloLectura(const QString& carpeta);

// The sentence for the current session's school, empty when it can be
// written.
QString AvisoSoloLectura();

// Before an action that writes: false, having said AvisoSoloLectura, when
// the current school cannot be written.
bool PuedeEscribir();

}  // namespace ncc
