#include "engine/PropuestaCierre.h"
#include "engine/PurgaFechas.h"
#include "entry/Rango.h"
#include "entry/cAlumno.h"
#include "entry/cAlumnoActividad.h"
#include "entry/cPrecioActividad.h"
#include "platform/Conexion.h"
#include "platform/OrdenEspanol.h"
#include "platform/Reloj.h"
#include <QHash>
#include <QSet>
#include <algorithm>
#include <limits>
#include <map>
#include <vector>

namespace ncc::motor {

namespace {

// An active student: no date of leaving.
const QString kActivo = QStringLiteral("(Alumno.FechaBaja IS NULL OR Alumno.FechaBaja='')");

using TipoEnsenanza = EstructuraCentro::TipoEnsenanza;
using Curso = EstructuraCentro::Curso;
using Seccion = EstructuraCentro::Seccion;

}  // namespace

const EstructuraCentro::Curso* EstructuraCentro::cursoDe(int id) const {
    const auto it = curso.constFind(id);
    return it == curso.cend() ? nullptr : &*it;
}

int EstructuraCentro::cursoSiguiente(int idCurso) const {
    const Curso* c = cursoDe(idCurso);
    if (!c || !c->delCentro) return 0;
    const QList<int>& delTipo = tipo.value(c->tipo).cursos;
    const qsizetype i = delTipo.indexOf(idCurso);
    if (i >= 0 && i + 1 < delTipo.size()) return delTipo.at(i + 1);
    for (qsizetype t = tipos.indexOf(c->tipo) + 1; t > 0 && t < tipos.size(); ++t) {
        const QList<int>& siguientes = tipo.value(tipos.at(t)).cursos;
        if (!siguientes.isEmpty()) return siguientes.first();
    }
    return 0;
}

int EstructuraCentro::seccionEn(int idCurso, int origen) const {
    const QList<int> lista = curso.value(idCurso).secciones;
    if (lista.isEmpty()) return 0;
    const Seccion& o = seccion.value(origen);
    for (int s : lista)
        if (seccion.value(s).descripcion == o.descripcion) return s;
    const int posicion = std::max<qsizetype>(0, curso.value(o.curso).secciones.indexOf(origen));
    return lista.at(posicion % lista.size());
}

EstructuraCentro leerEstructura(Conexion& con, qint16 idCentro) {
    EstructuraCentro e;
    for (Recordset rs = con.Abrir(QStringLiteral(
             "SELECT TipoEnsenanza.IDTipoEnsenanza, TipoEnsenanza.Nombre, TipoEnsenanza.Orden FROM "
             "TipoEnsenanza INNER JOIN Centro_TipoEnsenanza ON "
             "TipoEnsenanza.IDTipoEnsenanza=Centro_TipoEnsenanza.codTipoEnsenanza "
             "WHERE Centro_TipoEnsenanza.codCentro=%1")
                                      .arg(idCentro));
         !rs.eof(); rs.MoveNext()) {
        TipoEnsenanza t;
        t.id = int(rs.entero(QStringLiteral("IDTipoEnsenanza")));
        t.nombre = rs.texto(QStringLiteral("Nombre"));
        t.orden = rs.entero(QStringLiteral("Orden"));
        if (!e.tipo.contains(t.id)) {
            e.tipo.insert(t.id, t);
            e.tipos << t.id;
        }
    }
    std::stable_sort(e.tipos.begin(), e.tipos.end(), [&](int a, int b) {
        const auto& x = e.tipo[a];
        const auto& y = e.tipo[b];
        return x.orden != y.orden ? x.orden < y.orden : a < b;
    });

    QList<int> cursosCentro;
    for (Recordset rs = con.Abrir(QStringLiteral(
             "SELECT IDCurso, Descripcion, codTipoEnsenanza, Orden, Promocion FROM Curso"));
         !rs.eof(); rs.MoveNext()) {
        Curso c;
        c.id = int(rs.entero(QStringLiteral("IDCurso")));
        c.descripcion = rs.texto(QStringLiteral("Descripcion"));
        c.tipo = int(rs.entero(QStringLiteral("codTipoEnsenanza")));
        c.orden = rs.entero(QStringLiteral("Orden"));
        c.promocion = rs.entero(QStringLiteral("Promocion"));
        c.delCentro = e.tipo.contains(c.tipo);
        e.curso.insert(c.id, c);
        if (c.delCentro) cursosCentro << c.id;
    }
    std::sort(cursosCentro.begin(), cursosCentro.end(), [&](int a, int b) {
        const auto& x = e.curso[a];
        const auto& y = e.curso[b];
        return x.orden != y.orden ? x.orden < y.orden : a < b;
    });
    for (int c : cursosCentro) e.tipo[e.curso[c].tipo].cursos << c;

    for (Recordset rs = con.Abrir(QStringLiteral("SELECT IDSeccion, Descripcion, codCurso, NumPlazas FROM Seccion"));
         !rs.eof(); rs.MoveNext()) {
        Seccion s;
        s.id = int(rs.entero(QStringLiteral("IDSeccion")));
        s.descripcion = rs.texto(QStringLiteral("Descripcion"));
        s.curso = int(rs.entero(QStringLiteral("codCurso")));
        s.plazas = rs.entero(QStringLiteral("NumPlazas"));
        const Curso* c = e.cursoDe(s.curso);
        if (!c || !c->delCentro) continue;
        e.seccion.insert(s.id, s);
    }
    QList<int> porDescripcion = e.seccion.keys();
    std::sort(porDescripcion.begin(), porDescripcion.end(), [&](int a, int b) {
        const int c = orden::compararEspanol(e.seccion[a].descripcion, e.seccion[b].descripcion);
        return c != 0 ? c < 0 : a < b;
    });
    for (int s : porDescripcion) e.curso[e.seccion[s].curso].secciones << s;
    for (int t : e.tipos)
        for (int c : e.tipo[t].cursos) e.secciones += e.curso[c].secciones;

    // The sections of the page's list: those of the active students, by the
    // course and teaching type written on each student.
    for (Recordset rs = con.Abrir(QStringLiteral(
             "SELECT DISTINCT Alumno.codSeccion, Alumno.codCurso, Alumno.codTipoEnsenanza FROM Seccion_Alumno "
             "INNER JOIN Alumno ON Seccion_Alumno.codAlumno=Alumno.IDAlumno WHERE ") +
                                  kActivo);
         !rs.eof(); rs.MoveNext()) {
        const int s = int(rs.entero(QStringLiteral("codSeccion")));
        if (rs.esNulo(QStringLiteral("codSeccion")) || !e.seccion.contains(s)) continue;
        if (!e.curso.contains(int(rs.entero(QStringLiteral("codCurso"))))) continue;
        if (!e.tipo.contains(int(rs.entero(QStringLiteral("codTipoEnsenanza"))))) continue;
        e.conActivos.insert(s);
    }
    return e;
}

std::shared_ptr<cCurso> nuevaSeccion(const EstructuraCentro& e, int id) {
    const Seccion& s = e.seccion[id];
    const Curso& c = e.curso[s.curso];
    auto r = std::make_shared<cCurso>();
    r->setIDTipoEnsenanza(acotar<quint8>(c.tipo));
    r->setIDCurso(acotar<quint8>(c.id));
    r->setIDSeccion(qint16(id));
    r->setNumPlazas(acotar<quint8>(s.plazas));
    r->setPromocionDirecta(c.promocion == 0);
    r->setVisible(e.conActivos.contains(id));
    return r;
}

namespace {

// One row of the students of a section, as the student page reads them.
struct FilaAlumno {
    int seccionLista = 0;  // Seccion_Alumno.codSeccion
    qint32 id = 0;
    QString nombre, apellido1, apellido2;
    int tipo = 0, curso = 0, seccion = 0;
    bool sinOrden = true;
    long long orden = 0;
};

// The activity ids of each active student, under (Alumno.codSeccion, id):
// the page reads them for the students whose own section is the one open.
QHash<QPair<int, qint32>, QStringList> leerActividadesAlumnos(Conexion& con) {
    std::map<std::pair<int, qint32>, std::vector<int>> porAlumno;
    for (Recordset rs = con.Abrir(QStringLiteral(
             "SELECT Alumno.codSeccion, Alumno_Actividad_Miembro.codAlumno, Alumno_Actividad_Miembro.codActividad "
             "FROM Alumno_Actividad_Miembro INNER JOIN Alumno ON Alumno_Actividad_Miembro.codAlumno=Alumno.IDAlumno "
             "WHERE ") + kActivo);
         !rs.eof(); rs.MoveNext()) {
        auto& v = porAlumno[{int(rs.entero(QStringLiteral("codSeccion"))),
                             qint32(rs.entero(QStringLiteral("codAlumno")))}];
        const int act = int(rs.entero(QStringLiteral("codActividad")));
        if (std::find(v.begin(), v.end(), act) == v.end()) v.push_back(act);
    }
    QHash<QPair<int, qint32>, QStringList> r;
    for (auto& [clave, ids] : porAlumno) {
        std::sort(ids.begin(), ids.end());
        QStringList t;
        for (int id : ids) t << QString::number(id);
        r.insert({clave.first, clave.second}, t);
    }
    return r;
}

// The default decision of each student who has promotion data: the highest
// Promocion of his evaluation rows (a row without a value is no promotion).
QHash<qint32, bool> leerPromociones(Conexion& con) {
    QHash<qint32, bool> r;
    for (Recordset rs = con.Abrir(QStringLiteral(
             "SELECT codAlumno, MAX(Promocion) AS Maxima FROM Alumno_NumEvaluacion GROUP BY codAlumno"));
         !rs.eof(); rs.MoveNext())
        r.insert(qint32(rs.entero(QStringLiteral("codAlumno"))),
                 !rs.esNulo(QStringLiteral("Maxima")) && rs.entero(QStringLiteral("Maxima")) == 1);
    return r;
}

QList<FilaAlumno> leerAlumnos(Conexion& con) {
    QList<FilaAlumno> filas;
    Recordset rs = con.Abrir(QStringLiteral(
        "SELECT Seccion_Alumno.codSeccion AS SeccionLista, Alumno.IDAlumno, Alumno.Apellido_1, Alumno.Apellido_2, "
        "Alumno.Nombre, Alumno.codTipoEnsenanza, Alumno.codCurso, Alumno.codSeccion, Alumno.OrdenSeccion "
        "FROM Seccion_Alumno INNER JOIN Alumno ON Seccion_Alumno.codAlumno=Alumno.IDAlumno WHERE ") + kActivo);
    const int iLista = rs.indiceCampo(QStringLiteral("SeccionLista")), iId = rs.indiceCampo(QStringLiteral("IDAlumno")),
              iAp1 = rs.indiceCampo(QStringLiteral("Apellido_1")), iAp2 = rs.indiceCampo(QStringLiteral("Apellido_2")),
              iNom = rs.indiceCampo(QStringLiteral("Nombre")), iTipo = rs.indiceCampo(QStringLiteral("codTipoEnsenanza")),
              iCurso = rs.indiceCampo(QStringLiteral("codCurso")), iSec = rs.indiceCampo(QStringLiteral("codSeccion")),
              iOrden = rs.indiceCampo(QStringLiteral("OrdenSeccion"));
    filas.reserve(rs.RecordCount());
    for (; !rs.eof(); rs.MoveNext()) {
        FilaAlumno f;
        f.seccionLista = rs.campo(iLista).toInt();
        f.id = rs.campo(iId).toInt();
        f.apellido1 = rs.campo(iAp1).toString();
        f.apellido2 = rs.campo(iAp2).toString();
        f.nombre = rs.campo(iNom).toString();
        f.tipo = rs.campo(iTipo).toInt();
        f.curso = rs.campo(iCurso).toInt();
        f.seccion = rs.campo(iSec).toInt();
        const QVariant orden = rs.campo(iOrden);
        f.sinOrden = orden.isNull();
        f.orden = orden.toLongLong();
        filas << f;
    }
    // OrdenSeccion as the suite's databases sort it: no order first.
    std::sort(filas.begin(), filas.end(), [](const FilaAlumno& a, const FilaAlumno& b) {
        if (a.seccionLista != b.seccionLista) return a.seccionLista < b.seccionLista;
        if (a.sinOrden != b.sinOrden) return a.sinOrden;
        if (a.orden != b.orden) return a.orden < b.orden;
        return a.id < b.id;
    });
    return filas;
}

// Where the secretary's default sends a student of section `s`.
void proponerDestino(cAlumno& a, const cCurso& s, const EstructuraCentro& e, const QString& hoy) {
    int tipo = 0, curso = 0, seccion = 0;
    if (a.Repite()) {
        tipo = s.IDTipoEnsenanza();
        curso = s.IDCurso();
        seccion = s.IDSeccion();
    } else {
        curso = e.cursoSiguiente(s.IDCurso());
        if (curso == 0) {
            a.setPromociona(false);
            a.setBaja(true);
            a.setFechaBaja(hoy);
            return;
        }
        tipo = e.curso[curso].tipo;
        seccion = e.seccionEn(curso, s.IDSeccion());
    }
    a.setNIDTipoEnsenanza(acotar<quint8>(tipo));
    a.setNTipoEnsenanza(e.tipo.value(tipo).nombre);
    a.setNIDCurso(acotar<quint8>(curso));
    a.setNCurso(e.curso.value(curso).descripcion);
    a.setNIDSeccion(qint16(seccion));
    a.setNSeccion(seccion ? e.seccion.value(seccion).descripcion : QString());
}

}  // namespace

void proponerSecciones(Conexion& con, const EstructuraCentro& e, Coleccion<cCurso>& secciones) {
    for (int id : e.secciones) secciones.Add(nuevaSeccion(e, id), id);

    const QList<FilaAlumno> filas = leerAlumnos(con);
    const QHash<qint32, bool> promociones = leerPromociones(con);
    const QHash<QPair<int, qint32>, QStringList> actividades = leerActividadesAlumnos(con);
    const QString hoy = Reloj::hoy().toString(QStringLiteral("dd/MM/yyyy"));

    int anterior = std::numeric_limits<int>::min();
    int orden = 0;
    std::shared_ptr<cCurso> s;
    for (const FilaAlumno& f : filas) {
        if (f.seccionLista != anterior) {
            anterior = f.seccionLista;
            orden = 0;
            s = e.conActivos.contains(f.seccionLista) ? secciones.buscar(Coleccion<cCurso>::clave(f.seccionLista))
                                                      : nullptr;
        }
        if (!s) continue;
        ++orden;
        const QString clave = Coleccion<cAlumno>::clave(f.id);
        if (s->Alumnos()->contiene(clave)) continue;  // a repeated membership row
        auto a = std::make_shared<cAlumno>();
        a->setIDAlumno(f.id);
        a->setNombre(f.nombre);
        a->setApellido1(f.apellido1);
        a->setApellido2(f.apellido2);
        a->setIDTipoEnsenanza(acotar<quint8>(f.tipo));
        a->setIDCurso(acotar<quint8>(f.curso));
        a->setIDSeccion(qint16(f.seccion));
        a->setOrden(acotar<quint8>(orden));
        a->setActividades(actividades.value({f.seccion, f.id}).join(QLatin1Char(',')));
        const bool promociona = s->PromocionDirecta() || promociones.value(f.id, false);
        a->setPromociona(promociona);
        a->setRepite(!promociona);
        a->setSinAsignar(false);
        proponerDestino(*a, *s, e, hoy);
        s->Alumnos()->Add(a, clave);
    }

    // The seats each destination section takes, as the page counts them
    // when a section is confirmed.
    for (int id : e.secciones) {
        const auto origen = secciones.Item(Coleccion<cCurso>::clave(id));
        if (!e.conActivos.contains(id)) continue;
        origen->setPromocionada(true);
        for (const auto& a : *origen->Alumnos()) {
            if (a->NIDSeccion() == 0) continue;
            const auto destino = secciones.buscar(Coleccion<cCurso>::clave(a->NIDSeccion()));
            if (!destino) continue;
            destino->setNumPlazasOcupadas(acotar<quint8>(destino->NumPlazasOcupadas() + 1));
            destino->setIDsPlazasOcupadas(destino->IDsPlazasOcupadas() + QString::number(a->IDAlumno()) +
                                          QLatin1Char(','));
        }
    }
}

namespace {

// A date one year on, as the promoted activity carries it; empty when the
// text is no date.
QString unAnoDespues(const QDate& d) {
    return d.isValid() ? motor::textoFechaBase(d.addYears(1)) : QString();
}

struct FilaMiembro {
    int actividad = 0;
    QString orden;  // Apellido_1 + Apellido_2 + Nombre
    QString clave;  // orden folded once (orden::claveEspanol), not at every comparison
    std::shared_ptr<cAlumnoActividad> miembro;
};

}  // namespace

void proponerActividades(Conexion& con, const EstructuraCentro& e, const Coleccion<cCurso>& secciones,
                       Coleccion<cActividad>& actividades) {
    for (Recordset rs = con.Abrir(QStringLiteral(
             "SELECT IDActividad, TipoActividad, Nombre, FechaInicio, FechaFin FROM Actividad ORDER BY IDActividad ASC"));
         !rs.eof(); rs.MoveNext()) {
        auto a = std::make_shared<cActividad>();
        a->setIDActividad(long(rs.entero(QStringLiteral("IDActividad"))));
        a->setTipoActividad(long(rs.entero(QStringLiteral("TipoActividad"))));
        const QDate inicio = motor::fechaDeTexto(rs.texto(QStringLiteral("FechaInicio")));
        const QDate fin = motor::fechaDeTexto(rs.texto(QStringLiteral("FechaFin")));
        if (inicio.isValid() && fin.isValid()) {
            a->setFechaInicio(unAnoDespues(inicio));
            a->setFechaFin(unAnoDespues(fin));
        }
        a->setPromocionada(true);
        actividades.Add(a, a->IDActividad());
    }

    // Prices by student type: the types of the active members, at the
    // activity's current general price.
    QHash<QPair<int, int>, QPair<QString, QString>> precioGeneral;  // (euros, pesetas)
    for (Recordset rs = con.Abrir(QStringLiteral(
             "SELECT codActividad, codTipoAlumno, PrecioGeneralEuro, PrecioGeneralPta FROM Actividad_TipoAlumno"));
         !rs.eof(); rs.MoveNext())
        precioGeneral.insert({int(rs.entero(QStringLiteral("codActividad"))), int(rs.entero(QStringLiteral("codTipoAlumno")))},
                             {rs.texto(QStringLiteral("PrecioGeneralEuro")), rs.texto(QStringLiteral("PrecioGeneralPta"))});
    for (Recordset rs = con.Abrir(QStringLiteral(
             "SELECT DISTINCT Alumno_Actividad_Miembro.codActividad, TipoAlumno.IDTipoAlumno, TipoAlumno.Descripcion "
             "FROM Alumno_Actividad_Miembro INNER JOIN Actividad ON Actividad.IDActividad=Alumno_Actividad_Miembro.codActividad "
             "INNER JOIN Alumno ON Alumno_Actividad_Miembro.codAlumno=Alumno.IDAlumno "
             "INNER JOIN TipoAlumno ON Alumno.codTipoAlumno=TipoAlumno.IDTipoAlumno WHERE ") +
                                  kActivo +
                                  QStringLiteral(" ORDER BY Alumno_Actividad_Miembro.codActividad ASC, TipoAlumno.IDTipoAlumno ASC"));
         !rs.eof(); rs.MoveNext()) {
        const int act = int(rs.entero(QStringLiteral("codActividad")));
        const auto a = actividades.buscar(Coleccion<cActividad>::clave(act));
        const int tipo = int(rs.entero(QStringLiteral("IDTipoAlumno")));
        if (!a || a->TipoAlumnos()->contiene(Coleccion<cPrecioActividad>::clave(tipo))) continue;
        auto p = std::make_shared<cPrecioActividad>();
        p->setID(qint16(tipo));
        p->setNombre(rs.texto(QStringLiteral("Descripcion")));
        const auto precio = precioGeneral.value({act, tipo});
        p->setEuros(precio.first);
        p->setPesetas(precio.second);
        a->TipoAlumnos()->Add(p, tipo);
    }
    // Prices by course: every course of the school. The school keeps no
    // price by course, so they start empty.
    for (const auto& a : actividades)
        for (int t : e.tipos)
            for (int c : e.tipo.value(t).cursos) {
                auto p = std::make_shared<cPrecioActividad>();
                p->setID(qint16(c));
                p->setNombre(e.tipo.value(t).nombre + QLatin1Char(' ') + e.curso.value(c).descripcion);
                a->Cursos()->Add(p, c);
            }

    // Members: the active students of each activity, at their prices, with
    // the destination the student page gave them.
    QList<FilaMiembro> filas;
    Recordset rs = con.Abrir(QStringLiteral(
        "SELECT Alumno_Actividad_Miembro.codActividad, Alumno.IDAlumno, Alumno.Nombre, Alumno.Apellido_1, "
        "Alumno.Apellido_2, Alumno.codTipoAlumno, TipoAlumno.Descripcion, Alumno.codSeccion, "
        "Alumno_Actividad_Miembro.PrecioPesetas, Alumno_Actividad_Miembro.PrecioEuros "
        "FROM Alumno_Actividad_Miembro INNER JOIN Alumno ON Alumno_Actividad_Miembro.codAlumno=Alumno.IDAlumno "
        "INNER JOIN TipoAlumno ON Alumno.codTipoAlumno=TipoAlumno.IDTipoAlumno WHERE ") + kActivo);
    filas.reserve(rs.RecordCount());
    for (; !rs.eof(); rs.MoveNext()) {
        auto m = MiembroLeido(rs);
        m->setPasar(true);
        QString nombre = m->Apellido1() + m->Apellido2() + m->Nombre();
        QString clave = orden::claveEspanol(nombre);
        filas << FilaMiembro{int(rs.entero(QStringLiteral("codActividad"))), std::move(nombre), std::move(clave), m};
    }
    // By activity, then as orden::antesPersona orders people.
    std::sort(filas.begin(), filas.end(), [](const FilaMiembro& a, const FilaMiembro& b) {
        if (a.actividad != b.actividad) return a.actividad < b.actividad;
        if (const int c = orden::compararConClaves(a.clave, a.orden, b.clave, b.orden)) return c < 0;
        return a.miembro->IDAlumno() < b.miembro->IDAlumno();
    });
    for (const FilaMiembro& f : filas) {
        const auto a = actividades.buscar(Coleccion<cActividad>::clave(f.actividad));
        const auto& m = f.miembro;
        const QString clave = Coleccion<cAlumnoActividad>::clave(m->IDAlumno());
        if (!a || a->Alumnos()->contiene(clave)) continue;
        if (m->IDSeccionActual() != 0) {
            const auto s = secciones.buscar(Coleccion<cCurso>::clave(m->IDSeccionActual()));
            const auto alumno = s && s->Promocionada() ? s->Alumnos()->buscar(clave) : nullptr;
            if (alumno) {
                m->setTipoEnsenanza(alumno->NTipoEnsenanza());
                m->setIDCurso(alumno->NIDCurso());
                m->setCurso(alumno->NCurso());
                m->setSeccion(alumno->NSeccion());
                m->setVisible(!alumno->Baja());
            }
        }
        a->Alumnos()->Add(m, clave);
    }

    // The price rows in use are those of the visible members' course and
    // type, as the member grid marks them.
    for (const auto& a : actividades)
        for (const auto& m : *a->Alumnos()) {
            if (!m->Visible()) continue;
            if (m->IDCurso() != 0)
                if (auto p = a->Cursos()->buscar(Coleccion<cPrecioActividad>::clave(m->IDCurso()))) p->setVisible(true);
            if (m->IDTipoAlumno() != 0)
                if (auto p = a->TipoAlumnos()->buscar(Coleccion<cPrecioActividad>::clave(m->IDTipoAlumno())))
                    p->setVisible(true);
        }
}


}  // namespace ncc::motor
