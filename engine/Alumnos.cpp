// The students of the new school year: promoted and repeating students get
// their destination, the others leave their sections of the wizard's tree and
// become leavers for the purge; then the order within each section (written
// with each student's destination, one rewrite of his row) and the
// seats, the memberships, the evaluation dates and the evaluation rows of the
// new year are rebuilt.
//
// Every change goes to the new year's database; what the students were this
// year is read from the current one. Statements repeated per student carry
// '?' for their values, so each text is prepared once per connection. Facts
// that depend only on a section (its evaluation periods, its memberships) are
// read once per section rather than once per student.
#include "engine/Comun.h"
#include "engine/Historico.h"
#include "engine/ListaIds.h"
#include "engine/Pasos.h"
#include "engine/PurgaFechas.h"
#include "platform/BucleMensajes.h"
#include "platform/Error.h"
#include "platform/InsercionLotes.h"
#include "platform/Mensajes.h"
#include "platform/OrdenEspanol.h"
#include <array>
#include <cmath>
#include <map>
#include <optional>

namespace ncc::motor {

namespace {





// A byte from a text that may be empty: "0" goes in front, so a Null field
// reads as 0 and "7" as 7; what is no number does not convert. Halves round
// to even, as the suite's conversions did.
quint8 byteDeTexto(const QString& texto) {
    bool ok = false;
    const double d = (QStringLiteral("0") + texto).toDouble(&ok);
    if (!ok) throw Error(errores::TipoNoCoincide, QStringLiteral("No coinciden los tipos"));
    const double r = std::nearbyint(d);
    if (r < 0 || r > 255) desbordamiento();
    return quint8(r);
}

QString clave(qint64 id) { return Coleccion<cAlumno>::clave(id); }

// The sections of the closing with their keys, in collection order.
template <class F>
void porSeccion(const EstadoMotor& e, F&& f) {
    const Coleccion<cCurso>& secciones = *e.ColSecciones;
    const int n = secciones.Count();
    for (int i = 1; i <= n; ++i) f(secciones.Clave(i), *secciones.Item(i));
}

// The students of the promoted sections, in collection order. The walk goes
// over a copy of each student list, so a student may leave his list on the way.
template <class F>
void porAlumnoPromocionado(const EstadoMotor& e, F&& f) {
    porSeccion(e, [&](const QString& claveSeccion, cCurso& seccion) {
        if (!seccion.Promocionada()) return;
        const ColeccionAlumnos alumnos = seccion.Alumnos();
        if (!alumnos) return;
        for (const auto& alumno : *alumnos) f(claveSeccion, *alumnos, alumno);
    });
}

void retirar(EstadoMotor& e, Coleccion<cAlumno>& alumnos, const std::shared_ptr<cAlumno>& alumno,
             const QString& claveSeccion) {
    const QString k = clave(alumno->IDAlumno());
    e.colAlumnosRetirados.Add(alumno, k);
    e.SeccionRetirados.insert(alumno->IDAlumno(), claveSeccion);
    alumnos.Remove(k);
}

void avisarInicio(EstadoMotor& e, long maximo, const QString& texto) {
    QString t = texto;
    e.avisos->IniciarProgreso(maximo, t);
}

}  // namespace

// ---------------------------------------------------------------- promotion

bool PromocionarAlumnos(EstadoMotor& e) {
    try {
        Conexion& nuevo = e.conNuevoCentro;
        ListaIds conservados;
        ListaIds cambianTipo;  // their history belongs to the stage they leave

        // The destinations wait for the numbering, which writes each with
        // the student's place (see EstadoMotor::destinosPendientes).
        e.destinosPendientes.clear();
        porAlumnoPromocionado(e, [&](const QString& claveSeccion, Coleccion<cAlumno>& alumnos,
                                     const std::shared_ptr<cAlumno>& a) {
            const qint32 id = a->IDAlumno();
            auto destino = [&](qint64 tipo, qint64 curso, qint64 seccion, int marca) {
                EstadoMotor::DestinoAlumno& d = e.destinosPendientes[id];
                d.tipo = tipo;
                d.curso = curso;
                d.seccion = seccion;
                if (marca != 2) d.marca = marca;
            };
            if (a->SinAsignar()) {
                destino(0, 0, 0, 2);
                retirar(e, alumnos, a, claveSeccion);
            } else if (a->Promociona()) {
                destino(a->NIDTipoEnsenanza(), a->NIDCurso(), a->NIDSeccion(), 0);
                conservados.agregar(id);
                // Leaving stage 6, or going on to stage 7, keeps the history.
                if (a->IDTipoEnsenanza() != a->NIDTipoEnsenanza() && a->IDTipoEnsenanza() != 6 &&
                    a->NIDTipoEnsenanza() != 7)
                    cambianTipo.agregar(id);
            } else if (a->Repite()) {
                destino(a->NIDTipoEnsenanza(), a->NIDCurso(), a->NIDSeccion(), 1);
                conservados.agregar(id);
                if (a->IDTipoEnsenanza() != a->NIDTipoEnsenanza()) cambianTipo.agregar(id);
            } else if (a->Baja()) {
                retirar(e, alumnos, a, claveSeccion);
            }
        });

        QuitarDelHistorico(e, cambianTipo);

        // Everybody not kept leaves (students of unpromoted sections too),
        // except those already enrolled for the new year.
        const QString sql =
            conservados.vacia()
                ? QStringLiteral("SELECT IDAlumno, codFamilia, codDireccion FROM Alumno WHERE Anticipado=0 "
                                 "ORDER BY IDAlumno")
                : QStringLiteral("SELECT IDAlumno, codFamilia, codDireccion FROM Alumno WHERE IDAlumno NOT IN(") +
                      conservados.texto() + QStringLiteral(") AND Anticipado=0 ORDER BY IDAlumno");
        Recordset rs = e.conLocalCentro().Abrir(sql);
        ceder();
        if (!rs.eof()) {
            e.HayBajas = true;
            const int n = int(rs.RecordCount());
            e.IDsAlumnosBaja = QVector<qint32>(n);
            e.CodFamiliasBaja = QVector<qint32>(n);
            e.CodDireccionesBaja = QVector<qint32>(n);
            ListaIds bajas;
            for (int i = 0; !rs.eof(); rs.MoveNext(), ++i) {
                e.IDsAlumnosBaja[i] = qint32(rs.entero(QStringLiteral("IDAlumno")));
                e.CodFamiliasBaja[i] = qint32(rs.entero(QStringLiteral("codFamilia")));
                e.CodDireccionesBaja[i] = qint32(rs.entero(QStringLiteral("codDireccion")));
                bajas.agregar(e.IDsAlumnosBaja[i]);
            }
            e.strIDsAlumnosBaja = bajas.texto();
            QuitarDelHistorico(e, bajas);
            ejecutarPorPartes(nuevo, QStringLiteral("DELETE FROM Alumno WHERE IdAlumno IN ({ids})"), bajas);
            // Nor are they members of any activity there, whatever the
            // activity page said of them (a member of an unpromoted section
            // shows as passing).
            ejecutarPorPartes(nuevo, QStringLiteral("DELETE FROM Alumno_Actividad_Miembro WHERE codAlumno IN ({ids})"),
                              bajas);
        }
        rs.Close();

        // The pre-enrolled become ordinary students of the new year.
        ejecutar(nuevo, QStringLiteral("UPDATE Alumno SET Anticipado=0 WHERE Anticipado=") +
                            QString::number(e.SQLServer() ? 1 : -1));
    } catch (const Error& err) {
        mostrarError(err);
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- order and seats

namespace {

// The seats of overfull sections, gathered for the whole numbering and
// written at its end: nothing else writes them meanwhile, so each section and
// course gets the last value the numbering gave it, in one statement for all.
struct Plazas {
    std::map<qint64, qint64> seccion, curso;  // id: seats, free seats
    void escribir(Conexion& nuevo) {
        FilasPorSentencia secciones(nuevo, QStringLiteral("UPDATE Seccion SET NumPlazas=v.column2 FROM (VALUES {filas}) "
                                                          "AS v WHERE Seccion.IDSeccion=v.column1"));
        for (const auto& [id, plazas] : seccion) secciones.agregar({id, plazas});
        secciones.escribir();
        FilasPorSentencia cursos(nuevo, QStringLiteral("UPDATE Curso SET NumPlazasLibres=v.column2 FROM (VALUES {filas}) "
                                                       "AS v WHERE Curso.IDCurso=v.column1"));
        for (const auto& [id, libres] : curso) cursos.agregar({id, libres});
        cursos.escribir();
    }
};

void AjustarPlazasSeccion(Plazas& plazas, qint16 PlazasLibres, quint8 NumPlazas, quint8 Alumnos, quint8 IDCurso,
                          qint16 IDSeccion, bool& Correcto) {
    Correcto = false;
    try {
        plazas.seccion[IDSeccion] = Alumnos;
        // From the free seats read with the section's first student: two
        // overfull sections of one course each add to that same value.
        const qint16 libres = aEntero16(qint64(PlazasLibres) + (int(Alumnos) - int(NumPlazas)));
        plazas.curso[IDCurso] = libres;
        Correcto = true;
    } catch (const Error& err) {
        mostrarError(err);
    }
}

}  // namespace

namespace {

// One student of the new year as the numbering reads him.
struct FilaNumeracion {
    QVariant ordenTipo, ordenCurso, seccionTexto;
    qint64 seccion = 0;
    orden::ClavePersona persona;
    long long numPlazas = 0, idCurso = 0, plazasLibres = 0;
    // The Spanish sort keys of the section's name and the person's name,
    // made once per row instead of twice per comparison.
    QString claveSeccion, claveNombre;
};

// By teaching type, course, section name (Spanish order, a Null name first)
// and section, then by name in Spanish order and id: a total order that does
// not depend on the back end's collation or on where its rows lie, so two
// sections of one name never interleave and every back end numbers alike.
bool antesEnNumeracion(const FilaNumeracion& a, const FilaNumeracion& b) {
    if (const int c = orden::compararNulosPrimero(a.ordenTipo, b.ordenTipo)) return c < 0;
    if (const int c = orden::compararNulosPrimero(a.ordenCurso, b.ordenCurso)) return c < 0;
    if (a.seccionTexto.isNull() != b.seccionTexto.isNull()) return a.seccionTexto.isNull();
    if (const int c = orden::compararConClaves(a.claveSeccion, a.seccionTexto.toString(), b.claveSeccion, b.seccionTexto.toString()))
        return c < 0;
    if (a.seccion != b.seccion) return a.seccion < b.seccion;
    const int c = orden::compararConClaves(a.claveNombre, a.persona.nombre, b.claveNombre, b.persona.nombre);
    return c != 0 ? c < 0 : a.persona.id < b.persona.id;
}

// A key to join on: Null, or a value that is no number, joins nothing.
std::optional<qint64> claveDe(const QVariant& v) {
    if (v.isNull()) return std::nullopt;
    bool ok = false;
    const qint64 n = v.toLongLong(&ok);
    return ok ? std::optional<qint64>(n) : std::nullopt;
}

// The new year's students in numbering order, each in the section the
// promotion sends him to (the destinations are not written yet). The
// students, sections, courses and teaching types are read on their own and
// joined here, as the statement joining them would (by their keys, a student
// without section, course or teaching type left out).
QVector<FilaNumeracion> leerNumeracion(Conexion& con, const std::map<qint64, EstadoMotor::DestinoAlumno>& destinos) {
    QHash<qint64, QVariant> ordenTipo;
    {
        Recordset rs = con.Abrir(QStringLiteral("SELECT IDTipoEnsenanza, Orden FROM TipoEnsenanza"));
        for (; !rs.eof(); rs.MoveNext())
            if (const auto id = claveDe(rs.campo(0))) ordenTipo.insert(*id, rs.campo(1));
    }
    struct CursoLeido { QVariant orden, libres; };
    QHash<qint64, CursoLeido> cursos;
    {
        Recordset rs = con.Abrir(QStringLiteral("SELECT IDCurso, Orden, NumPlazasLibres FROM Curso"));
        for (; !rs.eof(); rs.MoveNext())
            if (const auto id = claveDe(rs.campo(0))) cursos.insert(*id, {rs.campo(1), rs.campo(2)});
    }
    struct SeccionLeida { std::optional<qint64> curso; QVariant plazas, descripcion; };
    QHash<qint64, SeccionLeida> secciones;
    {
        Recordset rs = con.Abrir(QStringLiteral("SELECT IDSeccion, CodCurso, NumPlazas, Descripcion FROM Seccion"));
        for (; !rs.eof(); rs.MoveNext())
            if (const auto id = claveDe(rs.campo(0))) secciones.insert(*id, {claveDe(rs.campo(1)), rs.campo(2), rs.campo(3)});
    }
    Recordset rs = con.Abrir(QStringLiteral(
        "SELECT IDAlumno, CodSeccion, CodTipoEnsenanza, Apellido_1, Apellido_2, Nombre FROM Alumno"));
    ceder();
    QVector<FilaNumeracion> filas;
    filas.reserve(int(rs.RecordCount()));
    for (; !rs.eof(); rs.MoveNext()) {
        const qint64 alumno = rs.entero(0);
        std::optional<qint64> seccion = claveDe(rs.campo(1)), tipo = claveDe(rs.campo(2));
        if (const auto d = destinos.find(alumno); d != destinos.end()) {
            seccion = d->second.seccion;
            tipo = d->second.tipo;
        }
        if (!seccion || !tipo) continue;
        const auto s = secciones.constFind(*seccion);
        if (s == secciones.cend() || !s->curso) continue;
        const auto c = cursos.constFind(*s->curso);
        const auto t = ordenTipo.constFind(*tipo);
        if (c == cursos.cend() || t == ordenTipo.cend()) continue;
        FilaNumeracion f;
        f.ordenTipo = *t;
        f.ordenCurso = c->orden;
        f.seccionTexto = s->descripcion;
        f.seccion = *seccion;
        f.persona = {orden::nombreParaOrden(rs.campo(3), rs.campo(4), rs.campo(5)), alumno};
        f.numPlazas = Recordset::aEntero(s->plazas);
        f.idCurso = *s->curso;
        f.plazasLibres = Recordset::aEntero(c->libres);
        f.claveSeccion = orden::claveEspanol(f.seccionTexto.toString());
        f.claveNombre = orden::claveEspanol(f.persona.nombre);
        filas.append(std::move(f));
    }
    std::sort(filas.begin(), filas.end(), antesEnNumeracion);
    return filas;
}

// The students' rows of the new year, rewritten once each: a student the
// promotion moves gets his destination, his repeat mark and his place (-1
// when he has none) in one row; any other student only his place, and only
// when it changes. Rows go many students of many sections to a statement.
class EscrituraNumeracion {
public:
    EscrituraNumeracion(Conexion& nuevo, const std::map<qint64, EstadoMotor::DestinoAlumno>& destinos)
        : destinos_(destinos),
          conDestino_(nuevo, QStringLiteral(
              "UPDATE Alumno SET CodTipoEnsenanza=v.column2, CodCurso=v.column3, CodSeccion=v.column4, "
              "Repetidor=CASE v.column5 WHEN 1 THEN -1 WHEN 0 THEN 0 ELSE Alumno.Repetidor END, "
              "OrdenSeccion=CASE WHEN v.column6<0 THEN Alumno.OrdenSeccion ELSE v.column6 END "
              "FROM (VALUES {filas}) AS v WHERE Alumno.IDAlumno=v.column1")),
          lugar_(nuevo, QStringLiteral("UPDATE Alumno SET OrdenSeccion=v.column2 FROM (VALUES {filas}) "
                                       "AS v WHERE Alumno.IDAlumno=v.column1 AND "
                                       "(Alumno.OrdenSeccion IS NULL OR Alumno.OrdenSeccion<>v.column2)")) {}

    void agregar(qint64 alumno, int lugar) {
        const auto d = destinos_.find(alumno);
        if (d == destinos_.end()) {
            lugar_.agregar({alumno, lugar});
            return;
        }
        escritos_.insert(alumno);
        conDestino(alumno, d->second, lugar);
    }

    // The destinations of students with no place, then whatever waits.
    void escribir() {
        for (const auto& [alumno, d] : destinos_)
            if (!escritos_.contains(alumno)) conDestino(alumno, d, -1);
        conDestino_.escribir();
        lugar_.escribir();
    }

private:
    void conDestino(qint64 alumno, const EstadoMotor::DestinoAlumno& d, int lugar) {
        conDestino_.agregar({alumno, d.tipo, d.curso, d.seccion, d.marca, lugar});
    }

    const std::map<qint64, EstadoMotor::DestinoAlumno>& destinos_;
    FilasPorSentencia conDestino_, lugar_;
    QSet<qint64> escritos_;
};

}  // namespace

bool NumerarAlumnosSeccion(EstadoMotor& e) {
    try {
        Conexion& nuevo = e.conNuevoCentro;
        const QVector<FilaNumeracion> filas = leerNumeracion(nuevo, e.destinosPendientes);
        EscrituraNumeracion escritura(nuevo, e.destinosPendientes);
        Plazas plazas;
        for (qsizetype i = 0; i < filas.size();) {
            const FilaNumeracion& grupo = filas.at(i);
            const quint8 idCurso = aByte(grupo.idCurso);
            const qint16 plazasLibres = aEntero16(grupo.plazasLibres);
            const qint16 seccion = aEntero16(grupo.seccion);
            const quint8 numPlazas = aByte(grupo.numPlazas);
            // The 256th student of a section overflows once the first 255
            // have their number, as numbering them one by one did.
            // A student read twice in one section keeps his first place.
            int contador = 0;  // a byte: 255 students at most
            QSet<qint64> numerados;
            for (; i < filas.size() && filas.at(i).seccion == seccion; ++i) {
                if (++contador > 255) {
                    escritura.escribir();
                    desbordamiento();
                }
                const qint64 id = filas.at(i).persona.id;
                if (!numerados.contains(id)) escritura.agregar(id, contador);
                numerados.insert(id);
            }
            if (contador > numPlazas) {
                bool correcto = false;
                AjustarPlazasSeccion(plazas, plazasLibres, numPlazas, quint8(contador), idCurso, seccion, correcto);
                if (!correcto) return false;
            }
        }
        escritura.escribir();
        plazas.escribir(nuevo);
    } catch (const Error& err) {
        mostrarError(err);
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- memberships

bool CrearSeccionAlumno(EstadoMotor& e) {
    try {
        Conexion& local = e.conLocalCentro();
        Conexion& nuevo = e.conNuevoCentro;
        // This year's measures of the students of each section (RE_AC_DIV,
        // diversificación, itinerario) as texts, all read at once when the
        // first repeater needs them.
        using Medidas = std::array<QString, 3>;
        QHash<qint64, QHash<qint64, Medidas>> porSeccion;
        bool leidas = false;
        auto medidasDe = [&](qint64 seccion) -> QHash<qint64, Medidas> {
            if (!leidas) {
                Recordset rs = local.Abrir(QStringLiteral("SELECT CodSeccion, CodAlumno, RE_AC_DIV, diversificacion, itinerario "
                                                          "FROM Seccion_Alumno WHERE CodSeccion IS NOT NULL "
                                                          "ORDER BY CodSeccion, CodAlumno, RE_AC_DIV NULLS FIRST, "
                                                          "diversificacion NULLS FIRST, itinerario NULLS FIRST"));
                ceder();
                for (; !rs.eof(); rs.MoveNext()) {
                    QHash<qint64, Medidas>& m = porSeccion[rs.entero(QStringLiteral("CodSeccion"))];
                    const qint64 alumno = rs.entero(QStringLiteral("CodAlumno"));
                    // With a membership row twice, the first in that order counts.
                    if (m.contains(alumno)) continue;
                    m.insert(alumno, {rs.texto(QStringLiteral("RE_AC_DIV")), rs.texto(QStringLiteral("diversificacion")),
                                      rs.texto(QStringLiteral("itinerario"))});
                }
                leidas = true;
            }
            return porSeccion.value(seccion);
        };

        // Five values a row: a thousand rows to a statement stay far from
        // either back end's limit of bound values.
        InsercionLotes filas(nuevo, QStringLiteral("INSERT INTO Seccion_Alumno VALUES"), QStringLiteral("(?,?,?,?,?)"), 1000);
        porAlumnoPromocionado(e, [&](const QString&, Coleccion<cAlumno>&, const std::shared_ptr<cAlumno>& a) {
            if (a->NIDSeccion() == 0) return;
            quint8 reAcDiv = 0, diversificacion = 0, itinerario = 0;
            // A repeater keeps his measures; a promoted student starts afresh.
            if (a->Repite()) {
                const QHash<qint64, Medidas> medidas = medidasDe(a->IDSeccion());
                const auto it = medidas.constFind(a->IDAlumno());
                if (it != medidas.cend()) {
                    reAcDiv = byteDeTexto((*it)[0]);
                    diversificacion = byteDeTexto((*it)[1]);
                    itinerario = byteDeTexto((*it)[2]);
                }
            }
            filas.agregar({int(a->NIDSeccion()), a->IDAlumno(), int(reAcDiv), int(diversificacion), int(itinerario)});
            ceder();
        });
        filas.vaciar();
    } catch (const Error& err) {
        mostrarError(err);
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- evaluation dates

bool ActualizarFechasEvaluacion(EstadoMotor& e) {
    try {
        // A school shares few dates among its sections: the sections of one
        // period and new date are moved in one statement. A (section,
        // period) read twice keeps the date of its last row, as one update
        // per row left it.
        std::map<std::pair<qint64, qint64>, QString> fechas;
        {
            Recordset rs = e.conLocalCentro().Abrir(
                QStringLiteral("SELECT Fecha, CodSeccion, CodNumEvaluacion FROM Seccion_NumEvaluacion WHERE Fecha<>''"));
            ceder();
            for (; !rs.eof(); rs.MoveNext()) {
                QString fecha = rs.texto(QStringLiteral("Fecha"));
                const QDate d = fechaDeTexto(fecha);
                if (!d.isValid()) throw Error(errores::TipoNoCoincide, QStringLiteral("No coinciden los tipos"));
                fecha.replace(QString::number(d.year()), QString::number(d.year() + 1));
                fechas[{rs.entero(QStringLiteral("CodSeccion")), rs.entero(QStringLiteral("CodNumEvaluacion"))}] = fecha;
            }
        }
        CambiosPorGrupo cambios;
        for (const auto& [clave, fecha] : fechas)
            cambios.agregar(QStringLiteral("UPDATE Seccion_NumEvaluacion SET Fecha=? WHERE CodNumEvaluacion=%1 AND "
                                           "CodSeccion IN({ids})")
                                .arg(clave.second),
                            clave.first, {fecha});
        cambios.escribir(e.conNuevoCentro);
    } catch (const Error& err) {
        mostrarError(err);
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- subjects

bool PasarMateriasAlumnos(EstadoMotor& e) {
    bool enCurso = false;
    try {
        Conexion& nuevo = e.conNuevoCentro;
        // The subjects of the new year are assigned afresh by the school.
        nuevo.Execute(QStringLiteral("DELETE FROM Seccion_MateriaDetalles"));
        nuevo.Execute(QStringLiteral("DELETE FROM Alumno_MateriaDetalles"));
        avisarInicio(e, e.ColSecciones->Count(), QStringLiteral("Proceso de Paso de Materias de los Alumnos"));
        enCurso = true;
        // The repeat marks went with the destinations (NumerarAlumnosSeccion):
        // the bar still walks the sections for whoever watches it.
        porSeccion(e, [&](const QString&, cCurso&) { e.avisos->AumentarProgreso(); });
    } catch (const Error& err) {
        mostrarError(err);
        if (enCurso) e.avisos->CerrarProgreso();
        return false;
    }
    e.avisos->CerrarProgreso();
    return true;
}

// ---------------------------------------------------------------- evaluations

namespace {

// The evaluation periods of a destination section as this year had them.
struct Periodos {
    QVector<qint64> normales;
    QVector<qint64> finales;
    quint8 seguimiento = 0;  // 1: the section's evaluations are followed up
};

// One subject row of a student in the new database.
struct MateriaAlumno {
    qint64 id = 0;         // IDAlumno_MateriaDetalles
    QVariant periodo;      // codNumEvaluacion
    long long tipo = 0;    // codEspecificarTipoMateria
};

// The subject rows of the new database by student, read once: nothing in the
// step writes them, so one read answers what a read per student would.
class MateriasNuevas {
public:
    explicit MateriasNuevas(Conexion& con) : con_(con) {}
    const QVector<MateriaAlumno>& de(qint32 alumno) {
        if (!leidas_) leer();
        static const QVector<MateriaAlumno> ninguna;
        const auto it = porAlumno_.constFind(alumno);
        return it == porAlumno_.cend() ? ninguna : *it;
    }

private:
    void leer() {
        Recordset rs = con_.Abrir(QStringLiteral(
            "SELECT Alumno_MateriaDetalles.codAlumno, Alumno_MateriaDetalles.IDAlumno_MateriaDetalles, "
            "Alumno_MateriaDetalles.codNumEvaluacion, TipoMateria.codEspecificarTipoMateria "
            "FROM Alumno_MateriaDetalles INNER JOIN (MateriaDetalles INNER JOIN TipoMateria "
            "ON MateriaDetalles.codTipoMateria=TipoMateria.IDTipoMateria) ON "
            "Alumno_MateriaDetalles.codMateriaDetalles=MateriaDetalles.IDMateriaDetalles "
            "ORDER BY Alumno_MateriaDetalles.codAlumno, TipoMateria.codEspecificarTipoMateria NULLS FIRST, "
            "Alumno_MateriaDetalles.codNumEvaluacion NULLS FIRST, Alumno_MateriaDetalles.IDAlumno_MateriaDetalles"));
        ceder();
        for (; !rs.eof(); rs.MoveNext()) {
            porAlumno_[qint32(rs.entero(QStringLiteral("codAlumno")))].append(
                {rs.entero(QStringLiteral("IDAlumno_MateriaDetalles")), rs.campo(QStringLiteral("codNumEvaluacion")),
                 rs.entero(QStringLiteral("codEspecificarTipoMateria"))});
        }
        leidas_ = true;
    }
    Conexion& con_;
    bool leidas_ = false;
    QHash<qint32, QVector<MateriaAlumno>> porAlumno_;
};

// Every section's evaluation periods, in period order, and its follow-up
// mark where it has ordinary periods.
QHash<qint64, Periodos> leerPeriodos(Conexion& local) {
    QHash<qint64, Periodos> porSeccion;
    const int verdadero = local.verdadero();
    Recordset rs = local.Abrir(QStringLiteral(
        "SELECT Seccion_NumEvaluacion.CodSeccion, Seccion_NumEvaluacion.CodNumEvaluacion, NumEvaluacion.Final "
        "FROM Seccion_NumEvaluacion, NumEvaluacion WHERE "
        "Seccion_NumEvaluacion.CodNumEvaluacion=NumEvaluacion.IdNumEvaluacion AND NumEvaluacion.Final IN(0,") +
        QString::number(verdadero) +
        QStringLiteral(") ORDER BY Seccion_NumEvaluacion.CodSeccion, Seccion_NumEvaluacion.CodNumEvaluacion"));
    ceder();
    for (; !rs.eof(); rs.MoveNext()) {
        Periodos& p = porSeccion[rs.entero(QStringLiteral("CodSeccion"))];
        (rs.entero(QStringLiteral("Final")) == 0 ? p.normales : p.finales)
            .append(rs.entero(QStringLiteral("CodNumEvaluacion")));
    }
    rs.Close();
    // A section id read twice keeps its first row's mark.
    Recordset seguimiento =
        local.Abrir(QStringLiteral("SELECT IdSeccion, Seguimiento FROM Seccion ORDER BY IdSeccion, Seguimiento NULLS FIRST"));
    ceder();
    QSet<qint64> vistas;
    for (; !seguimiento.eof(); seguimiento.MoveNext()) {
        const qint64 seccion = seguimiento.entero(QStringLiteral("IdSeccion"));
        if (!vistas.contains(seccion) && seguimiento.booleano(QStringLiteral("Seguimiento"))) {
            const auto it = porSeccion.find(seccion);
            if (it != porSeccion.end() && !it->normales.isEmpty()) it->seguimiento = 1;
        }
        vistas.insert(seccion);
    }
    return porSeccion;
}

QString filaEvaluacion() {
    QString s = QStringLiteral("(?,?,?");
    for (int i = 0; i < 11; ++i) s += QStringLiteral(",0");
    return s + QStringLiteral(",?,0)");
}

QString filaEvaluacionActa() {
    QString s = QStringLiteral("(?,?,?");
    for (int i = 0; i < 7; ++i) s += QStringLiteral(",0");
    return s + QStringLiteral(")");
}

// The new year's evaluation rows, written many to a statement.
struct FilasEvaluacion {
    explicit FilasEvaluacion(Conexion& nuevo)
        : evaluacion(nuevo, QStringLiteral("INSERT INTO Evaluacion VALUES"), filaEvaluacion()),
          acta(nuevo, QStringLiteral("INSERT INTO EvaluacionActa VALUES"), filaEvaluacionActa()) {
        // The server writes a batch while the next ones are made.
        evaluacion.escribirDetras();
        acta.escribirDetras();
    }
    InsercionLotes evaluacion, acta;
    void vaciar() {
        evaluacion.vaciar();
        acta.vaciar();
    }
};

void CrearEvaluacionesAlumno(EstadoMotor& e, MateriasNuevas& materias, FilasEvaluacion& filas, const Periodos& periodos,
                             qint32 IDAlumno, quint8 Seguimiento, bool& Correcto) {
    Correcto = false;
    try {
        for (long& contador : e.IDsEvaluacion)
            if (contador == 0) contador = 1;
        auto fila = [&](InsercionLotes& lote, long& contador, qint64 materia, const QVariant& periodo,
                        bool conSeguimiento) {
            QVariantList v{qint64(contador), materia, periodo};
            if (conSeguimiento) v << int(Seguimiento);
            lote.agregar(v);
            ++contador;
        };
        InsercionLotes& evaluacion = filas.evaluacion;
        InsercionLotes& acta = filas.acta;
        for (const MateriaAlumno& m : materias.de(IDAlumno)) {
            switch (m.tipo) {
                case 1:
                    for (qint64 p : periodos.normales) fila(evaluacion, e.IDsEvaluacion[0], m.id, p, true);
                    for (qint64 p : periodos.finales) fila(acta, e.IDsEvaluacion[1], m.id, p, false);
                    break;
                case 2: fila(evaluacion, e.IDsEvaluacion[0], m.id, m.periodo, true); break;
                case 3:
                    for (qint64 p : periodos.normales) fila(evaluacion, e.IDsEvaluacion[0], m.id, p, true);
                    break;
                case 4: fila(acta, e.IDsEvaluacion[1], m.id, m.periodo, false); break;
                default: break;
            }
        }
        Correcto = true;
    } catch (const Error& err) {
        mostrarError(err);
    }
}

}  // namespace

bool PasarNotasEvaluaciones(EstadoMotor& e) {
    bool enCurso = false;
    try {
        Conexion& local = e.conLocalCentro();
        Conexion& nuevo = e.conNuevoCentro;
        long idAlumnoNumEvaluacion = 1;
        avisarInicio(e, e.ColSecciones->Count(),
                     QStringLiteral("Proceso de Paso de Datos de Notas y Evaluaciones de los Alumnos"));
        enCurso = true;

        // Periods and follow-up depend on the destination section only;
        // every section's are read at once.
        const QHash<qint64, Periodos> periodos = leerPeriodos(local);
        static const Periodos sinPeriodos;
        auto periodosDe = [&](qint64 seccion) -> const Periodos& {
            const auto it = periodos.constFind(seccion);
            return it == periodos.cend() ? sinPeriodos : *it;
        };

        MateriasNuevas materias(nuevo);
        FilasEvaluacion evaluaciones(nuevo);
        QString fila = QStringLiteral("(?,?,?");
        for (int i = 0; i < 6; ++i) fila += QStringLiteral(",0");
        fila += QStringLiteral(")");
        // Three values a row: a thousand rows to a statement stay far from
        // either back end's limit of bound values.
        InsercionLotes periodosAlumno(nuevo, QStringLiteral("INSERT INTO Alumno_NumEvaluacion VALUES"), fila, 1000);
        periodosAlumno.escribirDetras();

        bool correcto = true;
        const Coleccion<cCurso>& secciones = *e.ColSecciones;
        for (int i = 1; i <= secciones.Count() && correcto; ++i) {
            const auto seccion = secciones.Item(i);
            const ColeccionAlumnos alumnos = seccion->Alumnos();
            if (seccion->Promocionada() && alumnos) {
                for (const auto& a : *alumnos) {
                    if (a->NIDSeccion() == 0) continue;
                    const Periodos& p = periodosDe(a->NIDSeccion());
                    for (const QVector<qint64>* lista : {&p.normales, &p.finales})
                        for (qint64 periodo : *lista)
                            periodosAlumno.agregar({qint64(idAlumnoNumEvaluacion++), a->IDAlumno(), periodo});
                    ceder();
                    if (p.normales.size() + p.finales.size() > 0) {
                        CrearEvaluacionesAlumno(e, materias, evaluaciones, p, a->IDAlumno(), p.seguimiento, correcto);
                        if (!correcto) break;
                    }
                }
            }
            // The rows go out in full batches across sections; a section
            // counts as done once its rows are gathered.
            if (correcto) e.avisos->AumentarProgreso();
        }
        if (correcto) {
            periodosAlumno.vaciar();
            evaluaciones.vaciar();
        }
        e.avisos->CerrarProgreso();
        return correcto;
    } catch (const Error& err) {
        mostrarError(err);
        if (enCurso) e.avisos->CerrarProgreso();
        return false;
    }
}

// ---------------------------------------------------------------- final phase

bool QuitarDelegados(EstadoMotor& e) {
    try {
        ejecutar(e.conNuevoCentro, QStringLiteral("UPDATE Seccion SET codDelegado=0, codSubdelegado=0"));
    } catch (const Error& err) {
        mostrarError(err);
        return false;
    }
    return true;
}

bool PasoVacio(EstadoMotor&) { return true; }

bool QuitarMarcaAnticipado(EstadoMotor& e) {
    try {
        // -1 on every back end: the marks written as the server's true were
        // already cleared with the students' promotion.
        ejecutar(e.conNuevoCentro, QStringLiteral("UPDATE Alumno SET Anticipado=0 WHERE Anticipado=-1"));
    } catch (const Error& err) {
        mostrarError(err);
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- rollback

void RestaurarAlumnosSecciones(EstadoMotor& e) {
    try {
        for (const auto& a : e.colAlumnosRetirados) {
            const QString claveSeccion = e.SeccionRetirados.value(a->IDAlumno(), clave(a->IDSeccion()));
            const ColeccionAlumnos alumnos = e.ColSecciones->Item(claveSeccion)->Alumnos();
            const QString k = clave(a->IDAlumno());
            if (alumnos->contiene(k)) continue;  // already back
            // Each student goes before the first one loaded after him, so a
            // list restored in any order is the list as it was loaded; a
            // student of Orden 1 goes to the front.
            int posicion = alumnos->Count() + 1;
            for (int i = 1; i <= alumnos->Count(); ++i) {
                if (alumnos->Item(i)->Orden() > a->Orden()) {
                    posicion = i;
                    break;
                }
            }
            alumnos->Insertar(posicion, a, k);
        }
    } catch (const Error& err) {
        mostrarError(err);
        avisar(707, Icono::Critico);
    }
}

}  // namespace ncc::motor
