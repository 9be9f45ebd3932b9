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
#include <fcntl.h>
#include <unistd.h>

namespace ncc::archivos {

bool existe(const QString& ruta) { return !ruta.isEmpty() && QFileInfo::exists(ruta); }

void borrar(const QString& ruta) {
    if (!existe(ruta)) return;
    if (!QFile::remove(ruta))
        throw Error(errores::Archivo, QStringLiteral("Error de acceso a la ruta o el archivo: no se puede borrar %1").arg(ruta));
    // A journal left by a crashed writer belongs to the file just removed.
    QFile::remove(ruta + QStringLiteral("-journal"));
}

void renombrar(const QString& de, const QString& a) {
    if (!QFile::rename(de, a))
        throw Error(errores::Archivo,
                    QStringLiteral("Error de acceso a la ruta o el archivo: no se puede cambiar el nombre de %1 a %2").arg(de, a));
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

void compactarSQLite(const QString& origen, const QString& destino) { vaciarEn(origen, destino); }

void copiar(const QString& origen, const QString& destino) {
    if (!existe(origen))
        throw Error(53, QStringLiteral("No se ha encontrado el archivo %1").arg(origen));
    borrar(destino);
    QFile f(origen);
    if (!f.copy(destino)) {
        QFile::remove(destino);
        throw Error(errores::Archivo,
                    QStringLiteral("No se ha podido copiar %1 en %2: %3").arg(origen, destino, f.errorString()));
    }
    sincronizar(destino);
}

void sincronizar(const QString& ruta) {
    const QByteArray r = QFile::encodeName(ruta);
    int fd = ::open(r.constData(), O_RDONLY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    const QByteArray carpeta = QFile::encodeName(QFileInfo(ruta).absolutePath());
    fd = ::open(carpeta.constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
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
std::unique_ptr<Conexion> administracion(const QString& plantilla) {
    CadenaConexion c(plantilla);
    c.fijar(QStringLiteral("Provider"), QStringLiteral("PostgreSQL"));
    c.fijar(QStringLiteral("Initial Catalog"), QStringLiteral("postgres"));
    auto con = std::make_unique<Conexion>(c.texto());
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

QStringList argumentosConexion(const CadenaConexion& c) {
    QString origen = c.valor(QStringLiteral("Data Source"));
    QString puerto = QStringLiteral("5432");
    const int dos = origen.lastIndexOf(QLatin1Char(':'));
    if (dos > 0) {
        puerto = origen.mid(dos + 1);
        origen = origen.left(dos);
    }
    QStringList a{QStringLiteral("--host=") + origen, QStringLiteral("--port=") + puerto, QStringLiteral("--no-password")};
    const QString usuario = c.valor(QStringLiteral("User ID"));
    if (!usuario.isEmpty()) a << QStringLiteral("--username=") + usuario;
    return a;
}

}  // namespace

bool existe(const QString& plantilla, const QString& nombre) {
    auto con = administracion(plantilla);
    Recordset r = con->Abrir(QStringLiteral("SELECT 1 FROM pg_database WHERE datname = ?"), {nombre});
    return !r.eof();
}

void crear(const QString& plantilla, const QString& nombre) {
    auto con = administracion(plantilla);
    con->Execute(QStringLiteral("CREATE DATABASE ") + identificador(nombre) +
                 QStringLiteral(" TEMPLATE template0 ENCODING 'UTF8'"));
}

void borrar(const QString& plantilla, const QString& nombre) {
    auto con = administracion(plantilla);
    con->Execute(QStringLiteral("DROP DATABASE IF EXISTS ") + identificador(nombre) + QStringLiteral(" WITH (FORCE)"));
}

void renombrar(const QString& plantilla, const QString& de, const QString& a) {
    auto con = administracion(plantilla);
    con->Execute(QStringLiteral("ALTER DATABASE ") + identificador(de) + QStringLiteral(" RENAME TO ") + identificador(a));
}

void copiar(const QString& plantilla, const QString& origen, const QString& destino) {
    const CadenaConexion c(plantilla);
    {
        auto con = administracion(plantilla);
        con->Execute(QStringLiteral("DROP DATABASE IF EXISTS ") + identificador(destino) + QStringLiteral(" WITH (FORCE)"));
        // The server copies a database nobody is connected to by itself,
        // many times faster than a dump; with sessions on the source it
        // refuses, and the dump below does the copy instead.
        try {
            con->Execute(QStringLiteral("CREATE DATABASE ") + identificador(destino) + QStringLiteral(" TEMPLATE ") +
                         identificador(origen));
            return;
        } catch (const Error&) {
        }
        con->Execute(QStringLiteral("CREATE DATABASE ") + identificador(destino) +
                     QStringLiteral(" TEMPLATE template0 ENCODING 'UTF8'"));
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PGPASSWORD"), c.valor(QStringLiteral("Password")));
    env.insert(QStringLiteral("PGCONNECT_TIMEOUT"), QStringLiteral("30"));
    QProcess volcado, carga;
    volcado.setProcessEnvironment(env);
    carga.setProcessEnvironment(env);
    // The dump streams straight into the restore: no file is left anywhere.
    volcado.setStandardOutputProcess(&carga);
    const QStringList con = argumentosConexion(c);
    carga.start(herramienta(QStringLiteral("pg_restore")),
                con + QStringList{QStringLiteral("--no-owner"), QStringLiteral("--no-privileges"),
                                  QStringLiteral("--exit-on-error"), QStringLiteral("--dbname=") + destino});
    volcado.start(herramienta(QStringLiteral("pg_dump")),
                  con + QStringList{QStringLiteral("--format=custom"), QStringLiteral("--compress=0"),
                                    QStringLiteral("--no-owner"), QStringLiteral("--no-privileges"),
                                    QStringLiteral("--dbname=") + origen});
    const bool fin1 = volcado.waitForFinished(-1);
    if (!fin1 || volcado.exitStatus() != QProcess::NormalExit || volcado.exitCode() != 0) carga.closeWriteChannel();
    const bool fin2 = carga.waitForFinished(-1);
    const bool bien = fin1 && fin2 && volcado.exitStatus() == QProcess::NormalExit && volcado.exitCode() == 0 &&
                      carga.exitStatus() == QProcess::NormalExit && carga.exitCode() == 0;
    if (!bien) {
        const QString detalle = QString::fromLocal8Bit(volcado.readAllStandardError() + carga.readAllStandardError()).trimmed();
        try { borrar(plantilla, destino); } catch (...) {}
        throw Error(errores::Proceso,
                    QStringLiteral("No se ha podido copiar la base de datos %1 en %2: %3").arg(origen, destino, detalle));
    }
}

}  // namespace ncc::servidor
