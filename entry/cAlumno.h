#pragma once
// One student of a section and the decision taken about him or her on the
// student page: promoted, repeating or leaving, and where to.
#include "entry/Coleccion.h"
#include <QObject>
#include <QString>
#include <memory>

namespace ncc {

class cAlumno;
using ColeccionAlumnos = std::shared_ptr<Coleccion<cAlumno>>;

class cAlumno : public QObject {
    Q_OBJECT
    Q_PROPERTY(qint32 IDAlumno READ IDAlumno WRITE setIDAlumno)
    Q_PROPERTY(quint8 IDTipoEnsenanza READ IDTipoEnsenanza WRITE setIDTipoEnsenanza)
    Q_PROPERTY(quint8 IDCurso READ IDCurso WRITE setIDCurso)
    Q_PROPERTY(qint16 IDSeccion READ IDSeccion WRITE setIDSeccion)
    Q_PROPERTY(QString Actividades READ Actividades WRITE setActividades)
    Q_PROPERTY(bool Promociona READ Promociona WRITE setPromociona)
    Q_PROPERTY(bool Repite READ Repite WRITE setRepite)
    Q_PROPERTY(bool Baja READ Baja WRITE setBaja)
    Q_PROPERTY(QString FechaBaja READ FechaBaja WRITE setFechaBaja)
    Q_PROPERTY(quint8 NIDTipoEnsenanza READ NIDTipoEnsenanza WRITE setNIDTipoEnsenanza)
    Q_PROPERTY(quint8 NIDCurso READ NIDCurso WRITE setNIDCurso)
    Q_PROPERTY(qint16 NIDSeccion READ NIDSeccion WRITE setNIDSeccion)
    Q_PROPERTY(QString Nombre READ Nombre WRITE setNombre)
    Q_PROPERTY(QString Apellido1 READ Apellido1 WRITE setApellido1)
    Q_PROPERTY(QString Apellido2 READ Apellido2 WRITE setApellido2)
    Q_PROPERTY(QString NTipoEnsenanza READ NTipoEnsenanza WRITE setNTipoEnsenanza)
    Q_PROPERTY(QString NCurso READ NCurso WRITE setNCurso)
    Q_PROPERTY(QString NSeccion READ NSeccion WRITE setNSeccion)
    Q_PROPERTY(bool Seleccionado READ Seleccionado WRITE setSeleccionado)
    Q_PROPERTY(bool SinAsignar READ SinAsignar WRITE setSinAsignar)
    Q_PROPERTY(quint8 Orden READ Orden WRITE setOrden)
public:
    explicit cAlumno(QObject* parent = nullptr);

    qint32 IDAlumno() const { return IDAlumno_; }
    void setIDAlumno(qint32 valor) { IDAlumno_ = valor; }

    quint8 IDTipoEnsenanza() const { return IDTipoEnsenanza_; }
    void setIDTipoEnsenanza(quint8 valor) { IDTipoEnsenanza_ = valor; }

    quint8 IDCurso() const { return IDCurso_; }
    void setIDCurso(quint8 valor) { IDCurso_ = valor; }

    qint16 IDSeccion() const { return IDSeccion_; }
    void setIDSeccion(qint16 valor) { IDSeccion_ = valor; }

    const QString& Actividades() const { return Actividades_; }
    void setActividades(const QString& valor) { Actividades_ = valor; }

    bool Promociona() const { return Promociona_; }
    void setPromociona(bool valor) { Promociona_ = valor; }

    bool Repite() const { return Repite_; }
    void setRepite(bool valor) { Repite_ = valor; }

    bool Baja() const { return Baja_; }
    void setBaja(bool valor) { Baja_ = valor; }

    const QString& FechaBaja() const { return FechaBaja_; }
    void setFechaBaja(const QString& valor) { FechaBaja_ = valor; }

    quint8 NIDTipoEnsenanza() const { return NIDTipoEnsenanza_; }
    void setNIDTipoEnsenanza(quint8 valor) { NIDTipoEnsenanza_ = valor; }

    quint8 NIDCurso() const { return NIDCurso_; }
    void setNIDCurso(quint8 valor) { NIDCurso_ = valor; }

    qint16 NIDSeccion() const { return NIDSeccion_; }
    void setNIDSeccion(qint16 valor) { NIDSeccion_ = valor; }

    const QString& Nombre() const { return Nombre_; }
    void setNombre(const QString& valor) { Nombre_ = valor; }

    const QString& Apellido1() const { return Apellido1_; }
    void setApellido1(const QString& valor) { Apellido1_ = valor; }

    const QString& Apellido2() const { return Apellido2_; }
    void setApellido2(const QString& valor) { Apellido2_ = valor; }

    const QString& NTipoEnsenanza() const { return NTipoEnsenanza_; }
    void setNTipoEnsenanza(const QString& valor) { NTipoEnsenanza_ = valor; }

    const QString& NCurso() const { return NCurso_; }
    void setNCurso(const QString& valor) { NCurso_ = valor; }

    const QString& NSeccion() const { return NSeccion_; }
    void setNSeccion(const QString& valor) { NSeccion_ = valor; }

    bool Seleccionado() const { return Seleccionado_; }
    void setSeleccionado(bool valor) { Seleccionado_ = valor; }

    bool SinAsignar() const { return SinAsignar_; }
    void setSinAsignar(bool valor) { SinAsignar_ = valor; }

    quint8 Orden() const { return Orden_; }
    void setOrden(quint8 valor) { Orden_ = valor; }

private:
    qint32 IDAlumno_ = 0;
    quint8 IDTipoEnsenanza_ = 0;
    quint8 IDCurso_ = 0;
    qint16 IDSeccion_ = 0;
    QString Actividades_;
    bool Promociona_ = false;
    bool Repite_ = false;
    bool Baja_ = false;
    QString FechaBaja_;
    quint8 NIDTipoEnsenanza_ = 0;
    quint8 NIDCurso_ = 0;
    qint16 NIDSeccion_ = 0;
    QString Nombre_;
    QString Apellido1_;
    QString Apellido2_;
    QString NTipoEnsenanza_;
    QString NCurso_;
    QString NSeccion_;
    bool Seleccionado_ = false;
    bool SinAsignar_ = false;
    quint8 Orden_ = 0;
};

}  // namespace ncc

Q_DECLARE_METATYPE(ncc::ColeccionAlumnos)
