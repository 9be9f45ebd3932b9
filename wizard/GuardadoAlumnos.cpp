// The stored set of the student page's decisions: saved into the two
// CIERRECURSO_SECCION tables of the school database and loaded back, each
// stored destination checked against the school as it is now.
#include "platform/Conexion.h"
#include "platform/InsercionLotes.h"
#include "platform/Recordset.h"
#include "engine/Comun.h"
#include "entry/Rango.h"
#include "platform/Reloj.h"
#include "wizard/SeleccionAlumnos.h"
#include <QSet>
#include <QStringList>
#include <algorithm>
#include <tuple>

namespace ncc {

namespace {

// The stored flags are written as the suite wrote them, -1 or 0, whatever the
// back end.
int bandera(bool b) { return b ? -1 : 0; }

bool enLista(const QString& lista, long long id) {
    return lista.contains(QLatin1Char(',') + QString::number(id) + QLatin1Char(','));
}

}  // namespace

void SeleccionAlumnos::GuardarDatosAlumnos() {
    // One transaction: the stored set is the secretary's work of days, and a
    // save cut short must leave the previous one whole rather than half of
    // each.
    Transaccion t(con_);
    con_.Execute(QStringLiteral("DELETE FROM CIERRECURSO_SECCION"));
    con_.Execute(QStringLiteral("DELETE FROM CIERRECURSO_SECCION_ALUMNO"));
    // Rows go many to a statement: a school's set is tens of thousands.
    InsercionLotes secciones(con_, QStringLiteral("INSERT INTO CIERRECURSO_SECCION VALUES"), QStringLiteral("(?)"));
    InsercionLotes alumnos(con_, QStringLiteral("INSERT INTO CIERRECURSO_SECCION_ALUMNO VALUES"),
                           QStringLiteral("(?,?,?,?,?,?,?,?,?,?,?,?,?)"));
    QSet<qint32> escritos;
    for (const auto& s : *secciones_) {
        if (!s->Promocionada()) continue;
        secciones.agregar({int(s->IDSeccion())});
        if (!s->Alumnos()) continue;
        for (const auto& a : *s->Alumnos()) {
            // A student listed in two sections keeps the decision of the
            // first: the table holds one row per student.
            if (escritos.contains(a->IDAlumno())) continue;
            escritos.insert(a->IDAlumno());
            alumnos.agregar({int(a->IDSeccion()), a->IDAlumno(), bandera(a->SinAsignar()), bandera(a->Promociona()),
                             bandera(a->Repite()), bandera(a->Baja()), a->FechaBaja(), int(a->NIDTipoEnsenanza()),
                             int(a->NIDCurso()), int(a->NIDSeccion()), a->NTipoEnsenanza(), a->NCurso(),
                             a->NSeccion()});
        }
    }
    secciones.vaciar();
    alumnos.vaciar();
    t.confirmar();
}

namespace {

// One student of a stored section as the load reads him: his row in the
// school and his stored row (Null fields when he has none).
struct FilaGuardada {
    qint32 id = 0;
    qint16 seccion = 0;
    quint8 curso = 0, tipo = 0;
    QString nombre, apellido1, apellido2;
    bool sinFila = true;  // no stored row
    bool nulo = false;    // a stored flag left Null
    bool sinAsignar = false, promociona = false, repite = false, baja = false;
    QString fechaBaja;
    long long nTipo = 0, nCurso = 0, nSeccion = 0;
    QString nTipoTexto, nCursoTexto, nSeccionTexto;
    long long seccionLeida = 0;  // his section as the school holds it
    bool sinOrden = true;        // no place in the section's list
    long long orden = 0;
};

// The order of the sections' lists: by section, a student without a place
// first, then by place and id.
bool antesEnLista(const FilaGuardada& a, const FilaGuardada& b) {
    return std::tuple(a.seccionLeida, !a.sinOrden, a.orden, a.id) < std::tuple(b.seccionLeida, !b.sinOrden, b.orden, b.id);
}

// The read's columns, in the order of its select list.
enum ColumnaGuardada {
    colId, colNombre, colApellido1, colApellido2, colTipo, colCurso, colSeccion, colGuardado, colSinAsignar, colPromociona,
    colRepite, colBaja, colFechaBaja, colNTipo, colNCurso, colNSeccion, colNTipoTexto, colNCursoTexto, colNSeccionTexto,
    colOrdenSeccion
};

}  // namespace

QList<qint16> SeleccionAlumnos::CargarDatosAlumnos(bool actividades, const std::function<void(cCurso&)>& trasSeccion) {
    QList<qint16> guardadas;
    for (Recordset rs = con_.Abrir(QStringLiteral(
             "SELECT CIERRECURSO_SECCION.IDSeccion AS IDSeccion FROM CIERRECURSO_SECCION INNER JOIN Seccion ON "
             "CIERRECURSO_SECCION.IDSeccion=Seccion.IDSeccion ORDER BY CIERRECURSO_SECCION.IDSeccion"));
         !rs.eof(); rs.MoveNext())
        guardadas << qint16(rs.entero(QStringLiteral("IDSeccion")));

    // The students of every stored section with their stored rows, in one
    // read for the school, put in the order of the sections' lists here:
    // sorted by the database, the whole wide rows went through its sorter,
    // which took as long as the read itself.
    const QString enGuardadas = QStringLiteral(" IN (SELECT IDSeccion FROM CIERRECURSO_SECCION)");
    QList<FilaGuardada> filas;
    {
        Recordset rs = con_.Abrir(
            QStringLiteral(
                "SELECT Alumno.IDAlumno AS IDAlumno, Alumno.Nombre as Anombre, Alumno.Apellido_1 AS Apellido_1, "
                "Alumno.Apellido_2 AS Apellido_2, Alumno.codTipoEnsenanza AS codTipoEnsenanza, "
                "Alumno.codCurso AS codCurso, Alumno.codSeccion AS codSeccion, "
                "CIERRECURSO_SECCION_ALUMNO.IDAlumno AS Guardado, CIERRECURSO_SECCION_ALUMNO.SinAsignar AS SinAsignar, CIERRECURSO_SECCION_ALUMNO.Promociona AS Promociona, "
                "CIERRECURSO_SECCION_ALUMNO.Repite AS Repite, CIERRECURSO_SECCION_ALUMNO.Baja AS Baja, "
                "CIERRECURSO_SECCION_ALUMNO.FechaBaja AS FechaBaja, "
                "CIERRECURSO_SECCION_ALUMNO.NIDTipoEnsenanza AS NIDTipoEnsenanza, "
                "CIERRECURSO_SECCION_ALUMNO.NIDCurso AS NIDCurso, CIERRECURSO_SECCION_ALUMNO.NIDSeccion AS NIDSeccion, "
                "CIERRECURSO_SECCION_ALUMNO.NTipoEnsenanza AS NTipoEnsenanza, CIERRECURSO_SECCION_ALUMNO.NCurso AS NCurso, "
                "CIERRECURSO_SECCION_ALUMNO.NSeccion AS NSeccion, Alumno.OrdenSeccion AS OrdenSeccion "
                "FROM TipoEnsenanza INNER JOIN (((Alumno "
                "INNER JOIN Seccion ON Alumno.codSeccion=Seccion.IDSeccion) INNER JOIN Curso "
                "ON Alumno.codCurso=Curso.IDCurso) LEFT JOIN CIERRECURSO_SECCION_ALUMNO ON "
                "Alumno.IDAlumno=CIERRECURSO_SECCION_ALUMNO.IDAlumno) ON "
                "TipoEnsenanza.IDTipoEnsenanza=Alumno.codTipoEnsenanza WHERE "
                "Alumno.codSeccion") +
            enGuardadas + QStringLiteral(" AND ") + motor::AlumnoActivo);
        filas.reserve(rs.RecordCount());
        for (; !rs.eof(); rs.MoveNext()) {
            FilaGuardada f;
            f.id = qint32(rs.entero(colId));
            f.nombre = rs.texto(colNombre);
            f.apellido1 = rs.texto(colApellido1);
            f.apellido2 = rs.texto(colApellido2);
            f.tipo = acotar<quint8>(rs.entero(colTipo));
            f.curso = acotar<quint8>(rs.entero(colCurso));
            f.seccionLeida = rs.entero(colSeccion);
            f.seccion = qint16(f.seccionLeida);
            f.sinOrden = rs.esNulo(colOrdenSeccion);
            f.orden = rs.entero(colOrdenSeccion);
            f.sinFila = rs.esNulo(colGuardado);
            if (!f.sinFila) {
                for (const int c : {colSinAsignar, colPromociona, colRepite, colBaja}) f.nulo = f.nulo || rs.esNulo(c);
                f.sinAsignar = rs.booleano(colSinAsignar);
                f.promociona = rs.booleano(colPromociona);
                f.repite = rs.booleano(colRepite);
                f.baja = rs.booleano(colBaja);
                f.fechaBaja = rs.texto(colFechaBaja);
                f.nTipo = rs.entero(colNTipo);
                f.nCurso = rs.entero(colNCurso);
                f.nSeccion = rs.entero(colNSeccion);
                f.nTipoTexto = rs.texto(colNTipoTexto);
                f.nCursoTexto = rs.texto(colNCursoTexto);
                f.nSeccionTexto = rs.texto(colNSeccionTexto);
            }
            filas << std::move(f);
        }
    }
    std::sort(filas.begin(), filas.end(), antesEnLista);

    // A student whose stored row gives no decision (none, unassigned, or a
    // teaching type no longer taught) takes the default one, which in a
    // course without direct promotion needs his promotion data: that is read
    // for those sections only, in one query. The loop below gives the
    // default decision by this same test, so the two cannot drift apart.
    // A row with a flag left Null says nothing that can be read as a
    // decision: the student comes back with none, and the check of the
    // decisions names him.
    const auto tomaDefecto = [this](const FilaGuardada& f) {
        if (f.sinFila) return true;
        if (f.nulo) return false;
        return f.sinAsignar ||
               ((f.promociona || f.repite) && (f.nTipo == 0 || !enLista(listaTipos_, f.nTipo)));
    };
    QList<qint16> conDefecto;
    for (const FilaGuardada& f : filas) {
        if ((!conDefecto.isEmpty() && conDefecto.last() == f.seccion) || !tomaDefecto(f)) continue;
        if (const auto s = Seccion(f.seccion); s && !s->PromocionDirecta()) conDefecto << f.seccion;
    }
    QHash<qint16, QHash<qint32, QVariant>> promociones;
    if (!conDefecto.isEmpty()) {
        QStringList ids;
        for (const qint16 id : conDefecto) ids << QString::number(id);
        promociones = LeerPromociones(QStringLiteral(" IN (") + ids.join(QLatin1Char(',')) + QLatin1Char(')'));
    }
    const QHash<qint32, QString> miembros = actividades ? LeerActividades(enGuardadas) : QHash<qint32, QString>();

    const QString hoy = Reloj::hoy().toString(QStringLiteral("dd/MM/yyyy"));
    QList<qint16> cargadas;
    qsizetype i = 0;
    for (const qint16 idSeccion : guardadas) {
        // Both lists go by section id: the rows of sections before this one
        // belong to none on the page.
        while (i < filas.size() && filas.at(i).seccion < idSeccion) ++i;
        // A stored section of a course the school no longer teaches is not
        // on the page: nothing to promote.
        const auto s = Seccion(idSeccion);
        if (!s) continue;
        s->setAlumnos(std::make_shared<Coleccion<cAlumno>>());
        s->setPromocionada(true);
        // The default decision of a student with no stored row (one who came
        // since the save) is read as the page reads it, from his section.
        const QHash<qint32, QVariant> promocionesSeccion =
            s->PromocionDirecta() ? QHash<qint32, QVariant>() : promociones.value(idSeccion);

        int orden = 0;
        for (; i < filas.size() && filas.at(i).seccion == idSeccion; ++i) {
            const FilaGuardada& f = filas.at(i);
            ++orden;
            const qint32 id = f.id;
            if (s->Alumnos()->contiene(QString::number(id))) continue;
            auto a = std::make_shared<cAlumno>();
            a->setIDAlumno(id);
            a->setNombre(f.nombre);
            a->setApellido1(f.apellido1);
            a->setApellido2(f.apellido2);
            a->setIDSeccion(f.seccion);
            a->setIDCurso(f.curso);
            a->setIDTipoEnsenanza(f.tipo);
            a->setActividades(miembros.value(id));
            a->setOrden(acotar<quint8>(orden));

            // Two flags set come back both set, for the check of the
            // decisions to name him.
            if (tomaDefecto(f)) {
                a->setSinAsignar(true);
                DefectoPromocion(*a, s->PromocionDirecta(), promocionesSeccion);
            } else if (!f.nulo) {
                a->setSinAsignar(false);
                a->setPromociona(f.promociona);
                a->setRepite(f.repite);
                a->setBaja(f.baja);
                // Here a promoted or repeating student's teaching type is
                // still taught; his course and section are kept where they
                // still belong to it.
                if (a->Promociona() || a->Repite()) {
                    const long long tipo = f.nTipo;
                    const long long curso = f.nCurso;
                    const long long seccion = f.nSeccion;
                    a->setNIDTipoEnsenanza(acotar<quint8>(tipo));
                    a->setNTipoEnsenanza(f.nTipoTexto);
                    if (curso != 0 && enLista(listaCursos_, curso) && tiposCurso_.value(int(curso), -1) == tipo) {
                        a->setNIDCurso(acotar<quint8>(curso));
                        a->setNCurso(f.nCursoTexto);
                        const auto destino = seccion != 0 && seccion == int(seccion) ? Seccion(int(seccion)) : nullptr;
                        if (destino && destino->IDTipoEnsenanza() == tipo && destino->IDCurso() == curso) {
                            a->setNIDSeccion(qint16(seccion));
                            a->setNSeccion(f.nSeccionTexto);
                            OcuparPlaza(*a);
                        }
                    }
                }
                if (a->Baja()) a->setFechaBaja(f.fechaBaja.trimmed().isEmpty() ? hoy : f.fechaBaja);
            }
            s->Alumnos()->Add(a, QString::number(id));
        }
        cargadas << idSeccion;
        if (trasSeccion) trasSeccion(*s);
    }
    return cargadas;
}

std::shared_ptr<Coleccion<cCurso>> SeccionesGuardadas(Conexion& centro, qint16 idCentro) {
    SeleccionAlumnos datos(centro, idCentro);
    datos.Cargar();
    // Without a stored set every section would close unpromoted, its
    // students removed: that is never what a caller asking for it means.
    if (!datos.HayDatosGuardados())
        throw Error(errores::ElementoNoEncontrado, QStringLiteral("No hay datos de promoción de alumnos guardados"));
    datos.FilasSecciones();
    datos.CargarDatosAlumnos(true);
    return datos.Secciones();
}

}  // namespace ncc
