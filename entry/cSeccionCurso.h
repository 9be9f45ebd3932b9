#pragma once
// A section id and its text, offered to callers of the component.
#include "entry/Coleccion.h"
#include <QObject>
#include <QString>
#include <memory>

namespace ncc {


class cSeccionCurso : public QObject {
    Q_OBJECT
    Q_PROPERTY(qint32 IDSeccion READ IDSeccion WRITE setIDSeccion)
    Q_PROPERTY(QString Descripcion READ Descripcion WRITE setDescripcion)
public:
    explicit cSeccionCurso(QObject* parent = nullptr);

    qint32 IDSeccion() const { return IDSeccion_; }
    void setIDSeccion(qint32 valor) { IDSeccion_ = valor; }

    const QString& Descripcion() const { return Descripcion_; }
    void setDescripcion(const QString& valor) { Descripcion_ = valor; }

private:
    qint32 IDSeccion_ = 0;
    QString Descripcion_;
};

}  // namespace ncc
