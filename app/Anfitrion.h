#pragma once
// The desktop host of the suite, as far as the closing module needs one: a
// main window over a session, with the component's three nodes in a tree.
// Activating a node hands it to cAsignarDatos::ActivarFormulario, as the
// suite's host does; after a closing (the session's lngRowData set to
// -100) the host opens the school year that is now current.
#include "entry/cAsignarDatos.h"
#include "host/Sesion.h"
#include <QMainWindow>
#include <memory>

class QTreeWidget;
class QTreeWidgetItem;

namespace ncc::app {

class VentanaAnfitrion : public QMainWindow {
    Q_OBJECT
public:
    VentanaAnfitrion(host::OpcionesSesion opciones, std::unique_ptr<host::Sesion> sesion, QWidget* parent = nullptr);
    ~VentanaAnfitrion() override;

    // Opens the form of node `nodo` and returns when it has closed.
    void activarNodo(quint8 nodo);
    host::Sesion& sesion() { return *sesion_; }

private:
    void ponerTitulo();
    void reabrirSesion();

    host::OpcionesSesion opciones_;
    std::unique_ptr<host::Sesion> sesion_;
    cAsignarDatos entrada_;
    QTreeWidget* arbol_;
};

// The help of the windows: catches F1 anywhere in the application and shows
// the page of the window that asked. Installed by the host programs.
void instalarAyudaAnfitrion();

// The default plan feeds the wizard while its selection pages are missing.
void instalarPlanPorDefectoEnAsistente();

// After a closing in the wizard the host writes its report, which the
// wizard offers to open.
void instalarInformeEnAsistente();

}  // namespace ncc::app
