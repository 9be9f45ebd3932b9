#include "history/Nodos.h"
#include "history/frmHistorico.h"
#include "history/frmHistoricoCurso.h"

namespace ncc::historicos {

void MostrarHistoricoCurso(QWidget* padre) {
    frmHistoricoCurso f(padre);
    f.exec();
}

void MostrarHistorico(QWidget* padre) {
    frmHistorico f(padre);
    f.exec();
}

}  // namespace ncc::historicos
