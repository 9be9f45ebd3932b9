// The grades pass section by section, each section under a savepoint of
// the school database's one transaction. A row is only written when the
// historic store holds no grade of the same student, subject, origin year,
// teaching type, course and evaluation: that is what lets a transfer cut
// short be run again. The origin is read a run of sections at a time (the
// grades, the promotion data and the pending subjects of 64 sections in a
// read each, 256 on a server, as the closing reads them); the store's
// grades of the origin year are read once. The rows
// to write go in batches, a section at a time. A batch that fails sends the
// section back to be written row by row, where a row whose own statement
// fails is counted and skipped, as it always was, and the others go on. Rows
// of students no longer at the school are never written (nobody could open
// them), and the history a school already keeps (its graduates' above all)
// is never touched by a transfer.
#include "history/PasoNotasHistorico.h"
#include "engine/Comun.h"
#include "engine/Historico.h"
#include "engine/ListaIds.h"
#include "platform/BucleMensajes.h"
#include "platform/CadenaConexion.h"
#include "platform/Error.h"
#include "platform/InsercionLotes.h"
#include "platform/Mensajes.h"
#include "platform/Reloj.h"
#include "platform/Textos.h"
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>

namespace ncc::historicos {

// A savepoint of the open transaction: what runs under it is undone unless
// it is released. A single row needs one only on the server (`necesario`),
// where a failed statement spoils the whole transaction; SQLite undoes only
// the failed statement by itself.
class PuntoGuardado {
public:
    PuntoGuardado(Conexion& con, QString nombre, bool necesario = true) : con_(con), nombre_(std::move(nombre)) {
        if (!necesario) return;
        con_.Execute(QStringLiteral("SAVEPOINT ") + nombre_);
        activo_ = true;
    }
    ~PuntoGuardado() {
        if (!activo_) return;
        try {
            volver();
            liberar();
        } catch (...) {
        }
    }
    PuntoGuardado(const PuntoGuardado&) = delete;
    PuntoGuardado& operator=(const PuntoGuardado&) = delete;

    // Keeps what ran under it.
    void liberar() {
        if (!activo_) return;
        activo_ = false;
        con_.Execute(QStringLiteral("RELEASE SAVEPOINT ") + nombre_);
    }
    // Undoes what ran under it; the savepoint stays, for another try.
    void volver() {
        if (activo_) con_.Execute(QStringLiteral("ROLLBACK TO SAVEPOINT ") + nombre_);
    }

private:
    Conexion& con_;
    QString nombre_;
    bool activo_ = false;
};

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

// The promotion data of a run of sections' own students, read once for the
// run instead of once per grade row. The read is ordered by section; each
// section takes its own rows, by (student, period) the first row found.
QString consultaPromociones(const QString& secciones) {
    // The "+" keeps SQLite from walking the period's index, which holds
    // every student of the school, instead of the sections' students.
    return QStringLiteral(
               "SELECT Alumno.codSeccion AS codSeccion, Alumno_NumEvaluacion.codAlumno AS codAlumno, "
               "Alumno_NumEvaluacion.codNumEvaluacion AS codNumEvaluacion, "
               "Alumno_NumEvaluacion.Promocion AS Promocion, Alumno_NumEvaluacion.PromocionPCPI AS PromocionPCPI, "
               "Alumno_NumEvaluacion.PromocionDiversificacion AS PromocionDiversificacion, "
               "Seccion_NumEvaluacion.Fecha AS Fecha "
               "FROM Alumno INNER JOIN (Alumno_NumEvaluacion INNER JOIN Seccion_NumEvaluacion ON "
               "+Alumno_NumEvaluacion.codNumEvaluacion=Seccion_NumEvaluacion.codNumEvaluacion) ON "
               "Alumno_NumEvaluacion.codAlumno=Alumno.IDAlumno "
               "WHERE Seccion_NumEvaluacion.codSeccion=Alumno.codSeccion AND Alumno.codSeccion IN (") +
           secciones +
           QStringLiteral(") ORDER BY Alumno.codSeccion, Alumno_NumEvaluacion.IDAlumno_NumEvaluacion, "
                          "COALESCE(Seccion_NumEvaluacion.Fecha, '')");
}

class PromocionesSeccion {
public:
    // `rs`: the run's read, at the section's first row; left at the next
    // section's.
    PromocionesSeccion(Recordset& rs, qint64 seccion) {
        if (rs.eof()) return;
        const int cSeccion = rs.indiceNombrado(QStringLiteral("codSeccion")),
                  cAlumno = rs.indiceNombrado(QStringLiteral("codAlumno")),
                  cPeriodo = rs.indiceNombrado(QStringLiteral("codNumEvaluacion")),
                  cPromocion = rs.indiceNombrado(QStringLiteral("Promocion")),
                  cPcpi = rs.indiceNombrado(QStringLiteral("PromocionPCPI")),
                  cDiversificacion = rs.indiceNombrado(QStringLiteral("PromocionDiversificacion")),
                  cFecha = rs.indiceNombrado(QStringLiteral("Fecha"));
        for (; !rs.eof() && rs.entero(cSeccion) == seccion; rs.MoveNext()) {
            const auto k = qMakePair(rs.entero(cAlumno), rs.entero(cPeriodo));
            if (porPeriodo_.contains(k)) continue;
            Promocion p;
            // A value that is no byte spoils only the rows that use it.
            p.promocion = rs.esNulo(cPromocion) ? 0 : rs.entero(cPromocion);
            p.pcpi = rs.booleano(cPcpi);
            p.diversificacion = rs.booleano(cDiversificacion);
            p.fecha = rs.texto(cFecha);
            porPeriodo_.insert(k, p);
        }
    }
    // Without promotion data: 0, false, false and no date.
    Promocion de(qint64 alumno, qint64 periodo) const { return porPeriodo_.value(qMakePair(alumno, periodo)); }

private:
    QHash<QPair<qint64, qint64>, Promocion> porPeriodo_;
};

// The run writes into the store's nine indexes, which in SQLite's default
// 2 MB of cache spill to the file and are read back again and again; and
// each section's savepoint keeps the pages it changes in a journal of its
// own, which is kept in memory rather than written to a temporary file
// section after section. The host's connection gets the defaults back
// afterwards.
class CacheAmplia {
public:
    explicit CacheAmplia(Conexion& con) : con_(con) {
        con_.fijarCacheKiB(65536);
        con_.fijarTemporalesEnMemoria(true);
    }
    ~CacheAmplia() {
        try {
            con_.fijarTemporalesEnMemoria(false);
            con_.fijarCacheKiB(2000);
        } catch (...) {
        }
    }
    CacheAmplia(const CacheAmplia&) = delete;
    CacheAmplia& operator=(const CacheAmplia&) = delete;

private:
    Conexion& con_;
};

// The rows of a grade: "INSERT INTO EvaluacionHistorica VALUES" and the
// row of a final grade or of a pending subject. Their values start with the
// id, and the number of the row (Orden) is at `PosicionOrden`.
const QString& cabeceraInsercion() {
    static const QString s = QStringLiteral("INSERT INTO EvaluacionHistorica VALUES");
    return s;
}
const QString& filaNota() {
    static const QString s = QStringLiteral("(?,?,?,?,?,?,?,?,?,?,?,?,0,?,?,?,?)");
    return s;
}
const QString& filaPendiente() {
    static const QString s = QStringLiteral("(?,?,?,?,?,?,?,?,0,?,?,?,-1,?,?,0,0)");
    return s;
}
constexpr int PosicionOrdenNota = 13;
constexpr int PosicionOrdenPendiente = 12;

}  // namespace

// A grade's key in the store, within one origin year (a type with a name
// outside this file, as the transfer's own rows carry it).
struct Clave {
    qint64 alumno = 0, materia = 0, tipo = 0, curso = 0, periodo = 0;
    bool operator==(const Clave&) const = default;
};
size_t qHash(const Clave& c, size_t semilla = 0) {
    return qHashMulti(semilla, c.alumno, c.materia, c.tipo, c.curso, c.periodo);
}

// One row of the origin that may pass: its key, whether it is a pending
// subject, and the values of its row, with places for its id and number; no
// values when one of them cannot be written (a promotion that is no byte).
struct PasoNotasHistorico::NotaOrigen {
    bool completa = false;  // a key field without value: the row cannot pass
    Clave clave;
    bool pendiente = false;
    QVariantList valores;
};

namespace {

// The grades the store holds for the origin year, each with the historic
// year of its first row, read once as the run starts: a student's grades
// all come in his own section's turn, so what the run writes itself is
// only ever looked for within that section.
QHash<Clave, qint32> leerEnHistorico(Conexion& centro, qint32 origen) {
    QHash<Clave, qint32> en;
    Recordset rs = centro.Abrir(
        QStringLiteral("SELECT codAlumno, codMateria, codTipoEnsenanza, codCurso, codNumEvaluacion, "
                       "codCursoEscolarHistorico FROM EvaluacionHistorica WHERE codCursoEscolar=%1 "
                       "ORDER BY IDEvaluacionHistorica")
            .arg(origen));
    for (; !rs.eof(); rs.MoveNext()) {
        // A key field without value equals no grade's.
        bool completa = true;
        for (int i = 0; i < 5 && completa; ++i) completa = !rs.esNulo(i);
        if (!completa) continue;
        const Clave k{rs.entero(0), rs.entero(1), rs.entero(2), rs.entero(3), rs.entero(4)};
        if (!en.contains(k)) en.insert(k, qint32(rs.entero(5)));
        ceder();
    }
    return en;
}

// The students at the school.
motor::ListaIds leerPresentes(Conexion& centro) {
    motor::ListaIds presentes;
    for (Recordset rs = centro.Abrir(QStringLiteral("SELECT IDAlumno FROM Alumno ORDER BY IDAlumno")); !rs.eof();
         rs.MoveNext())
        presentes.agregar(rs.entero(0));
    return presentes;
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
    ultimoId_ = 0;
    try {
        std::unique_ptr<Conexion> cnOrigen = AbrirOrigen(origen, r);
        if (!cnOrigen) return r;
        const QString verdadero = QString::number(cnOrigen->verdadero());

        Recordset secciones = cnOrigen->Abrir(motor::SeccionesConNotasFinales(verdadero));
        motor::EstadisticasNotasFinales(*cnOrigen);
        motor::ListaIds ids;
        for (; !secciones.eof(); secciones.MoveNext())
            if (!secciones.esNulo(QStringLiteral("codSeccion")))
                ids.agregar(motor::aEntero16(secciones.entero(QStringLiteral("codSeccion"))));
        secciones.Close();
        cederAhora();
        const long maximo = ids.tamano();
        long valor = 0;
        if (maximo > 0 && progreso) progreso(valor, maximo);

        // One transaction for the whole run, which a secretary's machine
        // flushes to disk once; each section under a savepoint of its own,
        // so that an error undoes only the section it stops, and what was
        // passed before it is kept.
        CacheAmplia cache(centro_);
        Transaccion t(centro_);
        try {
            // A student's new rows are numbered 1, 2... as they are written,
            // which is the order the renumbering gives them: all of them in
            // his section's turn, his grades before his pending subjects,
            // each kind in id order. Rows already waiting for a number would
            // be counted with his: then all are numbered together at the end.
            numerarAlEscribir_ =
                centro_.Abrir(QStringLiteral("SELECT 1 FROM EvaluacionHistorica WHERE Orden=0 LIMIT 1")).eof();
            const QHash<Clave, qint32> enHistorico = leerEnHistorico(centro_, origen);
            const motor::ListaIds presentes = leerPresentes(centro_);
            const int porLectura = seccionesPorLectura > 0
                                       ? seccionesPorLectura
                                       : motor::EstadoMotor::seccionesPorLecturaDe(cnOrigen->esServidor());
            for (int desde = 0; desde < ids.tamano(); desde += porLectura) {
                const int hasta = std::min(ids.tamano(), desde + porLectura);
                const QList<QList<NotaOrigen>> tramo = leerTramo(*cnOrigen, ids, desde, hasta, origen, historico);
                for (const QList<NotaOrigen>& notas : tramo) {
                    PuntoGuardado seccion(centro_, QStringLiteral("seccion"));
                    // A batch that fails undoes the section's rows, which are
                    // then written again row by row.
                    try {
                        escribirSeccion(notas, enHistorico, presentes, historico, true, r);
                    } catch (const Error&) {
                        seccion.volver();
                        escribirSeccion(notas, enHistorico, presentes, historico, false, r);
                    }
                    seccion.liberar();
                    ++r.secciones;
                    valor = std::min(valor + 1, maximo);
                    if (progreso) progreso(valor, maximo);
                    cederAhora();
                }
            }
            cnOrigen->Close();
            // A failure leaves the rows waiting for a number unnumbered, and
            // the next transfer numbers them.
            if (!numerarAlEscribir_) {
                PuntoGuardado numeracion(centro_, QStringLiteral("numeracion"));
                motor::RenumerarOrdenHistorico(centro_);
                numeracion.liberar();
            }
        } catch (const Error&) {
            t.confirmar();
            throw;
        }
        t.confirmar();
    } catch (const Error& e) {
        decir(r, textoIncompleto(e), Icono::Critico);
        return r;
    }
    r.correcto = true;
    decir(r, textoFinal(r), r.omitidas == 0 ? Icono::Informacion : Icono::Exclamacion);
    return r;
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


QList<QList<PasoNotasHistorico::NotaOrigen>> PasoNotasHistorico::leerTramo(Conexion& cnOrigen,
                                                                          const motor::ListaIds& secciones, int desde,
                                                                          int hasta, qint32 origen, qint32 historico) {
    const QString verdadero = QString::number(cnOrigen.verdadero());
    const QString lista = secciones.texto(desde, hasta - desde);
    // Each row takes the key of its student, subject, teaching type, course
    // and period, or is left incomplete: a key field without value cannot
    // be told apart from another row's, and the row is not passed (it never
    // could be: its statements failed).
    struct Claves {
        int seccion, alumno, materia, tipo, curso, periodo;
        Claves(const Recordset& rs, const QString& curso)
            : seccion(rs.indiceNombrado(QStringLiteral("codSeccion"))),
              alumno(rs.indiceNombrado(QStringLiteral("IDAlumno"))),
              materia(rs.indiceNombrado(QStringLiteral("codMateria"))),
              tipo(rs.indiceNombrado(QStringLiteral("codTipoEnsenanza"))), curso(rs.indiceNombrado(curso)),
              periodo(rs.indiceNombrado(QStringLiteral("codNumEvaluacion"))) {}
        NotaOrigen leer(const Recordset& rs) const {
            NotaOrigen n;
            n.completa = !rs.esNulo(materia) && !rs.esNulo(tipo) && !rs.esNulo(curso) && !rs.esNulo(periodo);
            if (n.completa)
                n.clave = {rs.entero(alumno), rs.entero(materia), rs.entero(tipo), rs.entero(curso), rs.entero(periodo)};
            return n;
        }
    };

    // The last evaluated grades of the sections' students who have not
    // left, by section in the order they are written.
    Recordset notas = cnOrigen.Abrir(
        QStringLiteral("SELECT * FROM (") + motor::NotasFinalesDeSeccion(verdadero) + QStringLiteral("IN (") + lista +
        QStringLiteral(")) notas ORDER BY codSeccion, IDAlumno, codNumEvaluacion, COALESCE(codMateria, -1), "
                       "COALESCE(codMateriaDetalles, -1), COALESCE(codNota, -1), COALESCE(RE_AC_DIV, -1)"));
    cederAhora();
    Recordset promocionesLeidas = cnOrigen.Abrir(consultaPromociones(lista));
    cederAhora();
    // The pending subjects the sections' students carry from earlier
    // courses, with the teaching type and course the subject belongs to.
    Recordset pendientes = cnOrigen.Abrir(
        QStringLiteral("SELECT Alumno.codSeccion AS codSeccion, Alumno.IDAlumno AS IDAlumno, Alumno.Repetidor AS Repetidor, "
                       "Curso.codTipoEnsenanza AS codTipoEnsenanza, Curso.idCurso AS idCurso, "
                       "EvaluacionActaPte.codNota AS codNota, EvaluacionActaPte.codNumEvaluacion AS codNumEvaluacion, "
                       "EvaluacionActaPte.RE_AC_DIV AS RE_AC_DIV, MateriaDetalles.codMateria AS codMateria, "
                       "Nota.Aprobado AS Aprobado, AlumnoPte_MatDet.codMatDet AS codMatDet") +
        motor::PendientesFinalesDeSeccion(verdadero) + QStringLiteral("IN (") + lista +
        QStringLiteral(") ORDER BY Alumno.codSeccion, Alumno.IDAlumno, AlumnoPte_MatDet.IDAlumnoPte_MatDet, "
                       "EvaluacionActaPte.IDEvaluacionActaPte"));
    cederAhora();

    const QVariant cursoEscolar = origen;
    const QVariant cursoHistorico = historico;
    const QString hoy = Reloj::hoy().toString(QStringLiteral("yyyy/MM/dd"));
    const Claves cn(notas, QStringLiteral("codCurso"));
    const int nRepetidor = notas.indiceNombrado(QStringLiteral("Repetidor")),
              nNota = notas.indiceNombrado(QStringLiteral("codNota")),
              nReAcDiv = notas.indiceNombrado(QStringLiteral("RE_AC_DIV"));
    const Claves cp(pendientes, QStringLiteral("idCurso"));
    const int pRepetidor = pendientes.indiceNombrado(QStringLiteral("Repetidor")),
              pNota = pendientes.indiceNombrado(QStringLiteral("codNota")),
              pReAcDiv = pendientes.indiceNombrado(QStringLiteral("RE_AC_DIV"));

    QList<QList<NotaOrigen>> tramo;
    for (int i = desde; i < hasta; ++i) {
        const qint64 seccion = secciones.ids().at(i);
        QList<NotaOrigen>& filas = tramo.emplaceBack();
        const PromocionesSeccion promociones(promocionesLeidas, seccion);
        for (; !notas.eof() && notas.entero(cn.seccion) == seccion; notas.MoveNext()) {
            NotaOrigen n = cn.leer(notas);
            if (n.completa) {
                const Promocion p = promociones.de(n.clave.alumno, n.clave.periodo);
                try {
                    n.valores = {QVariant(), n.clave.alumno, notas.campo(cn.materia), cursoEscolar,
                                 notas.campo(cn.tipo), notas.campo(cn.curso), notas.campo(nNota), notas.campo(nReAcDiv),
                                 int(motor::aByte(p.promocion)), notas.campo(cn.periodo), cursoHistorico,
                                 p.fecha.isNull() ? QStringLiteral("") : p.fecha, notas.entero(nRepetidor), QVariant(),
                                 menosUno(p.pcpi), menosUno(p.diversificacion)};
                } catch (const Error&) {
                    // A value that is no byte spoils only this row.
                }
            }
            filas.append(n);
        }
        for (; !pendientes.eof() && pendientes.entero(cp.seccion) == seccion; pendientes.MoveNext()) {
            NotaOrigen n = cp.leer(pendientes);
            n.pendiente = true;
            if (n.completa)
                n.valores = {QVariant(), n.clave.alumno, pendientes.campo(cp.materia), cursoEscolar,
                             pendientes.campo(cp.tipo), pendientes.campo(cp.curso), pendientes.campo(pNota),
                             pendientes.campo(pReAcDiv), pendientes.campo(cp.periodo), cursoHistorico, hoy,
                             pendientes.entero(pRepetidor), QVariant()};
            filas.append(n);
        }
    }
    return tramo;
}

void PasoNotasHistorico::escribirSeccion(const QList<NotaOrigen>& notas, const QHash<Clave, qint32>& enHistorico,
                                         const motor::ListaIds& presentes, qint32 historico, bool porLotes,
                                         ResultadoPaso& r) {
    // The section's rows take consecutive ids from here, in the order read,
    // whether they are written or not.
    Recordset rsId = centro_.Abrir(
        QStringLiteral("SELECT COALESCE(MAX(IDEvaluacionHistorica), 0) + 1 AS NuevoID FROM EvaluacionHistorica"));
    qint64 id = std::max(rsId.entero(QStringLiteral("NuevoID")), ultimoId_ + 1);
    rsId.Close();
    // The keys this section writes (or would, but for want of its student):
    // a repeated one finds the first.
    QSet<Clave> escritas;

    const int filasPorLote = porLotes ? 100 : 1;
    InsercionLotes notasAnio(centro_, cabeceraInsercion(), filaNota(), filasPorLote);
    InsercionLotes pendientes(centro_, cabeceraInsercion(), filaPendiente(), filasPorLote);
    auto escribir = [&](const NotaOrigen& n, const QVariantList& valores) {
        InsercionLotes& destino = n.pendiente ? pendientes : notasAnio;
        if (porLotes) {
            destino.agregar(valores);
            return true;
        }
        PuntoGuardado fila(centro_, QStringLiteral("fila"), centro_.esServidor());
        try {
            destino.agregar(valores);
            fila.liberar();
            return true;
        } catch (const Error&) {
            return false;
        }
    };

    ResultadoPaso s;
    qint64 ultimo = ultimoId_;
    QHash<qint64, int> numerados;  // by student
    for (const NotaOrigen& n : notas) {
        const qint64 esta = id++;
        if (!n.completa) {
            ++s.omitidas;
            continue;
        }
        if (const auto en = enHistorico.constFind(n.clave); en != enHistorico.cend() || escritas.contains(n.clave)) {
            ++s.existentes;
            ++s.existentesPorHistorico[en != enHistorico.cend() ? en.value() : historico];
            continue;
        }
        if (n.valores.isEmpty()) {
            ++s.omitidas;
            continue;
        }
        // A student who is no longer at the school keeps his row's id and
        // key, as if it had been written and removed.
        const qint64 alumno = n.clave.alumno;
        const int orden = numerarAlEscribir_ ? numerados.value(alumno) + 1 : 0;
        QVariantList valores = n.valores;
        valores[0] = esta;
        valores[n.pendiente ? PosicionOrdenPendiente : PosicionOrdenNota] = orden;
        if (!presentes.contiene(alumno)) {
            ++s.sinAlumno;
        } else {
            // Orden is a byte: 255 rows per student and year at most.
            if (orden > 255) motor::desbordamiento();
            if (!escribir(n, valores)) {
                ++s.omitidas;
                continue;
            }
            ++s.insertadas;
            if (numerarAlEscribir_) numerados[alumno] = orden;
        }
        escritas.insert(n.clave);
        ultimo = esta;
        ceder();
    }
    notasAnio.vaciar();
    pendientes.vaciar();

    ultimoId_ = ultimo;
    r.insertadas += s.insertadas;
    r.existentes += s.existentes;
    r.omitidas += s.omitidas;
    r.sinAlumno += s.sinAlumno;
    for (auto it = s.existentesPorHistorico.cbegin(); it != s.existentesPorHistorico.cend(); ++it)
        r.existentesPorHistorico[it.key()] += it.value();
}

}  // namespace ncc::historicos
