#pragma once
// NCBuscar.CAsignardatos: the suite's student search. Called late-bound, by
// member name, in this order: pasarconexiones (the school's database and its
// deleted-records twin, twice), ObtenerDatos (the window icon and the ids
// that the caller already lists, which the search leaves out), Buscar
// ("Alumno"). Buscar shows the search window and answers the chosen
// students' ids: one id, ids separated by commas, or "" when none.
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>

namespace ncc {
class Conexion;
}

namespace ncbuscar {

class CAsignardatos : public QObject {
    Q_OBJECT
public:
    Q_INVOKABLE explicit CAsignardatos(QObject* parent = nullptr);

    Q_INVOKABLE void pasarconexiones(QObject* conCentro, QObject* conBorradoCentro, QObject* conCentro2,
                                     QObject* conBorradoCentro2);
    Q_INVOKABLE void ObtenerDatos(const QVariant& rutaIcono, const QVariant& excluidos);
    Q_INVOKABLE QVariant Buscar(const QString& que);

private:
    QPointer<ncc::Conexion> centro_;
    QString rutaIcono_;
    QString excluidos_;
};

}  // namespace ncbuscar
