#pragma once
// The grade transfer form: the final grades of an earlier school year of
// the school go into a historic school year, with a progress display.
#include <QDialog>
#include <memory>

namespace Ui {
class frmHistorico;
}

namespace ncc {

class frmHistorico : public QDialog {
    Q_OBJECT
public:
    explicit frmHistorico(QWidget* parent = nullptr);
    ~frmHistorico() override;

    // A historic year just created by frmNCHistorico: listed and chosen.
    void AgregarDestino(qint32 id, const QString& nombre);

    // Escape and the close box: ignored while a transfer runs, so the
    // window cannot go away under it.
    void reject() override;

signals:
    // The display has just shown `valor` of `maximo` sections.
    void progresoMostrado(long valor, long maximo);

private:
    void cargar();
    void cmdAceptar_Click();
    void cmdNCEscHis_Click();
    void mostrarProgreso(long valor, long maximo);

    std::unique_ptr<Ui::frmHistorico> ui;
    bool enCurso_ = false;
};

}  // namespace ncc
