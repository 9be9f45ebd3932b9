#pragma once
// The host's way into the component. The host creates one, hands over its
// session object once (ObtenerDatos) and then asks for the form of the node
// chosen in its tree (ActivarFormulario). Creating one makes a fresh
// settings object the component's current one; releasing it leaves the
// component without settings.
#include <QObject>
#include <functional>

namespace ncc {

class cAsignarDatos : public QObject {
    Q_OBJECT
public:
    Q_INVOKABLE explicit cAsignarDatos(QObject* parent = nullptr);
    ~cAsignarDatos() override;

    // Copies the session into the current settings object, reading the
    // session's properties by name. A property the session lacks or a value
    // that does not convert to its member's type throws ncc::Error; what was
    // copied before the failure stays.
    Q_INVOKABLE void ObtenerDatos(QObject* objDatosSesion);

    // Node 1: the closing wizard; 2: the historic school-year chooser;
    // 3: the historic grade transfer. Returns when the form has closed. Any
    // other node does nothing.
    Q_INVOKABLE void ActivarFormulario(quint8 bytNodoSeleccionado);
};

// The forms of the nodes live in the component's window libraries, above
// this one: each installs the opener of its node (the wizard node 1, the
// historic side nodes 2 and 3). A node without an opener says so on the
// message service.
using AbridorFormulario = std::function<void()>;
void InstalarFormularioNodo(quint8 nodo, AbridorFormulario abrir);

}  // namespace ncc
