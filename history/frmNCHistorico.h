#pragma once
// A new application historic school year, created from the grade transfer
// form and chosen there as the destination.
#include <QDialog>
#include <memory>

namespace Ui {
class frmNCHistorico;
}

namespace ncc {

class frmHistorico;

class frmNCHistorico : public QDialog {
    Q_OBJECT
public:
    explicit frmNCHistorico(frmHistorico* paso);
    ~frmNCHistorico() override;

private:
    void cmdAceptar_Click();

    std::unique_ptr<Ui::frmNCHistorico> ui;
    frmHistorico* paso_;
};

}  // namespace ncc
