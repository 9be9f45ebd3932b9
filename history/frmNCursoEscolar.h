#pragma once
// A new user historic school year, created from the chooser and chosen in
// it at once.
#include <QDialog>
#include <memory>

namespace Ui {
class frmNCursoEscolar;
}

namespace ncc {

class frmHistoricoCurso;

class frmNCursoEscolar : public QDialog {
    Q_OBJECT
public:
    explicit frmNCursoEscolar(frmHistoricoCurso* selector);
    ~frmNCursoEscolar() override;

private:
    void cmdAceptar_Click();

    std::unique_ptr<Ui::frmNCursoEscolar> ui;
    frmHistoricoCurso* selector_;
};

}  // namespace ncc
