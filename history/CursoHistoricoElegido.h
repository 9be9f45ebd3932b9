#pragma once
// What the historic school-year chooser hands to the historic grade editor:
// the historic year, teaching type and course chosen, and whether the
// editor opens read-only (no edit lock held). The editor releases the lock
// with LiberarBloqueo (BloqueoHistorico.h) on every way out.
#include <QString>
#include <QtGlobal>
#include <memory>

namespace ncc::historicos {

class TitularEditor;

struct CursoHistoricoElegido {
    qint16 intCursoEscHistorico = 0;  // CursoEscolarHistorico.IDCursoEscolarHistorico
    qint16 intTipoEnsenanza = 0;      // TipoEnsenanza.IDTipoEnsenanza
    qint16 intCurso = 0;              // Curso.IDCurso
    bool blnSoloLectura = false;      // true: no lock is held, nothing may be saved
    QString strCursoEscHistorico;     // texts as the chooser shows them
    QString strTipoEnsenanza;
    QString strCurso;
    // The mark of the editor that holds the lock (none when read-only):
    // while it lives, nobody else is offered the lock's release.
    std::shared_ptr<TitularEditor> titular;
};

}  // namespace ncc::historicos
