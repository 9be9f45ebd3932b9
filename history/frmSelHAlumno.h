#pragma once
// The students of the historic course: which belong to it, and others found
// with the suite's student search. Cancel puts back the course's students.
#include "entry/cAlumnoHistorico.h"
#include <QDialog>
#include <memory>

namespace Ui {
class frmSelHAlumno;
}

namespace ncc {

class frmEditarHistorico;

class frmSelHAlumno : public QDialog {
    Q_OBJECT
public:
    frmSelHAlumno(frmEditarHistorico& editor, QWidget* parent = nullptr);
    ~frmSelHAlumno() override;

    // The ids of a search's answer: integers separated by commas; anything
    // else in it is left out.
    static QList<qint32> idsDeBusqueda(const QVariant& resultado);

    void reject() override;  // Cancel, Escape and the close box

private:
    void buscar();
    void agregar(qint32 id);
    bool quitar(qint32 id);
    void quitarTodos();
    void aceptar();
    std::shared_ptr<cAlumnoHistorico> alumno(qint32 id) const;

    std::unique_ptr<Ui::frmSelHAlumno> ui;
    frmEditarHistorico& editor_;
    Coleccion<cAlumnoHistorico> copia_;
};

}  // namespace ncc
