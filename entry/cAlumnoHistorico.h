#pragma once
// One student of a historic course as the grade editor holds it: the
// student-level values written on every row of the course and the subjects
// with their grades.
#include "entry/Coleccion.h"
#include "entry/cMateria.h"
#include <QObject>
#include <QString>
#include <memory>

namespace ncc {

class cAlumnoHistorico;
using ColeccionAlumnosHistorico = std::shared_ptr<Coleccion<cAlumnoHistorico>>;

class cAlumnoHistorico : public QObject {
    Q_OBJECT
    Q_PROPERTY(qint16 IDCursoEscHistorico READ IDCursoEscHistorico WRITE setIDCursoEscHistorico)
    Q_PROPERTY(QString Nombre READ Nombre WRITE setNombre)
    Q_PROPERTY(qint32 IDAlumno READ IDAlumno WRITE setIDAlumno)
    Q_PROPERTY(qint16 IDCursoescolar READ IDCursoescolar WRITE setIDCursoescolar)
    Q_PROPERTY(quint8 TipoEnsenanza READ TipoEnsenanza WRITE setTipoEnsenanza)
    Q_PROPERTY(qint16 IDCurso READ IDCurso WRITE setIDCurso)
    Q_PROPERTY(quint8 Promocion READ Promocion WRITE setPromocion)
    Q_PROPERTY(quint8 Anterior READ Anterior WRITE setAnterior)
    Q_PROPERTY(quint8 Actual READ Actual WRITE setActual)
    Q_PROPERTY(bool Repetido READ Repetido WRITE setRepetido)
    Q_PROPERTY(bool Confirmar READ Confirmar WRITE setConfirmar)
    Q_PROPERTY(bool Repite READ Repite WRITE setRepite)
    Q_PROPERTY(bool Pendiente READ Pendiente WRITE setPendiente)
    Q_PROPERTY(bool PromocionPCPI READ PromocionPCPI WRITE setPromocionPCPI)
    Q_PROPERTY(bool PromocionDiversificacion READ PromocionDiversificacion WRITE setPromocionDiversificacion)
public:
    Q_INVOKABLE explicit cAlumnoHistorico(QObject* parent = nullptr);

    qint16 IDCursoEscHistorico() const { return IDCursoEscHistorico_; }
    void setIDCursoEscHistorico(qint16 valor) { IDCursoEscHistorico_ = valor; }

    // "Apellido_1 Apellido_2, Nombre".
    const QString& Nombre() const { return Nombre_; }
    void setNombre(const QString& valor) { Nombre_ = valor; }

    qint32 IDAlumno() const { return IDAlumno_; }
    void setIDAlumno(qint32 valor) { IDAlumno_ = valor; }

    // The school year the rows come from; 0 for students loaded in the editor.
    qint16 IDCursoescolar() const { return IDCursoescolar_; }
    void setIDCursoescolar(qint16 valor) { IDCursoescolar_ = valor; }

    quint8 TipoEnsenanza() const { return TipoEnsenanza_; }
    void setTipoEnsenanza(quint8 valor) { TipoEnsenanza_ = valor; }

    // The subjects of the student in this course, keyed by subject id.
    const ColeccionMaterias& Materias() const { return Materias_; }
    void setMaterias(ColeccionMaterias valor) { Materias_ = std::move(valor); }

    qint16 IDCurso() const { return IDCurso_; }
    void setIDCurso(qint16 valor) { IDCurso_ = valor; }

    quint8 Promocion() const { return Promocion_; }
    void setPromocion(quint8 valor) { Promocion_ = valor; }

    quint8 Anterior() const { return Anterior_; }
    void setAnterior(quint8 valor) { Anterior_ = valor; }

    quint8 Actual() const { return Actual_; }
    void setActual(quint8 valor) { Actual_ = valor; }

    bool Repetido() const { return Repetido_; }
    void setRepetido(bool valor) { Repetido_ = valor; }

    // Added to the course: its other rows of the historic year go first.
    bool Confirmar() const { return Confirmar_; }
    void setConfirmar(bool valor) { Confirmar_ = valor; }

    bool Repite() const { return Repite_; }
    void setRepite(bool valor) { Repite_ = valor; }

    bool Pendiente() const { return Pendiente_; }
    void setPendiente(bool valor) { Pendiente_ = valor; }

    bool PromocionPCPI() const { return PromocionPCPI_; }
    void setPromocionPCPI(bool valor) { PromocionPCPI_ = valor; }

    bool PromocionDiversificacion() const { return PromocionDiversificacion_; }
    void setPromocionDiversificacion(bool valor) { PromocionDiversificacion_ = valor; }

private:
    qint16 IDCursoEscHistorico_ = 0;
    QString Nombre_;
    qint32 IDAlumno_ = 0;
    qint16 IDCursoescolar_ = 0;
    quint8 TipoEnsenanza_ = 0;
    ColeccionMaterias Materias_ = std::make_shared<Coleccion<cMateria>>();
    qint16 IDCurso_ = 0;
    quint8 Promocion_ = 0;
    quint8 Anterior_ = 0;
    quint8 Actual_ = 0;
    bool Repetido_ = false;
    bool Confirmar_ = false;
    bool Repite_ = false;
    bool Pendiente_ = false;
    bool PromocionPCPI_ = false;
    bool PromocionDiversificacion_ = false;
};

}  // namespace ncc
