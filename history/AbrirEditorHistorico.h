#pragma once
// The step from the chooser to the historic grade editor, in one place.
namespace ncc {
class frmHistoricoCurso;
}

namespace ncc::historicos {

// Opens the grade editor for the chooser's choice (modal; returns when it
// closes). The chooser has already taken the lock, or set read-only; the
// lock is released through selector.LiberarBloqueo() on every way out.
void AbrirEditorHistorico(frmHistoricoCurso& selector);

}  // namespace ncc::historicos
