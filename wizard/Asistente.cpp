#include "wizard/Asistente.h"
#include "entry/cAsignarDatos.h"
#include "wizard/ContextoAsistente.h"
#include "wizard/frmCierreCursoE.h"
#include <QApplication>

namespace ncc {

void AbrirAsistente() {
    ReiniciarAsistente();
    QPointer<frmCierreCursoE> inicio = new frmCierreCursoE(QApplication::activeWindow());
    Asistente().CierreCursoE = inicio;
    inicio->cargar();
    if (inicio && inicio->Mostrar()) inicio->exec();
    // Pages left hidden ("< Anterior") go with the wizard.
    TerminarPaginas();
    delete inicio.data();
    Asistente().CierreCursoE.clear();
    Asistente().Provisionales = {};
}

void InstalarAsistente() { InstalarFormularioNodo(1, AbrirAsistente); }

}  // namespace ncc
