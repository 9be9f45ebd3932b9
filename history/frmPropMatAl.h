#pragma once
// The grade of one subject of the student at a time: subject, grade, special
// measures, evaluation date and period. Works on the student's live
// subjects; Cancel puts back what the dialog found.
#include "entry/cAlumnoHistorico.h"
#include <QDialog>
#include <memory>

namespace Ui {
class frmPropMatAl;
}

namespace ncc {

class frmPropAlumno;

class frmPropMatAl : public QDialog {
    Q_OBJECT
public:
    frmPropMatAl(frmPropAlumno& propiedades, qint16 idMateria, QWidget* parent = nullptr);
    ~frmPropMatAl() override;

    qint16 materiaActual() const { return actual_ ? actual_->IDMateria() : 0; }

    void reject() override;  // Cancel, Escape and the close box

private:
    void mostrarMateria(qint16 idMateria);
    void llenarReacdiv();
    void cambiado();
    void fechaEditada();
    void moverA(int sentido);
    void aceptar();

    std::unique_ptr<Ui::frmPropMatAl> ui;
    frmPropAlumno& propiedades_;
    cAlumnoHistorico& alumno_;
    std::shared_ptr<cMateria> actual_;
    Coleccion<cMateria> copia_;
    bool mostrando_ = false;
    bool medidasOcultas_ = false;
};

}  // namespace ncc
