// The grades pass section by section. Each section's rows are written in one
// transaction of the school database, which a secretary's machine would
// otherwise flush to disk row by row; a row whose own statement fails is
// counted and skipped, as it always was, and the others of the section go
// on. A row is only written when the historic store holds no grade of the
// same student, subject, origin year, teaching type, course and evaluation:
// that is what lets a transfer cut short be run again. The clean-up at the
// end removes only rows this run wrote: the history a school already keeps
// (its graduates' above all) is never touched by a transfer.
#include "history/PasoNotasHistorico.h"
#include "engine/Comun.h"
#include "engine/Historico.h"
#include "engine/ListaIds.h"
#include "platform/BucleMensajes.h"
#include "platform/CadenaConexion.h"
#include "platform/Error.h"
#include "platform/Mensajes.h"
#include "platform/Reloj.h"
#include "platform/Textos.h"
#include <QDir>
#include <QFileInfo>
#include <QHash>

namespace ncc::historicos {

namespace {

constexpr long ErrorAbrirBase = -2147467259L;  // the provider's "cannot open" error

int menosUno(bool b) { return b ? -1 : 0; }

// Promotion data of one student in one evaluation period.
struct Promocion {
    qint64 promocion = 0;
    bool pcpi = false;
    bool diversificacion = false;
    QString fecha;
};

// The promotion data of the section's own students, read once for the
// section instead of once per grade row: by (student, period), the first row
// found, which is what the row's own read found.
class PromocionesSeccion {
public:
    PromocionesSeccion(Conexion& con, int seccion) {
        // The "+" keeps SQLite from walking the period's index, which holds
        // every student of the school, instead of the section's students.
        Recordset rs = con.Abrir(
            QStringLiteral("SELECT Alumno_NumEvaluacion.codAlumno AS codAlumno, "
                           "Alumno_NumEvaluacion.codNumEvaluacion AS codNumEvaluacion, "
                           "Alumno_NumEvaluacion.Promocion AS Promocion, Alumno_NumEvaluacion.PromocionPCPI AS PromocionPCPI, "
                           "Alumno_NumEvaluacion.PromocionDiversificacion AS PromocionDiversificacion, "
                           "Seccion_NumEvaluacion.Fecha AS Fecha "
                           "FROM Alumno INNER JOIN (Alumno_NumEvaluacion INNER JOIN Seccion_NumEvaluacion ON "
                           "+Alumno_NumEvaluacion.codNumEvaluacion=Seccion_NumEvaluacion.codNumEvaluacion) ON "
                           "Alumno_NumEvaluacion.codAlumno=Alumno.IDAlumno "
                           "WHERE Seccion_NumEvaluacion.codSeccion=? AND Alumno.codSeccion=? "
                           "ORDER BY Alumno_NumEvaluacion.IDAlumno_NumEvaluacion, COALESCE(Seccion_NumEvaluacion.Fecha, '')"),
            {seccion, seccion});
        for (; !rs.eof(); rs.MoveNext()) {
            const auto k = qMakePair(rs.entero(QStringLiteral("codAlumno")), rs.entero(QStringLiteral("codNumEvaluacion")));
            if (porPeriodo_.contains(k)) continue;
            Promocion p;
            // A value that is no byte spoils only the rows that use it.
            p.promocion = rs.esNulo(QStringLiteral("Promocion")) ? 0 : rs.entero(QStringLiteral("Promocion"));
            p.pcpi = rs.booleano(QStringLiteral("PromocionPCPI"));
            p.diversificacion = rs.booleano(QStringLiteral("PromocionDiversificacion"));
            p.fecha = rs.texto(QStringLiteral("Fecha"));
            porPeriodo_.insert(k, p);
        }
    }
    // Without promotion data: 0, false, false and no date.
    Promocion de(qint64 alumno, qint64 periodo) const { return porPeriodo_.value(qMakePair(alumno, periodo)); }

private:
    QHash<QPair<qint64, qint64>, Promocion> porPeriodo_;
};

// A row's statements. On the server a failed statement spoils the whole
// transaction, so each row runs under a savepoint there; SQLite undoes
// only the failed statement by itself.
class PuntoFila {
public:
    explicit PuntoFila(Conexion& con) : con_(con), servidor_(con.esServidor()) {
        if (servidor_) con_.Execute(QStringLiteral("SAVEPOINT fila"));
    }
    void bien() {
        if (servidor_) con_.Execute(QStringLiteral("RELEASE SAVEPOINT fila"));
    }
    void mal() {
        if (servidor_) con_.Execute(QStringLiteral("ROLLBACK TO SAVEPOINT fila"));
    }

private:
    Conexion& con_;
    bool servidor_;
};

// A key field without value cannot be told apart from another row's: the
// row is not passed (it never could be: its statements failed).
bool claveCompleta(const Recordset& rs, std::initializer_list<const char*> campos) {
    for (const char* c : campos)
        if (rs.esNulo(QLatin1String(c))) return false;
    return true;
}

// Whether the store already holds the grade. Every reference column of the
// table has an index of its own, and SQLite, without statistics on the
// suite's databases, may walk the one of the school year or the period,
// which hold most of the table, for every row: the "+" leaves it the
// student's, which holds a few dozen rows.
const QString& sqlExiste() {
    static const QString s = QStringLiteral(
        "SELECT codcursoescolarhistorico FROM EvaluacionHistorica WHERE codalumno=? AND +codMateria=? AND "
        "+codcursoescolar=? AND +codtipoensenanza=? AND +codCurso=? AND +codNumEvaluacion=? "
        "ORDER BY IDEvaluacionHistorica LIMIT 1");
    return s;
}

// A SQLite path relative to the application entry's folder is taken from
// there, as the host opens the current year's databases.
QString resolverRuta(const QString& cadena, const QString& carpeta) {
    CadenaConexion c(cadena);
    if (c.valor(QStringLiteral("Provider")).compare(QLatin1String("SQLite"), Qt::CaseInsensitive) != 0) return cadena;
    const QString ruta = c.valor(QStringLiteral("Data Source"));
    if (ruta.isEmpty() || carpeta.isEmpty() || !QFileInfo(ruta).isRelative()) return cadena;
    c.fijar(QStringLiteral("Data Source"), QDir(carpeta).absoluteFilePath(ruta));
    return c.texto();
}

void decir(ResultadoPaso& r, const QString& texto, Icono icono) {
    r.mensaje = texto;
    r.icono = icono;
}

// The standard error text, then what it means for the secretary.
QString textoIncompleto(const Error& e) {
    return Texto(PalabraError) + QLatin1Char(' ') + QString::number(e.numero()) + QStringLiteral(": ") +
           e.descripcion() +
           QStringLiteral("\r\n\r\nEl paso de notas no se ha completado. Puede repetirlo: las notas que ya "
                          "se pasaron no se copiarán de nuevo.");
}

}  // namespace

PasoNotasHistorico::PasoNotasHistorico(Conexion& centro, Conexion& appEntrada, QString carpetaBD)
    : centro_(centro), appEntrada_(appEntrada), carpetaBD_(std::move(carpetaBD)) {}

void MostrarResultado(const ResultadoPaso& r) {
    if (!r.mensaje.isEmpty()) avisarTexto(r.mensaje, r.icono);
}

std::unique_ptr<Conexion> PasoNotasHistorico::AbrirOrigen(qint32 origen, ResultadoPaso& r) {
    QString bd;
    bool encontrado = false;
    {
        // The host's connection is left as it was found.
        const bool abrirAqui = appEntrada_.State() != 1;
        if (abrirAqui) appEntrada_.Open();
        try {
            Recordset rs = appEntrada_.Abrir(QStringLiteral("SELECT BD FROM CursoEscolar WHERE IDCursoEscolar=%1").arg(origen));
            encontrado = !rs.eof();
            if (encontrado) bd = rs.texto(QStringLiteral("BD"));
        } catch (...) {
            if (abrirAqui) appEntrada_.Close();
            throw;
        }
        if (abrirAqui) appEntrada_.Close();
    }
    if (!encontrado) {
        decir(r, QStringLiteral("No se ha encontrado el curso escolar indicado"), Icono::Critico);
        return nullptr;
    }
    auto cn = std::make_unique<Conexion>(resolverRuta(bd, carpetaBD_));
    // Opening a SQLite file that is not there would make an empty one and
    // pass nothing as if all were well.
    if (bd.trimmed().isEmpty() ||
        (!cn->esServidor() && !QFileInfo(cn->propiedad(QStringLiteral("Data Source"))).isFile())) {
        const QString donde = bd.trimmed().isEmpty() ? QStringLiteral("(sin indicar)") : cn->propiedad(QStringLiteral("Data Source"));
        decir(r, QStringLiteral("No se encuentra la base de datos del curso escolar de origen: %1").arg(donde),
              Icono::Critico);
        return nullptr;
    }
    try {
        cn->Open();
    } catch (const Error& e) {
        throw Error(e.numero() ? e.numero() : ErrorAbrirBase,
                    QStringLiteral("No se puede abrir la base de datos del curso escolar de origen: %1").arg(e.descripcion()));
    }
    return cn;
}

ResultadoPaso PasoNotasHistorico::PasarNotasHistorico(qint32 origen, qint32 historico) {
    ResultadoPaso r;
    escritas_.clear();
    try {
        std::unique_ptr<Conexion> cnOrigen = AbrirOrigen(origen, r);
        if (!cnOrigen) return r;
        const QString verdadero = QString::number(cnOrigen->verdadero());

        // Sections with students of teaching type 2 in a course that ends a
        // cycle, and every section with students of a type other than 1
        // and 2.
        Recordset secciones = cnOrigen->Abrir(
            QStringLiteral("SELECT DISTINCT Seccion_Alumno.codSeccion AS codSeccion FROM Seccion_Alumno INNER JOIN "
                           "(Alumno INNER JOIN Curso ON Alumno.codCurso=Curso.IDCurso) ON "
                           "Seccion_Alumno.codAlumno=Alumno.IDAlumno WHERE "
                           "Alumno.codTipoEnsenanza=2 AND Curso.FinCiclo=") +
            verdadero +
            QStringLiteral(" UNION "
                           "SELECT Seccion_Alumno.codSeccion FROM Seccion_Alumno INNER JOIN Alumno ON "
                           "Seccion_Alumno.codAlumno=Alumno.IDAlumno WHERE "
                           "Alumno.codTipoEnsenanza NOT IN(1,2) ORDER BY 1"));
        cederAhora();
        const long maximo = secciones.RecordCount();
        long valor = 0;
        if (maximo > 0 && progreso) progreso(valor, maximo);

        for (; !secciones.eof(); secciones.MoveNext()) {
            if (secciones.esNulo(QStringLiteral("codSeccion"))) continue;
            pasarSeccion(*cnOrigen, int(motor::aEntero16(secciones.entero(QStringLiteral("codSeccion")))), origen,
                         historico, r);
            ++r.secciones;
            valor = std::min(valor + 1, maximo);
            if (progreso) progreso(valor, maximo);
            cederAhora();
        }
        secciones.Close();
        cnOrigen->Close();

        // The clean-up and the numbering are one change: a failure leaves
        // the new rows unnumbered, and the next transfer numbers them.
        Transaccion t(centro_);
        quitarLosDeAlumnosAusentes(r);
        motor::RenumerarOrdenHistorico(centro_);
        t.confirmar();
    } catch (const Error& e) {
        decir(r, textoIncompleto(e), Icono::Critico);
        return r;
    }
    r.correcto = true;
    decir(r, textoFinal(r), r.omitidas == 0 ? Icono::Informacion : Icono::Exclamacion);
    return r;
}

// Of the rows this run wrote, those of students who are no longer in the
// school's database go: nobody could open them. What was in the history
// before the run stays, whoever it belongs to.
void PasoNotasHistorico::quitarLosDeAlumnosAusentes(ResultadoPaso& r) {
    motor::ListaIds escritas;
    for (qint64 id : escritas_) escritas.agregar(id);
    const motor::ListaIds ausentes = motor::leerIdsPorPartes(
        centro_,
        QStringLiteral("SELECT IDEvaluacionHistorica FROM EvaluacionHistorica WHERE IDEvaluacionHistorica IN({ids}) "
                       "AND codAlumno NOT IN (SELECT IDAlumno FROM Alumno) ORDER BY IDEvaluacionHistorica"),
        escritas, QStringLiteral("IDEvaluacionHistorica"));
    motor::ejecutarPorPartes(centro_, QStringLiteral("DELETE FROM EvaluacionHistorica WHERE IDEvaluacionHistorica IN({ids})"),
                             ausentes);
    r.sinAlumno = ausentes.tamano();
    r.insertadas -= r.sinAlumno;
}

QString PasoNotasHistorico::textoFinal(const ResultadoPaso& r) {
    return TextoFinalPaso(r, [this](qint32 id) {
        Recordset rs = centro_.Abrir(
            QStringLiteral("SELECT Nombre FROM CursoEscolarHistorico WHERE IDCursoEscolarHistorico=%1").arg(id));
        return rs.eof() ? QString::number(id) : rs.texto(QStringLiteral("Nombre"));
    });
}

QString TextoFinalPaso(const ResultadoPaso& r, const std::function<QString(qint32)>& nombreHistorico) {
    QStringList donde;
    for (auto it = r.existentesPorHistorico.cbegin(); it != r.existentesPorHistorico.cend(); ++it) {
        const QString nombre = nombreHistorico(it.key());
        donde << (r.existentesPorHistorico.size() == 1 ? QStringLiteral("en \"%1\"").arg(nombre)
                                                       : QStringLiteral("%1 en \"%2\"").arg(it.value()).arg(nombre));
    }
    QString t = r.omitidas == 0 ? QStringLiteral("Proceso finalizado con éxito")
                                : QStringLiteral("Proceso finalizado, pero %1 de las notas no se han podido pasar al curso "
                                                 "histórico. Puede repetir el paso para intentarlo de nuevo con ellas; las que "
                                                 "ya se pasaron no se copiarán otra vez.")
                                      .arg(r.omitidas);
    t += QStringLiteral("\r\n\r\nNotas pasadas: %1").arg(r.insertadas);
    t += QStringLiteral("\r\nYa estaban en el histórico: %1").arg(r.existentes);
    if (!donde.isEmpty()) t += QStringLiteral(" (") + donde.join(QStringLiteral(", ")) + QStringLiteral(")");
    t += QStringLiteral("\r\nNo se han podido pasar: %1").arg(r.omitidas);
    if (r.sinAlumno > 0)
        t += QStringLiteral("\r\nNotas de alumnos que ya no están en el centro, no guardadas: %1").arg(r.sinAlumno);
    return t;
}

void PasoNotasHistorico::pasarFila(const QVariantList& clave, const QString& insercion,
                                   const std::function<QVariantList()>& valores, ResultadoPaso& r) {
    PuntoFila punto(centro_);
    try {
        Recordset existe = centro_.Abrir(sqlExiste(), clave);
        if (!existe.eof()) {
            ++r.existentes;
            ++r.existentesPorHistorico[qint32(existe.entero(QStringLiteral("codcursoescolarhistorico")))];
        } else {
            const QVariantList v = valores();
            centro_.Execute(insercion, v);
            escritas_.append(v.first().toLongLong());
            ++r.insertadas;
        }
        punto.bien();
    } catch (const Error&) {
        punto.mal();
        ++r.omitidas;
    }
    ceder();
}

void PasoNotasHistorico::pasarSeccion(Conexion& cnOrigen, int seccion, qint32 origen, qint32 historico,
                                      ResultadoPaso& r) {
    const QString verdadero = QString::number(cnOrigen.verdadero());
    Transaccion t(centro_);
    Recordset rsId = centro_.Abrir(
        QStringLiteral("SELECT COALESCE(MAX(IDEvaluacionHistorica), 0) + 1 AS NuevoID FROM EvaluacionHistorica"));
    qint64 id = rsId.entero(QStringLiteral("NuevoID"));

    // The last evaluated grades of the section's students who have not left.
    // The act's period must be a period of some section and of some student:
    // written as existence tests rather than joins on the period alone, they
    // give the rows of the union without multiplying each act by every
    // section and student sharing its period.
    const QString q =
        QStringLiteral("SELECT Alumno.IDAlumno AS IDAlumno, Alumno.Repetidor AS Repetidor, "
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
        verdadero +
        QStringLiteral(" AND (Alumno.FechaBaja IS NULL OR Alumno.FechaBaja='') AND Alumno.codSeccion = ?");
    Recordset rs = cnOrigen.Abrir(
        QStringLiteral("SELECT * FROM (") + q + QStringLiteral(" UNION ") + q +
            QStringLiteral(") notas ORDER BY IDAlumno, codNumEvaluacion, COALESCE(codMateria, -1), "
                           "COALESCE(codMateriaDetalles, -1), COALESCE(codNota, -1), COALESCE(RE_AC_DIV, -1)"),
        {seccion, seccion});
    cederAhora();
    const PromocionesSeccion promociones(cnOrigen, seccion);
    const QVariant cursoEscolar = origen;
    const QVariant cursoHistorico = historico;

    for (; !rs.eof(); rs.MoveNext(), ++id) {
        if (!claveCompleta(rs, {"codMateria", "codTipoEnsenanza", "codCurso", "codNumEvaluacion"})) {
            ++r.omitidas;
            continue;
        }
        const qint64 alumno = rs.entero(QStringLiteral("IDAlumno"));
        pasarFila({alumno, rs.campo(QStringLiteral("codMateria")), cursoEscolar, rs.campo(QStringLiteral("codTipoEnsenanza")),
                   rs.campo(QStringLiteral("codCurso")), rs.campo(QStringLiteral("codNumEvaluacion"))},
                  QStringLiteral("INSERT INTO EvaluacionHistorica VALUES (?,?,?,?,?,?,?,?,?,?,?,?,0,?,0,?,?)"),
                  [&]() -> QVariantList {
                      // A value that is no byte spoils only this row.
                      const Promocion p = promociones.de(alumno, rs.entero(QStringLiteral("codNumEvaluacion")));
                      return {id, alumno, rs.campo(QStringLiteral("codMateria")), cursoEscolar,
                              rs.campo(QStringLiteral("codTipoEnsenanza")), rs.campo(QStringLiteral("codCurso")),
                              rs.campo(QStringLiteral("codNota")), rs.campo(QStringLiteral("RE_AC_DIV")),
                              int(motor::aByte(p.promocion)), rs.campo(QStringLiteral("codNumEvaluacion")), cursoHistorico,
                              p.fecha.isNull() ? QStringLiteral("") : p.fecha, rs.entero(QStringLiteral("Repetidor")),
                              menosUno(p.pcpi), menosUno(p.diversificacion)};
                  },
                  r);
    }

    // The pending subjects the section's students carry from earlier
    // courses, with the teaching type and course the subject belongs to.
    rs = cnOrigen.Abrir(
        QStringLiteral("SELECT Alumno.IDAlumno AS IDAlumno, Alumno.Repetidor AS Repetidor, "
                       "Curso.codTipoEnsenanza AS codTipoEnsenanza, Curso.idCurso AS idCurso, "
                       "EvaluacionActaPte.codNota AS codNota, EvaluacionActaPte.codNumEvaluacion AS codNumEvaluacion, "
                       "EvaluacionActaPte.RE_AC_DIV AS RE_AC_DIV, MateriaDetalles.codMateria AS codMateria, "
                       "Nota.Aprobado AS Aprobado, AlumnoPte_MatDet.codMatDet AS codMatDet "
                       "FROM Alumno INNER JOIN ((AlumnoPte_MatDet INNER JOIN (MateriaDetalles INNER JOIN (Seccion "
                       "INNER JOIN Curso ON Curso.IDCurso=Seccion.codCurso) ON "
                       "Seccion.IDSeccion=MateriaDetalles.codseccion) ON "
                       "AlumnoPte_MatDet.codMatDet=MateriaDetalles.IDMateriaDetalles) "
                       "INNER JOIN (EvaluacionActaPte LEFT JOIN Nota ON Nota.IDNota=EvaluacionActaPte.codNota) "
                       "ON EvaluacionActaPte.codAlumnoPte_MatDet=AlumnoPte_MatDet.IDAlumnoPte_MatDet) ON "
                       "AlumnoPte_MatDet.codAlumno=Alumno.IDAlumno WHERE "
                       "EvaluacionActaPte.UltimaEvaluada=") +
            verdadero +
            QStringLiteral(" AND (Alumno.FechaBaja IS NULL OR Alumno.FechaBaja='') AND Alumno.codSeccion = ? "
                           "ORDER BY Alumno.IDAlumno, AlumnoPte_MatDet.IDAlumnoPte_MatDet, "
                           "EvaluacionActaPte.IDEvaluacionActaPte"),
        {seccion});
    cederAhora();
    const QString hoy = Reloj::hoy().toString(QStringLiteral("yyyy/MM/dd"));
    for (; !rs.eof(); rs.MoveNext(), ++id) {
        if (!claveCompleta(rs, {"codMateria", "codTipoEnsenanza", "idCurso", "codNumEvaluacion"})) {
            ++r.omitidas;
            continue;
        }
        const qint64 alumno = rs.entero(QStringLiteral("IDAlumno"));
        pasarFila({alumno, rs.campo(QStringLiteral("codMateria")), cursoEscolar, rs.campo(QStringLiteral("codTipoEnsenanza")),
                   rs.campo(QStringLiteral("idCurso")), rs.campo(QStringLiteral("codNumEvaluacion"))},
                  QStringLiteral("INSERT INTO EvaluacionHistorica VALUES (?,?,?,?,?,?,?,?,0,?,?,?,-1,?,0,0,0)"),
                  [&]() -> QVariantList {
                      return {id, alumno, rs.campo(QStringLiteral("codMateria")), cursoEscolar,
                              rs.campo(QStringLiteral("codTipoEnsenanza")), rs.campo(QStringLiteral("idCurso")),
                              rs.campo(QStringLiteral("codNota")), rs.campo(QStringLiteral("RE_AC_DIV")),
                              rs.campo(QStringLiteral("codNumEvaluacion")), cursoHistorico, hoy,
                              rs.entero(QStringLiteral("Repetidor"))};
                  },
                  r);
    }
    t.confirmar();
}

}  // namespace ncc::historicos
