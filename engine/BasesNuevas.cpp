// The next school year's databases.
//
// On SQLite the databases are files in the folder of the application entry
// (RutaBD); on PostgreSQL they are databases of the one server. Names follow
// one scheme on both: "A{centro}C{curso}" for a school database, "B…" for its
// deleted-records twin, a final "B" for a backup, ".db" on SQLite.
//
// The work of the run on the new databases goes inside one transaction on
// each of them: they are disposable until the run succeeds, and one commit
// instead of one per statement is what makes a large school close in
// seconds. The transactions are committed before the compaction.
#include "engine/Comun.h"
#include "engine/BasesNuevas.h"
#include "engine/ComprobacionesCierre.h"
#include "engine/DiarioCierre.h"
#include "engine/Pasos.h"
#include "platform/BasesDatos.h"
#include "platform/BucleMensajes.h"
#include "platform/Error.h"
#include "platform/Mensajes.h"
#include "platform/CadenaConexion.h"
#include "platform/EnParalelo.h"
#include "platform/Textos.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <array>
#include <functional>
#include <new>
#include <sys/stat.h>
#include <vector>

namespace ncc::motor {

namespace {

constexpr int MsgNoEstablecerRuta = 706;
constexpr int MsgErrorRestaurar = 708;
constexpr int MsgNoObtenerRuta = 709;


// The first property whose upper-case name contains `parte`, as the suite
// finds the data source of a connection whatever its provider calls it.
QString propiedadQueContiene(const Conexion& con, const QString& parte) {
    for (const QString& nombre : con.nombresPropiedades())
        if (nombre.toUpper().contains(parte)) return nombre;
    return {};
}

QString base(const EstadoMotor& e) {
    const QString ruta = e.conf->RutaBD();
    if (ruta.isEmpty() || ruta.endsWith(QLatin1Char('/'))) return ruta;
    return ruta + QLatin1Char('/');
}

QString nombreBase(const EstadoMotor& e, const QString& nombre) {
    if (e.SQLServer()) return e.PrefijoBases + nombre;
    return base(e) + nombre + QStringLiteral(".db");
}

QString rutaCompact(const EstadoMotor& e, bool borrado) {
    return base(e) + (borrado ? QStringLiteral("CompactB.db") : QStringLiteral("Compact.db"));
}

// The server's connection string for whole-database work: the application
// entry's, whose credentials are the session's.
DatosConexion servidorDe(const EstadoMotor& e) { return e.conLocalAppEntrada().datos(); }

// The session's connections to the four databases that the run backs up.
std::array<Conexion*, 4> conexionesOriginales(EstadoMotor& e) {
    return {&e.conLocalCentro(), &e.conLocalBorradoCentro(), &e.conLocalAppEntrada(), &e.conLocalBorradoAppEntrada()};
}

void cerrarSiAbierta(Conexion& con) {
    if (con.State() == 1) con.Close();
}

void confirmarSiHay(Conexion& con) {
    if (con.State() == 1 && con.enTransaccion()) con.CommitTrans();
}

}  // namespace

void DuplicarComillas(QString& texto) { texto.replace(QLatin1Char('\''), QStringLiteral("''")); }

void CopiaDBSQLServer(const DatosConexion& enServidor, const QString& dbOrigen, const QString& dbDestino,
                      const QString& comentario) {
    servidor::copiar(enServidor, dbOrigen, dbDestino, comentario);
}

void BorraDBSQLServer(const DatosConexion& enServidor, const QString& dbABorrar) { servidor::borrar(enServidor, dbABorrar); }

bool ObtenerNuevoID(Conexion& con1, Conexion& con2, const QString& tabla, const QString& campo, long& nuevoId) {
    bool abierta1 = false, abierta2 = false;
    try {
        if (con1.State() == 0) { con1.Open(); abierta1 = true; }
        if (con2.State() == 0) { con2.Open(); abierta2 = true; }
        long candidato[2] = {1, 1};
        Conexion* cons[2] = {&con1, &con2};
        for (int i = 0; i < 2; ++i) {
            Recordset rs = cons[i]->Abrir(QStringLiteral("SELECT MAX(%1), COUNT(%1) FROM %2").arg(campo, tabla));
            if (rs.campo(1).toLongLong() != 0) candidato[i] = static_cast<long>(rs.campo(0).toLongLong()) + 1;
            rs.Close();
        }
        nuevoId = std::max(candidato[0], candidato[1]);
        if (abierta1) con1.Close();
        if (abierta2) con2.Close();
        return true;
    } catch (const Error& err) {
        if (abierta1) cerrarSiAbierta(con1);
        if (abierta2) cerrarSiAbierta(con2);
        mostrarError(err);
        return false;
    }
}

bool ObtenerOrigenDatos(const EstadoMotor& e, const Conexion& con, QString& valor) {
    if (e.SQLServer()) {
        valor = con.propiedad(QStringLiteral("Initial Catalog"));
        return true;
    }
    const QString nombre = propiedadQueContiene(con, QStringLiteral("DATA SOURCE"));
    if (nombre.isEmpty()) {
        avisar(MsgNoObtenerRuta);
        return false;
    }
    valor = con.propiedad(nombre);
    return true;
}

namespace {

bool FijarNombresBases(EstadoMotor& e, qint16 centro, qint16 cursoActual, qint16 cursoNuevo) {
    if (!ObtenerOrigenDatos(e, e.conLocalCentro(), e.strRutaCentro)) return false;
    if (!ObtenerOrigenDatos(e, e.conLocalBorradoCentro(), e.strRutaBorradoCentro)) return false;
    if (!ObtenerOrigenDatos(e, e.conLocalAppEntrada(), e.strRutaAppEntrada)) return false;
    if (!ObtenerOrigenDatos(e, e.conLocalBorradoAppEntrada(), e.strRutaBorradoAppEntrada)) return false;

    const QString c = QString::number(centro);
    e.strNuevaCentro = nombreBase(e, QStringLiteral("A%1C%2").arg(c).arg(cursoNuevo));
    e.strNuevaBorradoCentro = nombreBase(e, QStringLiteral("B%1C%2").arg(c).arg(cursoNuevo));
    e.strCopiaCentro = nombreBase(e, QStringLiteral("A%1C%2B").arg(c).arg(cursoActual));
    e.strCopiaBorradoCentro = nombreBase(e, QStringLiteral("B%1C%2B").arg(c).arg(cursoActual));
    e.strCopiaAppEntrada = nombreBase(e, QStringLiteral("AppEntradaB"));
    e.strCopiaBorradoAppEntrada = nombreBase(e, QStringLiteral("BorradoAppEntradaB"));
    return true;
}

// A database as one thing whatever the text that names it: the same file
// reached by two paths (or two links) is one file; a server database is its
// name.
QString identidad(const EstadoMotor& e, const QString& nombre) {
    if (e.SQLServer()) return nombre;
    const QFileInfo f(nombre);
    struct stat st {};
    if (f.exists() && ::stat(QFile::encodeName(f.absoluteFilePath()).constData(), &st) == 0)
        return QStringLiteral("inodo:%1:%2").arg(quint64(st.st_dev)).arg(quint64(st.st_ino));
    return QDir::cleanPath(f.absoluteFilePath());
}

// The databases the school's years are registered with in the application
// entry, as names of the run (file paths, server database names).
QSet<QString> basesRegistradas(EstadoMotor& e) {
    QSet<QString> r;
    Conexion& app = e.conLocalAppEntrada();
    const QString carpeta = e.SQLServer() ? QString() : QFileInfo(e.strRutaAppEntrada).absolutePath();
    Recordset rs = app.Abrir(QStringLiteral("SELECT BD, BDBorrado FROM CursoEscolar ORDER BY IDCursoEscolar"));
    for (; !rs.eof(); rs.MoveNext())
        for (const char* columna : {"BD", "BDBorrado"}) {
            const CadenaConexion c(rs.texto(QLatin1String(columna)));
            QString nombre = c.valor(e.SQLServer() ? QStringLiteral("Initial Catalog") : QStringLiteral("Data Source"));
            if (nombre.isEmpty()) continue;
            if (!e.SQLServer() && QFileInfo(nombre).isRelative()) nombre = QDir(carpeta).absoluteFilePath(nombre);
            r.insert(identidad(e, nombre));
        }
    rs.Close();
    return r;
}

}  // namespace

void ComprobarNombresBases(EstadoMotor& e) {
    const cConfiguracion& conf = *e.conf;
    long nuevo = 0;
    if (!ObtenerNuevoID(e.conLocalAppEntrada(), e.conLocalBorradoAppEntrada(), QStringLiteral("CursoEscolar"),
                        QStringLiteral("IDCursoEscolar"), nuevo) ||
        !FijarNombresBases(e, conf.intIDCentro(), conf.intIDCursoEscolar(), static_cast<qint16>(nuevo)))
        throw Error(errores::Archivo, QStringLiteral("No se han podido obtener los nombres de las bases de datos del cierre"));
    const auto rechazar = [](const QString& texto) {
        throw Error(errores::Archivo, QStringLiteral("No se puede cerrar el curso: ") + texto +
                                          QStringLiteral(". No se ha modificado nada."));
    };
    const QPair<QString, QString> leidas[] = {
        {e.strRutaCentro, QStringLiteral("la base de datos del curso (BD)")},
        {e.strRutaBorradoCentro, QStringLiteral("la base de datos de borrados del curso (BDBorrado)")},
        {e.strRutaAppEntrada, QStringLiteral("la base de datos de entrada de la aplicación")},
        {e.strRutaBorradoAppEntrada, QStringLiteral("la base de datos de borrados de la entrada de la aplicación")},
    };
    QVector<QPair<QString, QString>> creadas = {
        {e.strNuevaCentro, QStringLiteral("la base de datos del nuevo curso")},
        {e.strNuevaBorradoCentro, QStringLiteral("la base de datos de borrados del nuevo curso")},
        {e.strCopiaCentro, QStringLiteral("la copia de seguridad del curso")},
        {e.strCopiaBorradoCentro, QStringLiteral("la copia de seguridad de borrados del curso")},
        {e.strCopiaAppEntrada, QStringLiteral("la copia de seguridad de la entrada de la aplicación")},
        {e.strCopiaBorradoAppEntrada, QStringLiteral("la copia de seguridad de borrados de la entrada de la aplicación")},
    };
    if (!e.SQLServer()) {
        creadas.append({rutaCompact(e, false), QStringLiteral("la base de datos temporal de la compactación")});
        creadas.append({rutaCompact(e, true), QStringLiteral("la base de datos temporal de la compactación")});
    }
    // Every database read is one of its own, and none of them is one that
    // the run makes: a copy over its own source would empty it.
    QHash<QString, QString> leidasPorIdentidad;
    for (const auto& [nombre, que] : leidas) {
        const QString id = identidad(e, nombre);
        if (auto it = leidasPorIdentidad.constFind(id); it != leidasPorIdentidad.constEnd())
            rechazar(QStringLiteral("%1 y %2 son la misma base de datos (%3)").arg(*it, que, nombre));
        leidasPorIdentidad.insert(id, que);
    }
    QSet<QString> creadasPorIdentidad;
    for (const auto& [nombre, que] : creadas) {
        const QString id = identidad(e, nombre);
        if (auto it = leidasPorIdentidad.constFind(id); it != leidasPorIdentidad.constEnd())
            rechazar(QStringLiteral("%1 se llama como %2 (%3)").arg(que, *it, nombre));
        creadasPorIdentidad.insert(id);
    }
    // A database of a registered year is never overwritten: only leftovers
    // of an earlier run of our own may be replaced.
    const QSet<QString> registradas = basesRegistradas(e);
    for (const auto& [nombre, que] : creadas)
        if (registradas.contains(identidad(e, nombre)))
            rechazar(QStringLiteral("%1 sería %2, que pertenece a un curso escolar registrado").arg(que, nombre));
}

void ComprobarCursoVigente(EstadoMotor& e) {
    const cConfiguracion& conf = *e.conf;
    Conexion& app = e.conLocalAppEntrada();
    Recordset rs = app.Abrir(QStringLiteral("SELECT IDCursoEscolar, Nombre, UltimoUtilizado FROM CursoEscolar "
                                            "WHERE CodCentro=%1 ORDER BY IDCursoEscolar")
                                 .arg(conf.intIDCentro()));
    long actual = -1;
    bool nombreUsado = false;
    for (; !rs.eof(); rs.MoveNext()) {
        if (rs.entero(QStringLiteral("UltimoUtilizado")) != 0) actual = long(rs.entero(QStringLiteral("IDCursoEscolar")));
        nombreUsado = nombreUsado || MismoNombreCurso(rs.texto(QStringLiteral("Nombre")), e.NuevoCursoEscolar);
    }
    rs.Close();
    if (actual != conf.intIDCursoEscolar())
        throw Error(errores::Archivo,
                    QStringLiteral("El curso escolar %1 ya no es el curso actual del centro: se ha cerrado mientras "
                                   "tanto. Vuelva a entrar en la aplicación.")
                        .arg(conf.CursoEscolar()));
    if (nombreUsado)
        throw Error(errores::Archivo, TextoNombreCursoUsado(e.NuevoCursoEscolar));
}

bool CopiarBasesDatos(EstadoMotor& e, qint16 centro, qint16 cursoActual, qint16 cursoNuevo) {
    try {
        if (!FijarNombresBases(e, centro, cursoActual, cursoNuevo)) return false;

        const QPair<QString, QString> copias[] = {
            {e.strRutaCentro, e.strNuevaCentro},           {e.strRutaCentro, e.strCopiaCentro},
            {e.strRutaBorradoCentro, e.strNuevaBorradoCentro}, {e.strRutaBorradoCentro, e.strCopiaBorradoCentro},
            {e.strRutaAppEntrada, e.strCopiaAppEntrada},   {e.strRutaBorradoAppEntrada, e.strCopiaBorradoAppEntrada},
        };
        // Made before the run: the new year's two, which it writes from its
        // first step, and on the server the school's backup as well, since
        // the run reads the school from its first step and the server
        // copies a database only while nobody is connected to it. The
        // other backups are made behind the run.
        const auto antesDelTrabajo = [&e](const QString& origen, const QString& destino) {
            return destino == e.strNuevaCentro || destino == e.strNuevaBorradoCentro ||
                   (e.SQLServer() && origen == e.strRutaCentro);
        };
        QVector<archivos::CopiasDetras::Copia> respaldos;
        for (const auto& [origen, destino] : copias)
            if (!antesDelTrabajo(origen, destino)) respaldos.append({origen, destino});
        // The session's connections step aside for the copies of their
        // databases and come back as they were, whatever happens: the
        // school's once the copies before the run are made, the others
        // once their backups are (PermitirCambiosOriginales).
        const DatosConexion enServidor = servidorDe(e);
        ConexionesApartadas apartada =
            e.SQLServer() ? ConexionesApartadas{&e.conLocalCentro()} : ConexionesApartadas{};
        ConexionesApartadas hastaRespaldos =
            e.SQLServer() ? ConexionesApartadas{&e.conLocalBorradoCentro(), &e.conLocalAppEntrada(),
                                                &e.conLocalBorradoAppEntrada()}
                          : ConexionesApartadas{};
        if (e.SQLServer()) {
            // The server makes those before the run at once, each by a
            // connection of its own: a copy flushes its files to disk one by
            // one and waits for the disk each time, and such waits overlap.
            // The journal names all six before the first is begun: a
            // cut-short run is undone at the next start.
            for (const auto& copia : copias) e.copiasEnCurso.insert(copia.second);
            escribirDiario(e, FaseCierre::Copiando);
            std::vector<std::function<void()>> tareas;
            QStringList destinos;
            for (const auto& [origen, destino] : copias) {
                if (!antesDelTrabajo(origen, destino)) continue;
                tareas.push_back([enServidor, origen, destino, comentario = e.ComentarioBases] {
                    CopiaDBSQLServer(enServidor, origen, destino, comentario);
                });
                destinos << destino;
            }
            const std::vector<std::exception_ptr> fallos = enParalelo(tareas);
            for (std::size_t i = 0; i < fallos.size(); ++i)
                if (!fallos[i]) {
                    e.copiasHechas.insert(destinos.at(static_cast<int>(i)));
                    e.copiasEnCurso.remove(destinos.at(static_cast<int>(i)));
                }
            // The first failure is the one said; the copies that were made
            // are the run's, and its failure removes them.
            for (const std::exception_ptr& fallo : fallos)
                if (fallo) std::rethrow_exception(fallo);
            cederAhora();
        } else {
            for (const auto& [origen, destino] : copias) {
                if (!antesDelTrabajo(origen, destino)) continue;
                // Before each copy the journal names what is about to be
                // made: a cut-short run is undone at the next start.
                e.copiasEnCurso = {destino};
                escribirDiario(e, FaseCierre::Copiando);
                // The new year's copies are the run's own until their
                // compacted copies, which are flushed, replace them:
                // nothing need wait for the disk for them.
                archivos::copiar(origen, destino, archivos::Escritura::Libre);
                e.copiasHechas.insert(destino);
                e.copiasEnCurso.clear();
                cederAhora();
            }
            // The journal names the backups before the first is begun.
            for (const auto& respaldo : respaldos) e.copiasEnCurso.insert(respaldo.second);
            escribirDiario(e, FaseCierre::Copiando);
        }
        apartada.volver();
        // The journal still says the originals are untouched, and until
        // PermitirCambiosOriginales they stay so: any change to one before
        // it is refused by its own connection and fails the run (and would
        // spoil a backup being made of it).
        for (Conexion* c : conexionesOriginales(e))
            if (c->State() == 1) c->fijarSoloLectura(true);
        // The backups are needed from the first change to an original on
        // (PermitirCambiosOriginales), which waits for them: a thread of
        // their own makes them meanwhile, while the new year is written;
        // SQLite's each started on its way to the disk as it is made.
        if (!respaldos.isEmpty()) {
            if (e.SQLServer())
                e.respaldos = std::make_shared<archivos::CopiasDetras>(
                    respaldos, [enServidor, comentario = e.ComentarioBases](const QString& de, const QString& a) {
                        CopiaDBSQLServer(enServidor, de, a, comentario);
                    });
            else
                e.respaldos = std::make_shared<archivos::CopiasDetras>(respaldos, archivos::Escritura::Empezada);
        }
        // Their connections come back only after the backups: one opened
        // before its copy begins would make the server refuse the copy.
        e.apartadasHastaRespaldos = hastaRespaldos.soltar();
        return true;
    } catch (const Error& err) {
        mostrarError(err);
        return false;
    }
}

namespace {

// Waits for the backups being made behind the run: those made are the
// run's, whatever became of the rest. The first failure, if any.
std::exception_ptr esperarRespaldos(EstadoMotor& e) {
    if (!e.respaldos) return {};
    const archivos::CopiasDetras::Resultado r = e.respaldos->esperar();
    e.respaldos.reset();
    for (const QString& copia : r.hechas) {
        e.copiasHechas.insert(copia);
        e.copiasEnCurso.remove(copia);
    }
    return r.fallo;
}

}  // namespace

bool PermitirCambiosOriginales(EstadoMotor& e) {
    if (e.originalesPuedenCambiar) return true;
    try {
        // A backup that could not be made fails the run before anything
        // relies on it.
        if (const std::exception_ptr fallo = esperarRespaldos(e)) std::rethrow_exception(fallo);
        // The session's connections set aside for the server's backups come
        // back, writable: the originals may change from here on.
        while (!e.apartadasHastaRespaldos.isEmpty()) {
            e.apartadasHastaRespaldos.first()->Open();
            e.apartadasHastaRespaldos.removeFirst();
        }
        // The backups went on their way to the disk as they were made and
        // have had the new year's work to get there: the wait is for what
        // is left. All of them are on disk before the journal lets the
        // originals change, since from then on a recovery restores them.
        if (!e.SQLServer())
            for (const auto& [copia, original] : e.copiasYOriginales())
                if (e.copiasHechas.contains(copia)) archivos::sincronizar(copia);
        escribirDiario(e, FaseCierre::Trabajando);
        e.originalesPuedenCambiar = true;
        for (Conexion* c : conexionesOriginales(e))
            if (c->State() == 1) c->fijarSoloLectura(false);
        return true;
    } catch (const Error& err) {
        mostrarError(err);
        return false;
    }
}

bool ApuntarNuevasBasesDatos(EstadoMotor& e, const QString& nuevaCentro, const QString& nuevaBorrado) {
    if (e.SQLServer()) {
        e.conNuevoCentro.fijarPropiedad(QStringLiteral("Initial Catalog"), nuevaCentro);
        e.conNuevoBorradoCentro.fijarPropiedad(QStringLiteral("Initial Catalog"), nuevaBorrado);
        return true;
    }
    const QPair<Conexion*, QString> pares[] = {{&e.conNuevoCentro, nuevaCentro}, {&e.conNuevoBorradoCentro, nuevaBorrado}};
    for (const auto& [con, nombre] : pares) {
        const QString prop = propiedadQueContiene(*con, QStringLiteral("DATA SOURCE"));
        if (prop.isEmpty()) {
            avisar(MsgNoEstablecerRuta);
            return false;
        }
        con->fijarPropiedad(prop, nombre);
    }
    return true;
}

bool EstablecerCredenciales(EstadoMotor& e, Conexion& con) {
    // The new connection was copied from the session's own, credentials
    // included; only a server login without a password needs the session's.
    if (e.SQLServer() && con.propiedad(QStringLiteral("Password")).isEmpty()) {
        const Conexion& sesion = e.conLocalCentro();
        const QString clave = sesion.propiedad(QStringLiteral("Password"));
        if (!clave.isEmpty()) {
            con.fijarPropiedad(QStringLiteral("User ID"), sesion.propiedad(QStringLiteral("User ID")));
            con.fijarPropiedad(QStringLiteral("Password"), clave);
        }
    }
    return true;
}

bool AbrirNuevasBasesDatos(EstadoMotor& e) {
    try {
        e.conNuevoCentro.setConnectionString(e.conLocalCentro().ConnectionString());
        e.conNuevoBorradoCentro.setConnectionString(e.conLocalBorradoCentro().ConnectionString());
        if (!ApuntarNuevasBasesDatos(e, e.strNuevaCentro, e.strNuevaBorradoCentro)) return false;
        if (!EstablecerCredenciales(e, e.conNuevoCentro)) return false;
        if (!EstablecerCredenciales(e, e.conNuevoBorradoCentro)) return false;
        e.conNuevoCentro.Open();
        e.conNuevoBorradoCentro.Open();
        // The new year's school database takes nearly every write of the
        // run: 20,000 students ran 20 % faster with its indexes in 64 MB of
        // cache than in SQLite's default 2 MB.
        e.conNuevoCentro.fijarCacheKiB(65536);
        // Until their compaction the new files are the run's alone: a failed
        // or cut-short run removes them, and a finished one keeps only their
        // compacted copies, on disk before the new year is marked registered.
        // Without a rollback journal, 20,000 students closed 10-25 % faster.
        e.conNuevoCentro.fijarArchivoDeTrabajo();
        e.conNuevoBorradoCentro.fijarArchivoDeTrabajo();
        e.conNuevoCentro.BeginTrans();
        e.conNuevoBorradoCentro.BeginTrans();
        return true;
    } catch (const Error& err) {
        mostrarError(err);
        return false;
    }
}

QStringList ListaTablasVaciar(bool procesarSecciones) {
    QString lista = QStringLiteral(
        "CalendarioEscolar,Cobro,CobroPendiente,CursoEscolar,"
        "CursoEscolar_CalendarioEscolar,Devolucion,Disco,Disco_Emisor,"
        "FacturacionLog,IncidenciaAlumno,IncidenciaPersonal,Insercion,"
        "Mensaje,Pago,PagoPendiente,Papelera,Recibo,ReciboPendiente,"
        "Remesa,Remesa_Presentador_Disco,SeguridadDisco,SQLRecuperacion,"
        "FechaNotas, Publicacion, Publicacion_Evaluacion, BloqueoNotas,"
        "BloqueoRegistros, ConsejoOrientador_Nota, PublicacionPte, EvaluacionPte, EvaluacionActaPte, "
        "Seccion_AlumnoPte, AlumnoPte_MatDet");
    if (procesarSecciones)
        lista += QStringLiteral(",Alumno_MateriaDetalles,Alumno_NumEvaluacion,Evaluacion,"
                                "EvaluacionActa,Seccion_Alumno");
    lista += QStringLiteral(",CIERRECURSO_SECCION,CIERRECURSO_SECCION_ALUMNO,CIERRECURSO_ACTIVIDAD,"
                            "CIERRECURSO_ACTIVIDAD_ALUMNO,CIERRECURSO_ACTIVIDAD_PRECIO_CURSO,"
                            "CIERRECURSO_ACTIVIDAD_PRECIO_TIPOALUMNO");
    return lista.split(QLatin1Char(','));
}

namespace {

// The tables with a row per student's subject, period or membership: the
// largest of a school, emptied whole. The others hold few rows, and row by
// row is cheaper for them on the server too, where emptying a table whole
// gives it and each of its indexes new files, every index flushed to disk
// at once.
bool esTablaPorAlumno(const QString& tabla) {
    static const QStringList porAlumno = {QStringLiteral("Alumno_MateriaDetalles"), QStringLiteral("Alumno_NumEvaluacion"),
                                          QStringLiteral("Evaluacion"), QStringLiteral("EvaluacionActa"),
                                          QStringLiteral("Seccion_Alumno")};
    return porAlumno.contains(tabla.trimmed(), Qt::CaseInsensitive);
}

bool VaciarTablasCentro(EstadoMotor& e) {
    try {
        QStringList enteras;
        for (const QString& tabla : ListaTablasVaciar(e.ProcesarSecciones)) {
            if (esTablaPorAlumno(tabla)) enteras << tabla;
            else ejecutar(e.conNuevoCentro, QStringLiteral("DELETE FROM ") + tabla);
        }
        e.conNuevoCentro.vaciarTablas(enteras);
        return true;
    } catch (const Error& err) {
        mostrarError(err);
        return false;
    }
}

bool VaciarTablasBorrado(EstadoMotor& e) {
    try {
        Recordset rs = e.conNuevoBorradoCentro.Tablas();
        for (; !rs.eof(); rs.MoveNext())
            if (rs.texto(QStringLiteral("TABLE_TYPE")).toUpper() == QLatin1String("TABLE"))
                ejecutar(e.conNuevoBorradoCentro, QStringLiteral("DELETE FROM ") + rs.texto(QStringLiteral("TABLE_NAME")));
        rs.Close();
        return true;
    } catch (const Error& err) {
        mostrarError(err);
        return false;
    }
}

}  // namespace

bool VaciarNuevasBasesDatos(EstadoMotor& e) { return VaciarTablasCentro(e) && VaciarTablasBorrado(e); }

bool RegistrarCursoNuevaBD(EstadoMotor& e, qint16 centro, long nuevoId, qint16 usuario, const QString& nombre) {
    try {
        long calendario = 0;
        if (!ObtenerNuevoID(e.conNuevoCentro, e.conNuevoBorradoCentro, QStringLiteral("CalendarioEscolar"),
                            QStringLiteral("IDCalendarioEscolar"), calendario))
            return false;
        ejecutar(e.conNuevoCentro,
                 QStringLiteral("INSERT INTO CalendarioEscolar (IDCalendarioEscolar) VALUES (%1)").arg(calendario));
        // The name is a bound value: stored exactly as typed, quotes and all.
        ejecutar(e.conNuevoCentro,
                 QStringLiteral("INSERT INTO CursoEscolar (IDCursoEscolar, Nombre, CodCentro, CodUsuario, Activa) "
                                "VALUES (%1,?,%2,%3,-1)")
                     .arg(nuevoId)
                     .arg(centro)
                     .arg(usuario),
                 {nombre});
        ejecutar(e.conNuevoCentro,
                 QStringLiteral("INSERT INTO CursoEscolar_CalendarioEscolar (CodCursoEscolar, CodCalendarioEscolar) "
                                "VALUES (%1,%2)")
                     .arg(nuevoId)
                     .arg(calendario));
        return true;
    } catch (const Error& err) {
        mostrarError(err);
        return false;
    }
}

bool RegistrarCursoAppEntrada(EstadoMotor& e, qint16 centro, qint16 actual, qint16 nuevo, const QString& nombre,
                              const QString& bd, const QString& bdBorrado) {
    Conexion& app = e.conLocalAppEntrada();
    bool abierta = false;
    try {
        if (app.State() == 0) { app.Open(); abierta = true; }
        // The registration is one change of the application entry: all of it
        // or none, so that a failure halfway leaves no half-registered year.
        Transaccion t(app);
        e.strSQL = QStringLiteral("INSERT INTO CursoEscolar (IDCursoEscolar, Nombre, CodCentro, BD, BDBorrado, "
                                  "UltimoUtilizado, Activa) VALUES (%1, ?, %2, ?, ?, -1, -1)")
                       .arg(nuevo)
                       .arg(centro);
        ejecutar(app, e.strSQL, {nombre, bd, bdBorrado});
        if (!CierreParcial()) {
            e.strSQL = QStringLiteral("UPDATE CursoEscolar SET UltimoUtilizado=0, Activa=0 WHERE IdCursoEscolar=%1").arg(actual);
            ejecutar(app, e.strSQL);
        }
        Recordset rs = app.Abrir(
            QStringLiteral("SELECT codUsuario FROM CursoEscolar_Usuario WHERE codCursoEscolar=%1").arg(actual));
        for (; !rs.eof(); rs.MoveNext()) {
            e.strSQL = QStringLiteral("INSERT INTO CursoEscolar_Usuario (CodCursoEscolar, CodUsuario) VALUES (%1,%2)")
                           .arg(nuevo)
                           .arg(rs.entero(QStringLiteral("codUsuario")));
            ejecutar(app, e.strSQL);
        }
        rs.Close();
        t.confirmar();
        if (abierta) app.Close();
        return true;
    } catch (const Error& err) {
        if (abierta) cerrarSiAbierta(app);
        mostrarError(err);
        return false;
    }
}

bool CompactarNuevasBasesDatos(EstadoMotor& e) {
    // The run's work becomes durable here, before anything is compacted.
    try {
        confirmarSiHay(e.conNuevoCentro);
        confirmarSiHay(e.conNuevoBorradoCentro);
    } catch (const Error& err) {
        mostrarError(err);
        return false;
    }
    if (e.SQLServer()) return true;

    const QString compact1 = rutaCompact(e, false), compact2 = rutaCompact(e, true);
    bool cerrada1 = false, cerrada2 = false, correcto = false;
    try {
        archivos::borrar(compact1);
        archivos::borrar(compact2);
        QString origen1, origen2;
        if (ObtenerOrigenDatos(e, e.conNuevoCentro, origen1) && ObtenerOrigenDatos(e, e.conNuevoBorradoCentro, origen2)) {
            if (e.conNuevoCentro.State() == 1) { e.conNuevoCentro.Close(); cerrada1 = true; }
            if (e.conNuevoBorradoCentro.State() == 1) { e.conNuevoBorradoCentro.Close(); cerrada2 = true; }
            archivos::compactarSQLite(origen1, compact1);
            cederAhora();
            archivos::compactarSQLite(origen2, compact2);
            cederAhora();
            archivos::sincronizar(compact1);
            archivos::sincronizar(compact2);
            archivos::borrar(origen1);
            archivos::renombrar(compact1, origen1);
            archivos::borrar(origen2);
            archivos::renombrar(compact2, origen2);
            archivos::sincronizar(origen1);
            archivos::sincronizar(origen2);
            correcto = true;
        }
    } catch (const Error& err) {
        mostrarError(err);
    }
    try {
        if (cerrada1) e.conNuevoCentro.Open();
        if (cerrada2) e.conNuevoBorradoCentro.Open();
        archivos::borrar(compact1);
        archivos::borrar(compact2);
    } catch (const Error& err) {
        if (correcto) mostrarError(err);
        correcto = false;
    }
    return correcto;
}

bool BorrarCopiasSeguridad(EstadoMotor& e) {
    // The year is already closed and registered: a backup that cannot be
    // removed is said, and the others are still removed, but the closing
    // stands; the journal stays for the next start to finish the clean-up.
    bool todas = true;
    const std::array<const QString*, 4> copias{&e.strCopiaBorradoCentro, &e.strCopiaCentro, &e.strCopiaAppEntrada,
                                               &e.strCopiaBorradoAppEntrada};
    // On the server the four go at once, each by a connection of its own:
    // every DROP DATABASE makes the server flush to disk all that is still
    // unwritten (an immediate checkpoint) and then removes the database's
    // files one by one. Side by side, one flush serves them all and the
    // removals overlap: at 20,000 students, about 2.7 s instead of 5.
    std::vector<std::exception_ptr> fallos(copias.size());
    if (e.SQLServer()) {
        const DatosConexion enServidor = servidorDe(e);
        std::vector<std::function<void()>> tareas;
        for (const QString* copia : copias) tareas.push_back([enServidor, nombre = *copia] { BorraDBSQLServer(enServidor, nombre); });
        fallos = enParalelo(tareas);
    }
    for (std::size_t i = 0; i < copias.size(); ++i) {
        const QString* copia = copias[i];
        try {
            if (fallos[i]) std::rethrow_exception(fallos[i]);
            if (!e.SQLServer()) archivos::borrar(*copia);
        } catch (const Error& err) {
            mostrarError(err);
            todas = false;
        } catch (const std::bad_alloc&) {
            avisarTexto(QStringLiteral("Memoria insuficiente: no se ha podido borrar la copia de seguridad %1").arg(*copia),
                        Icono::Critico);
            todas = false;
        }
    }
    return todas;
}

namespace {

// On the server the backups are databases: a restore drops the database that
// was changed and gives its name back to the backup; the new databases go.
// Before the originals could change only the copies go: the originals are
// as they were, and a SQLite backup may not be on disk yet.
void restaurarEnServidor(EstadoMotor& e, const DatosConexion& enServidor) {
    // A backup still being made is finished before the copies go; one that
    // failed made nothing, and the run failed already for its own reason.
    esperarRespaldos(e);
    for (const QString* nueva : {&e.strNuevaCentro, &e.strNuevaBorradoCentro})
        if (e.copiasHechas.contains(*nueva)) servidor::borrar(enServidor, *nueva);
    for (const auto& [copia, original] : e.copiasYOriginales()) {
        if (!e.copiasHechas.contains(copia) || !servidor::existe(enServidor, copia)) continue;
        if (e.originalesPuedenCambiar) servidor::reponer(enServidor, copia, original);
        else servidor::borrar(enServidor, copia);
    }
}

void restaurarArchivos(EstadoMotor& e) {
    // A backup still being made is finished before the copies go; one that
    // failed removed itself, and the run failed already for its own reason.
    esperarRespaldos(e);
    for (const QString* nueva : {&e.strNuevaCentro, &e.strNuevaBorradoCentro})
        if (e.copiasHechas.contains(*nueva)) archivos::borrar(*nueva);
    for (const auto& [copia, original] : e.copiasYOriginales()) {
        if (!e.copiasHechas.contains(copia) || !archivos::existe(copia)) continue;
        if (!e.originalesPuedenCambiar) {
            archivos::borrar(copia);
            continue;
        }
        archivos::borrar(original);
        archivos::renombrar(copia, original);
        archivos::sincronizar(original);
    }
}

}  // namespace

bool RestaurarBasesDatos(EstadoMotor& e) {
    // Reads of the closed year and history rows still under way end (these
    // rolled back) before the databases are put back.
    e.escrituraHistorico.reset();
    e.lecturasHistorico.reset();
    RestaurarAlumnosSecciones(e);
    // Taken before the session's connections close: the server's address
    // and credentials are in the application entry's connection string.
    const DatosConexion enServidor = servidorDe(e);
    QVector<Conexion*> cerradas;
    try {
        cerrarSiAbierta(e.conNuevoCentro);
        cerrarSiAbierta(e.conNuevoBorradoCentro);
        // Every session connection comes back open, also one that an
        // earlier failure left closed or that waited for a backup.
        e.apartadasHastaRespaldos.clear();
        for (Conexion* c : conexionesOriginales(e)) {
            if (c->State() == 1) c->Close();
            cerradas.append(c);
        }
        if (e.SQLServer()) restaurarEnServidor(e, enServidor);
        else restaurarArchivos(e);
        // Restored: nothing is left for a recovery to do. A restore that
        // failed keeps its journal, so the next start tries again.
        borrarDiario(e);
    } catch (const Error& err) {
        for (Conexion* c : cerradas) try { c->Open(); } catch (...) {}
        mostrarError(err);
        avisar(MsgErrorRestaurar);
        return false;
    } catch (const std::bad_alloc&) {
        // The session gets its connections back whatever stopped the
        // restore; the journal stays for the next start.
        for (Conexion* c : cerradas) try { c->Open(); } catch (...) {}
        avisar(MsgErrorRestaurar);
        return false;
    }
    bool fallo = false;
    Error primero(0, QString());
    for (Conexion* c : cerradas) {
        try {
            c->Open();
        } catch (const Error& err) {
            if (!fallo) primero = err;
            fallo = true;
        } catch (const std::bad_alloc&) {
            if (!fallo) primero = Error(7, QStringLiteral("Memoria insuficiente"));
            fallo = true;
        }
    }
    if (fallo) {
        mostrarError(primero);
        avisar(MsgErrorRestaurar);
    }
    return true;
}

bool CrearNuevoCursoEscolar(EstadoMotor& e) {
    cConfiguracion& conf = *e.conf;
    if (!ObtenerNuevoID(e.conLocalAppEntrada(), e.conLocalBorradoAppEntrada(), QStringLiteral("CursoEscolar"),
                        QStringLiteral("IDCursoEscolar"), e.lngIDNuevoCurso))
        return false;
    if (!CopiarBasesDatos(e, conf.intIDCentro(), conf.intIDCursoEscolar(), static_cast<qint16>(e.lngIDNuevoCurso)))
        return false;
    e.avisos->AvanzarProgreso();
    if (!AbrirNuevasBasesDatos(e)) return false;
    if (!VaciarNuevasBasesDatos(e)) return false;
    if (!RegistrarCursoNuevaBD(e, conf.intIDCentro(), e.lngIDNuevoCurso, conf.intIDUsuario(), e.NuevoCursoEscolar))
        return false;
    e.avisos->AvanzarProgreso();
    return true;
}

}  // namespace ncc::motor
