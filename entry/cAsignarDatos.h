#pragma once
// The host's way into the component. The host creates one, hands over its
// session object once (ObtenerDatos) and then asks for the form of the node
// chosen in its tree (ActivarFormulario). Creating one makes a fresh
// settings object the component's current one; releasing it leaves the
// component without settings.
#include <QObject>

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

}  // namespace ncc
