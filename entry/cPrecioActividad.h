#pragma once
// One price row of an activity: by student type or by course, after the
// collection that holds it (its ID is then the student-type or course id).
#include "entry/Coleccion.h"
#include <QHash>
#include <QObject>
#include <QString>
#include <memory>

namespace ncc {

class cPrecioActividad;
using ColeccionPrecios = std::shared_ptr<Coleccion<cPrecioActividad>>;

class cPrecioActividad : public QObject {
    Q_OBJECT
    Q_PROPERTY(qint16 ID READ ID WRITE setID)
    Q_PROPERTY(QString Nombre READ Nombre WRITE setNombre)
    Q_PROPERTY(QString Euros READ Euros WRITE setEuros)
    Q_PROPERTY(QString Pesetas READ Pesetas WRITE setPesetas)
    Q_PROPERTY(bool Seleccionado READ Seleccionado WRITE setSeleccionado)
    Q_PROPERTY(bool Visible READ Visible WRITE setVisible)
public:
    explicit cPrecioActividad(QObject* parent = nullptr);

    qint16 ID() const { return ID_; }
    void setID(qint16 valor) { ID_ = valor; }

    const QString& Nombre() const { return Nombre_; }
    void setNombre(const QString& valor) { Nombre_ = valor; }

    const QString& Euros() const { return Euros_; }
    void setEuros(const QString& valor) { Euros_ = valor; }

    const QString& Pesetas() const { return Pesetas_; }
    void setPesetas(const QString& valor) { Pesetas_ = valor; }

    bool Seleccionado() const { return Seleccionado_; }
    void setSeleccionado(bool valor) { Seleccionado_ = valor; }

    bool Visible() const { return Visible_; }
    void setVisible(bool valor) { Visible_ = valor; }

    // The price page's own memory of the row, not part of the record's
    // interface. `Cambiado`: the secretary set or cleared the price (an
    // untouched row keeps the price the school has and gives it to nobody).
    bool Cambiado() const { return Cambiado_; }
    void setCambiado(bool valor) { Cambiado_ = valor; }
    // The prices (euros, pesetas) the members had before this row gave them
    // its own, by student id: clearing the row gives them back.
    QHash<qint32, std::pair<QString, QString>>& PreciosAnteriores() { return PreciosAnteriores_; }

private:
    qint16 ID_ = 0;
    QString Nombre_;
    QString Euros_;
    QString Pesetas_;
    bool Seleccionado_ = false;
    bool Visible_ = false;
    bool Cambiado_ = false;
    QHash<qint32, std::pair<QString, QString>> PreciosAnteriores_;
};

}  // namespace ncc

Q_DECLARE_METATYPE(ncc::ColeccionPrecios)
