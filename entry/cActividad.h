#pragma once
// One extracurricular activity of the year being closed: its new dates, its
// members and its prices by student type and by course.
#include "entry/Coleccion.h"
#include "entry/cAlumnoActividad.h"
#include "entry/cPrecioActividad.h"
#include <QObject>
#include <QString>
#include <memory>

namespace ncc {


class cActividad : public QObject {
    Q_OBJECT
    Q_PROPERTY(qint32 IDActividad READ IDActividad WRITE setIDActividad)
    Q_PROPERTY(QString FechaInicio READ FechaInicio WRITE setFechaInicio)
    Q_PROPERTY(QString FechaFin READ FechaFin WRITE setFechaFin)
    Q_PROPERTY(ncc::ColeccionAlumnosActividad Alumnos READ Alumnos WRITE setAlumnos)
    Q_PROPERTY(ncc::ColeccionPrecios TipoAlumnos READ TipoAlumnos WRITE setTipoAlumnos)
    Q_PROPERTY(ncc::ColeccionPrecios Cursos READ Cursos WRITE setCursos)
    Q_PROPERTY(qint32 TipoActividad READ TipoActividad WRITE setTipoActividad)
    Q_PROPERTY(bool Promocionada READ Promocionada WRITE setPromocionada)
public:
    explicit cActividad(QObject* parent = nullptr);

    qint32 IDActividad() const { return IDActividad_; }
    // Held as qint16: a value outside -32768..32767 overflows.
    void setIDActividad(long valor);

    const QString& FechaInicio() const { return FechaInicio_; }
    void setFechaInicio(const QString& valor) { FechaInicio_ = valor; }

    const QString& FechaFin() const { return FechaFin_; }
    void setFechaFin(const QString& valor) { FechaFin_ = valor; }

    ColeccionAlumnosActividad Alumnos() const { return Alumnos_; }
    // Makes the record refer to the caller's collection.
    void setAlumnos(ColeccionAlumnosActividad valor) { Alumnos_ = std::move(valor); }

    ColeccionPrecios TipoAlumnos() const { return TipoAlumnos_; }
    // Makes the record refer to the caller's collection.
    void setTipoAlumnos(ColeccionPrecios valor) { TipoAlumnos_ = std::move(valor); }

    ColeccionPrecios Cursos() const { return Cursos_; }
    // Makes the record refer to the caller's collection.
    void setCursos(ColeccionPrecios valor) { Cursos_ = std::move(valor); }

    qint32 TipoActividad() const { return TipoActividad_; }
    // Held as quint8: a value outside 0..255 overflows.
    void setTipoActividad(long valor);

    bool Promocionada() const { return Promocionada_; }
    void setPromocionada(bool valor) { Promocionada_ = valor; }

private:
    qint16 IDActividad_ = 0;
    QString FechaInicio_;
    QString FechaFin_;
    ColeccionAlumnosActividad Alumnos_;
    ColeccionPrecios TipoAlumnos_;
    ColeccionPrecios Cursos_;
    quint8 TipoActividad_ = 0;
    bool Promocionada_ = false;
};

}  // namespace ncc
