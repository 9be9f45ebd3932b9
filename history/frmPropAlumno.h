#pragma once
// One student of the historic course: its subjects with their grades, in
// their order, and the student-level flags. Works on the editor's live
// records; Cancel puts back what the dialog found.
#include "entry/cAlumnoHistorico.h"
#include <QDialog>
#include <memory>

namespace Ui {
class frmPropAlumno;
}

namespace ncc {

class frmEditarHistorico;
class Rejilla;

class frmPropAlumno : public QDialog {
    Q_OBJECT
public:
    frmPropAlumno(frmEditarHistorico& editor, QWidget* parent = nullptr);
    ~frmPropAlumno() override;

    // Refills the grid and the check boxes from the student.
    void Cargar_materias_alumno();

    cAlumnoHistorico& alumno() { return *alumno_; }
    frmEditarHistorico& editor() { return editor_; }
    // The subject of the selected row; 0 when none.
    qint16 materiaSeleccionada() const;
    void seleccionarMateria(qint16 idMateria);

    void reject() override;  // Cancel, Escape and the close box

private:
    void formarRejilla();
    void marcarCambiadas();
    void clickPromocion(bool marcado);
    void mover(int sentido);
    void abrirNota();
    void listar();
    void aceptar();

    std::unique_ptr<Ui::frmPropAlumno> ui;
    Rejilla* rejilla_ = nullptr;  // msgMaterias
    frmEditarHistorico& editor_;
    std::shared_ptr<cAlumnoHistorico> alumno_;
    std::shared_ptr<cAlumnoHistorico> copia_;  // flags and subjects at load
    bool soloLectura_ = true;
};

}  // namespace ncc
