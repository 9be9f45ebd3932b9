#pragma once
// Historic school years (CursoEscolarHistorico): the names a secretary may
// give one, and the creation of a new one with the next id.
#include "platform/Conexion.h"
#include <QString>

namespace ncc::historicos {

// Widest name a historic year can carry: the closing names its historic
// year after the closed school year, whose name is this wide at most.
constexpr int LongitudNombreHistorico = 50;

// What is wrong with a name typed for a new historic year: empty when it
// can be used; `mensajeVacio` for a blank one; the width message for a
// longer one.
QString ProblemaNombreHistorico(const QString& nombre, const QString& mensajeVacio);

// Creates the historic year `nombre` (stored exactly as typed) and returns
// its id: the highest one plus 1, or 1 on an empty table, read and written
// in one transaction so that two users cannot take the same id.
// `aplicacion`: an application historic year (the transfer's), otherwise a
// user one (the chooser's). Database errors reach the caller.
qint32 CrearCursoEscolarHistorico(Conexion& con, const QString& nombre, bool aplicacion);

}  // namespace ncc::historicos
