#include "host/InformeCierre.h"
#include "engine/PurgaFechas.h"
#include "host/InformePdf.h"
#include "platform/EscrituraArchivo.h"
#include "platform/Conexion.h"
#include "platform/Error.h"
#include "platform/OrdenEspanol.h"
#include "platform/Reloj.h"
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QStandardPaths>
#include <algorithm>
#include <optional>

namespace ncc::host {

namespace {

// The connections of the run: the state hands them out const, reading
// them does not change the state.
Conexion& nueva(const motor::EstadoMotor& e) { return const_cast<Conexion&>(e.conNuevoCentro); }

QString unir(const QStringList& partes) {
    QStringList l;
    for (const QString& p : partes)
        if (!p.trimmed().isEmpty()) l << p.trimmed();
    return l.join(QLatin1Char(' '));
}

// "yyyy/mm/dd" as a secretary reads it; any other text as it is.
QString fechaLegible(const QString& texto) {
    const QDate d = motor::fechaDeTexto(texto);
    return d.isValid() ? d.toString(QStringLiteral("dd/MM/yyyy")) : texto.trimmed();
}

// What a school database says of its teaching: the names of teaching
// types, courses and sections, and the order of sections on a list.
struct Ensenanza {
    struct Seccion {
        QString nombre, descripcion, tipo;
        qint64 curso = 0;
        long ordenTipo = 0, ordenCurso = 0, plazas = 0;
    };
    QHash<qint64, QString> tipos, cursos;  // course: "Educación Primaria 1º"
    QHash<qint64, Seccion> secciones;      // section: "Educación Primaria 1º A"

    static const Seccion& sinSeccion() {
        static const Seccion ninguna;
        return ninguna;
    }

    static Ensenanza leer(Conexion& con) {
        Ensenanza en;
        QHash<qint64, long> ordenTipos;
        for (Recordset rs = con.Abrir(QStringLiteral("SELECT IDTipoEnsenanza, Nombre, Orden FROM TipoEnsenanza")); !rs.eof();
             rs.MoveNext()) {
            en.tipos.insert(rs.entero(QStringLiteral("IDTipoEnsenanza")), rs.texto(QStringLiteral("Nombre")).trimmed());
            ordenTipos.insert(rs.entero(QStringLiteral("IDTipoEnsenanza")), static_cast<long>(rs.entero(QStringLiteral("Orden"))));
        }
        QHash<qint64, std::pair<long, long>> ordenCursos;
        QHash<qint64, qint64> tipoDeCurso;
        for (Recordset rs = con.Abrir(QStringLiteral("SELECT IDCurso, Descripcion, CodTipoEnsenanza, Orden FROM Curso")); !rs.eof();
             rs.MoveNext()) {
            const qint64 tipo = rs.entero(QStringLiteral("CodTipoEnsenanza"));
            en.cursos.insert(rs.entero(QStringLiteral("IDCurso")), unir({en.tipos.value(tipo), rs.texto(QStringLiteral("Descripcion"))}));
            tipoDeCurso.insert(rs.entero(QStringLiteral("IDCurso")), tipo);
            ordenCursos.insert(rs.entero(QStringLiteral("IDCurso")),
                               {ordenTipos.value(tipo), static_cast<long>(rs.entero(QStringLiteral("Orden")))});
        }
        for (Recordset rs = con.Abrir(QStringLiteral("SELECT IDSeccion, Descripcion, CodCurso, NumPlazas FROM Seccion")); !rs.eof();
             rs.MoveNext()) {
            Seccion s;
            s.curso = rs.entero(QStringLiteral("CodCurso"));
            s.descripcion = rs.texto(QStringLiteral("Descripcion")).trimmed();
            s.nombre = unir({en.cursos.value(s.curso), s.descripcion});
            s.tipo = en.tipos.value(tipoDeCurso.value(s.curso));
            s.ordenTipo = ordenCursos.value(s.curso).first;
            s.ordenCurso = ordenCursos.value(s.curso).second;
            s.plazas = static_cast<long>(rs.entero(QStringLiteral("NumPlazas")));
            en.secciones.insert(rs.entero(QStringLiteral("IDSeccion")), s);
        }
        return en;
    }

    QString nombreSeccion(qint64 id) const {
        if (const auto it = secciones.constFind(id); it != secciones.constEnd() && !it->nombre.isEmpty()) return it->nombre;
        return QStringLiteral("Sección %1").arg(id);
    }

    // Where a student of the new year is: his section, or as far as his
    // destination goes.
    QString destino(qint64 tipo, qint64 curso, qint64 seccion) const {
        if (seccion != 0) return nombreSeccion(seccion);
        if (curso != 0) return cursos.value(curso, QStringLiteral("Curso %1").arg(curso)) + QStringLiteral(" (sin sección)");
        if (tipo != 0) return tipos.value(tipo, QStringLiteral("Enseñanza %1").arg(tipo)) + QStringLiteral(" (sin curso)");
        return QStringLiteral("sin curso ni sección");
    }

    // Sections in the order of the school's lists.
    bool antes(qint64 a, qint64 b) const {
        const auto ia = secciones.constFind(a), ib = secciones.constFind(b);
        const Seccion& sa = ia == secciones.cend() ? sinSeccion() : *ia;
        const Seccion& sb = ib == secciones.cend() ? sinSeccion() : *ib;
        if (sa.ordenTipo != sb.ordenTipo) return sa.ordenTipo < sb.ordenTipo;
        if (sa.ordenCurso != sb.ordenCurso) return sa.ordenCurso < sb.ordenCurso;
        if (const int c = orden::compararEspanol(sa.descripcion, sb.descripcion); c != 0) return c < 0;
        return a < b;
    }
};

enum class Paso { Promociona, Repite, Baja };

// What was decided for a student, as the run reads the decisions.
struct Decision {
    Paso paso = Paso::Baja;
    qint64 tipo = 0, curso = 0, seccion = 0;
};

// A student of the closed year as the databases hold him after the run.
struct AlumnoCerrado {
    QString nombre;
    orden::ClavePersona clave;
    qint64 seccion = 0;
    bool anticipado = false;
};

struct AlumnoNuevo {
    qint64 tipo = 0, curso = 0, seccion = 0;
    bool repetidor = false;
};

QHash<qint64, AlumnoCerrado> leerAlumnosCerrados(Conexion& con) {
    QHash<qint64, AlumnoCerrado> a;
    for (Recordset rs = con.Abrir(QStringLiteral(
             "SELECT IDAlumno, Nombre, Apellido_1, Apellido_2, CodSeccion, Anticipado FROM Alumno"));
         !rs.eof(); rs.MoveNext()) {
        AlumnoCerrado x;
        const qint64 id = rs.entero(QStringLiteral("IDAlumno"));
        const QString apellidos = unir({rs.texto(QStringLiteral("Apellido_1")), rs.texto(QStringLiteral("Apellido_2"))});
        const QString nombre = rs.texto(QStringLiteral("Nombre")).trimmed();
        x.nombre = apellidos.isEmpty() ? nombre : nombre.isEmpty() ? apellidos : apellidos + QStringLiteral(", ") + nombre;
        if (x.nombre.isEmpty()) x.nombre = QStringLiteral("Alumno %1").arg(id);
        x.clave = {orden::nombreParaOrden(rs.campo(QStringLiteral("Apellido_1")), rs.campo(QStringLiteral("Apellido_2")),
                                          rs.campo(QStringLiteral("Nombre"))),
                   id};
        x.seccion = rs.entero(QStringLiteral("CodSeccion"));
        x.anticipado = rs.entero(QStringLiteral("Anticipado")) != 0;
        a.insert(id, x);
    }
    return a;
}

QHash<qint64, AlumnoNuevo> leerAlumnosNuevos(Conexion& con) {
    QHash<qint64, AlumnoNuevo> a;
    for (Recordset rs = con.Abrir(QStringLiteral("SELECT IDAlumno, CodTipoEnsenanza, CodCurso, CodSeccion, Repetidor FROM Alumno"));
         !rs.eof(); rs.MoveNext())
        a.insert(rs.entero(QStringLiteral("IDAlumno")),
                 {rs.entero(QStringLiteral("CodTipoEnsenanza")), rs.entero(QStringLiteral("CodCurso")),
                  rs.entero(QStringLiteral("CodSeccion")), rs.entero(QStringLiteral("Repetidor")) != 0});
    return a;
}

// The decisions of the run's tree. The run has taken the leavers and the
// students without destination out of their sections, into the retired.
QHash<qint64, Decision> leerDecisiones(const motor::EstadoMotor& e) {
    QHash<qint64, Decision> d;
    auto decidir = [&d](const cAlumno& a, bool seccionPromocionada) {
        Decision x;
        if (seccionPromocionada && !a.SinAsignar() && (a.Promociona() || a.Repite())) {
            x.paso = a.Promociona() ? Paso::Promociona : Paso::Repite;
            x.tipo = a.NIDTipoEnsenanza();
            x.curso = a.NIDCurso();
            x.seccion = a.NIDSeccion();
        }
        d.insert(a.IDAlumno(), x);
    };
    for (const auto& s : *e.ColSecciones)
        for (const auto& a : *s->Alumnos()) decidir(*a, s->Promocionada());
    for (const auto& a : e.colAlumnosRetirados) decidir(*a, false);
    return d;
}

// The date each student was archived with (the latest row when there are
// several: a student who came back and left again).
QHash<qint64, QString> leerArchivo(Conexion& con) {
    QHash<qint64, QString> f;
    for (Recordset rs = con.Abrir(QStringLiteral("SELECT IDAlumno, FechaBaja FROM Alumno_Baja")); !rs.eof(); rs.MoveNext()) {
        const qint64 id = rs.entero(QStringLiteral("IDAlumno"));
        const QString fecha = rs.texto(QStringLiteral("FechaBaja"));
        if (!f.contains(id) || motor::fechaDeTexto(fecha) > motor::fechaDeTexto(f.value(id))) f.insert(id, fecha);
    }
    return f;
}

QString textoDecision(const Decision& d, const Ensenanza& nuevo) {
    switch (d.paso) {
    case Paso::Promociona: return QStringLiteral("Promociona a ") + nuevo.destino(d.tipo, d.curso, d.seccion);
    case Paso::Repite: return QStringLiteral("Repite en ") + nuevo.destino(d.tipo, d.curso, d.seccion);
    case Paso::Baja: break;
    }
    return QStringLiteral("Causa baja");
}

QString textoHecho(const AlumnoNuevo* n, const Ensenanza& nuevo) {
    if (!n) return QStringLiteral("No está en el nuevo curso");
    return (n->repetidor ? QStringLiteral("Repite en ") : QStringLiteral("Promociona a ")) +
           nuevo.destino(n->tipo, n->curso, n->seccion);
}

bool coincide(const Decision& d, const AlumnoNuevo* n) {
    if (d.paso == Paso::Baja) return !n;
    return n && n->repetidor == (d.paso == Paso::Repite) && n->tipo == d.tipo && n->curso == d.curso && n->seccion == d.seccion;
}

// The students of both years, read once for the whole report.
struct Alumnos {
    QHash<qint64, AlumnoCerrado> antes;
    QHash<qint64, AlumnoNuevo> despues;
};

void leerAlumnos(const motor::EstadoMotor& e, const Ensenanza& cerrado, const Ensenanza& nuevo, const Alumnos& al,
                 DatosInforme& r) {
    const QHash<qint64, AlumnoCerrado>& antes = al.antes;
    const QHash<qint64, AlumnoNuevo>& despues = al.despues;
    const QHash<qint64, QString> archivo = leerArchivo(e.conLocalCentro());
    const QHash<qint64, Decision> decisiones = leerDecisiones(e);

    // Every student of the closed year by section, in Spanish order.
    QList<qint64> ids = antes.keys();
    orden::ordenarPersonas(ids.begin(), ids.end(), [&antes](qint64 id) { return antes.constFind(id)->clave; });
    QHash<qint64, SeccionInforme> porSeccion;
    for (const qint64 id : ids) {
        const AlumnoCerrado& a = *antes.constFind(id);
        const auto n = despues.constFind(id);
        const AlumnoNuevo* hecho = n == despues.constEnd() ? nullptr : &*n;
        // A student the run did not decide about leaves, unless he was
        // enrolled for the new year beforehand: he stays as he was.
        const Decision decidido = decisiones.value(id);
        if (!decisiones.contains(id) && a.anticipado) {
            ++r.anticipados;
            if (!hecho)
                r.diferencias.append({cerrado.nombreSeccion(a.seccion), a.nombre,
                                      QStringLiteral("Sigue (matriculado para el nuevo curso)"), textoHecho(hecho, nuevo)});
            continue;
        }
        if (!coincide(decidido, hecho))
            r.diferencias.append({a.seccion ? cerrado.nombreSeccion(a.seccion) : QStringLiteral("Sin sección"), a.nombre,
                                  textoDecision(decidido, nuevo), textoHecho(hecho, nuevo)});
        SeccionInforme& s = porSeccion[a.seccion];
        s.id = static_cast<qint16>(a.seccion);
        if (!hecho) {
            const auto f = archivo.constFind(id);
            s.bajas.append({static_cast<qint32>(id), a.nombre,
                            f == archivo.constEnd() ? QStringLiteral("sin archivar") : fechaLegible(*f)});
        } else if (hecho->repetidor) {
            s.repiten.append({static_cast<qint32>(id), a.nombre, nuevo.destino(hecho->tipo, hecho->curso, hecho->seccion)});
        } else {
            s.promocionan.append({static_cast<qint32>(id), a.nombre, nuevo.destino(hecho->tipo, hecho->curso, hecho->seccion)});
        }
    }
    QList<qint64> secciones = porSeccion.keys();
    std::sort(secciones.begin(), secciones.end(), [&cerrado](qint64 a, qint64 b) {
        // Students of no section go last.
        if ((a == 0) != (b == 0)) return b == 0;
        return cerrado.antes(a, b);
    });
    for (const qint64 id : secciones) {
        SeccionInforme s = porSeccion.value(id);
        s.nombre = id == 0 ? QStringLiteral("Sin sección") : cerrado.nombreSeccion(id);
        s.tipo = cerrado.secciones.value(id).tipo;
        r.secciones.append(s);
    }
}

void leerPlazas(const Ensenanza& cerrado, const Ensenanza& nuevo, DatosInforme& r) {
    QList<qint64> ids = nuevo.secciones.keys();
    std::sort(ids.begin(), ids.end(), [&nuevo](qint64 a, qint64 b) { return nuevo.antes(a, b); });
    for (const qint64 id : ids) {
        const auto antes = cerrado.secciones.constFind(id);
        if (antes == cerrado.secciones.constEnd()) continue;
        const long despues = nuevo.secciones.value(id).plazas;
        if (despues != antes->plazas) r.plazas.append({nuevo.nombreSeccion(id), antes->plazas, despues});
    }
}

void leerActividades(const motor::EstadoMotor& e, const Ensenanza& nuevo, const Alumnos& al, DatosInforme& r) {
    Conexion& con = nueva(e);
    QHash<qint64, QString> nombresAntes;
    for (Recordset rs = e.conLocalCentro().Abrir(QStringLiteral("SELECT IDActividad, Nombre FROM Actividad")); !rs.eof();
         rs.MoveNext())
        nombresAntes.insert(rs.entero(QStringLiteral("IDActividad")), rs.texto(QStringLiteral("Nombre")).trimmed());
    QHash<qint64, ActividadInforme> actividades;
    for (Recordset rs = con.Abrir(QStringLiteral("SELECT IDActividad, Nombre, FechaInicio, FechaFin FROM Actividad")); !rs.eof();
         rs.MoveNext()) {
        ActividadInforme a;
        a.id = static_cast<qint32>(rs.entero(QStringLiteral("IDActividad")));
        a.nombre = rs.texto(QStringLiteral("Nombre")).trimmed();
        a.inicio = fechaLegible(rs.texto(QStringLiteral("FechaInicio")));
        a.fin = fechaLegible(rs.texto(QStringLiteral("FechaFin")));
        actividades.insert(a.id, a);
    }
    for (auto it = nombresAntes.cbegin(); it != nombresAntes.cend(); ++it)
        if (!actividades.contains(it.key())) r.actividadesQuitadas << it.value();
    std::sort(r.actividadesQuitadas.begin(), r.actividadesQuitadas.end(), orden::antesEnEspanol);

    // Members as the new year holds them, named from the closed year (a
    // member the run should have removed may be a leaver).
    const QHash<qint64, AlumnoCerrado>& alumnos = al.antes;
    const QHash<qint64, AlumnoNuevo>& enNuevo = al.despues;
    QHash<qint64, QSet<qint64>> miembros;
    QHash<qint64, QList<std::pair<orden::ClavePersona, MiembroInforme>>> filas;
    for (Recordset rs = con.Abrir(QStringLiteral("SELECT CodActividad, CodAlumno, PrecioEuros, PrecioPesetas FROM Alumno_Actividad_Miembro"));
         !rs.eof(); rs.MoveNext()) {
        const qint64 act = rs.entero(QStringLiteral("CodActividad")), id = rs.entero(QStringLiteral("CodAlumno"));
        miembros[act].insert(id);
        const auto a = alumnos.constFind(id);
        const auto n = enNuevo.constFind(id);
        MiembroInforme m{a == alumnos.constEnd() ? QStringLiteral("Alumno %1").arg(id) : a->nombre,
                         n == enNuevo.constEnd() ? QStringLiteral("no está en el nuevo curso") : nuevo.destino(n->tipo, n->curso, n->seccion),
                         rs.texto(QStringLiteral("PrecioEuros")).trimmed(), rs.texto(QStringLiteral("PrecioPesetas")).trimmed()};
        filas[act].append({a == alumnos.constEnd() ? orden::ClavePersona{m.nombre, id} : a->clave, m});
    }
    for (auto it = filas.begin(); it != filas.end(); ++it) {
        if (!actividades.contains(it.key())) continue;
        orden::ordenarPersonas(it->begin(), it->end(), [](const auto& x) { return x.first; });
        for (const auto& f : *it) actividades[it.key()].miembros.append(f.second);
    }
    QList<ActividadInforme> lista = actividades.values();
    std::sort(lista.begin(), lista.end(), [](const ActividadInforme& a, const ActividadInforme& b) {
        const int c = orden::compararEspanol(a.nombre, b.nombre);
        return c != 0 ? c < 0 : a.id < b.id;
    });
    r.actividades = lista;

    // What was decided of each activity of the tree against what is there.
    for (const auto& act : *e.colActividades) {
        const qint64 id = act->IDActividad();
        const QString nombre = nombresAntes.value(id, QStringLiteral("Actividad %1").arg(id));
        const bool sigue = actividades.contains(id);
        if (!act->Promocionada()) {
            if (sigue) r.diferencias.append({nombre, nombre, QStringLiteral("Se elimina"), QStringLiteral("Sigue en el nuevo curso")});
            continue;
        }
        if (!sigue) {
            r.diferencias.append({nombre, nombre, QStringLiteral("Continúa"), QStringLiteral("No está en el nuevo curso")});
            continue;
        }
        // A member passes when he is in the new year: one who left the
        // school leaves its activities too.
        QSet<qint64> pasan;
        for (const auto& m : *act->Alumnos())
            if (m->Visible() && m->Pasar() && enNuevo.contains(m->IDAlumno())) pasan.insert(m->IDAlumno());
        const QSet<qint64> estan = miembros.value(id);
        QList<qint64> distintos = (pasan - estan).values() + (estan - pasan).values();
        orden::ordenarPersonas(distintos.begin(), distintos.end(), [&alumnos](qint64 a) {
            const auto it = alumnos.constFind(a);
            return it == alumnos.constEnd() ? orden::ClavePersona{QString(), a} : it->clave;
        });
        for (const qint64 a : distintos) {
            const QString quien = alumnos.contains(a) ? alumnos.value(a).nombre : QStringLiteral("Alumno %1").arg(a);
            if (pasan.contains(a))
                r.diferencias.append({nombre, quien, QStringLiteral("Pasa a la actividad"), QStringLiteral("No es miembro en el nuevo curso")});
            else
                r.diferencias.append({nombre, quien,
                                      enNuevo.contains(a) ? QStringLiteral("No pasa") : QStringLiteral("No está en el nuevo curso"),
                                      QStringLiteral("Sigue siendo miembro")});
        }
    }
}

void leerHistorico(const motor::EstadoMotor& e, const Ensenanza& cerrado, DatosInforme& r) {
    Recordset max = e.conLocalCentro().Abrir(QStringLiteral("SELECT MAX(IDCursoEscolarHistorico) FROM CursoEscolarHistorico"));
    const qint64 ultimo = max.eof() ? 0 : max.campo(0).toLongLong();
    max.Close();
    struct Fila {
        qint64 tipo, curso;
        HistoricoInforme h;
    };
    QList<Fila> filas;
    for (Recordset rs = nueva(e).Abrir(
             QStringLiteral("SELECT CodTipoEnsenanza, CodCurso, COUNT(DISTINCT CodAlumno) AS Alumnos, COUNT(*) AS Filas, "
                            "SUM(CASE WHEN MateriaPendiente<>0 THEN 1 ELSE 0 END) AS Pendientes FROM EvaluacionHistorica "
                            "WHERE CodCursoEscolarHistorico>%1 GROUP BY CodTipoEnsenanza, CodCurso")
                 .arg(ultimo));
         !rs.eof(); rs.MoveNext()) {
        Fila f{rs.entero(QStringLiteral("CodTipoEnsenanza")), rs.entero(QStringLiteral("CodCurso")), {}};
        f.h.curso = cerrado.cursos.value(f.curso, QStringLiteral("Curso %1").arg(f.curso));
        f.h.alumnos = static_cast<long>(rs.entero(QStringLiteral("Alumnos")));
        f.h.pendientes = static_cast<long>(rs.entero(QStringLiteral("Pendientes")));
        f.h.notas = static_cast<long>(rs.entero(QStringLiteral("Filas"))) - f.h.pendientes;
        filas.append(f);
    }
    std::sort(filas.begin(), filas.end(), [](const Fila& a, const Fila& b) {
        return a.tipo != b.tipo ? a.tipo < b.tipo : a.curso < b.curso;
    });
    for (const Fila& f : filas) r.historico.append(f.h);
}

void leerPurga(const motor::EstadoMotor& e, DatosInforme& r) {
    // What the summary counted already is taken from it.
    const auto removidas = [&e](const char* tabla) {
        return contarFilas(e.conLocalCentro(), QString::fromLatin1(tabla)) - contarFilas(nueva(e), QString::fromLatin1(tabla));
    };
    r.purga = {{QStringLiteral("Alumnos archivados en el curso cerrado"), r.resumen.bajasArchivadas},
               {QStringLiteral("Familias"), r.resumen.familias},
               {QStringLiteral("Miembros de familia"), removidas("MiembroFamilia")},
               {QStringLiteral("Direcciones"), r.resumen.direcciones},
               {QStringLiteral("Cuentas bancarias"), r.resumen.cuentas},
               {QStringLiteral("Fotos"), r.resumen.fotos},
               {QStringLiteral("Datos médicos"), removidas("DatosMedicos")},
               {QStringLiteral("Prematrículas no confirmadas"), removidas("Prematriculacion")}};
}

QString nombreUsuario(const motor::EstadoMotor& e) {
    const qint16 id = e.conf->intIDUsuario();
    try {
        Conexion& app = e.conLocalAppEntrada();
        if (app.State() == 1) {
            Recordset rs = app.Abrir(QStringLiteral("SELECT Nombre FROM Usuario WHERE IDUsuario=%1").arg(id));
            if (!rs.eof() && !rs.texto(QStringLiteral("Nombre")).trimmed().isEmpty()) return rs.texto(QStringLiteral("Nombre")).trimmed();
        }
    } catch (const Error&) {
        // A suite without its table of users still names the user by number.
    }
    return QStringLiteral("Usuario %1").arg(id);
}

}  // namespace

DatosInforme leerInforme(const motor::EstadoMotor& e, bool ensayo, const ResumenCierre* resumen) {
    if (!e.conf || !e.conf->conLocalCentro() || e.conNuevoCentro.State() != 1)
        throw Error(errores::ConexionCerrada, QStringLiteral("No hay conexión con las bases de datos del cierre"));
    DatosInforme r;
    r.ensayo = ensayo;
    r.parcial = CierreParcial();
    r.centro = e.conf->NombreCentro();
    r.cursoCerrado = e.conf->CursoEscolar();
    r.cursoNuevo = e.NuevoCursoEscolar;
    r.usuario = nombreUsuario(e);
    r.cuando = QDateTime(Reloj::hoy(), QTime::currentTime());
    r.resumen = resumen ? *resumen : ResumenCierre::trasCierre(e);
    const Ensenanza cerrado = Ensenanza::leer(e.conLocalCentro());
    const Ensenanza nuevo = Ensenanza::leer(nueva(e));
    const Alumnos alumnos{leerAlumnosCerrados(e.conLocalCentro()), leerAlumnosNuevos(nueva(e))};
    if (e.ProcesarSecciones) {
        leerAlumnos(e, cerrado, nuevo, alumnos, r);
        leerPlazas(cerrado, nuevo, r);
    }
    if (e.ProcesarActividades) leerActividades(e, nuevo, alumnos, r);
    leerHistorico(e, cerrado, r);
    leerPurga(e, r);
    return r;
}

QString nombreInforme(const QString& cursoCerrado, bool ensayo) {
    QString curso;
    for (const QChar c : cursoCerrado.trimmed())
        curso += (c.category() == QChar::Other_Control || QStringLiteral("/\\:*?\"<>|").contains(c)) ? QLatin1Char('-') : c;
    // A name of dots alone would name a folder.
    if (curso.isEmpty() || curso.count(QLatin1Char('.')) == curso.size()) curso = QStringLiteral("sin nombre");
    return (ensayo ? QStringLiteral("Ensayo cierre ") : QStringLiteral("Cierre ")) + curso + QStringLiteral(".pdf");
}

QString carpetaInforme(const cConfiguracion& conf) {
    if (conf.SQLServer()) {
        const QString documentos = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        return documentos.isEmpty() ? QDir::homePath() : documentos;
    }
    const QString carpeta = !conf.RutaBD().isEmpty()                  ? conf.RutaBD()
                            : conf.conLocalAppEntrada() != nullptr ? ObtenerRutaBD(*conf.conLocalAppEntrada())
                                                                   : QString();
    // A bare file name lives in the working folder.
    return QFileInfo(carpeta.isEmpty() ? QStringLiteral(".") : carpeta).absoluteFilePath();
}

QString carpetaInforme(const motor::EstadoMotor& e) { return carpetaInforme(*e.conf); }

QString escribirInformeCierre(const motor::EstadoMotor& e, bool ensayo, const QString& carpeta,
                              const ResumenCierre* resumen) {
    const DatosInforme datos = leerInforme(e, ensayo, resumen);
    const QString destino = carpeta.isEmpty() ? carpetaInforme(e) : carpeta;
    if (!QDir().mkpath(destino))
        throw Error(errores::Archivo, QStringLiteral("No se puede crear la carpeta del informe %1").arg(destino));
    const QString nombre = nombreInforme(datos.cursoCerrado, ensayo);
    const QByteArray pdf = pdfInforme(datos);
    // The school's records keep every real closing's report; a rehearsal's
    // replaces the previous rehearsal's. A name that something else holds (a
    // link, a folder) is passed over like a report already there.
    const auto modo = ensayo ? archivos::ModoEscritura::Reemplazo : archivos::ModoEscritura::Nuevo;
    QString ruta = QDir(destino).filePath(nombre);
    for (int n = 2; !archivos::escribirArchivo(ruta, pdf, modo); ++n)
        ruta = QDir(destino).filePath(nombre.chopped(4) + QStringLiteral(" (%1).pdf").arg(n));
    return ruta;
}

}  // namespace ncc::host
