#pragma once
// The component's string table, compiled in: every user-visible text of the
// component by numeric id.
#include <QString>
#include <QList>

namespace ncc {

// The text with that id; an id missing from the table raises ncc::Error
// (errores::TextoNoEncontrado), never an empty text.
QString Texto(int id);
bool existeTexto(int id);
QList<int> idsTextos();  // every id, ascending

constexpr int TituloProducto = 100;  // "NORVA GESTIÓN ESCOLAR"
constexpr int PalabraError = 500;    // "Error"

}  // namespace ncc
