#pragma once
// The last window of the closing wizard: it owns the closing engine, hands
// it the wizard's decisions, runs the closing once as soon as it is shown,
// shows the overall progress and, for the long inner loops, a second
// display fed by the engine's signals, reports the outcome, tells the host
// that the school year changed and closes itself.
#include "engine/cIFunciones.h"
#include <QDialog>
#include <memory>

namespace Ui {
class frmProceso;
}

namespace ncc {

class frmProceso : public QDialog {
    Q_OBJECT
public:
    explicit frmProceso(QWidget* parent = nullptr);
    ~frmProceso() override;

    // The load: texts, and the engine fed from the start page.
    void cargar();

    bool Mostrar() const { return Mostrar_; }
    // The run succeeded: the whole wizard is to close.
    bool CerrarAsistente() const { return CerrarAsistente_; }

    // The engine, for whoever needs to look at the run (tests, captures).
    cIFunciones& motor() { return mobjCierreCurso_; }

    void IniciarProgreso(long lngValorMax, const QString& strTexto);
    void AumentarProgreso();
    void CerrarProgreso();

public slots:
    // The window cannot be closed while the closing runs.
    void reject() override;

protected:
    void showEvent(QShowEvent* e) override;

private:
    void Ejecutar();
    void AvisarAlAnfitrion();
    void OfrecerInforme();

    class Barra;
    class Etiqueta;
    std::unique_ptr<Ui::frmProceso> ui_;
    cIFunciones mobjCierreCurso_;
    std::unique_ptr<Barra> barra_;
    std::unique_ptr<Etiqueta> etiqueta_;
    bool Mostrar_ = false;
    bool CerrarAsistente_ = false;
    bool iniciado_ = false;
    bool terminado_ = false;
};

}  // namespace ncc
