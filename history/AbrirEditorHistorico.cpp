#include "history/AbrirEditorHistorico.h"
#include "entry/cConfiguracion.h"
#include "history/frmEditarHistorico.h"
#include "history/frmHistoricoCurso.h"
#include "platform/Mensajes.h"
#include <QApplication>

namespace ncc::historicos {

void AbrirEditorHistorico(frmHistoricoCurso& selector) {
    const cConfiguracion* conf = ConfiguracionActual();
    Conexion* centro = conf ? conf->conLocalCentro() : nullptr;
    if (!centro) {
        selector.LiberarBloqueo();
        return;
    }
    const CursoHistoricoElegido& e = selector.elegido();
    const CursoHistorico curso{e.intCursoEscHistorico, quint8(e.intTipoEnsenanza), e.intCurso, e.blnSoloLectura};
    bool salir = false;
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        frmEditarHistorico editor(*centro, curso, [&selector] { selector.LiberarBloqueo(); }, &selector);
        QApplication::restoreOverrideCursor();
        editor.exec();
        salir = editor.cerrarSelector();
    }
    // "Salir" in the editor leaves the chooser too.
    if (salir) selector.close();
}

}  // namespace ncc::historicos
