#pragma once
// Where the school is when the command does not say: an installed program is
// started from the desktop's menu, in whatever folder, so `ncc escritorio`
// and `ncc cerrar` without --datos or --servidor open the school folder this
// user last opened with them, and say which; with none remembered they say
// how to name one. The current folder is never taken for the school.
#include "host/Sesion.h"
#include <QStringList>
#include <QTextStream>

namespace ncc::app {

// Adds "--datos CARPETA" to `args` when they name no school and a folder is
// remembered, telling `aviso` which; throws host::ErrorOpciones with one
// sentence when none is.
void completarConCarpetaRecordada(QStringList& args, const QString& orden, QTextStream& aviso);

// The line of the usage texts that says so.
QString usoCarpetaRecordada();

// Remembers the school folder of `opciones` (after its session opened); a
// server is not remembered, its string may hold a password.
void recordarCarpeta(const host::OpcionesSesion& opciones);

}  // namespace ncc::app
