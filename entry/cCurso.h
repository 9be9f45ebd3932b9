#pragma once
// One section of the year being closed, with its students and the state the
// student page left it in.
#include "entry/Coleccion.h"
#include "entry/cAlumno.h"
#include <QObject>
#include <QString>
#include <memory>

namespace ncc {


class cCurso : public QObject {
    Q_OBJECT
    Q_PROPERTY(quint8 IDTipoEnsenanza READ IDTipoEnsenanza WRITE setIDTipoEnsenanza)
    Q_PROPERTY(quint8 IDCurso READ IDCurso WRITE setIDCurso)
    Q_PROPERTY(qint16 IDSeccion READ IDSeccion WRITE setIDSeccion)
    Q_PROPERTY(quint8 NumPlazas READ NumPlazas WRITE setNumPlazas)
    Q_PROPERTY(quint8 NumPlazasOcupadas READ NumPlazasOcupadas WRITE setNumPlazasOcupadas)
    Q_PROPERTY(bool PromocionDirecta READ PromocionDirecta WRITE setPromocionDirecta)
    Q_PROPERTY(ncc::ColeccionAlumnos Alumnos READ Alumnos WRITE setAlumnos)
    Q_PROPERTY(bool Promocionada READ Promocionada WRITE setPromocionada)
    Q_PROPERTY(QString IDsPlazasOcupadas READ IDsPlazasOcupadas WRITE setIDsPlazasOcupadas)
    Q_PROPERTY(bool Visible READ Visible WRITE setVisible)
public:
    explicit cCurso(QObject* parent = nullptr);

    quint8 IDTipoEnsenanza() const { return IDTipoEnsenanza_; }
    void setIDTipoEnsenanza(quint8 valor) { IDTipoEnsenanza_ = valor; }

    quint8 IDCurso() const { return IDCurso_; }
    void setIDCurso(quint8 valor) { IDCurso_ = valor; }

    qint16 IDSeccion() const { return IDSeccion_; }
    void setIDSeccion(qint16 valor) { IDSeccion_ = valor; }

    quint8 NumPlazas() const { return NumPlazas_; }
    void setNumPlazas(quint8 valor) { NumPlazas_ = valor; }

    quint8 NumPlazasOcupadas() const { return NumPlazasOcupadas_; }
    void setNumPlazasOcupadas(quint8 valor) { NumPlazasOcupadas_ = valor; }

    bool PromocionDirecta() const { return PromocionDirecta_; }
    void setPromocionDirecta(bool valor) { PromocionDirecta_ = valor; }

    ColeccionAlumnos Alumnos() const { return Alumnos_; }
    // Makes the record refer to the caller's collection.
    void setAlumnos(ColeccionAlumnos valor) { Alumnos_ = std::move(valor); }

    bool Promocionada() const { return Promocionada_; }
    void setPromocionada(bool valor) { Promocionada_ = valor; }

    const QString& IDsPlazasOcupadas() const { return IDsPlazasOcupadas_; }
    void setIDsPlazasOcupadas(const QString& valor) { IDsPlazasOcupadas_ = valor; }

    bool Visible() const { return Visible_; }
    void setVisible(bool valor) { Visible_ = valor; }

private:
    quint8 IDTipoEnsenanza_ = 0;
    quint8 IDCurso_ = 0;
    qint16 IDSeccion_ = 0;
    quint8 NumPlazas_ = 0;
    quint8 NumPlazasOcupadas_ = 0;
    bool PromocionDirecta_ = false;
    ColeccionAlumnos Alumnos_;
    bool Promocionada_ = false;
    QString IDsPlazasOcupadas_ = QStringLiteral(",");
    bool Visible_ = false;
};

}  // namespace ncc
