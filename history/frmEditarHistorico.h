#pragma once
// The historic grade editor: the subjects and the students of one historic
// course, the dialogs that change them, and the save. The chooser opens it
// with the course and whether it holds the course's edit lock; the editor
// gives the lock back on every way out.
#include "history/EdicionHistorico.h"
#include <QDialog>
#include <functional>
#include <memory>

namespace Ui {
class frmEditarHistorico;
}

namespace ncc {

class Rejilla;

class frmEditarHistorico : public QDialog {
    Q_OBJECT
public:
    // `liberarBloqueo` runs once, when the editor closes by any way.
    frmEditarHistorico(Conexion& con, const CursoHistorico& curso, std::function<void()> liberarBloqueo,
                       QWidget* parent = nullptr);
    ~frmEditarHistorico() override;

    EdicionHistorico& edicion() { return edicion_; }
    bool soloLectura() const { return edicion_.soloLectura(); }
    bool cargado() const { return cargado_; }
    // "Salir" was chosen: the chooser closes too.
    bool cerrarSelector() const { return cerrarSelector_; }

    void Llenar_grid_Materias();
    void Llenar_grid_alumnos();

    // The student selected in msgAlumno (its id), 0 when none.
    qint32 lngIDAlumno = 0;
    // The answer to the exit question (6: Yes).
    quint8 bytRespuesta = 0;

    void done(int resultado) override;
    void reject() override;

private:
    void mostrarPestania(int indice);
    void abrirPropiedades();
    void listarMaterias();
    void listarAlumnos();
    // Save and back: asks unless already answered; false when the save
    // failed and the editor stays open.
    bool guardarYVolver();
    // The question on leaving with the grades open: false when the user
    // cancels or the save he asked for failed, and the editor stays.
    bool puedeSalir();
    void salir();
    void cerrar(int resultado);
    void liberar();

    std::unique_ptr<Ui::frmEditarHistorico> ui;
    Rejilla* rejillaMateria_ = nullptr;  // msgMateria
    Rejilla* rejillaAlumno_ = nullptr;   // msgAlumno
    EdicionHistorico edicion_;
    std::function<void()> liberarBloqueo_;
    bool cargado_ = false;
    bool cerrandoPorCodigo_ = false;
    bool cerrarSelector_ = false;
};

}  // namespace ncc
