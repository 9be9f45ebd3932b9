#pragma once
// One subject of a historic course: in the course's list, or one student's
// grade in it. Anterior and Actual are the row states the editor's save acts
// on (0 as loaded, 1 added, 2 removed, 3 changed).
#include "entry/Coleccion.h"
#include <QObject>
#include <QString>
#include <memory>

namespace ncc {

class cMateria;
using ColeccionMaterias = std::shared_ptr<Coleccion<cMateria>>;

class cMateria : public QObject {
    Q_OBJECT
    Q_PROPERTY(quint8 Orden READ Orden WRITE setOrden)
    Q_PROPERTY(bool Optativa READ Optativa WRITE setOptativa)
    Q_PROPERTY(qint16 IDMateria READ IDMateria WRITE setIDMateria)
    Q_PROPERTY(qint32 IDNota READ IDNota WRITE setIDNota)
    Q_PROPERTY(quint8 IDReacdiv READ IDReacdiv WRITE setIDReacdiv)
    Q_PROPERTY(QString Nombre READ Nombre WRITE setNombre)
    Q_PROPERTY(QString FechaEvaluacion READ FechaEvaluacion WRITE setFechaEvaluacion)
    Q_PROPERTY(qint16 NumEvaluacion READ NumEvaluacion WRITE setNumEvaluacion)
    Q_PROPERTY(quint8 Anterior READ Anterior WRITE setAnterior)
    Q_PROPERTY(quint8 Actual READ Actual WRITE setActual)
    Q_PROPERTY(bool Confirmar READ Confirmar WRITE setConfirmar)
public:
    Q_INVOKABLE explicit cMateria(QObject* parent = nullptr);

    quint8 Orden() const { return Orden_; }
    void setOrden(quint8 valor) { Orden_ = valor; }

    bool Optativa() const { return Optativa_; }
    void setOptativa(bool valor) { Optativa_ = valor; }

    qint16 IDMateria() const { return IDMateria_; }
    void setIDMateria(qint16 valor) { IDMateria_ = valor; }

    qint32 IDNota() const { return IDNota_; }
    void setIDNota(qint32 valor) { IDNota_ = valor; }

    quint8 IDReacdiv() const { return IDReacdiv_; }
    void setIDReacdiv(quint8 valor) { IDReacdiv_ = valor; }

    const QString& Nombre() const { return Nombre_; }
    void setNombre(const QString& valor) { Nombre_ = valor; }

    // Shown as dd/mm/yyyy; empty when the grade has no date.
    const QString& FechaEvaluacion() const { return FechaEvaluacion_; }
    void setFechaEvaluacion(const QString& valor) { FechaEvaluacion_ = valor; }

    qint16 NumEvaluacion() const { return NumEvaluacion_; }
    void setNumEvaluacion(qint16 valor) { NumEvaluacion_ = valor; }

    quint8 Anterior() const { return Anterior_; }
    void setAnterior(quint8 valor) { Anterior_ = valor; }

    quint8 Actual() const { return Actual_; }
    void setActual(quint8 valor) { Actual_ = valor; }

    bool Confirmar() const { return Confirmar_; }
    void setConfirmar(bool valor) { Confirmar_ = valor; }

private:
    quint8 Orden_ = 0;
    bool Optativa_ = false;
    qint16 IDMateria_ = 0;
    qint32 IDNota_ = 0;
    quint8 IDReacdiv_ = 0;
    QString Nombre_;
    QString FechaEvaluacion_;
    qint16 NumEvaluacion_ = 0;
    quint8 Anterior_ = 0;
    quint8 Actual_ = 0;
    bool Confirmar_ = false;
};

}  // namespace ncc
