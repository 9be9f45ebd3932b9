#include "wizard/DatosActividades.h"
#include "engine/Comun.h"
#include "engine/PurgaFechas.h"
#include "entry/cAlumnoActividad.h"
#include "entry/cPrecioActividad.h"
#include "platform/BucleMensajes.h"
#include "platform/Conexion.h"
#include "wizard/LecturaActividades.h"

namespace ncc::actividades {

namespace {

// The stored flags are the Access true on both back ends, as the columns
// take it.
constexpr int Verdadero = -1;

using motor::textoNoNulo;

void ejecutar(Conexion& con, const QString& sql, const QVariantList& valores = {}) {
    con.Execute(sql, valores);
    ceder();
}

void guardarPrecios(Conexion& con, const QString& tabla, qint32 actividad, const Coleccion<cPrecioActividad>& precios) {
    const QString sql = QStringLiteral("INSERT INTO %1 VALUES(?,?,?,?)").arg(tabla);
    for (const auto& p : precios)
        ejecutar(con, sql, {actividad, int(p->ID()), textoNoNulo(p->Euros()), textoNoNulo(p->Pesetas())});
}

}  // namespace

bool hayDatosActividades(Conexion& centro) {
    return !centro.Abrir(QStringLiteral("SELECT IDActividad FROM CIERRECURSO_ACTIVIDAD LIMIT 1")).eof();
}

void guardarDatosActividades(Conexion& centro, const Coleccion<cActividad>& actividades) {
    Transaccion t(centro);
    escribirDatosActividades(centro, actividades);
    t.confirmar();
}

void escribirDatosActividades(Conexion& centro, const Coleccion<cActividad>& actividades) {
    ejecutar(centro, QStringLiteral("DELETE FROM CIERRECURSO_ACTIVIDAD"));
    ejecutar(centro, QStringLiteral("DELETE FROM CIERRECURSO_ACTIVIDAD_ALUMNO"));
    ejecutar(centro, QStringLiteral("DELETE FROM CIERRECURSO_ACTIVIDAD_PRECIO_TIPOALUMNO"));
    ejecutar(centro, QStringLiteral("DELETE FROM CIERRECURSO_ACTIVIDAD_PRECIO_CURSO"));
    for (const auto& a : actividades) {
        if (!a->Promocionada()) continue;
        const qint32 id = a->IDActividad();
        ejecutar(centro, QStringLiteral("INSERT INTO CIERRECURSO_ACTIVIDAD VALUES(?,?,?)"),
                 {id, textoNoNulo(a->FechaInicio()), textoNoNulo(a->FechaFin())});
        guardarPrecios(centro, QStringLiteral("CIERRECURSO_ACTIVIDAD_PRECIO_TIPOALUMNO"), id, *a->TipoAlumnos());
        guardarPrecios(centro, QStringLiteral("CIERRECURSO_ACTIVIDAD_PRECIO_CURSO"), id, *a->Cursos());
        for (const auto& m : *a->Alumnos())
            ejecutar(centro, QStringLiteral("INSERT INTO CIERRECURSO_ACTIVIDAD_ALUMNO VALUES(?,?,?,?,?)"),
                     {id, m->IDAlumno(), m->Pasar() ? Verdadero : 0, textoNoNulo(m->Euros()),
                      textoNoNulo(m->Pesetas())});
    }
}

void cargarDatosActividades(Conexion& centro, Coleccion<cActividad>& actividades, const Coleccion<cCurso>* secciones) {
    Recordset guardadas = centro.Abrir(QStringLiteral(
        "SELECT CIERRECURSO_ACTIVIDAD.IDActividad, CIERRECURSO_ACTIVIDAD.FechaInicio, CIERRECURSO_ACTIVIDAD.FechaFin "
        "FROM CIERRECURSO_ACTIVIDAD INNER JOIN Actividad ON CIERRECURSO_ACTIVIDAD.IDActividad=Actividad.IDActividad "
        "ORDER BY CIERRECURSO_ACTIVIDAD.IDActividad"));
    for (; !guardadas.eof(); guardadas.MoveNext()) {
        const qint32 id = qint32(guardadas.entero(QStringLiteral("IDActividad")));
        const auto a = actividades.buscar(clave<cActividad>(id));
        if (!a) continue;
        const QString inicio = guardadas.texto(QStringLiteral("FechaInicio"));
        const QString fin = guardadas.texto(QStringLiteral("FechaFin"));
        const bool conFechas = !inicio.isEmpty() && !fin.isEmpty();
        a->setFechaInicio(conFechas ? inicio : QString());
        a->setFechaFin(conFechas ? fin : QString());
        a->setPromocionada(true);

        // Prices by the student types still among the activity's active
        // members.
        for (Recordset rs = centro.Abrir(
                 QStringLiteral("SELECT DISTINCT CIERRECURSO_ACTIVIDAD_PRECIO_TIPOALUMNO.Euros, "
                                "CIERRECURSO_ACTIVIDAD_PRECIO_TIPOALUMNO.Pesetas, "
                                "CIERRECURSO_ACTIVIDAD_PRECIO_TIPOALUMNO.codActividad, "
                                "CIERRECURSO_ACTIVIDAD_PRECIO_TIPOALUMNO.codTipoAlumno "
                                "FROM CIERRECURSO_ACTIVIDAD_PRECIO_TIPOALUMNO "
                                "INNER JOIN Alumno ON CIERRECURSO_ACTIVIDAD_PRECIO_TIPOALUMNO.codTipoAlumno=Alumno.codTipoAlumno "
                                "INNER JOIN Alumno_Actividad_Miembro ON Alumno.IDAlumno=Alumno_Actividad_Miembro.codAlumno "
                                "WHERE CIERRECURSO_ACTIVIDAD_PRECIO_TIPOALUMNO.codActividad=Alumno_Actividad_Miembro.codActividad "
                                "AND ") +
                 motor::AlumnoActivo +
                 QStringLiteral(" AND CIERRECURSO_ACTIVIDAD_PRECIO_TIPOALUMNO.codActividad=? "
                                "ORDER BY CIERRECURSO_ACTIVIDAD_PRECIO_TIPOALUMNO.codTipoAlumno, "
                                "CIERRECURSO_ACTIVIDAD_PRECIO_TIPOALUMNO.Euros, CIERRECURSO_ACTIVIDAD_PRECIO_TIPOALUMNO.Pesetas"),
                 {id});
             !rs.eof(); rs.MoveNext())
            if (const auto p = a->TipoAlumnos()->buscar(clave<cPrecioActividad>(rs.entero(QStringLiteral("codTipoAlumno"))))) {
                p->setEuros(rs.texto(QStringLiteral("Euros")));
                p->setPesetas(rs.texto(QStringLiteral("Pesetas")));
            }

        // Prices by the courses still in the school.
        for (Recordset rs = centro.Abrir(QStringLiteral("SELECT Curso.IDCurso, CIERRECURSO_ACTIVIDAD_PRECIO_CURSO.Euros, "
                                                        "CIERRECURSO_ACTIVIDAD_PRECIO_CURSO.Pesetas FROM Curso "
                                                        "INNER JOIN CIERRECURSO_ACTIVIDAD_PRECIO_CURSO ON "
                                                        "Curso.IDCurso=CIERRECURSO_ACTIVIDAD_PRECIO_CURSO.codCurso "
                                                        "WHERE CIERRECURSO_ACTIVIDAD_PRECIO_CURSO.codActividad=? "
                                                        "ORDER BY Curso.IDCurso, CIERRECURSO_ACTIVIDAD_PRECIO_CURSO.Euros, "
                                                        "CIERRECURSO_ACTIVIDAD_PRECIO_CURSO.Pesetas"),
                                         {id});
             !rs.eof(); rs.MoveNext())
            if (const auto p = a->Cursos()->buscar(clave<cPrecioActividad>(rs.entero(QStringLiteral("IDCurso"))))) {
                p->setEuros(rs.texto(QStringLiteral("Euros")));
                p->setPesetas(rs.texto(QStringLiteral("Pesetas")));
            }

        // Members: still active members of the activity, with a stored row.
        QList<std::shared_ptr<cAlumnoActividad>> filas;
        for (Recordset rs = centro.Abrir(
                 QStringLiteral("SELECT Alumno_Actividad_Miembro.codAlumno AS IDAlumno, Alumno.Nombre, Alumno.Apellido_1, "
                                "Alumno.Apellido_2, Alumno.codSeccion, TipoAlumno.IDTipoAlumno AS codTipoAlumno, "
                                "TipoAlumno.Descripcion, CIERRECURSO_ACTIVIDAD_ALUMNO.Pasar, "
                                "CIERRECURSO_ACTIVIDAD_ALUMNO.Euros AS PrecioEuros, "
                                "CIERRECURSO_ACTIVIDAD_ALUMNO.Pesetas AS PrecioPesetas "
                                "FROM CIERRECURSO_ACTIVIDAD_ALUMNO "
                                "INNER JOIN Alumno_Actividad_Miembro ON "
                                "Alumno_Actividad_Miembro.codAlumno=CIERRECURSO_ACTIVIDAD_ALUMNO.IDAlumno "
                                "INNER JOIN Alumno ON Alumno_Actividad_Miembro.codAlumno=Alumno.IDAlumno "
                                "LEFT JOIN Seccion ON Alumno.codSeccion=Seccion.IDSeccion "
                                "LEFT JOIN Curso ON Alumno.codCurso=Curso.IDCurso "
                                "LEFT JOIN TipoEnsenanza ON Alumno.codTipoEnsenanza=TipoEnsenanza.IDTipoEnsenanza "
                                "INNER JOIN TipoAlumno ON Alumno.codTipoAlumno=TipoAlumno.IDTipoAlumno WHERE ") +
                 motor::AlumnoActivo +
                 QStringLiteral(" AND Alumno_Actividad_Miembro.codActividad=? AND CIERRECURSO_ACTIVIDAD_ALUMNO.codActividad=? "
                                "ORDER BY COALESCE(Alumno.Apellido_1,'') || COALESCE(Alumno.Apellido_2,'') || "
                                "COALESCE(Alumno.Nombre,''), Alumno_Actividad_Miembro.codAlumno"),
                 {id, id});
             !rs.eof(); rs.MoveNext()) {
            auto m = MiembroLeido(rs);
            m->setPasar(rs.booleano(QStringLiteral("Pasar")));
            filas << m;
        }
        const auto miembros = miembrosUnicos(filas, secciones);
        a->setAlumnos(miembros);
        marcarPreciosEnUso(*a, *miembros);
    }
}

std::shared_ptr<Coleccion<cActividad>> actividadesGuardadas(Conexion& centro, qint16 idCentro,
                                                            const Coleccion<cCurso>* secciones) {
    auto carga = leerActividades(centro, idCentro);
    cargarDatosActividades(centro, *carga.actividades, secciones);
    return carga.actividades;
}

}  // namespace ncc::actividades
