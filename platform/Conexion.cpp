#include "platform/Conexion.h"
#include <QElapsedTimer>
#include <cstdio>
#include "platform/Error.h"
#include "platform/Sentencias.h"
#include "platform/SentenciasSqlite.h"
#include <QAtomicInt>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>
#include <QFileInfo>
#include <libpq-fe.h>
#include <future>
#include <new>
#include <system_error>

namespace ncc {

namespace {

QAtomicInt siguienteNombre = 0;

// SQLite's or the server client's own "out of memory" is the program's:
// the same failure as a std::bad_alloc, for whoever handles that.
void comprobarMemoria(const QSqlError& e) {
    if (e.nativeErrorCode() == QLatin1String("7") || e.text().contains(QLatin1String("out of memory"), Qt::CaseInsensitive))
        throw std::bad_alloc();
}

// Qt's SQL module does not survive an allocation that fails inside it (it
// is built without exceptions: binding a value then dereferences nothing).
// Before each statement the memory it may need is made sure of here, where
// running short is a std::bad_alloc that the run handles like any failed
// step.
void asegurarMemoria() {
    constexpr std::size_t margen = std::size_t(1) << 20;
    ::operator delete(::operator new(margen));
}

long numeroDeError(const QSqlError& e) {
    bool ok = false;
    const long n = e.nativeErrorCode().toLong(&ok);
    if (ok && n != 0) return n;
    // ADO's generic "errors in command" for the server's alphanumeric SQLSTATEs.
    return -2147217900L;
}

}  // namespace

namespace {
// NCC_TRAZA_LENTAS=ms lists the statements slower than that, for tuning.
const int trazaLentas = qEnvironmentVariableIntValue("NCC_TRAZA_LENTAS");
void trazar(const QElapsedTimer& reloj, const QString& sql) {
    if (trazaLentas > 0 && reloj.elapsed() >= trazaLentas)
        std::fprintf(stderr, "[%lld ms] %s\n", static_cast<long long>(reloj.elapsed()), sql.toUtf8().constData());
}
}  // namespace

// A COPY handed to a thread of its own: libpq's connection is used there
// alone until the connection's next use waits for it.
struct CopiaEnCurso {
    struct Resultado {
        QString texto, codigo;  // the last error, if any
    };
    std::future<Resultado> resultado;
    QString sql;
    QElapsedTimer reloj;
};

namespace {

// Every result of the COPY is read, the last error kept, so that the
// connection is ready for the next statement whatever happened.
CopiaEnCurso::Resultado copiarEn(PGconn* pg, const QByteArray& sql, const QByteArray& filas) {
    CopiaEnCurso::Resultado r;
    auto resultado = [&](PGresult* res) {
        const ExecStatusType estado = PQresultStatus(res);
        if (estado != PGRES_COMMAND_OK && estado != PGRES_COPY_IN) {
            r.texto = QString::fromUtf8(PQerrorMessage(pg)).trimmed();
            if (r.texto.isEmpty()) r.texto = QString::fromLatin1(PQresStatus(estado));
            r.codigo = QString::fromLatin1(PQresultErrorField(res, PG_DIAG_SQLSTATE));
        }
        const bool copiando = estado == PGRES_COPY_IN;
        PQclear(res);
        return copiando;
    };
    if (resultado(PQexec(pg, sql.constData()))) {
        const bool enviadas = PQputCopyData(pg, filas.constData(), int(filas.size())) == 1;
        if (PQputCopyEnd(pg, enviadas ? nullptr : "no se enviaron las filas") != 1 || !enviadas)
            r.texto = QString::fromUtf8(PQerrorMessage(pg)).trimmed();
        while (PGresult* res = PQgetResult(pg)) resultado(res);
    }
    return r;
}

}  // namespace

Conexion::Conexion(QObject* parent) : QObject(parent) {}

Conexion::Conexion(const QString& cadena, QObject* parent) : QObject(parent), cadena_(cadena) {}

Conexion::Conexion(const DatosConexion& datos, QObject* parent) : QObject(parent), cadena_(datos) {}

Conexion::~Conexion() {
    try { Close(); } catch (...) {}
}

QString Conexion::ConnectionString() const { return cadena_.texto(); }

void Conexion::setConnectionString(const QString& cadena) {
    if (abierta_)
        throw Error(3705, QStringLiteral("Operación no permitida si el objeto está abierto"));
    cadena_ = CadenaConexion(cadena);
}

QString Conexion::propiedad(const QString& nombre) const { return cadena_.valor(nombre); }

void Conexion::fijarPropiedad(const QString& nombre, const QString& valor) {
    if (abierta_)
        throw Error(3705, QStringLiteral("Operación no permitida si el objeto está abierto"));
    cadena_.fijar(nombre, valor);
}

QStringList Conexion::nombresPropiedades() const { return cadena_.nombres(); }

Proveedor Conexion::proveedor() const { return Dialecto::desdeNombre(cadena_.valor(QStringLiteral("Provider"))); }

QString Conexion::origenDatos() const {
    if (esServidor()) return cadena_.valor(QStringLiteral("Initial Catalog"));
    return cadena_.valor(QStringLiteral("Data Source"));
}

void Conexion::Open() {
    if (abierta_) throw Error(3705, QStringLiteral("Operación no permitida si el objeto está abierto"));
    const DatosConexion d = cadena_.datos();
    const Proveedor p = d.proveedor;
    nombreQt_ = QStringLiteral("ncc-%1").arg(siguienteNombre.fetchAndAddRelaxed(1));
    QSqlError error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(Dialecto::driverQt(p), nombreQt_);
        // A driver that is installed but does not load could not be mapped
        // into memory: the process has run out of it.
        if (!db.isValid() && QSqlDatabase::drivers().contains(Dialecto::driverQt(p))) {
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(nombreQt_);
            throw std::bad_alloc();
        }
        if (p == Proveedor::SQLite) {
            if (d.archivo.isEmpty()) {
                db = QSqlDatabase();
                QSqlDatabase::removeDatabase(nombreQt_);
                throw Error(-2147467259L, QStringLiteral("No se ha indicado el archivo de la base de datos (Data Source)"));
            }
            db.setDatabaseName(d.archivo);
            db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
        } else {
            db.setHostName(d.host);
            db.setPort(d.puerto);
            db.setDatabaseName(d.base);
            db.setUserName(d.usuario);
            db.setPassword(d.clave);
        }
        if (!db.open()) error = db.lastError();
        else if (p == Proveedor::SQLite) {
            const QVariant h = db.driver()->handle();
            if (h.isValid() && qstrcmp(h.typeName(), "sqlite3*") == 0)
                sqlite_ = std::make_unique<SentenciasSqlite>(*static_cast<sqlite3* const*>(h.constData()));
        } else if (p == Proveedor::PostgreSQL) {
            QSqlQuery q(db);
            q.exec(QStringLiteral("SET client_min_messages TO WARNING"));
        }
    }
    if (error.isValid()) {
        QSqlDatabase::removeDatabase(nombreQt_);
        nombreQt_.clear();
        comprobarMemoria(error);
        throw Error(numeroDeError(error), error.text().trimmed());
    }
    abierta_ = true;
    enTransaccion_ = false;
    version_ = -1;
}

void Conexion::Close() {
    if (!abierta_) return;
    esperarCopia(false);
    preparadas_.clear();
    ultima_.reset();
    sqlite_.reset();  // its statements go before the file closes
    {
        QSqlDatabase db = QSqlDatabase::database(nombreQt_, false);
        if (enTransaccion_) db.rollback();
        db.close();
    }
    QSqlDatabase::removeDatabase(nombreQt_);
    abierta_ = false;
    enTransaccion_ = false;
}

int Conexion::State() const { return abierta_ ? 1 : 0; }

void Conexion::comprobarAbierta() const {
    if (!abierta_)
        throw Error(errores::ConexionCerrada,
                    QStringLiteral("La conexión no se puede usar para realizar esta operación. Está cerrada."));
}

void Conexion::lanzarError(const QSqlError& e, const QString& sql) const {
    comprobarMemoria(e);
    QString texto = e.databaseText().trimmed();
    if (texto.isEmpty()) texto = e.text().trimmed();
    Q_UNUSED(sql);
    throw Error(numeroDeError(e), texto);
}

QSqlQuery& Conexion::preparada(const QString& sql) {
    auto it = preparadas_.find(sql);
    if (it != preparadas_.end()) return **it;
    auto q = std::make_shared<QSqlQuery>(QSqlDatabase::database(nombreQt_, false));
    q->setForwardOnly(true);
    if (!q->prepare(sql)) lanzarError(q->lastError(), sql);
    preparadas_.insert(sql, q);
    return *q;
}

int Conexion::sentenciasPreparadas() const { return preparadas_.size() + (sqlite_ ? sqlite_->preparadas() : 0); }

void Conexion::esperarCopia(bool lanzar) {
    if (!copia_) return;
    const std::unique_ptr<CopiaEnCurso> copia = std::move(copia_);
    const CopiaEnCurso::Resultado r = copia->resultado.get();
    if (trazaLentas > 0) trazar(copia->reloj, copia->sql);
    if (lanzar && !r.texto.isEmpty())
        lanzarError(QSqlError(r.texto, r.texto, QSqlError::StatementError, r.codigo), copia->sql);
}

void Conexion::antesDeSentencia() {
    comprobarAbierta();
    esperarCopia();
    Sentencias::contar();
    asegurarMemoria();
}

QSqlQuery& Conexion::ejecutar(const QString& sql, const QVariantList& valores) {
    antesDeSentencia();
    if (valores.isEmpty()) {
        // Statements without values carry their ids in the text and are
        // rarely repeated; DDL cannot be prepared on the server at all.
        auto q = std::make_shared<QSqlQuery>(QSqlDatabase::database(nombreQt_, false));
        q->setForwardOnly(true);
        if (!q->exec(sql)) lanzarError(q->lastError(), sql);
        ultima_ = q;
        return *q;
    }
    QSqlQuery& q = preparada(sql);
    for (int i = 0; i < valores.size(); ++i) {
        const QVariant& v = valores[i];
        // Booleans are stored as the back end's integer true.
        if (v.typeId() == QMetaType::Bool) q.bindValue(i, v.toBool() ? verdadero() : 0);
        else q.bindValue(i, v);
    }
    if (!q.exec()) {
        const QSqlError e = q.lastError();
        // A failed prepared statement on the server may be unusable later.
        preparadas_.remove(sql);
        lanzarError(e, sql);
    }
    return q;
}

int Conexion::Execute(const QString& sql, const QVariantList& valores) {
    QElapsedTimer reloj;
    if (trazaLentas > 0) reloj.start();
    int n = 0;
    if (sqlite_) {
        antesDeSentencia();
        n = sqlite_->ejecutar(sql, valores, verdadero());
    } else {
        QSqlQuery& q = ejecutar(sql, valores);
        n = q.numRowsAffected();
        if (q.isSelect()) q.finish();
        if (valores.isEmpty()) ultima_.reset();
    }
    if (trazaLentas > 0) trazar(reloj, sql);
    return n;
}

Recordset Conexion::Abrir(const QString& sql, const QVariantList& valores) {
    QElapsedTimer reloj;
    if (trazaLentas > 0) reloj.start();
    if (sqlite_) {
        antesDeSentencia();
        Recordset r = sqlite_->abrir(sql, valores, verdadero());
        if (trazaLentas > 0) trazar(reloj, sql);
        return r;
    }
    QSqlQuery& q = ejecutar(sql, valores);
    const QSqlRecord r = q.record();
    QStringList columnas;
    for (int i = 0; i < r.count(); ++i) columnas << r.fieldName(i);
    QVector<QVariant> leidos;
    const int n = columnas.size();
    while (q.next())
        for (int i = 0; i < n; ++i) leidos.append(q.value(i));
    q.finish();
    if (valores.isEmpty()) ultima_.reset();
    if (trazaLentas > 0) trazar(reloj, sql);
    return Recordset(std::move(columnas), std::move(leidos));
}

void Conexion::copiar(const QString& tabla, const QByteArray& filas, bool detras) {
    antesDeSentencia();
    auto copia = std::make_unique<CopiaEnCurso>();
    copia->sql = QStringLiteral("COPY ") + tabla + QStringLiteral(" FROM STDIN");
    copia->reloj.start();
    // The server driver's own connection, so that the rows go inside the
    // transaction that the driver began. Its statements are all finished
    // here: a recordset is read in full, and a statement without rows ends
    // with its result.
    const QVariant h = QSqlDatabase::database(nombreQt_, false).driver()->handle();
    // Qt names the pointer's type after libpq's struct, pg_conn.
    const bool esPg = h.isValid() && (qstrcmp(h.typeName(), "PGconn*") == 0 || qstrcmp(h.typeName(), "pg_conn*") == 0);
    PGconn* pg = esPg ? *static_cast<PGconn* const*>(h.constData()) : nullptr;
    if (!pg) lanzarError(QSqlError(QString(), QStringLiteral("COPY sólo en el servidor"), QSqlError::StatementError), copia->sql);
    const QByteArray sql = copia->sql.toUtf8();
    const auto aqui = [&] {
        std::promise<CopiaEnCurso::Resultado> hecha;
        hecha.set_value(copiarEn(pg, sql, filas));
        copia->resultado = hecha.get_future();
    };
    if (!detras) aqui();
    else try {
            copia->resultado = std::async(std::launch::async, copiarEn, pg, sql, filas);
        } catch (const std::system_error&) {
            aqui();  // no thread to be had: the rows are written here
        }
    copia_ = std::move(copia);
    if (!detras) esperarCopia();
}

Recordset Conexion::Tablas() {
    if (esServidor())
        return Abrir(QStringLiteral(
            "SELECT table_name AS TABLE_NAME, CASE table_type WHEN 'BASE TABLE' THEN 'TABLE' ELSE table_type END AS TABLE_TYPE "
            "FROM information_schema.tables WHERE table_schema = current_schema() ORDER BY table_name"));
    return Abrir(QStringLiteral(
        "SELECT name AS TABLE_NAME, CASE type WHEN 'table' THEN 'TABLE' ELSE 'VIEW' END AS TABLE_TYPE "
        "FROM sqlite_master WHERE type IN ('table','view') AND name NOT LIKE 'sqlite_%' ORDER BY name"));
}

// Cheaper on the server for large tables only: each new index file is
// flushed to disk at once, where a DELETE of a few rows writes nearly
// nothing. TRUNCATE needs a privilege of its own, which a user allowed to
// DELETE may lack: such a user's tables are emptied row by row, as before.
void Conexion::vaciarTablas(const QStringList& tablas) {
    if (tablas.isEmpty()) return;
    if (esServidor()) {
        QStringList permisos;
        QVariantList nombres;
        for (const QString& tabla : tablas) {
            permisos << QStringLiteral("has_table_privilege(?, 'TRUNCATE')");
            nombres << tabla;
        }
        Recordset puede = Abrir(QStringLiteral("SELECT ") + permisos.join(QStringLiteral(" AND ")), nombres);
        if (!puede.eof() && puede.booleano(0)) {
            Execute(QStringLiteral("TRUNCATE TABLE ") + tablas.join(QLatin1Char(',')));
            return;
        }
    }
    for (const QString& tabla : tablas) Execute(QStringLiteral("DELETE FROM ") + tabla);
}

void Conexion::fijarSQLite(const QString& pragma) {
    comprobarAbierta();
    if (esServidor()) return;
    // A setting of the connection, like the server's message level at
    // opening: not one of the statements of the work.
    QSqlQuery q(QSqlDatabase::database(nombreQt_, false));
    if (!q.exec(QStringLiteral("PRAGMA ") + pragma)) lanzarError(q.lastError(), QStringLiteral("PRAGMA"));
}

void Conexion::fijarCacheKiB(int kib) { fijarSQLite(QStringLiteral("cache_size=-%1").arg(kib)); }

void Conexion::fijarTemporalesEnMemoria(bool enMemoria) {
    fijarSQLite(enMemoria ? QStringLiteral("temp_store=MEMORY") : QStringLiteral("temp_store=DEFAULT"));
}

void Conexion::fijarArchivoDeTrabajo() {
    comprobarAbierta();
    if (esServidor()) return;
    QSqlQuery q(QSqlDatabase::database(nombreQt_, false));
    if (!q.exec(QStringLiteral("PRAGMA journal_mode")) || !q.next())
        lanzarError(q.lastError(), QStringLiteral("PRAGMA journal_mode"));
    const bool wal = q.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) == 0;
    q.finish();
    if (!wal) fijarSQLite(QStringLiteral("journal_mode=OFF"));
    fijarSQLite(QStringLiteral("synchronous=OFF"));
}

void Conexion::fijarSoloLectura(bool soloLectura) {
    comprobarAbierta();
    if (!esServidor()) {
        fijarSQLite(soloLectura ? QStringLiteral("query_only=1") : QStringLiteral("query_only=0"));
        return;
    }
    esperarCopia();
    QSqlQuery q(QSqlDatabase::database(nombreQt_, false));
    const QString sql = soloLectura ? QStringLiteral("SET default_transaction_read_only = on")
                                    : QStringLiteral("SET default_transaction_read_only = off");
    if (!q.exec(sql)) lanzarError(q.lastError(), sql);
}

int Conexion::versionServidor() {
    comprobarAbierta();
    if (!esServidor()) return 0;
    if (version_ < 0) {
        esperarCopia();
        QSqlQuery q(QSqlDatabase::database(nombreQt_, false));
        if (!q.exec(QStringLiteral("SHOW server_version_num")) || !q.next())
            lanzarError(q.lastError(), QStringLiteral("SHOW"));
        version_ = q.value(0).toInt();
    }
    return version_;
}

void Conexion::BeginTrans() {
    comprobarAbierta();
    esperarCopia();
    QSqlDatabase db = QSqlDatabase::database(nombreQt_, false);
    if (!db.transaction()) lanzarError(db.lastError(), QStringLiteral("BEGIN"));
    enTransaccion_ = true;
}

void Conexion::CommitTrans() {
    comprobarAbierta();
    esperarCopia();
    QSqlDatabase db = QSqlDatabase::database(nombreQt_, false);
    if (!db.commit()) lanzarError(db.lastError(), QStringLiteral("COMMIT"));
    enTransaccion_ = false;
}

void Conexion::RollbackTrans() {
    comprobarAbierta();
    esperarCopia(false);
    QSqlDatabase db = QSqlDatabase::database(nombreQt_, false);
    enTransaccion_ = false;
    if (!db.rollback()) lanzarError(db.lastError(), QStringLiteral("ROLLBACK"));
}

}  // namespace ncc
