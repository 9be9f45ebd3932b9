#pragma once
// The first page of the closing wizard and its hub: it checks that the year
// can be closed, asks for the new year's name, opens the student page (or
// the activity page when there are no sections), keeps for the other pages
// what was decided on the way, and starts the closing itself
// (CerrarCursoEscolar), which shows the runner.
#include "entry/gui/cIInterface.h"
#include <QDialog>
#include <memory>

namespace Ui {
class frmCierreCursoE;
}

namespace ncc {

class frmCierreCursoE : public QDialog {
    Q_OBJECT
public:
    explicit frmCierreCursoE(QWidget* parent = nullptr);
    ~frmCierreCursoE() override;

    // The load: the start checks and the page's texts; Mostrar() tells
    // whether the page is to be shown.
    void cargar();

    bool CerrandoAsistente() const { return CerrandoAsistente_; }
    // Ends the wizard: every page above this one ends, from the top down.
    void CerrarAsistente();
    void CargarFormularioSecciones();
    void CargarFormularioActividades();
    // The last questions and the run (called by "Finalizar" of the student
    // or activity page).
    void CerrarCursoEscolar();
    // "Ensayar cierre" of the student or activity page: the closing that
    // "Finalizar" would run, rehearsed by the host on copies of the
    // databases, and its outcome shown.
    void EnsayarCierre();
    bool Mostrar() const { return Mostrar_; }
    // The trimmed name typed for the new school year, read by "Siguiente >".
    QString NuevoCursoEscolar() const { return NuevoCursoEscolar_; }
    bool Actividades() const { return Actividades_; }
    bool Secciones() const { return Secciones_; }
    bool SeccionesCargadas() const { return SeccionesCargadas_; }
    void setSeccionesCargadas(bool v) { SeccionesCargadas_ = v; }
    bool ActividadesCargadas() const { return ActividadesCargadas_; }
    void setActividadesCargadas(bool v) { ActividadesCargadas_ = v; }

public slots:
    // Closing the window by its frame or with Escape acts like "Salir".
    void reject() override;

private:
    // False, having said why, when the pages' decisions cannot be closed.
    bool DecisionesValidas(bool preguntarSinAsignar);
    void PrepararBotones();
    void Ayuda();
    void Siguiente();
    void Salir();
    // Until the selection pages take over, the decisions of the default plan.
    void CerrarConArbolesPorDefecto();

    std::unique_ptr<Ui::frmCierreCursoE> ui_;
    cIInterface interfaz_;
    ConjuntoBotones Botones_;
    bool Mostrar_ = false;
    QString NuevoCursoEscolar_;
    bool Secciones_ = false;
    bool Actividades_ = false;
    bool SeccionesCargadas_ = false;
    bool ActividadesCargadas_ = false;
    bool CerrandoAsistente_ = false;
};

}  // namespace ncc
