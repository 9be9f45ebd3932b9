#pragma once
// The historic side's entries for the host's tree: each shows its window
// modally over `padre` and returns when it has closed.
class QWidget;

namespace ncc::historicos {

// Node 2: the historic school-year chooser.
void MostrarHistoricoCurso(QWidget* padre = nullptr);
// Node 3: the grade transfer from an earlier school year.
void MostrarHistorico(QWidget* padre = nullptr);

// Makes them the forms of nodes 2 and 3 of ActivarFormulario
// (InstalarFormularioNodo).
void InstalarNodosHistoricos();

}  // namespace ncc::historicos
