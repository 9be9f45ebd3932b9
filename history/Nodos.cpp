#include "history/Nodos.h"
#include "history/frmHistorico.h"
#include "history/frmHistoricoCurso.h"
#include "entry/cAsignarDatos.h"

namespace ncc::historicos {

void MostrarHistoricoCurso(QWidget* padre) {
    frmHistoricoCurso f(padre);
    f.exec();
}

void MostrarHistorico(QWidget* padre) {
    frmHistorico f(padre);
    f.exec();
}

void InstalarNodosHistoricos() {
    InstalarFormularioNodo(2, [] { MostrarHistoricoCurso(); });
    InstalarFormularioNodo(3, [] { MostrarHistorico(); });
}

}  // namespace ncc::historicos
