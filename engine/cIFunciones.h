#pragma once
// The closing engine. It receives the wizard's decisions (sections with
// their students, activities with their members and prices), the name of the
// new school year and two switches, and in one call, TransferirDatos, closes
// the school year: it asks its confirmations, creates the next year's
// databases, runs the transfer steps and either finishes or restores
// everything as it was. It talks to the user only through the message
// service and reports progress through the lent displays and its signals, so
// the wizard, the command line and the tests drive the same run.
#include "engine/EstadoMotor.h"
#include "engine/Progreso.h"
#include <QObject>
#include <functional>

namespace ncc {

// The widest school-year name the suite's CursoEscolar tables hold.
constexpr int LongitudNombreCurso = 50;

// Why a new school year cannot be called `nombre` (blank, longer than the
// column holds, counted in characters as the database counts them, or with
// control characters or terminal escapes); empty when it can.
QString ProblemaNombreCurso(const QString& nombre);

class cIFunciones : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString NuevoCursoEscolar READ NuevoCursoEscolar WRITE setNuevoCursoEscolar)
    Q_PROPERTY(bool ProcesarActividades READ ProcesarActividades WRITE setProcesarActividades)
    Q_PROPERTY(bool ProcesarSecciones READ ProcesarSecciones WRITE setProcesarSecciones)
    Q_PROPERTY(bool Cancelado READ Cancelado)
public:
    explicit cIFunciones(QObject* parent = nullptr);
    ~cIFunciones() override;

    QString NuevoCursoEscolar() const { return e_.NuevoCursoEscolar; }
    void setNuevoCursoEscolar(const QString& v) { e_.NuevoCursoEscolar = v; }
    bool ProcesarActividades() const { return e_.ProcesarActividades; }
    void setProcesarActividades(bool v) { e_.ProcesarActividades = v; }
    bool ProcesarSecciones() const { return e_.ProcesarSecciones; }
    void setProcesarSecciones(bool v) { e_.ProcesarSecciones = v; }
    bool Cancelado() const { return Cancelado_; }
    // The run was refused before anything was asked or copied (another
    // closing running, the year already closed, a name that cannot be used,
    // databases that cannot be written): nothing was changed.
    bool Rechazado() const { return Rechazado_; }

    std::shared_ptr<Coleccion<cCurso>> ColSecciones() const { return e_.ColSecciones; }
    void setColSecciones(std::shared_ptr<Coleccion<cCurso>> c) { e_.ColSecciones = std::move(c); }
    std::shared_ptr<Coleccion<cActividad>> colActividades() const { return e_.colActividades; }
    void setcolActividades(std::shared_ptr<Coleccion<cActividad>> c) { e_.colActividades = std::move(c); }

    // Lent by the caller, not owned; either may be left unset.
    void setProgreso(Progreso* p) { Progreso_ = p; }
    void setPorcentaje(Porcentaje* p) { Porcentaje_ = p; }

    Q_INVOKABLE bool TransferirDatos();
    // Whole databases on the server (`Server` is the server's connection
    // string, whose credentials are used).
    Q_INVOKABLE void CopiaDBSQLServer(const QString& Server, const QString& dbOrigen, const QString& dbDestino);
    Q_INVOKABLE void BorraDBSQLServer(const QString& Server, const QString& dbABorrar);

    // On the server, the prefix of every database the run makes (a
    // rehearsal's own); empty for a closing.
    void setPrefijoBases(const QString& p) { e_.PrefijoBases = p; }
    // and the comment each of them carries from the moment it exists.
    void setComentarioBases(const QString& c) { e_.ComentarioBases = c; }
    // The run left its journal for the next start: a restore, or the
    // removal of the backups after a closing that stands, could not finish.
    bool Pendiente() const { return Pendiente_; }
    // The step the run was at when it stopped (a motor::pasos id), 0 when it
    // never started.
    int Paso() const { return e_.Paso; }
    // Puts the students the run took out of their sections back into the
    // decision trees, as they were handed over: a rehearsal leaves the
    // wizard's decisions untouched for the closing that follows.
    void DevolverAlumnosRetirados();

    // Called under the closing's lock once every check has passed, before
    // the first change: what must outlive a run killed halfway (the note of
    // what its report will need) is kept there. An ncc::Error it throws
    // refuses the closing with nothing touched.
    void setAntesDeCambiar(std::function<void(const motor::EstadoMotor&)> f) { AntesDeCambiar_ = std::move(f); }

    // The run's state, for the command line's summary and for the tests.
    const motor::EstadoMotor& estado() const { return e_; }
    // Smaller runs make a small school's history reads cross their bounds.
    void fijarSeccionesPorLectura(int n) { e_.SeccionesPorLectura = qMax(1, n); }

signals:
    void IniciarProgreso(long& lngValorMax, QString& strTexto);
    void AumentarProgreso();
    void CerrarProgreso();

private:
    void AvanzarProgreso();

    bool VerificarSeccionesPromocionadas();
    void VerificarPlazasSecciones();
    bool VerificarActividadesPromocionadas();
    bool AnotarAntesDeCambiar();
    void InicializarProgreso();
    bool FaseAlumnos();
    bool FaseFinal();
    bool Ejecutar();
    void Terminar();
    void fallar();

    // What the steps report, turned into the signals and the bar.
    class Avisos;
    std::unique_ptr<Avisos> avisos_;
    motor::EstadoMotor e_;
    bool Cancelado_ = false;
    bool Rechazado_ = false;
    bool Pendiente_ = false;
    Progreso* Progreso_ = nullptr;
    Porcentaje* Porcentaje_ = nullptr;
    std::function<void(const motor::EstadoMotor&)> AntesDeCambiar_;
};

}  // namespace ncc
