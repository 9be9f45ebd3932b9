// The grade history of the closed year: its final grades and the pending
// subjects its students still carried go to EvaluacionHistorica of the new
// year under a new application historic year; the failed subjects of the
// promoted students become pending subjects of the new year.
//
// Grades and promotion data are read from the closed year's database, every
// row is written to the new one. A section's promotion data are read once
// for the whole section, and the students of the wizard's tree are indexed
// once, instead of a read or a walk of the tree per grade row.
#include "engine/Comun.h"
#include "engine/Historico.h"
#include "engine/Pasos.h"
#include "platform/BucleMensajes.h"
#include "platform/Error.h"
#include "platform/InsercionLotes.h"
#include "platform/Mensajes.h"
#include "platform/Reloj.h"
#include "engine/ListaIds.h"
#include "platform/EnParalelo.h"
#include <QHash>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace ncc::motor {

namespace {

// Booleans of the history rows are -1 and 0 on every back end.
int menosUno(bool b) { return b ? -1 : 0; }

// A text as a bound value: an empty text is written as '', never as Null.
QVariant textoSql(const QString& s) { return s.isNull() ? QVariant(QStringLiteral("")) : QVariant(s); }

QString literalVerdadero(const EstadoMotor& e) { return QString::number(e.SQLServer() ? 1 : -1); }

// Work ahead of the step that a failed run stopped: never said, the run's
// own failure is.
[[noreturn]] void detenida() {
    throw Error(errores::ConexionCerrada, QStringLiteral("Se ha detenido el paso de notas al histórico"));
}

// The student's decision in the wizard's tree, by student id: the first
// student found walking the promoted sections in order, among those who
// stay.
class DestinosAlumnos {
public:
    explicit DestinosAlumnos(const EstadoMotor& e) {
        // Only the students the new year keeps: those of an unpromoted
        // section have left it, and carry nothing pending into it.
        for (const auto& seccion : *e.ColSecciones) {
            const ColeccionAlumnos alumnos = seccion->Alumnos();
            if (!alumnos || !seccion->Promocionada()) continue;
            for (const auto& a : *alumnos)
                if (!a->SinAsignar() && (a->Promociona() || a->Repite()) && !porId_.contains(a->IDAlumno()))
                    porId_.insert(a->IDAlumno(), a);
        }
    }
    std::shared_ptr<cAlumno> buscar(qint64 id) const { return porId_.value(qint32(id)); }

private:
    QHash<qint32, std::shared_ptr<cAlumno>> porId_;
};

// Promotion data of one student in one evaluation period of a section.
struct Promocion {
    qint64 promocion = 0;
    bool pcpi = false;
    bool diversificacion = false;
    QString fecha;
};

// The promotion data of a section's students: by (student, period) the
// first row found, and by student the first row that promotes (Promocion 1),
// which takes precedence. Taken from the read of a run of sections
// (consultaPromociones), ordered by section, whose current row is the
// section's first. Each student's rows are those of his own section's
// periods: periods are shared by many sections, and a student's rows of
// another section's period are not his grades' promotion data.
class PromocionesSeccion {
public:
    PromocionesSeccion(Recordset& rs, qint64 seccion) {
        for (; !rs.eof() && rs.entero(QStringLiteral("codSeccion")) == seccion; rs.MoveNext()) {
            const qint64 alumno = rs.entero(QStringLiteral("codAlumno"));
            const qint64 periodo = rs.entero(QStringLiteral("codNumEvaluacion"));
            Promocion p;
            p.promocion = rs.entero(QStringLiteral("Promocion"));
            p.pcpi = rs.booleano(QStringLiteral("PromocionPCPI"));
            p.diversificacion = rs.booleano(QStringLiteral("PromocionDiversificacion"));
            p.fecha = rs.texto(QStringLiteral("Fecha"));
            const auto k = qMakePair(alumno, periodo);
            if (!porPeriodo_.contains(k)) porPeriodo_.insert(k, p);
            if (p.promocion == 1 && !promociona_.contains(alumno)) promociona_.insert(alumno, p);
        }
    }

    // Promotion value, the two flags and the date of a grade row; without
    // promotion data: 0, false, false and no date.
    Promocion de(qint64 alumno, qint64 periodo) const {
        const auto it = porPeriodo_.constFind(qMakePair(alumno, periodo));
        if (it == porPeriodo_.cend()) return {};
        Promocion r;
        const auto p = promociona_.constFind(alumno);
        if (p != promociona_.cend()) {
            r = *p;
            r.promocion = 1;
        } else {
            r = *it;
            r.promocion = aByte(it->promocion);
        }
        r.fecha = it->fecha;
        return r;
    }

private:
    QHash<QPair<qint64, qint64>, Promocion> porPeriodo_;
    QHash<qint64, Promocion> promociona_;
};

// Destination section of a student whose subject becomes pending; 0 when the
// student is not in the tree or repeats (and `repeticionCuenta`).
qint16 destinoPendiente(const DestinosAlumnos& destinos, qint64 alumno, bool repeticionCuenta) {
    const auto a = destinos.buscar(alumno);
    if (!a) return 0;
    if (repeticionCuenta && a->Repite()) return 0;
    return a->NIDSeccion();
}

// The last evaluated act of the students of the sections `secciones` ("3,5"),
// by section and student.
QString consultaNotas(const QString& secciones, const QString& verdadero) {
    return NotasFinalesDeSeccion(verdadero) + QStringLiteral("IN (") + secciones +
           QStringLiteral(") ORDER BY 5, 1, 7 NULLS FIRST, 9 NULLS FIRST, 11 NULLS FIRST, "
                          "6 NULLS FIRST, 8 NULLS FIRST, 10 NULLS FIRST");
}

// The promotion data of the students of the sections `secciones` in their
// own section's periods, by section. (The "+" keeps SQLite, which has no
// statistics on the suite's databases, from walking the period's index,
// which holds every student of the school, instead of the sections'
// students.)
QString consultaPromociones(const QString& secciones) {
    return QStringLiteral("SELECT Alumno.codSeccion, Alumno_NumEvaluacion.codAlumno, Alumno_NumEvaluacion.codNumEvaluacion, "
                          "Alumno_NumEvaluacion.Promocion, Alumno_NumEvaluacion.PromocionPCPI, "
                          "Alumno_NumEvaluacion.PromocionDiversificacion, Seccion_NumEvaluacion.Fecha "
                          "FROM Alumno INNER JOIN (Alumno_NumEvaluacion INNER JOIN Seccion_NumEvaluacion ON "
                          "+Alumno_NumEvaluacion.codNumEvaluacion=Seccion_NumEvaluacion.codNumEvaluacion) ON "
                          "Alumno_NumEvaluacion.codAlumno=Alumno.IDAlumno "
                          "WHERE Seccion_NumEvaluacion.codSeccion=Alumno.codSeccion AND Alumno.codSeccion IN (") +
           secciones + QStringLiteral(") ORDER BY Alumno.codSeccion, Alumno_NumEvaluacion.IDAlumno_NumEvaluacion");
}

// The pending subjects of earlier years the students of the sections
// `secciones` still carry, with the teaching type and course the subject
// belongs to, by section.
QString consultaPendientes(const QString& secciones, const QString& verdadero) {
    return QStringLiteral("SELECT Alumno.codSeccion, Alumno.IDAlumno, Alumno.Repetidor, Curso.codTipoEnsenanza, Curso.idCurso, "
                          "EvaluacionActaPte.codNota, EvaluacionActaPte.codNumEvaluacion, "
                          "EvaluacionActaPte.RE_AC_DIV, MateriaDetalles.codMateria, Nota.Aprobado,"
                          "AlumnoPte_MatDet.codMatDet") +
           PendientesFinalesDeSeccion(verdadero) + QStringLiteral("IN (") + secciones +
           QStringLiteral(") ORDER BY Alumno.codSeccion, Alumno.IDAlumno, AlumnoPte_MatDet.IDAlumnoPte_MatDet, "
                          "EvaluacionActaPte.codNumEvaluacion NULLS FIRST, EvaluacionActaPte.IDEvaluacionActaPte");
}

// The three reads of a run of sections, each ordered by section.
struct LecturaTramo {
    Recordset notas, promociones, pendientes;
};

// Off the interface's thread `cediendo` is false: only that thread yields.
LecturaTramo leerTramo(Conexion& local, const QString& tramo, const QString& verdadero, bool cediendo) {
    LecturaTramo l;
    const bool noCancelar = false;
    if (cediendo) EjecutarAsincrono(consultaNotas(tramo, verdadero), local, l.notas, noCancelar);
    else l.notas = local.Abrir(consultaNotas(tramo, verdadero));
    l.promociones = local.Abrir(consultaPromociones(tramo));
    if (cediendo) ceder();
    l.pendientes = local.Abrir(consultaPendientes(tramo, verdadero));
    if (cediendo) ceder();
    return l;
}

// The sections whose final grades pass to the history, in order.
ListaIds leerSeccionesHistorico(Conexion& local, const QString& verdadero, bool cediendo) {
    const QString sql = SeccionesConNotasFinales(verdadero);
    Recordset secciones;
    const bool noCancelar = false;
    if (cediendo) EjecutarAsincrono(sql, local, secciones, noCancelar);
    else secciones = local.Abrir(sql);
    ListaIds ids;
    for (; !secciones.eof(); secciones.MoveNext()) ids.agregar(aEntero16(secciones.entero(QStringLiteral("codSeccion"))));
    return ids;
}

}  // namespace

// The history step's reads of the closed year: its sections, then their
// grades a run of sections at a time (e.SeccionesPorLectura), each run read
// before its turn. A connection of their own reads them on a thread, up to
// `adelanto` runs ahead of the one being written, from the students' phase
// on: the reads take the machine's (or the server's) second core while the
// new year is written, instead of taking turns with the writing (at 20,000
// students the server's writing session waited 0.4 s of the step's 1.3 s,
// and SQLite's step went from about 0.8 s to 0.5 s). Nothing of the closed
// year changes before the leavers' archive, after the step, so that
// connection reads what the run's own would. With no thread to be had,
// everything is read here, in its turn.
class LecturasHistorico {
public:
    static constexpr int adelanto = 2;

    LecturasHistorico(Conexion& local, QString verdadero, int porLectura)
        : local_(local), servidor_(local.esServidor()), verdadero_(std::move(verdadero)), porLectura_(porLectura) {
        datos_ = local_.datos();
        lector_.emplace([this] { leerDetras(); });
        // No thread to be had: all is read here, when the step asks.
        if (!lector_->aparte()) lector_.reset();
    }

    ~LecturasHistorico() {
        parar();
        lector_.reset();
    }

    // No more reads: the thread ends after the read under way, and a wait
    // for a read (of another thread: the rows written ahead) ends in an
    // error.
    void parar() {
        {
            std::lock_guard<std::mutex> l(m_);
            parar_ = true;
        }
        cambio_.notify_all();
    }

    // Whether a thread of its own reads: otherwise the step's reads are made
    // on the run's connection, by the interface's thread.
    bool aparte() const { return lector_.has_value(); }

    // The sections; each run's first section's place among them, and past
    // the last run the number of sections.
    const ListaIds& secciones() { return esperarDivision(), ids_; }
    qsizetype numeroTramos() { return esperarDivision(), tramos_.size(); }
    int inicioTramo(qsizetype k) { return esperarDivision(), inicios_.at(k); }

    // The next run's reads, in order.
    LecturaTramo siguiente() {
        esperarDivision();
        if (!lector_) return leerTramo(local_, tramos_.at(siguiente_++), verdadero_, true);
        LecturaTramo leida;
        esperar([&] {
            if (leidas_.empty()) return false;
            leida = std::move(leidas_.front());
            leidas_.pop_front();
            return true;
        });
        cambio_.notify_all();
        return leida;
    }

private:
    // On the server the runs start at a quarter and double, so that the
    // first batch of history rows is ready early.
    void dividir(ListaIds ids) {
        ids_ = std::move(ids);
        const int primera = servidor_ ? qMax(1, porLectura_ / 4) : porLectura_;
        for (int desde = 0, n = primera; desde < ids_.tamano(); desde += n, n = qMin(porLectura_, 2 * n)) {
            tramos_ << ids_.texto(desde, n);
            inicios_ << desde;
        }
        inicios_ << ids_.tamano();
    }

    // The reading thread's work: what it throws is kept for the step, which
    // fails with it when it next asks.
    void leerDetras() {
        try {
            Conexion con(datos_);
            con.Open();
            con.fijarSoloLectura(true);  // as the run's own, until the leavers' archive
            ListaIds ids = leerSeccionesHistorico(con, verdadero_, false);
            {
                std::lock_guard<std::mutex> l(m_);
                dividir(std::move(ids));
                divididas_ = true;
            }
            cambio_.notify_all();
            EstadisticasNotasFinales(con);
            for (const QString& tramo : std::as_const(tramos_)) {
                {
                    std::unique_lock<std::mutex> l(m_);
                    cambio_.wait(l, [&] { return parar_ || leidas_.size() < adelanto; });
                    if (parar_) return;
                }
                LecturaTramo leida = leerTramo(con, tramo, verdadero_, false);
                {
                    std::lock_guard<std::mutex> l(m_);
                    leidas_.push_back(std::move(leida));
                }
                cambio_.notify_all();
            }
        } catch (...) {
            {
                std::lock_guard<std::mutex> l(m_);
                fallo_ = std::current_exception();
            }
            cambio_.notify_all();
        }
    }

    // The sections and their runs, once: read here without a thread.
    void esperarDivision() {
        if (divisionVista_) return;
        if (lector_) {
            esperar([&] { return divididas_; });
        } else {
            dividir(leerSeccionesHistorico(local_, verdadero_, true));
            EstadisticasNotasFinales(local_);
        }
        divisionVista_ = true;
    }

    // Waits, keeping the interface served, until `listo` (run under the
    // lock) holds; a failure of the reading thread is thrown here.
    template <class F>
    void esperar(F&& listo) {
        for (;;) {
            {
                std::unique_lock<std::mutex> l(m_);
                if (fallo_) std::rethrow_exception(fallo_);
                if (listo()) return;
                cambio_.wait_for(l, std::chrono::milliseconds(20));
                if (fallo_) std::rethrow_exception(fallo_);
                if (listo()) return;
                if (parar_) detenida();
            }
            ceder();
        }
    }

    Conexion& local_;
    const bool servidor_;
    const QString verdadero_;
    const int porLectura_;
    DatosConexion datos_;
    // Written once by whoever divides the sections, before divididas_.
    ListaIds ids_;
    QStringList tramos_;
    QVector<int> inicios_;
    qsizetype siguiente_ = 0;
    bool divisionVista_ = false;
    std::mutex m_;
    std::condition_variable cambio_;
    bool divididas_ = false, parar_ = false;
    std::deque<LecturaTramo> leidas_;
    std::exception_ptr fallo_;
    std::optional<EnMarchaAparte> lector_;
};

// ---------------------------------------------------------------- module procedures

// The act's period must be a period of some section and of some student: as
// joins on the period alone, those two tables multiplied every act by all
// the sections and students that share its period, rows that a union of the
// read with itself then folded back into one. As existence tests they give
// the same rows without building the product, which on a large school is
// millions of rows per section; and DISTINCT gives the rows of that union,
// reading them once instead of twice. The period is named, since SQLite
// would otherwise name it after the other tables of the join that have one.
QString NotasFinalesDeSeccion(const QString& verdadero) {
    return QStringLiteral("SELECT DISTINCT Alumno.IDAlumno AS IDAlumno, Alumno.Repetidor AS Repetidor, "
                          "Alumno.codTipoEnsenanza AS codTipoEnsenanza, Alumno.codCurso AS codCurso, "
                          "Alumno.codSeccion AS codSeccion, EvaluacionActa.codNota AS codNota, "
                          "EvaluacionActa.codNumEvaluacion AS codNumEvaluacion, EvaluacionActa.RE_AC_DIV AS RE_AC_DIV, "
                          "MateriaDetalles.codMateria AS codMateria, Nota.Aprobado AS Aprobado, "
                          "Alumno_MateriaDetalles.codMateriaDetalles AS codMateriaDetalles "
                          "FROM Alumno INNER JOIN ((Alumno_MateriaDetalles INNER JOIN MateriaDetalles ON "
                          "Alumno_MateriaDetalles.codMateriaDetalles=MateriaDetalles.IDMateriaDetalles) "
                          "INNER JOIN (EvaluacionActa LEFT JOIN Nota ON Nota.IDNota=EvaluacionActa.codNota) ON "
                          "Alumno_MateriaDetalles.IDAlumno_MateriaDetalles=EvaluacionActa.codAlumno_MateriaDetalles) "
                          "ON Alumno.IDAlumno=Alumno_MateriaDetalles.codAlumno WHERE "
                          "EXISTS (SELECT 1 FROM Seccion_NumEvaluacion WHERE "
                          "Seccion_NumEvaluacion.codNumEvaluacion=EvaluacionActa.codNumEvaluacion) AND "
                          "EXISTS (SELECT 1 FROM Alumno_NumEvaluacion WHERE "
                          "Alumno_NumEvaluacion.codNumEvaluacion=EvaluacionActa.codNumEvaluacion) AND "
                          "EvaluacionActa.UltimaEvaluada=") +
           verdadero + QStringLiteral(" AND ") + AlumnoActivo + QStringLiteral(" AND Alumno.codSeccion ");
}

QString SeccionesConNotasFinales(const QString& verdadero) {
    return QStringLiteral("SELECT DISTINCT Seccion_Alumno.codSeccion AS codSeccion FROM Seccion_Alumno INNER JOIN "
                          "(Alumno INNER JOIN Curso ON Alumno.codCurso=Curso.IDCurso) ON "
                          "Seccion_Alumno.codAlumno=Alumno.IDAlumno WHERE "
                          "Alumno.codTipoEnsenanza=2 AND Curso.FinCiclo=") +
           verdadero +
           QStringLiteral(" UNION "
                          "SELECT Seccion_Alumno.codSeccion FROM Seccion_Alumno INNER JOIN Alumno ON "
                          "Seccion_Alumno.codAlumno=Alumno.IDAlumno WHERE "
                          "Alumno.codTipoEnsenanza NOT IN(1,2) ORDER BY 1");
}

QString PendientesFinalesDeSeccion(const QString& verdadero) {
    return QStringLiteral(" FROM "
                          "Alumno INNER JOIN ((AlumnoPte_MatDet INNER JOIN (MateriaDetalles INNER JOIN (Seccion "
                          "INNER JOIN Curso ON Curso.IDCurso=Seccion.codCurso) ON "
                          "Seccion.IDSeccion=MateriaDetalles.codseccion) ON "
                          "AlumnoPte_MatDet.codMatDet=MateriaDetalles.IDMateriaDetalles) "
                          "INNER JOIN (EvaluacionActaPte LEFT JOIN Nota ON Nota.IDNota=EvaluacionActaPte.codNota) "
                          "ON EvaluacionActaPte.codAlumnoPte_MatDet=AlumnoPte_MatDet.IDAlumnoPte_MatDet) ON "
                          "AlumnoPte_MatDet.codAlumno=Alumno.IDAlumno WHERE "
                          "EvaluacionActaPte.UltimaEvaluada=") +
           verdadero + QStringLiteral(" AND ") + AlumnoActivo + QStringLiteral(" AND Alumno.codSeccion ");
}

void EstadisticasNotasFinales(Conexion& conexion) {
    if (!conexion.esServidor()) return;
    // A sample of 3,000 rows a table (the server's default takes 30,000)
    // gives these joins the same plans in a fifth of the time (at 20,000
    // students 0.12 s instead of 0.5).
    conexion.Execute(QStringLiteral("SET default_statistics_target=10"));
    conexion.Execute(QStringLiteral("ANALYZE Alumno, Alumno_NumEvaluacion, Seccion_NumEvaluacion, EvaluacionActa, "
                                    "Alumno_MateriaDetalles, MateriaDetalles, Nota, AlumnoPte_MatDet, "
                                    "EvaluacionActaPte"));
    conexion.Execute(QStringLiteral("RESET default_statistics_target"));
}

void EjecutarAsincrono(const QString& strSQL, Conexion& conexion, Recordset& rs, const bool& Cancelar,
                       const QVariantList& valores) {
    // The database layer reads synchronously: a statement cannot be started
    // and polled. The interface is served just before and just after the
    // read instead, and a cancel asked for meanwhile drops the result as a
    // cancel during the wait would.
    cederAhora();
    if (Cancelar) {
        rs = Recordset();
        return;
    }
    rs = conexion.Abrir(strSQL, valores);
    cederAhora();
    if (Cancelar) rs = Recordset();
}

void RenumerarOrdenHistorico(Conexion& conexion) {
    // Orden is a byte: 255 rows per student and year at most.
    Recordset mas = conexion.Abrir(QStringLiteral(
        "SELECT COUNT(*) FROM EvaluacionHistorica WHERE Orden=0 GROUP BY codAlumno, codcursoescolar "
        "HAVING COUNT(*)>255 LIMIT 1"));
    ceder();
    if (!mas.eof()) desbordamiento();
    // Numbered 1, 2... within each student and year in one statement; the id
    // breaks the ties, so that the rows of a student keep the order in which
    // they were written on every back end.
    conexion.Execute(QStringLiteral(
        "UPDATE EvaluacionHistorica SET Orden=Numeradas.Orden FROM (SELECT IDEvaluacionHistorica AS ID, "
        "ROW_NUMBER() OVER (PARTITION BY codAlumno, codcursoescolar ORDER BY MateriaPendiente DESC, "
        "IDEvaluacionHistorica) AS Orden FROM EvaluacionHistorica WHERE Orden=0) AS Numeradas "
        "WHERE EvaluacionHistorica.IDEvaluacionHistorica=Numeradas.ID"));
    ceder();
}

namespace {

// The closed year's id among the history's years, read from its own
// database; and its row in the new one's.
long siguienteCursoHistorico(Conexion& local) {
    Recordset rs = local.Abrir(QStringLiteral("SELECT MAX(IDCursoEscolarHistorico) AS MaxID FROM CursoEscolarHistorico"));
    ceder();
    return rs.eof() || rs.esNulo(QStringLiteral("MaxID")) ? 1 : long(rs.entero(QStringLiteral("MaxID")) + 1);
}

void insertarCursoHistorico(Conexion& nuevo, long id, const QString& nombre, const QString& verdadero) {
    ejecutar(nuevo,
             QStringLiteral("INSERT INTO CursoEscolarHistorico (IDCursoEscolarHistorico, Nombre, "
                            "HistoricoAplicacion) VALUES(") +
                 QString::number(id) + QStringLiteral(", ?,") + verdadero + QStringLiteral(")"),
             {textoSql(nombre)});
}

}  // namespace

void CrearCursoHistorico(EstadoMotor& e, long& IDCursoHistorico, bool& Correcto) {
    Correcto = false;
    try {
        IDCursoHistorico = siguienteCursoHistorico(e.conLocalCentro());
        insertarCursoHistorico(e.conNuevoCentro, IDCursoHistorico, e.conf->CursoEscolar(), literalVerdadero(e));
        Correcto = true;
    } catch (const Error& err) {
        mostrarError(err);
    }
}

namespace {

// What the new year holds of pending subjects, read once per history step,
// with the course of every subject detail's section.
void leerPendientesNuevas(Conexion& nuevo, EstadoMotor::PendientesNuevas& p) {
    Recordset max = nuevo.Abrir(
        QStringLiteral("SELECT MAX(idAlumnopte_MatDet), COUNT(idAlumnopte_MatDet) FROM Alumnopte_MatDet"));
    ceder();
    p.siguienteId = max.campo(1).toLongLong() == 0 ? 1 : max.campo(0).toLongLong() + 1;
    for (Recordset rs = nuevo.Abrir(QStringLiteral("SELECT codalumno FROM seccion_Alumnopte WHERE codAlumno IS NOT NULL"));
         !rs.eof(); rs.MoveNext())
        p.conSeccion.insert(qint32(rs.entero(QStringLiteral("codalumno"))));
    ceder();
    for (Recordset rs = nuevo.Abrir(QStringLiteral("SELECT codalumno, codMatDet FROM Alumnopte_MatDet WHERE "
                                                   "codAlumno IS NOT NULL AND codMatDet IS NOT NULL"));
         !rs.eof(); rs.MoveNext())
        p.materias.insert({qint32(rs.entero(QStringLiteral("codalumno"))), qint32(rs.entero(QStringLiteral("codMatDet")))});
    ceder();
    // The first row of a subject detail, as a lookup by id finds it.
    for (Recordset rs = nuevo.Abrir(QStringLiteral("SELECT IDMateriaDetalles, codCurso FROM Seccion INNER JOIN MateriaDetalles "
                                                   "ON Seccion.IDSeccion=MateriaDetalles.codSeccion "
                                                   "ORDER BY IDMateriaDetalles, IDSeccion"));
         !rs.eof(); rs.MoveNext()) {
        const qint32 materia = qint32(rs.entero(QStringLiteral("IDMateriaDetalles")));
        if (!p.cursoDeMateria.contains(materia)) p.cursoDeMateria.insert(materia, aByte(rs.entero(QStringLiteral("codCurso"))));
    }
    ceder();
    p.filasSeccion = std::make_shared<InsercionLotes>(nuevo, QStringLiteral("INSERT INTO seccion_Alumnopte VALUES "),
                                                      QStringLiteral("(?,?,0,0)"));
    p.filasMateria = std::make_shared<InsercionLotes>(nuevo, QStringLiteral("INSERT INTO Alumnopte_MatDet VALUES "),
                                                      QStringLiteral("(?,?,?,0,?)"));
    p.leidas = true;
}

}  // namespace

void CrearMateriaPendiente(EstadoMotor& e, const qint32& IDAlumno, const qint32& IDMateriaDetalles,
                           const qint16& IDSeccion) {
    if (IDAlumno == 0 || IDMateriaDetalles == 0 || IDSeccion == 0) return;
    EstadoMotor::PendientesNuevas& p = e.pendientes;
    if (!p.leidas) leerPendientesNuevas(e.conNuevoCentro, p);

    if (!p.conSeccion.contains(IDAlumno)) {
        p.filasSeccion->agregar({int(IDSeccion), IDAlumno});
        p.conSeccion.insert(IDAlumno);
    }

    if (!p.materias.contains({IDAlumno, IDMateriaDetalles})) {
        p.filasMateria->agregar({p.siguienteId++, IDAlumno, IDMateriaDetalles, int(p.cursoDeMateria.value(IDMateriaDetalles))});
        p.materias.insert({IDAlumno, IDMateriaDetalles});
    }
}

void EscribirPendientes(EstadoMotor& e) {
    if (!e.pendientes.leidas) return;
    e.pendientes.filasSeccion->vaciar();
    e.pendientes.filasMateria->vaciar();
}

// ---------------------------------------------------------------- the step

namespace {

// A failed subject the student carries into the new year as pending, found
// among his history rows; made once the new year's sections and subjects
// are written.
struct MateriaSuspensa {
    qint32 alumno = 0, materia = 0;
    bool repeticionCuenta = false;  // a subject of this year: a repeater does not carry it
};

// Where the closed year's rows start in the history of the new year.
struct InicioHistorico {
    long cursoHistorico = 0;  // its CursoEscolarHistorico
    qint64 id = 0;            // its first IDEvaluacionHistorica
    // A student's rows are numbered 1, 2... in the order RenumerarOrdenHistorico
    // gives them: all of them come in his section's turn, his grades (not
    // pending) before his pending subjects, each kind in id order. So they
    // are numbered as they are written, unless the history already holds
    // rows waiting for a number, which the renumbering would count with his:
    // then they are written with 0 and renumbered all together at the end,
    // as the renumbering always did.
    bool ordenAlEscribir = true;
};

// The history rows go many to a statement, numbered from the last id read
// once: nothing else writes the history meanwhile.
void leerInicio(Conexion& nuevo, InicioHistorico& inicio) {
    inicio.id = nuevo.Abrir(QStringLiteral("SELECT COALESCE(MAX(IDEvaluacionHistorica), 0) + 1 FROM EvaluacionHistorica"))
                    .campo(0)
                    .toLongLong();
    ceder();
    inicio.ordenAlEscribir = nuevo.Abrir(QStringLiteral("SELECT 1 FROM EvaluacionHistorica WHERE Orden=0 LIMIT 1")).eof();
}

// What the history rows are made of besides the reads.
struct DatosHistorico {
    QVariant cursoEscolar;  // the closed year's id
    QString hoy;            // the date of the pending subjects' rows
};

// Writes the history rows of the sections `lecturas` reads, run by run, into
// `nuevo`; gives the failed subjects that go on as pending, in the order
// met. `empezar` with the number of sections, `seccionHecha` after each.
std::vector<MateriaSuspensa> escribirNotas(Conexion& nuevo, LecturasHistorico& lecturas, const InicioHistorico& inicio,
                                           const DatosHistorico& datos, const std::function<void(long)>& empezar,
                                           const std::function<void()>& seccionHecha) {
    const ListaIds& ids = lecturas.secciones();
    empezar(ids.tamano());
    InsercionLotes filasNota(nuevo, QStringLiteral("INSERT INTO EvaluacionHistorica VALUES "),
                             QStringLiteral("(?,?,?,?,?,?,?,?,?,?,?,?,0,?,?,?,?)"));
    InsercionLotes filasPendiente(nuevo, QStringLiteral("INSERT INTO EvaluacionHistorica VALUES "),
                                  QStringLiteral("(?,?,?,?,?,?,?,?,0,?,?,?,-1,?,?,0,0)"));
    // The server writes each batch of history rows while the next sections
    // are read from the closed year's database.
    filasNota.escribirDetras();
    filasPendiente.escribirDetras();
    const QVariant historico = qint64(inicio.cursoHistorico);
    auto esSuspenso = [](const Recordset& rs) {
        return rs.esNulo(QStringLiteral("Aprobado")) || !rs.booleano(QStringLiteral("Aprobado"));
    };
    qint64 id = inicio.id;
    QHash<qint64, int> filasDeAlumno;
    auto orden = [&](qint64 alumno) -> qint64 {
        if (!inicio.ordenAlEscribir) return 0;
        // Orden is a byte: 255 rows per student and year at most.
        const int n = ++filasDeAlumno[alumno];
        if (n > 255) desbordamiento();
        return n;
    };
    std::vector<MateriaSuspensa> suspensas;
    for (qsizetype k = 0; k < lecturas.numeroTramos(); ++k) {
        LecturaTramo leida = lecturas.siguiente();
        Recordset& rs = leida.notas;
        Recordset& promocionesLeidas = leida.promociones;
        Recordset& pendientesLeidas = leida.pendientes;
        for (int i = lecturas.inicioTramo(k); i < lecturas.inicioTramo(k + 1); ++i) {
            const qint64 seccion = ids.ids().at(i);
            const PromocionesSeccion promociones(promocionesLeidas, seccion);
            for (; !rs.eof() && rs.entero(QStringLiteral("codSeccion")) == seccion; rs.MoveNext()) {
                const qint64 alumno = rs.entero(QStringLiteral("IDAlumno"));
                const Promocion p = promociones.de(alumno, rs.entero(QStringLiteral("codNumEvaluacion")));
                filasNota.agregar({id, alumno, rs.campo(QStringLiteral("codMateria")), datos.cursoEscolar,
                                   rs.campo(QStringLiteral("codTipoEnsenanza")), rs.campo(QStringLiteral("codCurso")),
                                   rs.campo(QStringLiteral("codNota")), rs.campo(QStringLiteral("RE_AC_DIV")),
                                   qint64(p.promocion), rs.campo(QStringLiteral("codNumEvaluacion")), historico,
                                   textoSql(p.fecha), menosUno(rs.booleano(QStringLiteral("Repetidor"))), orden(alumno),
                                   menosUno(p.pcpi), menosUno(p.diversificacion)});
                ++id;
                // A failed subject of a promoted student goes with him as
                // pending; a student missing from the tree has no destination.
                if (p.promocion == 1 && esSuspenso(rs))
                    suspensas.push_back(
                        {qint32(alumno), qint32(rs.entero(QStringLiteral("codMateriaDetalles"))), true});
            }
            for (Recordset& pt = pendientesLeidas; !pt.eof() && pt.entero(QStringLiteral("codSeccion")) == seccion;
                 pt.MoveNext()) {
                const qint64 alumno = pt.entero(QStringLiteral("IDAlumno"));
                filasPendiente.agregar({id, alumno, pt.campo(QStringLiteral("codMateria")), datos.cursoEscolar,
                                        pt.campo(QStringLiteral("codTipoEnsenanza")), pt.campo(QStringLiteral("idCurso")),
                                        pt.campo(QStringLiteral("codNota")), pt.campo(QStringLiteral("RE_AC_DIV")),
                                        pt.campo(QStringLiteral("codNumEvaluacion")), historico, datos.hoy,
                                        menosUno(pt.booleano(QStringLiteral("Repetidor"))), orden(alumno)});
                ++id;
                if (esSuspenso(pt))
                    suspensas.push_back({qint32(alumno), qint32(pt.entero(QStringLiteral("codMatDet"))), false});
            }
            seccionHecha();
        }
    }
    filasNota.vaciar();
    filasPendiente.vaciar();
    return suspensas;
}

DatosHistorico datosHistorico(const EstadoMotor& e) {
    return {int(e.conf->intIDCursoEscolar()), Reloj::hoy().toString(QStringLiteral("yyyy/MM/dd"))};
}

std::shared_ptr<LecturasHistorico> nuevasLecturas(EstadoMotor& e) {
    Conexion& local = e.conLocalCentro();
    return std::make_shared<LecturasHistorico>(local, literalVerdadero(e), e.seccionesPorLectura(local.esServidor()));
}

}  // namespace

// On the server, the history step's rows written ahead, from the students'
// phase on: a connection of its own to the new year, in a transaction of its
// own, writes the closed year's history rows on a thread as
// LecturasHistorico reads them, while the run writes the students. The
// server then writes on both cores, as the embedded closing does with its
// backups (at 20,000 students its history step took 1.1-1.4 s after a
// students' phase of 1.3-1.5 s, one core idle). The new year's history is
// this connection's alone until it commits: the rows the promotion takes out
// of it (students who leave, or change stage) are taken out here too, before
// the first row is written, so that the rows are numbered from the same id
// as in the step and no two transactions hold one row. The step waits for
// the rows and their commit, then makes what depends on the new year's
// sections and subjects. A failed run stops it and rolls it back before the
// new year's database is dropped; its failure is thrown to the step.
class EscrituraHistorico {
public:
    struct Hecho {
        InicioHistorico inicio;
        std::vector<MateriaSuspensa> suspensas;
    };

    EscrituraHistorico(EstadoMotor& e, std::shared_ptr<LecturasHistorico> lecturas)
        : local_(e.conLocalCentro().datos()), nuevo_(e.conNuevoCentro.datos()), nombre_(e.conf->CursoEscolar()),
          verdadero_(literalVerdadero(e)), datos_(datosHistorico(e)), lecturas_(std::move(lecturas)) {
        escritor_.emplace([this] { escribirDetras(); });
        if (!escritor_->aparte()) escritor_.reset();
    }

    // Stops the thread, and the reads it takes, after what it is doing.
    ~EscrituraHistorico() {
        if (!escritor_) return;
        {
            std::lock_guard<std::mutex> l(m_);
            parar_ = true;
        }
        cambio_.notify_all();
        lecturas_->parar();
        escritor_.reset();
    }

    // Whether it got a thread: otherwise the step writes as before.
    bool enMarcha() const { return escritor_.has_value(); }

    void quitar(const ListaIds& ids) {
        std::lock_guard<std::mutex> l(m_);
        quitar_.push_back(ids);
    }

    void permitir() {
        {
            std::lock_guard<std::mutex> l(m_);
            permitida_ = true;
        }
        cambio_.notify_all();
    }

    // Waits, keeping the interface served and showing the sections as they
    // are written, for the rows and their commit.
    Hecho esperar(const std::function<void(long)>& empezar, const std::function<void()>& seccionHecha) {
        bool empezado = false;
        long mostradas = 0;
        for (;;) {
            long total = -1, hechas = 0;
            bool terminada = false;
            {
                std::unique_lock<std::mutex> l(m_);
                if (!fallo_ && !terminada_ && hechas_ == mostradas && (empezado || total_ < 0))
                    cambio_.wait_for(l, std::chrono::milliseconds(20));
                if (fallo_) std::rethrow_exception(fallo_);
                total = total_;
                hechas = hechas_;
                terminada = terminada_;
            }
            if (!empezado && total >= 0) {
                empezar(total);
                empezado = true;
            }
            for (; mostradas < hechas; ++mostradas) seccionHecha();
            if (terminada) return std::move(hecho_);
            ceder();
        }
    }

private:
    void escribirDetras() {
        try {
            {
                Conexion local(local_);
                local.Open();
                local.fijarSoloLectura(true);
                hecho_.inicio.cursoHistorico = siguienteCursoHistorico(local);
            }
            Conexion nuevo(nuevo_);
            nuevo.Open();
            Transaccion t(nuevo);
            insertarCursoHistorico(nuevo, hecho_.inicio.cursoHistorico, nombre_, verdadero_);
            std::vector<ListaIds> quitar;
            {
                std::unique_lock<std::mutex> l(m_);
                cambio_.wait(l, [&] { return parar_ || permitida_; });
                if (parar_) detenida();
                quitar.swap(quitar_);
            }
            for (const ListaIds& ids : quitar)
                ejecutarPorPartes(nuevo, QStringLiteral("DELETE FROM EvaluacionHistorica WHERE codAlumno IN({ids})"), ids);
            leerInicio(nuevo, hecho_.inicio);
            hecho_.suspensas = escribirNotas(
                nuevo, *lecturas_, hecho_.inicio, datos_,
                [&](long total) {
                    {
                        std::lock_guard<std::mutex> l(m_);
                        total_ = total;
                    }
                    cambio_.notify_all();
                },
                [&] {
                    {
                        std::lock_guard<std::mutex> l(m_);
                        if (parar_) detenida();
                        ++hechas_;
                    }
                    cambio_.notify_all();
                });
            t.confirmar();
            {
                std::lock_guard<std::mutex> l(m_);
                terminada_ = true;
            }
        } catch (...) {
            std::lock_guard<std::mutex> l(m_);
            fallo_ = std::current_exception();
        }
        cambio_.notify_all();
    }

    const DatosConexion local_, nuevo_;
    const QString nombre_, verdadero_;
    const DatosHistorico datos_;
    std::shared_ptr<LecturasHistorico> lecturas_;
    // The thread's until terminada_, then the step's.
    Hecho hecho_;
    std::mutex m_;
    std::condition_variable cambio_;
    std::vector<ListaIds> quitar_;
    bool permitida_ = false, parar_ = false, terminada_ = false;
    long total_ = -1, hechas_ = 0;
    std::exception_ptr fallo_;
    std::optional<EnMarchaAparte> escritor_;
};

void AdelantarLecturasHistorico(EstadoMotor& e) {
    e.escrituraHistorico.reset();
    e.lecturasHistorico.reset();
    if (CierreParcial()) return;
    e.lecturasHistorico = nuevasLecturas(e);
    // SQLite writes one transaction at a time: its rows wait for the step.
    if (!e.SQLServer() || !e.lecturasHistorico->aparte()) return;
    auto escritura = std::make_shared<EscrituraHistorico>(e, e.lecturasHistorico);
    if (escritura->enMarcha()) e.escrituraHistorico = std::move(escritura);
}

void QuitarDelHistorico(EstadoMotor& e, const ListaIds& alumnos) {
    if (e.escrituraHistorico) e.escrituraHistorico->quitar(alumnos);
    else ejecutarPorPartes(e.conNuevoCentro, QStringLiteral("DELETE FROM EvaluacionHistorica WHERE codAlumno IN({ids})"),
                           alumnos);
}

bool PermitirEscrituraHistorico(EstadoMotor& e) {
    if (e.escrituraHistorico) e.escrituraHistorico->permitir();
    return true;
}

bool PasarHistorico(EstadoMotor& e) {
    // Reads and rows started ahead are this step's, whatever becomes of it.
    std::shared_ptr<LecturasHistorico> lecturas = std::exchange(e.lecturasHistorico, nullptr);
    std::shared_ptr<EscrituraHistorico> escritura = std::exchange(e.escrituraHistorico, nullptr);
    bool resultado = false;
    try {
        Conexion& nuevo = e.conNuevoCentro;
        const auto empezar = [&](long total) {
            QString texto = QStringLiteral("Proceso de Paso de Datos a Histórico");
            if (total > 0) e.avisos->IniciarProgreso(total, texto);
        };
        const auto seccionHecha = [&] { e.avisos->AumentarProgreso(); };
        InicioHistorico inicio;
        std::vector<MateriaSuspensa> suspensas;
        if (escritura) {
            // The promotion came before: whatever it took out of the history
            // has been handed over.
            escritura->permitir();
            EscrituraHistorico::Hecho hecho = escritura->esperar(empezar, seccionHecha);
            inicio = hecho.inicio;
            suspensas = std::move(hecho.suspensas);
        } else {
            bool correcto = false;
            CrearCursoHistorico(e, inicio.cursoHistorico, correcto);
            if (!correcto) {
                e.avisos->CerrarProgreso();
                return false;
            }
            // A partial closing passes the students without their grades.
            if (CierreParcial()) {
                e.avisos->CerrarProgreso();
                return true;
            }
            if (!lecturas) lecturas = nuevasLecturas(e);
            leerInicio(nuevo, inicio);
            suspensas = escribirNotas(nuevo, *lecturas, inicio, datosHistorico(e), empezar, seccionHecha);
        }
        e.pendientes = {};
        const DestinosAlumnos destinos(e);
        for (const MateriaSuspensa& s : suspensas)
            CrearMateriaPendiente(e, s.alumno, s.materia, destinoPendiente(destinos, s.alumno, s.repeticionCuenta));
        EscribirPendientes(e);
        if (!inicio.ordenAlEscribir) RenumerarOrdenHistorico(nuevo);
        ejecutar(nuevo, QStringLiteral("DELETE FROM Profesor_Pte"));
        ejecutar(nuevo, QStringLiteral("DELETE FROM MateriaDetalles WHERE IDMateriaDetalles NOT IN "
                                       "(SELECT DISTINCT codMatDet FROM AlumnoPte_MatDet)"));
        ejecutar(nuevo, QStringLiteral("UPDATE MateriaDetalles SET codPersonal=0, codPersonalAsociado=0"));
        resultado = true;
    } catch (const Error& err) {
        mostrarError(err);
    }
    e.avisos->CerrarProgreso();
    return resultado;
}

}  // namespace ncc::motor
