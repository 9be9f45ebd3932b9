#pragma once
// The historic school-year chooser: a historic year (or a new one of the
// user's), a teaching type and a course; "Siguiente >" takes the edit lock
// of that course, or tells that somebody holds it and the grades can only
// be read, and opens the historic grade editor.
//
// For the editor: the one open chooser (abierto()) carries the choice in
// elegido() (and the getters named as the members the editor reads), and
// LiberarBloqueo() is what the editor calls on every way out.
#include "history/CursoHistoricoElegido.h"
#include <QDialog>
#include <memory>

namespace Ui {
class frmHistoricoCurso;
}

namespace ncc {

class frmHistoricoCurso : public QDialog {
    Q_OBJECT
public:
    explicit frmHistoricoCurso(QWidget* parent = nullptr);
    ~frmHistoricoCurso() override;

    // The chooser that is open now (nullptr when none is).
    static frmHistoricoCurso* abierto();

    const historicos::CursoHistoricoElegido& elegido() const { return elegido_; }
    qint16 intCursoEscHistorico() const { return elegido_.intCursoEscHistorico; }
    qint16 intTipoEnsenanza() const { return elegido_.intTipoEnsenanza; }
    qint16 intCurso() const { return elegido_.intCurso; }
    quint8 bytCursoElegido() const { return bytCursoElegido_; }
    bool blnSoloLectura() const { return elegido_.blnSoloLectura; }
    const QString& strCurso() const { return elegido_.strCurso; }
    const QString& strTipoEnsenanza() const { return elegido_.strTipoEnsenanza; }
    // True while this chooser holds the edit lock of its course.
    bool bloqueoTomado() const { return bloqueoTomado_; }

    // Releases the edit lock taken by "Siguiente >" (nothing when read-only
    // or already released) and clears blnSoloLectura. Shows its own error.
    void LiberarBloqueo();

    // A historic year just created by frmNCursoEscolar: listed and chosen.
    void AgregarCursoHistorico(qint32 id, const QString& nombre);

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void cargar();
    void cboCursoEscolar_Click();
    void cboTipoEnsenanza_Click();
    void cboCurso_Click();
    void cmdNuevoCurso_Click();
    void cmdSiguiente_Click();
    void actualizarSiguiente();

    std::unique_ptr<Ui::frmHistoricoCurso> ui;
    historicos::CursoHistoricoElegido elegido_;
    quint8 bytCursoElegido_ = 0;
    bool bloqueoTomado_ = false;
};

}  // namespace ncc
