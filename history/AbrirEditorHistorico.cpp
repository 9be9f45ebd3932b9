#include "history/AbrirEditorHistorico.h"
#include "history/frmHistoricoCurso.h"
#include "platform/Mensajes.h"

namespace ncc::historicos {

// Until the editor is part of the component, the secretary is told so and
// the lock goes at once.
void AbrirEditorHistorico(frmHistoricoCurso& selector) {
    avisarTexto(QStringLiteral("El editor de notas históricas estará disponible en una próxima versión."),
                Icono::Informacion);
    selector.LiberarBloqueo();
}

}  // namespace ncc::historicos
