#pragma once
// One member of an extracurricular activity, whether he or she passes to the
// activity in the new year, and at what price.
#include "entry/Coleccion.h"
#include "platform/Recordset.h"
#include <QObject>
#include <QString>
#include <memory>

namespace ncc {

class cAlumnoActividad;
using ColeccionAlumnosActividad = std::shared_ptr<Coleccion<cAlumnoActividad>>;

class cAlumnoActividad : public QObject {
    Q_OBJECT
    Q_PROPERTY(qint32 IDAlumno READ IDAlumno WRITE setIDAlumno)
    Q_PROPERTY(QString Nombre READ Nombre WRITE setNombre)
    Q_PROPERTY(QString Apellido1 READ Apellido1 WRITE setApellido1)
    Q_PROPERTY(QString Apellido2 READ Apellido2 WRITE setApellido2)
    Q_PROPERTY(QString TipoEnsenanza READ TipoEnsenanza WRITE setTipoEnsenanza)
    Q_PROPERTY(quint8 IDCurso READ IDCurso WRITE setIDCurso)
    Q_PROPERTY(QString Curso READ Curso WRITE setCurso)
    Q_PROPERTY(qint16 IDSeccionActual READ IDSeccionActual WRITE setIDSeccionActual)
    Q_PROPERTY(QString Seccion READ Seccion WRITE setSeccion)
    Q_PROPERTY(qint32 IDTipoAlumno READ IDTipoAlumno WRITE setIDTipoAlumno)
    Q_PROPERTY(QString TipoAlumno READ TipoAlumno WRITE setTipoAlumno)
    Q_PROPERTY(bool Pasar READ Pasar WRITE setPasar)
    Q_PROPERTY(QString Pesetas READ Pesetas WRITE setPesetas)
    Q_PROPERTY(QString Euros READ Euros WRITE setEuros)
    Q_PROPERTY(bool Seleccionado READ Seleccionado WRITE setSeleccionado)
    Q_PROPERTY(bool Visible READ Visible WRITE setVisible)
public:
    explicit cAlumnoActividad(QObject* parent = nullptr);

    qint32 IDAlumno() const { return IDAlumno_; }
    void setIDAlumno(qint32 valor) { IDAlumno_ = valor; }

    const QString& Nombre() const { return Nombre_; }
    void setNombre(const QString& valor) { Nombre_ = valor; }

    const QString& Apellido1() const { return Apellido1_; }
    void setApellido1(const QString& valor) { Apellido1_ = valor; }

    const QString& Apellido2() const { return Apellido2_; }
    void setApellido2(const QString& valor) { Apellido2_ = valor; }

    const QString& TipoEnsenanza() const { return TipoEnsenanza_; }
    void setTipoEnsenanza(const QString& valor) { TipoEnsenanza_ = valor; }

    quint8 IDCurso() const { return IDCurso_; }
    void setIDCurso(quint8 valor) { IDCurso_ = valor; }

    const QString& Curso() const { return Curso_; }
    void setCurso(const QString& valor) { Curso_ = valor; }

    qint16 IDSeccionActual() const { return IDSeccionActual_; }
    void setIDSeccionActual(qint16 valor) { IDSeccionActual_ = valor; }

    const QString& Seccion() const { return Seccion_; }
    void setSeccion(const QString& valor) { Seccion_ = valor; }

    qint32 IDTipoAlumno() const { return IDTipoAlumno_; }
    // Held as quint8: a value outside 0..255 overflows.
    void setIDTipoAlumno(long valor);

    const QString& TipoAlumno() const { return TipoAlumno_; }
    void setTipoAlumno(const QString& valor) { TipoAlumno_ = valor; }

    bool Pasar() const { return Pasar_; }
    void setPasar(bool valor) { Pasar_ = valor; }

    const QString& Pesetas() const { return Pesetas_; }
    void setPesetas(const QString& valor) { Pesetas_ = valor; }

    const QString& Euros() const { return Euros_; }
    void setEuros(const QString& valor) { Euros_ = valor; }

    bool Seleccionado() const { return Seleccionado_; }
    void setSeleccionado(bool valor) { Seleccionado_ = valor; }

    bool Visible() const { return Visible_; }
    void setVisible(bool valor) { Visible_ = valor; }

private:
    qint32 IDAlumno_ = 0;
    QString Nombre_;
    QString Apellido1_;
    QString Apellido2_;
    QString TipoEnsenanza_;
    quint8 IDCurso_ = 0;
    QString Curso_;
    qint16 IDSeccionActual_ = 0;
    QString Seccion_;
    quint8 IDTipoAlumno_ = 0;
    QString TipoAlumno_;
    bool Pasar_ = false;
    QString Pesetas_;
    QString Euros_;
    bool Seleccionado_ = false;
    bool Visible_ = false;
};

// A member as every read of the members gives him: a row with the student's
// IDAlumno, Nombre, Apellido_1, Apellido_2, codTipoAlumno, Descripcion (his
// type), codSeccion and his prices as PrecioEuros and PrecioPesetas. Visible,
// and not yet passing on.
std::shared_ptr<cAlumnoActividad> MiembroLeido(const Recordset& rs);

}  // namespace ncc

Q_DECLARE_METATYPE(ncc::ColeccionAlumnosActividad)
