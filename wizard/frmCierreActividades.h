#pragma once
// The activity page of the closing wizard: activity by activity, who of its
// members passes to it in the new year, with which dates and at what price.
// The result is the public collection Actividades(), which the runner hands
// to the engine. Members show the course and section that the student page
// gave them.
#include "entry/Coleccion.h"
#include "entry/cActividad.h"
#include "entry/cAlumno.h"
#include "entry/cCurso.h"
#include "entry/gui/cIInterface.h"
#include <QDialog>
#include <QHash>
#include <QSet>
#include <functional>
#include <memory>

class QTableWidget;

namespace Ui {
class frmCierreActividades;
}

namespace ncc {

class Conexion;
class Rejilla;

class frmCierreActividades : public QDialog {
    Q_OBJECT
public:
    explicit frmCierreActividades(QWidget* parent = nullptr);
    ~frmCierreActividades() override;

    // The load: every activity, the first one opened. Mostrar() tells
    // whether it completed (the page is shown only then).
    void cargar();
    bool Mostrar() const { return Mostrar_; }

    std::shared_ptr<Coleccion<cActividad>> Actividades() const { return Actividades_; }
    // Id of the activity of the current row; 0 when there is none.
    qint32 IDActividad() const;
    // 1 choosing an activity, 2 editing its members.
    int Estado() const { return Estado_; }
    void setEstado(int estado);
    // Colour of the "Pasar" column as 0x00BBGGRR: 1 passes (blue), 2 does
    // not (red), else black.
    static long ColoresEstado(int codigo);

    bool NoTipos() const { return NoTipos_; }
    void setNoTipos(bool valor);
    bool NoCursos() const { return NoCursos_; }
    void setNoCursos(bool valor);
    bool Precios() const { return Precios_; }
    void setPrecios(bool valor);

    // After the student page changed its decisions: the activity shown is
    // refreshed (its stored members if promoted, else reread).
    void RefrescarGrid();
    // Members take the destination (and visibility) given on the student
    // page to the students of its promoted sections.
    void SincronizarMiembros(const Coleccion<cAlumnoActividad>& miembros);

    // The wizard around the page is the open wizard (Asistente()): the
    // student page's sections once it was shown, the start page's
    // CerrarCursoEscolar, CerrarAsistente and CerrandoAsistente. A caller
    // may give its own instead (a page shown alone).
    void setSecciones(std::function<std::shared_ptr<Coleccion<cCurso>>()> f) { secciones_ = std::move(f); }
    void setFinalizar(std::function<void()> f) { finalizar_ = std::move(f); }
    void setCerrarAsistente(std::function<void()> f) { cerrarAsistente_ = std::move(f); }
    void setCerrandoAsistente(std::function<bool()> f) { cerrandoAsistente_ = std::move(f); }

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    Conexion& centro() const;
    std::shared_ptr<Coleccion<cCurso>> secciones() const;
    std::shared_ptr<cActividad> actividadActual() const;

    void leerActividades();
    void llenarGridActividades();
    void pintarActividad(int fila);
    void AnchoParaColumnas();
    // "Proponer todo": the closing's proposal for every activity without a
    // confirmed decision, marked as proposed until reviewed.
    void proponerTodo();
    void actualizarProponer();
    void elegirActividad(int fila);
    void abrirActividad();
    void mostrarActividadActual();
    void fechasDesdeBase();
    void fechasDesdeActividad();
    void cargarMiembros();
    void llenarGridMiembros(const Coleccion<cAlumnoActividad>& miembros, bool mantenerScroll);
    void alMarcarMiembro(int fila, bool marcada);
    void marcarTodos(bool marcar);
    void desmarcarTodos();
    void aplicar();
    void bloquearActividades(bool bloquear);
    void promocionar();
    bool confirmarActividad();
    void deshacer();
    void desmarcarActividad(cActividad& a);
    void copiarEnTrabajo(const Coleccion<cAlumnoActividad>& miembros);
    void establecerPrecios();
    void guardar();
    void cargarGuardados();
    void actualizarGuardar();
    void ayuda();
    void cancelar();
    void anterior();
    void finalizar();
    void leerAnchos(int visibles);
    void guardarAnchos();
    bool cerrandoAsistente() const;

    std::unique_ptr<Ui::frmCierreActividades> ui;
    Rejilla* rejActividades_ = nullptr;
    Rejilla* rejAlumnos_ = nullptr;
    cIInterface interfaz_;
    ConjuntoBotones Botones_;
    std::shared_ptr<Coleccion<cActividad>> Actividades_ = std::make_shared<Coleccion<cActividad>>();
    QHash<qint32, QString> nombres_;
    QSet<qint32> propuestas_;  // activities promoted by "Proponer todo", not yet reviewed
    ColeccionAlumnosActividad MiembrosActividad_ = std::make_shared<Coleccion<cAlumnoActividad>>();
    int Estado_ = 0;
    bool ActividadRefrescar_ = false;
    bool NoTipos_ = false, NoCursos_ = false, Precios_ = false;
    bool Mostrar_ = false;
    bool llenandoActividades_ = false, llenandoMiembros_ = false;
    bool anchosLeidos_ = false;
    int filaActual_ = -1;

    std::function<std::shared_ptr<Coleccion<cCurso>>()> secciones_;
    std::function<void()> finalizar_;
    std::function<void()> cerrarAsistente_;
    std::function<bool()> cerrandoAsistente_;
};

}  // namespace ncc
