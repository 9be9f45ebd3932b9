#pragma once
// The student page of the closing wizard: the sections of the school with
// active students; one section at a time is opened, its students get their
// decision (promoted, repeating, leaving) and destination, and the section
// is confirmed. The decisions live in Secciones(), which the runner hands to
// the closing engine; "Guardar datos alumnos" / "Cargar datos alumnos" keep
// them in the school database between sessions.
//
// Use: construct, cargar(); show with exec() only when Mostrar() is true.
// "< Anterior" (or the close box) hides the page and returns from exec().
#include "entry/Coleccion.h"
#include "entry/cCurso.h"
#include "entry/gui/cIInterface.h"
#include <QDialog>
#include <QSet>
#include <memory>

class QComboBox;

namespace Ui {
class frmCierreAlumnos;
}

namespace ncc {

class Rejilla;
class SeleccionAlumnos;

class frmCierreAlumnos : public QDialog {
    Q_OBJECT
public:
    explicit frmCierreAlumnos(QWidget* parent = nullptr);
    ~frmCierreAlumnos() override;

    // The load: reads the school and opens the first section. Errors are
    // shown; Mostrar() says whether the page may be shown.
    bool cargar();
    bool Mostrar() const { return Mostrar_; }

    // 1: choosing a section; 2: editing the students of the open one.
    void setEstado(quint8 estado);
    quint8 Estado() const { return Estado_; }

    // Colour of a decision (1 Promociona, 2 Repite, 3 Baja) as 0x00BBGGRR.
    static long ColoresEstado(int decision);

    // Every section of the school with the decisions confirmed so far.
    std::shared_ptr<Coleccion<cCurso>> Secciones() const;
    // The working copy of the open section's students.
    ColeccionAlumnos AlumnosSeccion() const { return AlumnosSeccion_; }

    // The stored set of decisions (the two buttons, after their question).
    void GuardarDatosAlumnos();
    void CargarDatosAlumnos();

protected:
    void closeEvent(QCloseEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    // Load steps.
    void CrearModelo();
    void PrepararBotones();
    bool LlenarGridSecciones();
    void LlenarCombo(QComboBox* lista, const QList<struct OpcionLista>& opciones);

    // Sections.
    void alCambiarFilaSeccion(int actual, int anterior);
    void alDesplazarSecciones(int superior);
    std::shared_ptr<cCurso> SeccionActual() const;
    void AbrirSeccion();
    void CargarAlumnosSeccion();
    void PintarSeccion(int fila, bool promocionada);
    void RepintarSecciones();
    // "Proponer todo": the closing's proposal for every section without a
    // confirmed decision; those sections stay marked as proposed until the
    // user confirms or reopens them.
    void ProponerTodo();
    void ActualizarProponer();

    // Students.
    void LlenarGridAlumnos(const Coleccion<cAlumno>& alumnos, bool mantenerDesplazamiento);
    void alMarcarAlumno(int fila, bool marcado);
    void MarcarTodos(bool marcar);
    void DesmarcarTodos();
    void GuardarAnchos() const;

    // Options and destinations.
    void alElegirOpcion();
    void alCambiarLista(int indice);
    void SeleccionarSeccionActual();
    void SeleccionarDestinoPropuesto();
    void SeleccionarEnListas(int tipoEnsenanza, int idCurso, int idSeccion);
    void Aplicar();

    // Confirmation.
    void Promocionar();
    void DeshacerCambios();
    bool ComprobarAsignados();
    void ConfirmarSeccion();
    void BloquearSecciones(bool bloquear);
    void SincronizarActividades(const Coleccion<cAlumno>& alumnos, bool refrescar = true);

    // Wizard buttons.
    void Ayuda();
    void Cancelar();
    void Anterior();
    void Siguiente();
    void Finalizar();

    // What the page reads from, and asks of, the wizard's start page.
    bool inicioActividades() const;
    bool actividadesCargadas() const;
    bool cerrandoAsistente() const;
    void cerrarAsistente();
    void cargarFormularioActividades();
    void cerrarCursoEscolar();

    std::unique_ptr<Ui::frmCierreAlumnos> ui;
    Rejilla* rejSecciones_;
    Rejilla* rejAlumnos_;
    std::unique_ptr<SeleccionAlumnos> datos_;
    ColeccionAlumnos AlumnosSeccion_;
    QSet<qint32> AlumnosSeleccionados_;
    QSet<qint16> Propuestas_;  // sections promoted by "Proponer todo", not yet reviewed
    ConjuntoBotones Botones_;
    cIInterface interfaz_;
    quint8 Estado_ = 0;
    bool SeccionRefrescar_ = false;
    int FilaAnterior_ = -1;
    int SuperiorAnterior_ = 0;  // the section grid's top row before the last scroll
    bool Mostrar_ = false;
    bool cargada_ = false;  // the load finished: widths are kept from now on
};

}  // namespace ncc
