#pragma once
// The price page of the closing wizard: the next year's price of one
// activity, per student type or per course, typed in the session's currency
// and shown converted into the other. "Aceptar" copies the prices into the
// members of the activity whose type or course matches.
#include "entry/cAlumnoActividad.h"
#include "entry/cPrecioActividad.h"
#include "entry/gui/cIInterface.h"
#include <QDialog>
#include <memory>

class QTableWidget;

namespace ncc {
class Rejilla;
}

namespace Ui {
class frmPrecioActividad;
}

namespace ncc {

class frmPrecioActividad : public QDialog {
    Q_OBJECT
public:
    explicit frmPrecioActividad(QWidget* parent = nullptr);
    ~frmPrecioActividad() override;

    // What the activity page hands over before the load.
    void setAlumnos(ColeccionAlumnosActividad alumnos) { Alumnos_ = std::move(alumnos); }
    void setTipoAlumnos(ColeccionPrecios precios) { TipoAlumnos_ = std::move(precios); }
    void setCursos(ColeccionPrecios precios) { Cursos_ = std::move(precios); }
    // The activity page's Precios, NoTipos and NoCursos.
    void setPreciosActividad(bool precios, bool noTipos, bool noCursos);

    // The load: texts, option, currency and both grids. Mostrar() tells
    // whether there is anything to price.
    void cargar();
    bool Mostrar() const { return Mostrar_; }
    // The prices were copied into the members: the caller refreshes.
    bool Actualizar() const { return Actualizar_; }

    // Kind of prices being edited: 0 by student type, 1 by course.
    int tipoPrecios() const { return tipo_; }

protected:
    void done(int resultado) override;
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    void elegirTipo(int tipo);
    void llenarRejilla(int tipo);
    void alMarcar(int tipo, int fila, bool marcada);
    void marcarTodas(bool marcar);
    void cambiarPrecio();
    void aplicar();
    void limpiar();
    // The selected rows of the kind in view take this price (empty: none).
    void ponerPrecio(const QString& euros, const QString& pesetas);
    void aceptar();
    void leerAnchos(int tipo);
    void guardarAnchos();
    ColeccionPrecios precios(int tipo) const { return tipo == 0 ? TipoAlumnos_ : Cursos_; }
    Rejilla* rejilla(int tipo) const { return rejillas_[tipo]; }
    bool enPesetas() const;
    bool haySeleccion() const;

    std::unique_ptr<Ui::frmPrecioActividad> ui;
    Rejilla* rejillas_[2] = {nullptr, nullptr};
    cIInterface interfaz_;
    ColeccionAlumnosActividad Alumnos_;
    ColeccionPrecios TipoAlumnos_ = std::make_shared<Coleccion<cPrecioActividad>>();
    ColeccionPrecios Cursos_ = std::make_shared<Coleccion<cPrecioActividad>>();
    bool Precios_ = false, NoTipos_ = false, NoCursos_ = false;
    bool Mostrar_ = false;
    bool Actualizar_ = false;
    bool llenando_ = false;
    bool anchosLeidos_[2] = {false, false};
    int tipo_ = 0;
};

}  // namespace ncc
