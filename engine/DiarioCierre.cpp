#include "engine/DiarioCierre.h"
#include "engine/EstadoMotor.h"
#include "platform/Conexion.h"
#include "platform/BasesDatos.h"
#include "platform/CadenaConexion.h"
#include "platform/Error.h"
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>
#include <QThread>

namespace ncc::motor {

namespace {

constexpr const char* NombreDiario = "CierreCurso.pendiente";
constexpr const char* NombreBloqueo = "CierreCurso.bloqueo";

QString rutaDiario(const QString& cadenaAppEntrada) {
    return QDir(carpetaDiario(cadenaAppEntrada)).filePath(QLatin1String(NombreDiario));
}

QJsonArray lista(const QStringList& l) { return QJsonArray::fromStringList(l); }

QStringList deLista(const QJsonValue& v) {
    QStringList l;
    for (const auto& x : v.toArray()) l << x.toString();
    return l;
}

const char* nombreFase(FaseCierre f) {
    switch (f) {
    case FaseCierre::Copiando: return "copiando";
    case FaseCierre::Trabajando: return "trabajando";
    case FaseCierre::Registrado: return "registrado";
    }
    return "copiando";
}

DiarioCierre leer(const QString& ruta) {
    QFile f(ruta);
    if (!f.open(QIODevice::ReadOnly))
        throw Error(errores::Archivo, QStringLiteral("No se puede leer el registro del cierre pendiente %1").arg(ruta));
    const QJsonObject o = QJsonDocument::fromJson(f.readAll()).object();
    if (o.isEmpty())
        throw Error(errores::Archivo, QStringLiteral("El registro del cierre pendiente %1 está dañado").arg(ruta));
    DiarioCierre d;
    const QString fase = o.value(QStringLiteral("fase")).toString();
    d.fase = fase == QLatin1String("registrado")   ? FaseCierre::Registrado
             : fase == QLatin1String("trabajando") ? FaseCierre::Trabajando
                                                   : FaseCierre::Copiando;
    d.servidor = o.value(QStringLiteral("servidor")).toBool();
    d.copias = deLista(o.value(QStringLiteral("copias")));
    d.originales = deLista(o.value(QStringLiteral("originales")));
    d.nuevas = deLista(o.value(QStringLiteral("nuevas")));
    d.temporales = deLista(o.value(QStringLiteral("temporales")));
    if (d.copias.size() != d.originales.size())
        throw Error(errores::Archivo, QStringLiteral("El registro del cierre pendiente %1 está dañado").arg(ruta));
    return d;
}

// Every action is idempotent, so a recovery cut short can simply run again.
void deshacer(const DiarioCierre& d, const QString& plantilla) {
    for (const QString& n : d.nuevas) {
        if (d.servidor) servidor::borrar(plantilla, n);
        else archivos::borrar(n);
    }
    for (int i = 0; i < d.copias.size(); ++i) {
        const QString& copia = d.copias.at(i);
        const QString& original = d.originales.at(i);
        if (d.fase == FaseCierre::Copiando) {
            // The originals were never touched; a backup may be half made.
            if (d.servidor) servidor::borrar(plantilla, copia);
            else archivos::borrar(copia);
            continue;
        }
        if (d.servidor) {
            if (!servidor::existe(plantilla, copia)) continue;
            servidor::reponer(plantilla, copia, original);
        } else {
            if (!archivos::existe(copia)) continue;
            archivos::borrar(original);
            archivos::renombrar(copia, original);
            archivos::sincronizar(original);
        }
    }
}

void completar(const DiarioCierre& d, const QString& plantilla) {
    for (const QString& copia : d.copias) {
        if (d.servidor) servidor::borrar(plantilla, copia);
        else archivos::borrar(copia);
    }
}

}  // namespace

QString carpetaDiario(const QString& cadenaAppEntrada) {
    const CadenaConexion c(cadenaAppEntrada);
    if (!c.esServidor()) {
        const QString ruta = c.valor(QStringLiteral("Data Source"));
        return QFileInfo(ruta).absolutePath();
    }
    const QByteArray clave = (c.valor(QStringLiteral("Data Source")) + QLatin1Char('|') +
                              c.valor(QStringLiteral("Initial Catalog")))
                                 .toUtf8();
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QString carpeta = QDir(base.isEmpty() ? QDir::homePath() : base)
                                .filePath(QStringLiteral("ncc/servidor-") +
                                          QString::fromLatin1(QCryptographicHash::hash(clave, QCryptographicHash::Sha1).toHex().left(16)));
    return carpeta;
}

void escribirDiario(const EstadoMotor& e, FaseCierre fase) {
    QJsonObject o;
    o.insert(QStringLiteral("fase"), QLatin1String(nombreFase(fase)));
    o.insert(QStringLiteral("servidor"), e.SQLServer());
    // Only what this run made (or is making) is named: a recovery must not
    // remove or restore over anything that was there before.
    auto hecha = [&e](const QString& n) { return e.copiasHechas.contains(n) || n == e.copiaEnCurso; };
    QStringList copias, originales, nuevas;
    for (const auto& [copia, original] : e.copiasYOriginales())
        if (hecha(copia)) {
            copias << copia;
            originales << original;
        }
    for (const QString& n : {e.strNuevaCentro, e.strNuevaBorradoCentro})
        if (hecha(n)) nuevas << n;
    o.insert(QStringLiteral("copias"), lista(copias));
    o.insert(QStringLiteral("originales"), lista(originales));
    o.insert(QStringLiteral("nuevas"), lista(nuevas));
    if (!e.SQLServer()) {
        const QDir carpeta(carpetaDiario(e.conLocalAppEntrada().ConnectionString()));
        o.insert(QStringLiteral("temporales"),
                 lista({carpeta.filePath(QStringLiteral("Compact.db")), carpeta.filePath(QStringLiteral("CompactB.db"))}));
    }
    const QString ruta = rutaDiario(e.conLocalAppEntrada().ConnectionString());
    QDir().mkpath(QFileInfo(ruta).absolutePath());
    QSaveFile f(ruta);
    if (!f.open(QIODevice::WriteOnly) || f.write(QJsonDocument(o).toJson()) < 0 || !f.commit())
        throw Error(errores::Archivo,
                    QStringLiteral("No se puede escribir el registro del cierre en curso %1: %2").arg(ruta, f.errorString()));
    archivos::sincronizar(ruta);
}

void borrarDiario(const EstadoMotor& e) {
    const QString ruta = rutaDiario(e.conLocalAppEntrada().ConnectionString());
    archivos::borrar(ruta);
    archivos::sincronizar(ruta);
}

bool hayCierrePendiente(const QString& cadenaAppEntrada) { return QFileInfo::exists(rutaDiario(cadenaAppEntrada)); }

Recuperacion recuperarCierrePendiente(const QString& cadenaAppEntrada) {
    const QString ruta = rutaDiario(cadenaAppEntrada);
    // A journal is written to a temporary beside it and renamed; a process
    // killed in between leaves the temporary, which no one else would remove.
    const QFileInfo diario(ruta);
    for (const QFileInfo& t : QDir(diario.absolutePath())
                                  .entryInfoList({diario.fileName() + QStringLiteral(".*")}, QDir::Files | QDir::Hidden))
        archivos::borrar(t.absoluteFilePath());
    if (!QFileInfo::exists(ruta)) return Recuperacion::Nada;
    const DiarioCierre d = leer(ruta);
    for (const QString& t : d.temporales) archivos::borrar(t);
    Recuperacion r;
    if (d.fase == FaseCierre::Registrado) {
        completar(d, cadenaAppEntrada);
        r = Recuperacion::Completado;
    } else {
        deshacer(d, cadenaAppEntrada);
        r = Recuperacion::Deshecho;
    }
    archivos::borrar(ruta);
    archivos::sincronizar(ruta);
    return r;
}

QString textoRecuperacion(Recuperacion r) {
    switch (r) {
    case Recuperacion::Deshecho:
        return QStringLiteral("Se encontró un cierre de curso que no llegó a terminar. Se han restaurado las bases de "
                              "datos tal como estaban antes de empezarlo.");
    case Recuperacion::Completado:
        return QStringLiteral("Se encontró un cierre de curso que ya estaba registrado pero no llegó a borrar sus "
                              "copias de seguridad. Se ha completado.");
    case Recuperacion::Nada: break;
    }
    return {};
}

namespace {

// Whether the lock file names no owner, after giving a process that has just
// created it the moment it needs to write itself in.
bool lockIlegible(const QLockFile& bloqueo) {
    qint64 pid = 0;
    QString host, aplicacion;
    for (int i = 0; i < 10; ++i) {
        if (bloqueo.getLockInfo(&pid, &host, &aplicacion)) return false;
        QThread::msleep(50);
    }
    return true;
}

}  // namespace

void SoltarBloqueo::operator()(QLockFile* bloqueo) const {
    delete bloqueo;
    if (!carpetaServidor.isEmpty()) QDir().rmdir(carpetaServidor);  // only when empty
}

namespace {

// `carpetaServidor`: the server journal's folder, made for the lock and
// removed with it once empty; empty for a folder that is the school's.
BloqueoCierre bloquearEn(const QString& carpeta, const QString& carpetaServidor = QString()) {
    if (!carpetaServidor.isEmpty()) QDir().mkpath(carpetaServidor);
    BloqueoCierre bloqueo(new QLockFile(QDir(carpeta).filePath(QLatin1String(NombreBloqueo))),
                          SoltarBloqueo{carpetaServidor});
    if (!tomarBloqueo(*bloqueo)) {
        if (bloqueo->error() == QLockFile::LockFailedError)
            throw ErrorBloqueo(
                        QStringLiteral("Ya hay un cierre de curso en marcha para estas bases de datos. Espere a que "
                                       "termine antes de empezar otro."));
        throw ErrorBloqueo(
                    QStringLiteral("No se puede crear el bloqueo del cierre en %1: compruebe que la carpeta existe y "
                                   "se puede escribir en ella")
                        .arg(carpeta));
    }
    return bloqueo;
}

}  // namespace

bool tomarBloqueo(QLockFile& bloqueo) {
    // A lock left by a process that died is taken over (QLockFile checks the
    // process id it holds).
    bloqueo.setStaleLockTime(0);
    if (!bloqueo.tryLock(0) && bloqueo.error() == QLockFile::LockFailedError && lockIlegible(bloqueo)) {
        // A process cut short while it was taking the lock leaves the file
        // without its owner: with no owner to check, nothing would ever take
        // it over.
        bloqueo.removeStaleLockFile();
        bloqueo.tryLock(0);
    }
    return bloqueo.isLocked();
}

BloqueoCierre bloquearCierre(const QString& cadenaAppEntrada) {
    const QString carpeta = carpetaDiario(cadenaAppEntrada);
    return bloquearEn(carpeta, CadenaConexion(cadenaAppEntrada).esServidor() ? carpeta : QString());
}

std::vector<BloqueoCierre> bloquearCierreDe(const EstadoMotor& e) {
    std::vector<BloqueoCierre> bloqueos;
    const QString cadena = e.conLocalAppEntrada().ConnectionString();
    bloqueos.push_back(bloquearCierre(cadena));
    if (e.SQLServer()) return bloqueos;
    QStringList carpetas{QFileInfo(carpetaDiario(cadena)).canonicalFilePath()};
    for (const Conexion* con : {&e.conLocalCentro(), &e.conLocalBorradoCentro()}) {
        const QString ruta = CadenaConexion(con->ConnectionString()).valor(QStringLiteral("Data Source"));
        if (ruta.isEmpty()) continue;
        const QFileInfo carpeta(QFileInfo(ruta).absolutePath());
        const QString canonica = carpeta.canonicalFilePath().isEmpty() ? carpeta.absoluteFilePath() : carpeta.canonicalFilePath();
        if (carpetas.contains(canonica)) continue;
        carpetas << canonica;
        bloqueos.push_back(bloquearEn(canonica));
    }
    return bloqueos;
}

std::vector<BloqueoCierre> bloquearCierreSinPendiente(const EstadoMotor& e) {
    std::vector<BloqueoCierre> bloqueos = bloquearCierreDe(e);
    if (hayCierrePendiente(e.conLocalAppEntrada().ConnectionString()))
        throw Error(errores::Archivo, QStringLiteral("Hay un cierre de curso anterior que no llegó a terminar. "
                                                     "Vuelva a entrar en la aplicación para resolverlo antes de "
                                                     "empezar otro."));
    return bloqueos;
}

}  // namespace ncc::motor
