#include "platform/BasesDatos.h"
#include "platform/Error.h"
#include <QAtomicInt>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <vector>
#include <unistd.h>

namespace ncc::archivos {

bool existe(const QString& ruta) { return !ruta.isEmpty() && QFileInfo::exists(ruta); }

namespace {

// The files SQLite keeps beside a database: they belong to that very file,
// and one left beside another file of the same name is replayed into it (a
// write-ahead log over a restored backup gives back what the restore undid).
const char* const Companeros[] = {"-wal", "-journal", "-shm"};

void quitar(const QString& ruta) {
    if (!existe(ruta)) return;
    if (!QFile::remove(ruta))
        throw Error(errores::Archivo, QStringLiteral("Error de acceso a la ruta o el archivo: no se puede borrar %1").arg(ruta));
}

void quitarCompaneros(const QString& ruta) {
    for (const char* c : Companeros) quitar(ruta + QLatin1String(c));
}

void cambiarNombre(const QString& de, const QString& a) {
    if (!QFile::rename(de, a))
        throw Error(errores::Archivo,
                    QStringLiteral("Error de acceso a la ruta o el archivo: no se puede cambiar el nombre de %1 a %2").arg(de, a));
}

qint64 tamano(const QString& ruta) { return QFileInfo(ruta).size(); }

// Folds a write-ahead log into its database so that the file alone holds
// every committed change. Leaves the log in place when a reader of another
// program keeps it from finishing: the caller then copies the log too.
void volcarRegistro(const QString& ruta) {
    if (!existe(ruta + QStringLiteral("-wal")) || tamano(ruta + QStringLiteral("-wal")) == 0) return;
    static QAtomicInt n = 0;
    const QString nombre = QStringLiteral("ncc-volcado-%1").arg(n.fetchAndAddRelaxed(1));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), nombre);
        db.setDatabaseName(ruta);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
        if (db.open()) {
            QSqlQuery q(db);
            q.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
            q.finish();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(nombre);
}

}  // namespace

void borrar(const QString& ruta) {
    if (ruta.isEmpty()) return;
    quitar(ruta);
    // Whatever SQLite left beside it belongs to the file just removed.
    quitarCompaneros(ruta);
}

void renombrar(const QString& de, const QString& a) {
    // What was beside the old `a` must not be replayed into the new one; a
    // log or journal of `de` goes with it.
    quitarCompaneros(a);
    cambiarNombre(de, a);
    for (const char* c : {"-wal", "-journal"})
        if (existe(de + QLatin1String(c))) cambiarNombre(de + QLatin1String(c), a + QLatin1String(c));
    quitar(de + QStringLiteral("-shm"));
}

namespace {

QAtomicInt contador = 0;

void vaciarEn(const QString& origen, const QString& destino) {
    if (!existe(origen))
        throw Error(53, QStringLiteral("No se ha encontrado el archivo %1").arg(origen));
    borrar(destino);
    const QString nombre = QStringLiteral("ncc-copia-%1").arg(contador.fetchAndAddRelaxed(1));
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), nombre);
        db.setDatabaseName(origen);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000;QSQLITE_OPEN_READONLY"));
        if (!db.open()) {
            error = db.lastError().text();
        } else {
            QSqlQuery q(db);
            q.prepare(QStringLiteral("VACUUM INTO ?"));
            q.addBindValue(destino);
            if (!q.exec()) error = q.lastError().text();
            q.finish();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(nombre);
    if (!error.isEmpty()) {
        QFile::remove(destino);
        throw Error(errores::Archivo, QStringLiteral("No se ha podido copiar %1 en %2: %3").arg(origen, destino, error.trimmed()));
    }
}

}  // namespace

void copiarBaseSQLite(const QString& origen, const QString& destino) { vaciarEn(origen, destino); }

void compactarSQLite(const QString& origen, const QString& destino) {
    // The compacted file comes out in rollback-journal mode; a database in
    // write-ahead-log mode stays in it (byte 18 of the header says which).
    QFile f(origen);
    const bool wal = f.open(QIODevice::ReadOnly) && f.read(20).mid(18, 1) == QByteArray(1, '\x02');
    f.close();
    vaciarEn(origen, destino);
    if (!wal) return;
    const QString nombre = QStringLiteral("ncc-copia-%1").arg(contador.fetchAndAddRelaxed(1));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), nombre);
        db.setDatabaseName(destino);
        if (db.open()) {
            QSqlQuery q(db);
            q.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
            q.finish();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(nombre);
}

namespace {

// `tamano` bytes from one open file to the other: by the kernel, or read
// and written where the file system cannot (the school's folder may be a
// network share). 0, or the error.
int copiarContenido(int origen, int destino, off_t tamano) {
    off_t copiados = 0;
    while (copiados < tamano) {
        const ssize_t n = ::sendfile(destino, origen, nullptr, size_t(tamano - copiados));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && copiados == 0 && (errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)) break;
        if (n < 0) return errno;
        if (n == 0) return EIO;  // a file shorter than it was is no copy
        copiados += n;
    }
    std::vector<char> bloque(1 << 20);
    while (copiados < tamano) {
        const ssize_t leidos = ::read(origen, bloque.data(), bloque.size());
        if (leidos < 0 && errno == EINTR) continue;
        if (leidos < 0) return errno;
        if (leidos == 0) return EIO;
        for (ssize_t escritos = 0; escritos < leidos;) {
            const ssize_t n = ::write(destino, bloque.data() + escritos, size_t(leidos - escritos));
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return errno;
            escritos += n;
        }
        copiados += leidos;
    }
    return 0;
}

// The bytes of `de` into a new file `a` with its permissions; nothing is
// flushed.
void copiarBytes(const QString& de, const QString& a) {
    const auto fallo = [&](int codigo) {
        return Error(errores::Archivo,
                     QStringLiteral("No se ha podido copiar %1 en %2: %3").arg(de, a, QString::fromLocal8Bit(strerror(codigo))));
    };
    const int origen = ::open(QFile::encodeName(de).constData(), O_RDONLY | O_CLOEXEC);
    if (origen < 0) throw fallo(errno);
    struct stat st {};
    if (::fstat(origen, &st) != 0) {
        const int codigo = errno;
        ::close(origen);
        throw fallo(codigo);
    }
    const int destino = ::open(QFile::encodeName(a).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 07777);
    if (destino < 0) {
        const int codigo = errno;
        ::close(origen);
        throw fallo(codigo);
    }
    // The mode as the original has it, whatever the process's umask: a
    // restored backup must leave the school's folder as shared as it was.
    int codigo = ::fchmod(destino, st.st_mode & 07777) == 0 ? 0 : errno;
    if (codigo == 0) codigo = copiarContenido(origen, destino, st.st_size);
    ::close(origen);
    if (::close(destino) != 0 && codigo == 0) codigo = errno;
    if (codigo != 0) {
        QFile::remove(a);
        throw fallo(codigo);
    }
}

// Has the system begin writing `ruta` to disk, without waiting for it.
void empezarEscritura(const QString& ruta) {
    const int fd = ::open(QFile::encodeName(ruta).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    ::close(fd);
}

}  // namespace

void copiar(const QString& origen, const QString& destino, Escritura escritura) {
    if (!existe(origen))
        throw Error(53, QStringLiteral("No se ha encontrado el archivo %1").arg(origen));
    borrar(destino);
    // A database in write-ahead-log mode keeps its latest changes in the
    // log: folded in first, the file alone is the whole database.
    volcarRegistro(origen);
    const auto copiarUno = [&](const QString& de, const QString& a) {
        try {
            copiarBytes(de, a);
        } catch (const Error&) {
            borrar(destino);
            throw;
        }
        if (escritura == Escritura::Sincronizada) sincronizar(a);
        else if (escritura == Escritura::Empezada) empezarEscritura(a);
    };
    copiarUno(origen, destino);
    // A log that could not be folded in (another program reading) or a
    // journal of a write cut short is part of the database: it goes along.
    for (const char* c : {"-wal", "-journal"})
        if (tamano(origen + QLatin1String(c)) > 0) copiarUno(origen + QLatin1String(c), destino + QLatin1String(c));
}

namespace {

// Flushes what is open on `fd`. A disk that could not take it (EIO, ENOSPC
// and the like) is the caller's to know: what it relies on may not be
// there after a power cut. A file system with nothing to flush or no way
// to (read-only, or a folder it cannot flush) is not a failure. Closes `fd`.
void llevarAlDisco(int fd, const QString& que) {
    const int codigo = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    if (codigo == 0 || codigo == EINVAL || codigo == EROFS || codigo == EBADF) return;
    throw Error(errores::Archivo,
                QStringLiteral("No se ha podido guardar en el disco %1: %2").arg(que, QString::fromLocal8Bit(strerror(codigo))));
}

}  // namespace

void sincronizar(const QString& ruta) {
    // A file that is not there (a log that was never made, a file just
    // removed whose folder is what is flushed) has nothing to flush.
    for (const QString& archivo : {ruta, ruta + QStringLiteral("-wal"), ruta + QStringLiteral("-journal")}) {
        const QByteArray r = QFile::encodeName(archivo);
        const int fd = ::open(r.constData(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0) llevarAlDisco(fd, archivo);
    }
    const QString carpeta = QFileInfo(ruta).absolutePath();
    const int fd = ::open(QFile::encodeName(carpeta).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) llevarAlDisco(fd, carpeta);
}

}  // namespace ncc::archivos

namespace ncc::servidor {

namespace {

QString identificador(const QString& nombre) {
    if (nombre.isEmpty() || nombre.contains(QChar(0)))
        throw Error(-2147217900L, QStringLiteral("Nombre de base de datos no válido: \"%1\"").arg(nombre));
    QString n = nombre;
    return QLatin1Char('"') + n.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

// The maintenance database of the server, with the template's credentials.
std::unique_ptr<Conexion> administracion(const DatosConexion& datos) {
    DatosConexion d = datos;
    d.proveedor = Proveedor::PostgreSQL;
    d.base = QStringLiteral("postgres");
    auto con = std::make_unique<Conexion>(d);
    con->Open();
    return con;
}

QString herramienta(const QString& nombre) {
    QString ruta = QStandardPaths::findExecutable(nombre);
    if (ruta.isEmpty())
        ruta = QStandardPaths::findExecutable(nombre, {QStringLiteral("/usr/lib/postgresql/15/bin")});
    if (ruta.isEmpty())
        throw Error(errores::Proceso, QStringLiteral("No se encuentra la herramienta %1 de PostgreSQL").arg(nombre));
    return ruta;
}

// pg_dump and pg_restore take a --dbname with an "=" in it, or one that
// begins as a URI, for a whole connection string: a name is always handed
// to them as the one value of a connection string, quoted as libpq reads it.
QString argumentoBase(QString nombre) {
    nombre.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('\''), QStringLiteral("\\'"));
    return QStringLiteral("--dbname=dbname='") + nombre + QLatin1Char('\'');
}

QStringList argumentosConexion(const DatosConexion& d) {
    QStringList a{QStringLiteral("--host=") + d.host, QStringLiteral("--port=") + QString::number(d.puerto),
                  QStringLiteral("--no-password")};
    if (!d.usuario.isEmpty()) a << QStringLiteral("--username=") + d.usuario;
    return a;
}

}  // namespace

bool existe(const DatosConexion& datos, const QString& nombre) {
    auto con = administracion(datos);
    Recordset r = con->Abrir(QStringLiteral("SELECT 1 FROM pg_database WHERE datname = ?"), {nombre});
    return !r.eof();
}

QStringList conPrefijo(const DatosConexion& datos, const QString& prefijo, bool libres) {
    auto con = administracion(datos);
    QString sql = QStringLiteral("SELECT datname FROM pg_database d WHERE left(datname, %1) = ?").arg(prefijo.size());
    if (libres) sql += QStringLiteral(" AND NOT EXISTS (SELECT 1 FROM pg_stat_activity a WHERE a.datname = d.datname)");
    sql += QStringLiteral(" ORDER BY datname");
    QStringList r;
    for (Recordset rs = con->Abrir(sql, {prefijo}); !rs.eof(); rs.MoveNext()) r << rs.texto(QStringLiteral("datname"));
    return r;
}

void crear(const DatosConexion& datos, const QString& nombre) {
    auto con = administracion(datos);
    con->Execute(QStringLiteral("CREATE DATABASE ") + identificador(nombre) +
                 QStringLiteral(" TEMPLATE template0 ENCODING 'UTF8'"));
}

QString comentario(const DatosConexion& datos, const QString& nombre) {
    auto con = administracion(datos);
    Recordset r = con->Abrir(QStringLiteral("SELECT COALESCE(shobj_description(oid, 'pg_database'), '') FROM pg_database "
                                            "WHERE datname = ?"),
                             {nombre});
    return r.eof() ? QString() : r.campo(0).toString();
}

void borrar(const DatosConexion& datos, const QString& nombre) {
    auto con = administracion(datos);
    con->Execute(QStringLiteral("DROP DATABASE IF EXISTS ") + identificador(nombre) + QStringLiteral(" WITH (FORCE)"));
}

void renombrar(const DatosConexion& datos, const QString& de, const QString& a) {
    auto con = administracion(datos);
    con->Execute(QStringLiteral("ALTER DATABASE ") + identificador(de) + QStringLiteral(" RENAME TO ") + identificador(a));
}

namespace {

QString literal(QString texto) { return QLatin1Char('\'') + texto.replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\''); }

// What a database is besides its contents: who owns it, who may connect
// (and do the rest), its own settings, its comment and its connection
// limit. A renamed copy has none of them.
struct Atributos {
    QString dueno, comentario;
    long limite = -1;
    bool aclPropia = false;
    struct Permiso {
        QString a, privilegio;  // a: empty for PUBLIC
        bool conOpcion = false;
    };
    QVector<Permiso> permisos;
    QVector<QPair<QString, QString>> ajustes;  // (role or empty, "name=value")
};

Atributos leerAtributos(Conexion& con, const QString& nombre) {
    Atributos a;
    Recordset rs = con.Abrir(QStringLiteral("SELECT pg_get_userbyid(d.datdba) AS dueno, d.datconnlimit AS limite, "
                                            "d.datacl IS NOT NULL AS propia, "
                                            "COALESCE(shobj_description(d.oid, 'pg_database'), '') AS comentario "
                                            "FROM pg_database d WHERE d.datname = ?"),
                             {nombre});
    if (rs.eof()) return a;
    a.dueno = rs.texto(QStringLiteral("dueno"));
    a.limite = long(rs.entero(QStringLiteral("limite")));
    a.aclPropia = rs.campo(2).toBool();
    a.comentario = rs.texto(QStringLiteral("comentario"));
    rs.Close();
    for (Recordset p = con.Abrir(QStringLiteral("SELECT CASE WHEN e.grantee = 0 THEN '' ELSE pg_get_userbyid(e.grantee) END "
                                                "AS a, e.privilege_type AS privilegio, e.is_grantable AS opcion "
                                                "FROM pg_database d, aclexplode(d.datacl) e WHERE d.datname = ? "
                                                "ORDER BY 1, 2"),
                                 {nombre});
         !p.eof(); p.MoveNext())
        a.permisos.append({p.texto(QStringLiteral("a")), p.texto(QStringLiteral("privilegio")), p.campo(2).toBool()});
    for (Recordset p = con.Abrir(QStringLiteral("SELECT CASE WHEN s.setrole = 0 THEN '' ELSE pg_get_userbyid(s.setrole) END "
                                                "AS rol, unnest(s.setconfig) AS ajuste FROM pg_db_role_setting s, "
                                                "pg_database d WHERE s.setdatabase = d.oid AND d.datname = ? ORDER BY 1, 2"),
                                 {nombre});
         !p.eof(); p.MoveNext())
        a.ajustes.append({p.texto(QStringLiteral("rol")), p.texto(QStringLiteral("ajuste"))});
    return a;
}

void aplicarAtributos(Conexion& con, const QString& nombre, const Atributos& a) {
    const QString bd = identificador(nombre);
    if (!a.dueno.isEmpty()) con.Execute(QStringLiteral("ALTER DATABASE %1 OWNER TO %2").arg(bd, identificador(a.dueno)));
    if (a.limite != -1) con.Execute(QStringLiteral("ALTER DATABASE %1 CONNECTION LIMIT %2").arg(bd).arg(a.limite));
    if (a.aclPropia) {
        con.Execute(QStringLiteral("REVOKE ALL ON DATABASE %1 FROM PUBLIC").arg(bd));
        for (const auto& p : a.permisos)
            con.Execute(QStringLiteral("GRANT %1 ON DATABASE %2 TO %3%4")
                            .arg(p.privilegio, bd, p.a.isEmpty() ? QStringLiteral("PUBLIC") : identificador(p.a),
                                 p.conOpcion ? QStringLiteral(" WITH GRANT OPTION") : QString()));
    }
    for (const auto& [rol, ajuste] : a.ajustes) {
        const int igual = ajuste.indexOf(QLatin1Char('='));
        if (igual <= 0) continue;
        const QString variable = ajuste.left(igual), valor = ajuste.mid(igual + 1);
        // A list (search_path) is written as the list it is; any other value
        // as one literal.
        const QString v = valor.contains(QLatin1Char(',')) ? valor : literal(valor);
        const QString destino = rol.isEmpty() ? QStringLiteral("DATABASE %1").arg(bd)
                                              : QStringLiteral("ROLE %1 IN DATABASE %2").arg(identificador(rol), bd);
        con.Execute(QStringLiteral("ALTER %1 SET %2 = %3").arg(destino, identificador(variable), v));
    }
    if (!a.comentario.isEmpty()) con.Execute(QStringLiteral("COMMENT ON DATABASE %1 IS %2").arg(bd, literal(a.comentario)));
}

}  // namespace

void reponer(const DatosConexion& datos, const QString& copia, const QString& original) {
    auto con = administracion(datos);
    const Atributos a = leerAtributos(*con, original);
    con->Execute(QStringLiteral("DROP DATABASE IF EXISTS ") + identificador(original) + QStringLiteral(" WITH (FORCE)"));
    con->Execute(QStringLiteral("ALTER DATABASE ") + identificador(copia) + QStringLiteral(" RENAME TO ") +
                 identificador(original));
    aplicarAtributos(*con, original, a);
}

void copiar(const DatosConexion& datos, const QString& origen, const QString& destino, const QString& comentario) {
    {
        auto con = administracion(datos);
        con->Execute(QStringLiteral("DROP DATABASE IF EXISTS ") + identificador(destino) + QStringLiteral(" WITH (FORCE)"));
        const auto comentar = [&] {
            if (!comentario.isEmpty())
                con->Execute(QStringLiteral("COMMENT ON DATABASE %1 IS %2").arg(identificador(destino), literal(comentario)));
        };
        // The server copies a database nobody is connected to by itself,
        // many times faster than a dump; with sessions on the source it
        // refuses, and the dump below does the copy instead.
        //
        // From PostgreSQL 15 on the server by default writes every page of
        // the copy into its write-ahead log (WAL_LOG): a closing's six
        // copies of a large school put hundreds of megabytes there, which
        // brings on a checkpoint in the middle of the run and leaves
        // thousands of files for the next one to flush (the first DROP
        // DATABASE forces it). FILE_COPY, the only way before 15, copies the
        // files and flushes them itself: the copy is as durable when the
        // statement returns, and the log takes one record.
        const QString estrategia =
            con->versionServidor() >= 150000 ? QStringLiteral(" STRATEGY FILE_COPY") : QString();
        try {
            con->Execute(QStringLiteral("CREATE DATABASE ") + identificador(destino) + QStringLiteral(" TEMPLATE ") +
                         identificador(origen) + estrategia);
            comentar();
            return;
        } catch (const Error&) {
            if (existe(datos, destino)) throw;  // made, but the comment failed
        }
        con->Execute(QStringLiteral("CREATE DATABASE ") + identificador(destino) +
                     QStringLiteral(" TEMPLATE template0 ENCODING 'UTF8'"));
        comentar();
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PGPASSWORD"), datos.clave);
    env.insert(QStringLiteral("PGCONNECT_TIMEOUT"), QStringLiteral("30"));
    QProcess volcado, carga;
    volcado.setProcessEnvironment(env);
    carga.setProcessEnvironment(env);
    // The dump streams straight into the restore: no file is left anywhere.
    volcado.setStandardOutputProcess(&carga);
    const QStringList con = argumentosConexion(datos);
    // The grants on the tables travel with the copy: a restored school keeps
    // who may read what.
    carga.start(herramienta(QStringLiteral("pg_restore")),
                con + QStringList{QStringLiteral("--no-owner"), QStringLiteral("--exit-on-error"),
                                  argumentoBase(destino)});
    volcado.start(herramienta(QStringLiteral("pg_dump")),
                  con + QStringList{QStringLiteral("--format=custom"), QStringLiteral("--compress=0"),
                                    QStringLiteral("--no-owner"), argumentoBase(origen)});
    const bool fin1 = volcado.waitForFinished(-1);
    if (!fin1 || volcado.exitStatus() != QProcess::NormalExit || volcado.exitCode() != 0) carga.closeWriteChannel();
    const bool fin2 = carga.waitForFinished(-1);
    const bool bien = fin1 && fin2 && volcado.exitStatus() == QProcess::NormalExit && volcado.exitCode() == 0 &&
                      carga.exitStatus() == QProcess::NormalExit && carga.exitCode() == 0;
    if (!bien) {
        const QString detalle = QString::fromLocal8Bit(volcado.readAllStandardError() + carga.readAllStandardError()).trimmed();
        try { borrar(datos, destino); } catch (...) {}
        throw Error(errores::Proceso,
                    QStringLiteral("No se ha podido copiar la base de datos %1 en %2: %3").arg(origen, destino, detalle));
    }
}

}  // namespace ncc::servidor
