#include "history/EdicionHistorico.h"
#include "entry/Rango.h"
#include "platform/OrdenEspanol.h"
#include "platform/Mensajes.h"
#include "platform/Textos.h"
#include <QDate>
#include <QLocale>
#include <algorithm>

namespace ncc {

namespace {

constexpr int MensajeErrorInsercion = 7051;

// The historic table keeps its flags as -1 and 0 on both back ends.
int flag(bool b) { return b ? -1 : 0; }

// A taken key: SQLite's constraint codes (basic, primary key, unique) and
// the server's SQLSTATE 23505.
bool esClaveDuplicada(const Error& e) {
    switch (e.numero()) {
    case 19: case 1555: case 2067: case 23505: return true;
    default: break;
    }
    return e.descripcion().contains(QLatin1String("UNIQUE constraint"), Qt::CaseInsensitive) ||
           e.descripcion().contains(QLatin1String("duplicate key"), Qt::CaseInsensitive);
}

QString nombreCompleto(const Recordset& r) {
    return r.texto(QStringLiteral("apellido_1")) + QLatin1Char(' ') + r.texto(QStringLiteral("apellido_2")) +
           QStringLiteral(", ") + r.texto(QStringLiteral("nombre"));
}

}  // namespace

EdicionHistorico::EdicionHistorico(Conexion& con, const CursoHistorico& curso) : con_(con), curso_(curso) {}

bool EdicionHistorico::antesEnEspanol(const QString& a, const QString& b) { return orden::antesEnEspanol(a, b); }

void EdicionHistorico::Cargar() {
    Cargar_Materias_Curso();
    cargar_alumnos_curso();
}

void EdicionHistorico::Cargar_Materias_Curso() {
    colMaterias_.Clear();
    const QString anio = QString::number(curso_.intCursoEscHistorico);
    const QString tipo = QString::number(curso_.intTipoEnsenanza);
    const QString curso = QString::number(curso_.intCurso);
    struct Fila {
        qint16 id;
        QString nombre;
        bool optativa;
    };
    auto leer = [&](const QString& sql) {
        QList<Fila> filas;
        for (Recordset r = con_.Abrir(sql); !r.eof(); r.MoveNext())
            filas.append({acotar<qint16>(r.entero(QStringLiteral("IDMateria"))), r.texto(QStringLiteral("Nombre")),
                          r.booleano(QStringLiteral("Optativa"))});
        std::stable_sort(filas.begin(), filas.end(),
                         [](const Fila& a, const Fila& b) { return antesEnEspanol(a.nombre, b.nombre); });
        return filas;
    };
    auto agregar = [&](const Fila& f, quint8 estado, bool confirmar) {
        auto m = std::make_shared<cMateria>();
        m->setNombre(f.optativa ? f.nombre + QStringLiteral(" (Optativa)") : f.nombre);
        m->setIDMateria(f.id);
        m->setOptativa(f.optativa);
        m->setAnterior(estado);
        m->setActual(estado);
        m->setConfirmar(confirmar);
        colMaterias_.Add(m, f.id);
    };
    // The subjects with rows in the course, then the others of the teaching
    // type that a course may take.
    for (const Fila& f : leer(QStringLiteral("SELECT IDMateria, Nombre, Optativa FROM Materia WHERE "
                                             "IdMateria IN(SELECT codMateria FROM EvaluacionHistorica "
                                             "WHERE CodCursoEscolarhistorico=%1 AND Codtipoensenanza=%2 AND codcurso=%3) "
                                             "ORDER BY nombre, IDMateria")
                                  .arg(anio, tipo, curso)))
        agregar(f, 0, true);
    for (const Fila& f : leer(QStringLiteral("SELECT idmateria, nombre, optativa FROM materia WHERE codtipoensenanza=%2 "
                                             "AND idmateria NOT IN (SELECT codmateria FROM evaluacionhistorica WHERE "
                                             "codtipoensenanza=%2 AND codcurso=%3 AND codcursoescolarhistorico=%1) "
                                             "AND codtipomateria IN (SELECT idtipomateria FROM tipomateria WHERE "
                                             "Codespecificartipomateria=1 OR CodEspecificarTipoMateria=4) "
                                             "ORDER BY Nombre, idmateria")
                                  .arg(anio, tipo, curso)))
        agregar(f, 3, false);
}

void EdicionHistorico::cargar_alumnos_curso() {
    colAlumnos_.Clear();
    const QString donde = QStringLiteral("codcursoescolarhistorico=%1 AND codtipoensenanza=%2 AND codcurso=%3")
                              .arg(curso_.intCursoEscHistorico)
                              .arg(curso_.intTipoEnsenanza)
                              .arg(curso_.intCurso);
    struct Fila {
        qint32 id;
        QString nombre;
    };
    QList<Fila> alumnos;
    for (Recordset r = con_.Abrir(QStringLiteral("SELECT apellido_1,apellido_2,nombre,idalumno FROM Alumno WHERE "
                                                 "idalumno IN (SELECT codalumno FROM EvaluacionHistorica WHERE %1) "
                                                 "ORDER BY apellido_1,apellido_2,nombre,idalumno")
                                      .arg(donde));
         !r.eof(); r.MoveNext())
        alumnos.append({acotar<qint32>(r.entero(QStringLiteral("idalumno"))), nombreCompleto(r)});
    std::stable_sort(alumnos.begin(), alumnos.end(),
                     [](const Fila& a, const Fila& b) { return antesEnEspanol(a.nombre, b.nombre); });

    QHash<qint32, std::shared_ptr<cAlumnoHistorico>> porId;
    for (const Fila& f : alumnos) {
        auto a = std::make_shared<cAlumnoHistorico>();
        a->setNombre(f.nombre);
        a->setIDAlumno(f.id);
        a->setIDCurso(curso_.intCurso);
        a->setIDCursoEscHistorico(curso_.intCursoEscHistorico);
        a->setIDCursoescolar(0);
        a->setTipoEnsenanza(curso_.intTipoEnsenanza);
        colAlumnos_.Add(a, f.id);
        porId.insert(f.id, a);
    }

    // The subjects of every student in one read instead of one per student
    // and subject: each (student, subject) takes its first row in Orden
    // order, and the student-level values come from the last subject read.
    Recordset r = con_.Abrir(
        QStringLiteral("SELECT e.codalumno, e.codmateria, m.nombre, e.codnota, e.promocion, e.re_ac_div, "
                       "e.codNumEvaluacion, e.fechaevaluacion, e.repite, e.materiapendiente, e.orden, "
                       "e.PromocionPCPI, e.PromocionDiversificacion FROM evaluacionhistorica e "
                       "INNER JOIN materia m ON m.idmateria=e.codmateria WHERE e.%1 "
                       "ORDER BY e.codalumno, e.codmateria, e.Orden, e.IDEvaluacionHistorica")
            .arg(QString(donde).replace(QLatin1String(" AND "), QLatin1String(" AND e."))));
    for (; !r.eof(); r.MoveNext()) {
        const auto a = porId.value(acotar<qint32>(r.entero(QStringLiteral("codalumno"))));
        if (!a) continue;
        const qint16 idMateria = acotar<qint16>(r.entero(QStringLiteral("codmateria")));
        if (a->Materias()->contiene(Coleccion<cMateria>::clave(idMateria))) continue;
        a->setPromocion(acotar<quint8>(r.entero(QStringLiteral("promocion"))));
        a->setPromocionDiversificacion(r.booleano(QStringLiteral("PromocionDiversificacion")));
        a->setPromocionPCPI(r.booleano(QStringLiteral("PromocionPCPI")));
        a->setRepite(r.booleano(QStringLiteral("repite")));
        if (r.booleano(QStringLiteral("materiapendiente"))) a->setPendiente(true);
        auto m = std::make_shared<cMateria>();
        m->setIDMateria(idMateria);
        m->setNombre(r.texto(QStringLiteral("nombre")));
        m->setIDNota(acotar<qint32>(r.entero(QStringLiteral("codnota"))));
        m->setIDReacdiv(acotar<quint8>(r.entero(QStringLiteral("re_ac_div"))));
        m->setNumEvaluacion(acotar<qint16>(r.entero(QStringLiteral("codnumevaluacion"))));
        m->setFechaEvaluacion(FechaAPantalla(r.texto(QStringLiteral("fechaevaluacion"))));
        m->setOrden(acotar<quint8>(r.entero(QStringLiteral("orden"))));
        a->Materias()->Add(m, idMateria);
    }
}

// ---------------------------------------------------------------- the save

bool EdicionHistorico::Guardar() {
    if (curso_.blnSoloLectura) return false;
    try {
        Transaccion t(con_);
        for (const auto& a : colAlumnos_) {
            switch (a->Actual()) {
            case 0:
                GuardarMateriasAlumno(*a);
                enFila([&] {
                    con_.Execute(QStringLiteral("UPDATE EvaluacionHistorica SET Repite=? WHERE codalumno=? AND "
                                                "codcursoescolarhistorico=?"),
                                 {flag(a->Repite()), a->IDAlumno(), curso_.intCursoEscHistorico});
                });
                break;
            case 1:
                // The student's rows of the year go only when they did: a
                // failed delete keeps his new subjects out as well.
                if (a->Confirmar() && !enFila([&] {
                        con_.Execute(QStringLiteral("DELETE FROM evaluacionhistorica WHERE codalumno=? AND "
                                                    "codcursoescolarhistorico=?"),
                                     {a->IDAlumno(), curso_.intCursoEscHistorico});
                    }))
                    break;
                GuardarMateriasAlumno(*a);
                break;
            default:
                enFila([&] {
                    con_.Execute(QStringLiteral("DELETE FROM EvaluacionHistorica WHERE codcursoescolarhistorico=? AND "
                                                "codtipoensenanza=? AND codcurso=? AND codalumno=?"),
                                 {curso_.intCursoEscHistorico, int(a->TipoEnsenanza()), a->IDCurso(), a->IDAlumno()});
                });
                break;
            }
        }
        t.confirmar();
        return true;
    } catch (const Error& e) {
        mostrarError(e);
    }
    return false;
}

// One row's change under a savepoint: when it fails, only that change is
// lost and the secretary is told (7051 for a row that could not be
// inserted, the standard message otherwise), and the save goes on, so that
// a row that can never be written does not keep the others from being
// saved. A failure of the savepoints themselves ends the save, undone.
bool EdicionHistorico::enFila(const std::function<void()>& cambio) {
    con_.Execute(QStringLiteral("SAVEPOINT fila_historica"));
    try {
        cambio();
        con_.Execute(QStringLiteral("RELEASE SAVEPOINT fila_historica"));
        return true;
    } catch (const Error& e) {
        con_.Execute(QStringLiteral("ROLLBACK TO SAVEPOINT fila_historica"));
        con_.Execute(QStringLiteral("RELEASE SAVEPOINT fila_historica"));
        if (dynamic_cast<const ErrorInsercionHistorica*>(&e)) avisar(MensajeErrorInsercion, Icono::Critico);
        else mostrarError(e);
        return false;
    }
}

void EdicionHistorico::GuardarMateriasAlumno(const cAlumnoHistorico& alumno) {
    for (const auto& m : *alumno.Materias()) {
        switch (m->Actual()) {
        case 1:
            if (m->Anterior() != 0) enFila([&] { insertarFila(alumno, *m); });
            break;
        case 2:
            if (m->Anterior() == 0) enFila([&] { borrarFilas(alumno, *m); });
            break;
        case 3:
            if (m->Anterior() != 0) enFila([&] { insertarFila(alumno, *m); });
            else enFila([&] { actualizarFilas(alumno, *m); });
            break;
        default:
            break;
        }
    }
}

// Runs inside the row's savepoint. An id that another session took
// meanwhile is read again and the insert repeated, a bounded number of
// times; any other failure, or the last collision, is message 7051.
void EdicionHistorico::insertarFila(const cAlumnoHistorico& a, const cMateria& m) {
    static const QString insercion = QStringLiteral(
        "INSERT INTO EvaluacionHistorica VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    // The server abandons a transaction at its first failed statement: each
    // attempt stands alone under a savepoint of its own.
    for (int intento = 1; intento <= IntentosInsercion; ++intento) {
        Recordset r = con_.Abrir(QStringLiteral("SELECT MAX(idEvaluacionHistorica) AS Maximo FROM EvaluacionHistorica"));
        const long long id = (r.eof() || r.esNulo(QStringLiteral("Maximo"))) ? 1 : r.entero(QStringLiteral("Maximo")) + 1;
        con_.Execute(QStringLiteral("SAVEPOINT intento_historica"));
        try {
            con_.Execute(insercion, {id, a.IDAlumno(), m.IDMateria(), a.IDCursoescolar(), int(a.TipoEnsenanza()), a.IDCurso(),
                                     m.IDNota(), int(m.IDReacdiv()), int(a.Promocion()), m.NumEvaluacion(), a.IDCursoEscHistorico(),
                                     FechaABaseDatos(m.FechaEvaluacion()), flag(a.Pendiente()), flag(a.Repite()),
                                     int(m.Orden()), flag(a.PromocionPCPI()), flag(a.PromocionDiversificacion())});
            con_.Execute(QStringLiteral("RELEASE SAVEPOINT intento_historica"));
            return;
        } catch (const Error& e) {
            con_.Execute(QStringLiteral("ROLLBACK TO SAVEPOINT intento_historica"));
            con_.Execute(QStringLiteral("RELEASE SAVEPOINT intento_historica"));
            if (!esClaveDuplicada(e)) break;
        }
    }
    throw ErrorInsercionHistorica(Texto(MensajeErrorInsercion));
}

// The ids are bound too: one prepared text serves every row of the save.
void EdicionHistorico::actualizarFilas(const cAlumnoHistorico& a, const cMateria& m) {
    con_.Execute(QStringLiteral("UPDATE EvaluacionHistorica SET CodNota=?,RE_AC_DIV=?,Promocion=?,PromocionPCPI=?,"
                                "PromocionDiversificacion=?,MateriaPendiente=?,codNumEvaluacion=?,Fechaevaluacion=?,"
                                "Repite=?,Orden=? WHERE codalumno=? AND codcursoescolarhistorico=? AND "
                                "codtipoensenanza=? AND codcurso=? AND codmateria=?"),
                 {m.IDNota(), int(m.IDReacdiv()), int(a.Promocion()), flag(a.PromocionPCPI()), flag(a.PromocionDiversificacion()),
                  flag(a.Pendiente()), m.NumEvaluacion(), FechaABaseDatos(m.FechaEvaluacion()), flag(a.Repite()),
                  int(m.Orden()), a.IDAlumno(), a.IDCursoEscHistorico(), int(a.TipoEnsenanza()), a.IDCurso(), m.IDMateria()});
}

void EdicionHistorico::borrarFilas(const cAlumnoHistorico& a, const cMateria& m) {
    con_.Execute(QStringLiteral("DELETE FROM EvaluacionHistorica WHERE codalumno=? AND codcursoescolarhistorico=? "
                                "AND codtipoensenanza=? AND codcurso=? AND codmateria=?"),
                 {a.IDAlumno(), a.IDCursoEscHistorico(), int(a.TipoEnsenanza()), a.IDCurso(), m.IDMateria()});
}

// ---------------------------------------------------------------- dates

QString EdicionHistorico::FechaABaseDatos(const QString& fecha) {
    // An empty date is stored as an empty text, never as Null.
    if (fecha.isEmpty()) return QStringLiteral("");
    return fecha.right(4) + QLatin1Char('/') + fecha.mid(3, 2) + QLatin1Char('/') + fecha.left(2);
}

QString EdicionHistorico::FechaAPantalla(const QString& fecha) {
    if (fecha.isEmpty()) return fecha;
    return fecha.right(2) + QLatin1Char('/') + fecha.mid(5, 2) + QLatin1Char('/') + fecha.left(4);
}

bool EdicionHistorico::fechaValida(const QString& fecha) {
    return fecha.isEmpty() || QDate::fromString(fecha, QStringLiteral("dd/MM/yyyy")).isValid();
}

// ---------------------------------------------------------------- copies

void EdicionHistorico::copiar_coleccion_materias(const Coleccion<cMateria>& origen, Coleccion<cMateria>& destino) {
    for (const auto& m : origen) {
        auto c = std::make_shared<cMateria>();
        c->setOrden(m->Orden());
        c->setOptativa(m->Optativa());
        c->setIDMateria(m->IDMateria());
        c->setIDNota(m->IDNota());
        c->setIDReacdiv(m->IDReacdiv());
        c->setNombre(m->Nombre());
        c->setFechaEvaluacion(m->FechaEvaluacion());
        c->setNumEvaluacion(m->NumEvaluacion());
        c->setAnterior(m->Anterior());
        c->setActual(m->Actual());
        c->setConfirmar(m->Confirmar());
        destino.Add(c, m->IDMateria());
    }
}

std::shared_ptr<cAlumnoHistorico> EdicionHistorico::copiarAlumno(const cAlumnoHistorico& a) {
    auto c = std::make_shared<cAlumnoHistorico>();
    c->setIDCursoEscHistorico(a.IDCursoEscHistorico());
    c->setNombre(a.Nombre());
    c->setIDAlumno(a.IDAlumno());
    c->setIDCursoescolar(a.IDCursoescolar());
    c->setTipoEnsenanza(a.TipoEnsenanza());
    copiar_coleccion_materias(*a.Materias(), *c->Materias());
    c->setIDCurso(a.IDCurso());
    c->setPromocion(a.Promocion());
    c->setAnterior(a.Anterior());
    c->setActual(a.Actual());
    c->setRepetido(a.Repetido());
    c->setConfirmar(a.Confirmar());
    c->setRepite(a.Repite());
    c->setPendiente(a.Pendiente());
    c->setPromocionPCPI(a.PromocionPCPI());
    c->setPromocionDiversificacion(a.PromocionDiversificacion());
    return c;
}

void EdicionHistorico::copiarColeccionAlumnos(const Coleccion<cAlumnoHistorico>& origen,
                                              Coleccion<cAlumnoHistorico>& destino) {
    for (const auto& a : origen) destino.Add(copiarAlumno(*a), a->IDAlumno());
}

// ---------------------------------------------------------------- texts and lists

QString EdicionHistorico::textoDe(const QString& sql) {
    try {
        Recordset r = con_.Abrir(sql);
        return r.eof() ? QString() : r.campo(0).toString();
    } catch (const Error&) {
        return {};
    }
}

QString EdicionHistorico::nombreCursoEscolarHistorico() {
    return textoDe(QStringLiteral("SELECT Nombre FROM CursoEscolarHistorico WHERE IDCursoEscolarHistorico=%1")
                       .arg(curso_.intCursoEscHistorico));
}

QString EdicionHistorico::nombreCurso() {
    return textoDe(QStringLiteral("SELECT Descripcion FROM Curso WHERE IDCurso=%1").arg(curso_.intCurso));
}

QString EdicionHistorico::nombreTipoEnsenanza() {
    return textoDe(QStringLiteral("SELECT Nombre FROM TipoEnsenanza WHERE IDTipoEnsenanza=%1").arg(curso_.intTipoEnsenanza));
}

QString EdicionHistorico::nombreAlumno(qint32 idAlumno) {
    try {
        Recordset r = con_.Abrir(
            QStringLiteral("SELECT apellido_1,apellido_2,Nombre FROM Alumno WHERE idalumno=%1").arg(idAlumno));
        return r.eof() ? QString() : nombreCompleto(r);
    } catch (const Error&) {
        return {};
    }
}

QString EdicionHistorico::descripcionNota(qint32 idNota) {
    if (idNota == 0) return {};
    auto it = notas_.constFind(idNota);
    if (it != notas_.cend()) return *it;
    const QString t = textoDe(QStringLiteral("SELECT descripcion FROM nota WHERE idnota=%1").arg(idNota));
    notas_.insert(idNota, t);
    return t;
}

QString EdicionHistorico::descripcionNumEvaluacion(qint32 idNumEvaluacion) {
    auto it = evaluaciones_.constFind(idNumEvaluacion);
    if (it != evaluaciones_.cend()) return *it;
    const QString t = textoDe(
        QStringLiteral("SELECT descripcion FROM numevaluacion WHERE idnumevaluacion=%1").arg(idNumEvaluacion));
    evaluaciones_.insert(idNumEvaluacion, t);
    return t;
}

QString EdicionHistorico::textoReacdiv(int codigo) {
    switch (codigo) {
    case 1: return QStringLiteral("Refuerzo Educativo");
    case 2: return QStringLiteral("Adaptación curricular");
    case 3: return QStringLiteral("Diversificación");
    default: return {};
    }
}

int EdicionHistorico::ordenCurso() {
    return textoDe(QStringLiteral("SELECT Orden FROM Curso WHERE idCurso=%1").arg(curso_.intCurso)).toInt();
}

QPair<bool, bool> EdicionHistorico::medidasCurso() {
    try {
        Recordset r = con_.Abrir(QStringLiteral("SELECT RE_AC,Diversificacion FROM Curso WHERE IdCurso=%1").arg(curso_.intCurso));
        if (r.eof()) return {false, false};
        return {r.booleano(QStringLiteral("RE_AC")), r.booleano(QStringLiteral("Diversificacion"))};
    } catch (const Error&) {
        return {false, false};
    }
}

QList<ElementoLista> EdicionHistorico::notasMateria() {
    QList<ElementoLista> l;
    // The flags are stored as the back end's true: compared with <>0 they
    // match on both.
    for (Recordset r = con_.Abrir(
             QStringLiteral("SELECT idnota,descripcion FROM Nota WHERE CodSistemaCalificacion IN "
                            "(SELECT idSistemaCalificacion FROM SistemaCalificacion WHERE CodTipoEnsenanza=%1) AND "
                            "codtiponota IN (SELECT idtiponota FROM tiponota WHERE orden=1 AND abreviatura<>0 AND "
                            "evaluacion<>0 AND materia<>0) ORDER BY descripcion, idnota")
                 .arg(curso_.intTipoEnsenanza));
         !r.eof(); r.MoveNext())
        l.append({acotar<qint32>(r.entero(QStringLiteral("idnota"))), r.texto(QStringLiteral("descripcion"))});
    std::stable_sort(l.begin(), l.end(), [](const ElementoLista& a, const ElementoLista& b) {
        return antesEnEspanol(a.second, b.second);
    });
    return l;
}

QList<ElementoLista> EdicionHistorico::evaluacionesFinales() {
    QList<ElementoLista> l;
    for (Recordset r = con_.Abrir(QStringLiteral("SELECT idNumEvaluacion,Descripcion,Final FROM NumEvaluacion WHERE "
                                                 "Final<>0 ORDER BY Orden, idNumEvaluacion"));
         !r.eof(); r.MoveNext())
        l.append({acotar<qint32>(r.entero(QStringLiteral("idNumEvaluacion"))), r.texto(QStringLiteral("Descripcion"))});
    return l;
}

long long EdicionHistorico::filasEnOtroCurso(qint32 idAlumno) {
    Recordset r = con_.Abrir(QStringLiteral("SELECT count(idevaluacionhistorica) AS contador FROM evaluacionhistorica "
                                            "WHERE codalumno=%1 AND codcursoescolarhistorico=%2 AND "
                                            "(codtipoensenanza<>%3 OR codcurso<>%4)")
                                 .arg(idAlumno)
                                 .arg(curso_.intCursoEscHistorico)
                                 .arg(curso_.intTipoEnsenanza)
                                 .arg(curso_.intCurso));
    return r.eof() ? 0 : r.entero(QStringLiteral("contador"));
}

}  // namespace ncc
