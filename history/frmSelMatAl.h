#pragma once
// The subjects of one student of the historic course: which of the course's
// subjects the student takes. Cancel puts back the student's subjects.
#include "entry/cAlumnoHistorico.h"
#include <QDialog>
#include <memory>

namespace Ui {
class frmSelMatAl;
}

namespace ncc {

class frmPropAlumno;

class frmSelMatAl : public QDialog {
    Q_OBJECT
public:
    frmSelMatAl(frmPropAlumno& propiedades, QWidget* parent = nullptr);
    ~frmSelMatAl() override;

    void reject() override;  // Cancel, Escape and the close box

private:
    void agregar(qint16 idMateria);
    // false when the user kept it.
    bool quitar(qint16 idMateria, bool preguntarSiEvaluada);
    void quitarTodas();
    void aceptar();
    quint8 ultimoOrden() const;

    std::unique_ptr<Ui::frmSelMatAl> ui;
    frmPropAlumno& propiedades_;
    cAlumnoHistorico& alumno_;
    Coleccion<cMateria> copia_;
};

}  // namespace ncc
