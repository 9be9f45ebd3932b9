// The stored set of the student page's decisions: saved into the two
// CIERRECURSO_SECCION tables of the school database and loaded back, each
// stored destination checked against the school as it is now.
#include "platform/Conexion.h"
#include "platform/InsercionLotes.h"
#include "platform/Recordset.h"
#include "platform/Reloj.h"
#include "wizard/SeleccionAlumnos.h"
#include <QSet>
#include <algorithm>

namespace ncc {

namespace {

// The stored flags are written as the suite wrote them, -1 or 0, whatever the
// back end.
int bandera(bool b) { return b ? -1 : 0; }

quint8 enByte(long long v) { return quint8(std::clamp<long long>(v, 0, 255)); }

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

QList<qint16> SeleccionAlumnos::CargarDatosAlumnos(bool actividades, const std::function<void(cCurso&)>& trasSeccion) {
    QList<qint16> guardadas;
    for (Recordset rs = con_.Abrir(QStringLiteral(
             "SELECT CIERRECURSO_SECCION.IDSeccion AS IDSeccion FROM CIERRECURSO_SECCION INNER JOIN Seccion ON "
             "CIERRECURSO_SECCION.IDSeccion=Seccion.IDSeccion ORDER BY CIERRECURSO_SECCION.IDSeccion"));
         !rs.eof(); rs.MoveNext())
        guardadas << qint16(rs.entero(QStringLiteral("IDSeccion")));

    // The students of every stored section, their promotions and their
    // activities are read in one query each, by section: three queries per
    // section made the load of a large school wait on hundreds of them.
    const QString enGuardadas = QStringLiteral(" IN (SELECT IDSeccion FROM CIERRECURSO_SECCION)");
    const QHash<qint16, QHash<qint32, QVariant>> promociones = LeerPromociones(enGuardadas);
    const QHash<qint32, QString> miembros = actividades ? LeerActividades(enGuardadas) : QHash<qint32, QString>();
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
            "CIERRECURSO_SECCION_ALUMNO.NSeccion AS NSeccion FROM TipoEnsenanza INNER JOIN (((Alumno "
            "INNER JOIN Seccion ON Alumno.codSeccion=Seccion.IDSeccion) INNER JOIN Curso "
            "ON Alumno.codCurso=Curso.IDCurso) LEFT JOIN CIERRECURSO_SECCION_ALUMNO ON "
            "Alumno.IDAlumno=CIERRECURSO_SECCION_ALUMNO.IDAlumno) ON "
            "TipoEnsenanza.IDTipoEnsenanza=Alumno.codTipoEnsenanza WHERE "
            "Alumno.codSeccion") +
        enGuardadas +
        QStringLiteral(" AND (Alumno.FechaBaja IS NULL OR Alumno.FechaBaja='') "
                       "ORDER BY Alumno.codSeccion, (Alumno.OrdenSeccion IS NOT NULL), Alumno.OrdenSeccion, "
                       "Alumno.IDAlumno"));

    const QString hoy = Reloj::hoy().toString(QStringLiteral("dd/MM/yyyy"));
    QList<qint16> cargadas;
    for (const qint16 idSeccion : guardadas) {
        // Both lists go by section id: the rows of sections before this one
        // belong to none on the page.
        while (!rs.eof() && rs.entero(QStringLiteral("codSeccion")) < idSeccion) rs.MoveNext();
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
        for (; !rs.eof() && rs.entero(QStringLiteral("codSeccion")) == idSeccion; rs.MoveNext()) {
            ++orden;
            const qint32 id = qint32(rs.entero(QStringLiteral("IDAlumno")));
            if (s->Alumnos()->contiene(QString::number(id))) continue;
            auto a = std::make_shared<cAlumno>();
            a->setIDAlumno(id);
            a->setNombre(rs.texto(QStringLiteral("Anombre")));
            a->setApellido1(rs.texto(QStringLiteral("Apellido_1")));
            a->setApellido2(rs.texto(QStringLiteral("Apellido_2")));
            a->setIDSeccion(qint16(rs.entero(QStringLiteral("codSeccion"))));
            a->setIDCurso(enByte(rs.entero(QStringLiteral("codCurso"))));
            a->setIDTipoEnsenanza(enByte(rs.entero(QStringLiteral("codTipoEnsenanza"))));
            a->setActividades(miembros.value(id));
            a->setOrden(enByte(orden));

            // A stored row with a flag left Null says nothing that can be
            // read as a decision: the student comes back with none, and the
            // check of the decisions names him. Two flags set come back
            // both set, for the same check.
            const bool sinFila = rs.esNulo(QStringLiteral("Guardado"));
            bool nulo = false;
            for (const char* bandera : {"SinAsignar", "Promociona", "Repite", "Baja"})
                nulo = nulo || rs.esNulo(QString::fromLatin1(bandera));
            if (sinFila || (!nulo && rs.booleano(QStringLiteral("SinAsignar")))) {
                a->setSinAsignar(true);
                DefectoPromocion(*a, s->PromocionDirecta(), promocionesSeccion);
            } else if (!nulo) {
                a->setSinAsignar(false);
                a->setPromociona(rs.booleano(QStringLiteral("Promociona")));
                a->setRepite(rs.booleano(QStringLiteral("Repite")));
                a->setBaja(rs.booleano(QStringLiteral("Baja")));
                if (a->Promociona() || a->Repite()) {
                    const long long tipo = rs.entero(QStringLiteral("NIDTipoEnsenanza"));
                    const long long curso = rs.entero(QStringLiteral("NIDCurso"));
                    const long long seccion = rs.entero(QStringLiteral("NIDSeccion"));
                    if (tipo == 0 || !enLista(listaTipos_, tipo)) {
                        // The stored teaching type is gone: the student waits
                        // for a decision again.
                        a->setBaja(false);
                        a->setSinAsignar(true);
                        DefectoPromocion(*a, s->PromocionDirecta(), promocionesSeccion);
                    } else {
                        a->setNIDTipoEnsenanza(enByte(tipo));
                        a->setNTipoEnsenanza(rs.texto(QStringLiteral("NTipoEnsenanza")));
                        if (curso != 0 && enLista(listaCursos_, curso) && tiposCurso_.value(int(curso), -1) == tipo) {
                            a->setNIDCurso(enByte(curso));
                            a->setNCurso(rs.texto(QStringLiteral("NCurso")));
                            const auto destino = seccion != 0 && enLista(listaSecciones_, seccion)
                                                     ? Seccion(int(seccion))
                                                     : nullptr;
                            if (destino && destino->IDTipoEnsenanza() == tipo && destino->IDCurso() == curso) {
                                a->setNIDSeccion(qint16(seccion));
                                a->setNSeccion(rs.texto(QStringLiteral("NSeccion")));
                                OcuparPlaza(*a);
                            }
                        }
                    }
                }
                if (a->Baja()) {
                    const QString fecha = rs.texto(QStringLiteral("FechaBaja"));
                    a->setFechaBaja(fecha.trimmed().isEmpty() ? hoy : fecha);
                }
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
