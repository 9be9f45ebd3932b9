#include "engine/ComprobacionesCierre.h"
#include "engine/Comun.h"
#include "entry/cConfiguracion.h"
#include "platform/Error.h"
#include "platform/Mensajes.h"
#include "platform/Recordset.h"
#include <QStringList>

namespace ncc {

namespace {

constexpr int NoHayDatos = 2193;
constexpr int OperacionIrreversible = 1183;
constexpr int AlumnosSinEvaluar = 1182;
constexpr int RecibosPendientes = 1180;
constexpr int IniciarProceso = 1185;
constexpr int ActividadesSinPromocionar = 1186;

bool hayFila(Conexion& con, const QString& sql) {
    Recordset rs = con.Abrir(sql);
    const bool hay = !rs.eof();
    rs.Close();
    return hay;
}

QString consultaActaSinNota(qint64 periodo, const QString& tipos, const QString& clases, const QString& lista) {
    const QString restriccion =
        lista.isEmpty() ? QString()
                        : QStringLiteral("AND EvaluacionActa.codAlumno_MateriaDetalles IN(") + lista + QStringLiteral(") ");
    return QStringLiteral(
               "SELECT Alumno.IDAlumno FROM Alumno INNER JOIN ((Alumno_MateriaDetalles "
               "INNER JOIN ((MateriaDetalles INNER JOIN Materia ON "
               "MateriaDetalles.codMateria=Materia.IDMateria) INNER JOIN TipoMateria ON "
               "MateriaDetalles.codTipoMateria=TipoMateria.IDTipoMateria) "
               "ON Alumno_MateriaDetalles.codMateriaDetalles=MateriaDetalles.IDMateriaDetalles) "
               "INNER JOIN EvaluacionActa ON "
               "Alumno_MateriaDetalles.IDAlumno_MateriaDetalles=EvaluacionActa.codAlumno_MateriaDetalles) "
               "ON Alumno.IDAlumno=Alumno_MateriaDetalles.codAlumno WHERE "
               "TipoMateria.codEspecificarTipoMateria IN(") +
           clases + QStringLiteral(") AND EvaluacionActa.codNumEvaluacion=") + QString::number(periodo) +
           QStringLiteral(" AND ") + motor::AlumnoActivo + QStringLiteral(" AND Alumno.codTipoEnsenanza IN(") +
           tipos + QStringLiteral(") ") + restriccion + QStringLiteral("AND EvaluacionActa.codNota=0 LIMIT 1");
}

QString consultaActaSuspensa(qint64 periodo, const QString& tipos) {
    return QStringLiteral(
               "SELECT Alumno.IDAlumno, EvaluacionActa.codAlumno_MateriaDetalles "
               "FROM Alumno INNER JOIN ((Alumno_MateriaDetalles INNER JOIN "
               "((MateriaDetalles INNER JOIN Materia ON "
               "MateriaDetalles.codMateria=Materia.IDMateria) INNER JOIN TipoMateria ON "
               "MateriaDetalles.codTipoMateria=TipoMateria.IDTipoMateria) ON "
               "Alumno_MateriaDetalles.codMateriaDetalles=MateriaDetalles.IDMateriaDetalles) INNER "
               "JOIN (EvaluacionActa INNER JOIN Nota ON EvaluacionActa.codNota = Nota.IDNota) ON "
               "Alumno_MateriaDetalles.IDAlumno_MateriaDetalles=EvaluacionActa.codAlumno_MateriaDetalles) "
               "ON Alumno.IDAlumno=Alumno_MateriaDetalles.codAlumno WHERE "
               "TipoMateria.codEspecificarTipoMateria IN(1) AND "
               "Alumno.codTipoEnsenanza IN(") +
           tipos + QStringLiteral(") AND Nota.Aprobado=0 AND EvaluacionActa.codNumEvaluacion=") +
           QString::number(periodo) +
           QStringLiteral(" AND ") + motor::AlumnoActivo + QStringLiteral(" "
                          "GROUP BY Alumno.IDAlumno, EvaluacionActa.codAlumno_MateriaDetalles");
}

// Teaching types of every school, as an id list for IN(); "0" when none.
QString tiposEnsenanza(Conexion& centro) {
    Recordset rs = centro.Abrir(QStringLiteral("SELECT DISTINCT codTipoEnsenanza FROM Centro_TipoEnsenanza"));
    QStringList tipos;
    for (; !rs.eof(); rs.MoveNext()) tipos << QString::number(rs.entero(QStringLiteral("codTipoEnsenanza")));
    rs.Close();
    return tipos.isEmpty() ? QStringLiteral("0") : tipos.join(QLatin1Char(','));
}

// One group of final periods: the first must grade every subject of kind 1
// (and, in schools with types 5 or 9, of kind 4), each later one the
// subjects failed in the period before it. True when one was left ungraded.
bool grupoSinEvaluar(Conexion& centro, Recordset& periodos, const QString& tipos, bool tipos5o9) {
    QVector<qint64> grupo;
    for (; !periodos.eof(); periodos.MoveNext()) grupo.append(periodos.entero(QStringLiteral("IDNumEvaluacion")));
    if (tipos5o9)
        for (qint64 p : grupo)
            if (hayFila(centro, consultaActaSinNota(p, tipos, QStringLiteral("4"), QString()))) return true;
    QString lista;
    for (int i = 0; i < grupo.size(); ++i) {
        if (hayFila(centro, consultaActaSinNota(grupo[i], tipos, QStringLiteral("1"), lista))) return true;
        lista.clear();
        if (i + 1 == grupo.size()) break;
        Recordset suspensas = centro.Abrir(consultaActaSuspensa(grupo[i], tipos));
        if (suspensas.eof()) break;
        QStringList ids;
        for (; !suspensas.eof(); suspensas.MoveNext())
            ids << QString::number(suspensas.entero(QStringLiteral("codAlumno_MateriaDetalles")));
        lista = ids.join(QLatin1Char(','));
    }
    return false;
}

}  // namespace

bool HaySecciones(Conexion& centro, qint16 idCentro) {
    return hayFila(centro,
                   QStringLiteral("SELECT Seccion_Alumno.codSeccion FROM Seccion_Alumno INNER JOIN "
                                  "(Alumno INNER JOIN Centro_TipoEnsenanza ON "
                                  "Alumno.codTipoEnsenanza=Centro_TipoEnsenanza.codTipoEnsenanza) ON "
                                  "Seccion_Alumno.codAlumno=Alumno.IDAlumno WHERE ") +
                       motor::AlumnoActivo + QStringLiteral(" AND Centro_TipoEnsenanza.codCentro=") +
                       QString::number(idCentro) + QStringLiteral(" LIMIT 1"));
}

bool HayActividades(Conexion& centro) {
    return hayFila(centro, QStringLiteral("SELECT IDActividad FROM Actividad LIMIT 1"));
}

bool ConfirmarCierre() { return preguntar(OperacionIrreversible, Icono::Critico, Respuesta::Si); }

// True when some active student was left ungraded (see grupoSinEvaluar).
static bool hayAlumnosSinEvaluar(Conexion& centro) {
    const QString tipos = tiposEnsenanza(centro);
    const QString envuelto = QLatin1Char(',') + tipos + QLatin1Char(',');
    const bool tipos5o9 = envuelto.contains(QLatin1String(",5,")) || envuelto.contains(QLatin1String(",9,"));

    if (hayFila(centro, QStringLiteral("SELECT IDAlumno FROM Alumno INNER JOIN (Alumno_MateriaDetalles "
                                       "INNER JOIN Evaluacion ON "
                                       "Alumno_MateriaDetalles.IDAlumno_MateriaDetalles=Evaluacion.codAlumno_MateriaDetalles) "
                                       "ON Alumno.IDAlumno=Alumno_MateriaDetalles.codAlumno WHERE ") +
                            motor::AlumnoActivo +
                            QStringLiteral(" AND Evaluacion.Evaluado=0 AND Alumno.codTipoEnsenanza IN(") +
                            tipos + QStringLiteral(") LIMIT 1")))
        return true;

    Recordset finales = centro.Abrir(QStringLiteral("SELECT IDNumEvaluacion, Orden FROM NumEvaluacion WHERE Final=") +
                                     QString::number(centro.verdadero()) +
                                     QStringLiteral(" ORDER BY Orden, IDNumEvaluacion"));
    if (finales.eof()) return false;
    const QString grupos[] = {QStringLiteral("Orden=1 OR Orden=2"), QStringLiteral("Orden=51 OR Orden=52 OR Orden=53"),
                              QStringLiteral("Orden=3")};
    for (const QString& filtro : grupos) {
        finales.Filter(filtro);
        if (grupoSinEvaluar(centro, finales, tipos, tipos5o9)) return true;
    }
    finales.Close();
    return false;
}

bool ComprobarAlumnosSinEvaluar(Conexion& centro) {
    bool sinEvaluar = false;
    try {
        sinEvaluar = hayAlumnosSinEvaluar(centro);
    } catch (const Error& e) {
        // A check that could not be made did not pass.
        mostrarError(e);
        return false;
    }
    return !sinEvaluar || preguntar(AlumnosSinEvaluar);
}

bool ComprobarRecibosPendientes(Conexion& centro) {
    try {
        if (!hayFila(centro, QStringLiteral("SELECT IdReciboP FROM ReciboPendiente WHERE Pagado=0 LIMIT 1")))
            return true;
    } catch (const Error& e) {
        mostrarError(e);
        return false;
    }
    return preguntar(RecibosPendientes);
}

// The questions stay outside the traps of the database errors: a question
// that cannot be asked (no terminal) is not a failed check but the end of
// the command.
InicioCierre ComprobarInicioCierre(const cConfiguracion& conf) {
    InicioCierre r;
    Conexion* centro = conf.conLocalCentro();
    try {
        if (!centro) throw Error(errores::ConexionCerrada, QStringLiteral("No hay conexión con la base de datos del centro"));
        r.Secciones = HaySecciones(*centro, conf.intIDCentro());
        r.Actividades = HayActividades(*centro);
    } catch (const Error& e) {
        // Reading "no sections" after a failure would skip the students.
        mostrarError(e);
        return r;
    }
    if (!r.Secciones && !r.Actividades) {
        avisar(NoHayDatos, Icono::Informacion);
        return r;
    }
    if (!ConfirmarCierre()) return r;
    if (r.Secciones && !ComprobarAlumnosSinEvaluar(*centro)) return r;
    if (!ComprobarRecibosPendientes(*centro)) return r;
    r.Mostrar = true;
    return r;
}

bool HayCursosCierreParcial(Conexion& centro) {
    return hayFila(centro, QStringLiteral("SELECT DISTINCT codtipoensenanza FROM Curso WHERE codtipoensenanza IN (3,4,5,9)"));
}

QString PreguntaCierreParcial() {
    return QStringLiteral(
        "Se va a proceder a realizar el cierre de curso. Puede realizar este cierre de curso parcial para pasar "
        "alumnos al curso escolar siguiente sin las notas de este curso, proceso que podrá completar en el "
        "siguiente curso escolar marcando como histórico este curso en el árbol del programa en la opción de "
        "centros existentes, seleccionando su centro y pulsando en editar y editando este curso escolar, marcar "
        "la opción de curso escolar histórico y aceptando la pantalla se dará opción para pasar las notas "
        "históricas. ¿Desea realizar un cierre parcial de este curso escolar?");
}

bool ConfirmarInicioProceso(Conexion& centro, bool actividades, bool actividadesCargadas,
                            std::optional<bool> parcial) {
    const int pregunta = !actividades || actividadesCargadas ? IniciarProceso : ActividadesSinPromocionar;
    if (!preguntar(pregunta)) return false;
    if (parcial) {
        CierreParcial() = *parcial;
        return true;
    }
    bool puedeSerParcial = false;
    try {
        puedeSerParcial = HayCursosCierreParcial(centro);
    } catch (const Error& e) {
        mostrarError(e);
        return false;
    }
    if (puedeSerParcial) CierreParcial() = preguntarTexto(PreguntaCierreParcial());
    return true;
}

bool NombreCursoUsado(Conexion& appEntrada, qint16 idCentro, const QString& nombre) {
    for (Recordset rs = appEntrada.Abrir(QStringLiteral("SELECT Nombre FROM CursoEscolar WHERE CodCentro=%1").arg(idCentro));
         !rs.eof(); rs.MoveNext())
        if (MismoNombreCurso(rs.texto(QStringLiteral("Nombre")), nombre)) return true;
    return false;
}

bool MismoNombreCurso(const QString& a, const QString& b) {
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

QString TextoNombreCursoUsado(const QString& nombre) {
    return QStringLiteral("Ya hay un curso escolar llamado \"%1\" en este centro. Elija otro nombre para el nuevo curso.")
        .arg(nombre);
}

}  // namespace ncc
