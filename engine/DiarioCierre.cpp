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
#include <QRegularExpression>
#include <QSaveFile>
#include <QThread>
#include <QtEndian>
#include <functional>
#include <optional>

namespace ncc::motor {

namespace {

constexpr const char* NombreDiario = "CierreCurso.pendiente";
constexpr const char* NombreBloqueo = "CierreCurso.bloqueo";
constexpr int LongitudNombreServidor = 63;
// The closing's advisory lock on a server: a class of our own ("NCC") and a
// number drawn from the application entry's database name.
constexpr qint32 ClaveCierres = 0x4E4343;

QString rutaDiario(const DatosConexion& appEntrada) {
    return QDir(carpetaDiario(appEntrada)).filePath(QLatin1String(NombreDiario));
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

// Every name of the journal as `f` makes it (relative to the journal's
// folder on SQLite, and back).
void cambiarNombres(DiarioCierre& d, const std::function<QString(const QString&)>& f) {
    for (QStringList* l : {&d.copias, &d.originales, &d.nuevas, &d.temporales})
        for (QString& n : *l) n = f(n);
}

QByteArray aJson(const DiarioCierre& d) {
    QJsonObject o;
    o.insert(QStringLiteral("fase"), QLatin1String(nombreFase(d.fase)));
    o.insert(QStringLiteral("servidor"), d.servidor);
    o.insert(QStringLiteral("copias"), lista(d.copias));
    o.insert(QStringLiteral("originales"), lista(d.originales));
    o.insert(QStringLiteral("nuevas"), lista(d.nuevas));
    o.insert(QStringLiteral("temporales"), lista(d.temporales));
    if (!d.prefijo.isEmpty()) o.insert(QStringLiteral("prefijo"), d.prefijo);
    return QJsonDocument(o).toJson();
}

DiarioCierre deJson(const QByteArray& json, const QString& donde) {
    const QJsonObject o = QJsonDocument::fromJson(json).object();
    const auto danado = [&donde] {
        return Error(errores::Archivo, QStringLiteral("El registro del cierre pendiente %1 está dañado").arg(donde));
    };
    if (o.isEmpty()) throw danado();
    DiarioCierre d;
    // A phase no closing writes is a damaged journal: taken for "copiando"
    // it would remove the backups of originals that may have changed.
    const QString fase = o.value(QStringLiteral("fase")).toString();
    if (fase == QLatin1String("registrado")) d.fase = FaseCierre::Registrado;
    else if (fase == QLatin1String("trabajando")) d.fase = FaseCierre::Trabajando;
    else if (fase == QLatin1String("copiando")) d.fase = FaseCierre::Copiando;
    else throw danado();
    d.servidor = o.value(QStringLiteral("servidor")).toBool();
    d.copias = deLista(o.value(QStringLiteral("copias")));
    d.originales = deLista(o.value(QStringLiteral("originales")));
    d.nuevas = deLista(o.value(QStringLiteral("nuevas")));
    d.temporales = deLista(o.value(QStringLiteral("temporales")));
    d.prefijo = o.value(QStringLiteral("prefijo")).toString();
    if (d.copias.size() != d.originales.size()) throw danado();
    return d;
}

// The server journal's database, opened (made first when `crear`); null
// when it is not there and not to be made.
std::unique_ptr<Conexion> conexionDiario(const DatosConexion& appEntrada, bool crear) {
    const QString base = baseDiarioServidor(appEntrada);
    if (!servidor::existe(appEntrada, base)) {
        if (!crear) return nullptr;
        try {
            servidor::crear(appEntrada, base);
        } catch (const Error&) {
            // Another computer made it at the same moment.
            if (!servidor::existe(appEntrada, base)) throw;
        }
    }
    auto con = std::make_unique<Conexion>(appEntrada.conBase(base));
    con->Open();
    con->Execute(QStringLiteral("CREATE TABLE IF NOT EXISTS CierreCursoPendiente (IDCentro INTEGER NOT NULL, "
                                "Diario TEXT NOT NULL)"));
    return con;
}

}  // namespace

void prepararDiario(const DatosConexion& appEntrada) {
    if (appEntrada.esServidor()) conexionDiario(appEntrada, true);
}

namespace {

// `abierta` keeps the server journal's connection from one write of a run
// to the next: each new one costs the server a session of its own (about
// 20 ms on a small machine), and twice over with the check that its
// database is there. One that failed is dropped, and the next write opens
// its own again.
void guardar(const DatosConexion& appEntrada, const DiarioCierre& d, int centro, std::unique_ptr<Conexion>& abierta) {
    if (d.servidor) {
        try {
            if (!abierta || abierta->State() != 1) abierta = conexionDiario(appEntrada, true);
            Conexion& con = *abierta;
            Transaccion t(con);
            con.Execute(QStringLiteral("DELETE FROM CierreCursoPendiente"));
            con.Execute(QStringLiteral("INSERT INTO CierreCursoPendiente (IDCentro, Diario) VALUES (?, ?)"),
                        {centro, QString::fromUtf8(aJson(d))});
            t.confirmar();
        } catch (const Error& err) {
            abierta.reset();
            throw Error(err.numero(), QStringLiteral("No se puede escribir el registro del cierre en curso en el "
                                                     "servidor (%1): %2")
                                          .arg(baseDiarioServidor(appEntrada), err.descripcion()));
        }
        return;
    }
    const QString ruta = rutaDiario(appEntrada);
    QSaveFile f(ruta);
    if (!f.open(QIODevice::WriteOnly) || f.write(aJson(d)) < 0 || !f.commit())
        throw Error(errores::Archivo,
                    QStringLiteral("No se puede escribir el registro del cierre en curso %1: %2").arg(ruta, f.errorString()));
    archivos::sincronizar(ruta);
}

std::optional<DiarioCierre> leer(const DatosConexion& appEntrada) {
    if (appEntrada.esServidor()) {
        auto con = conexionDiario(appEntrada, false);
        if (!con) return std::nullopt;
        Recordset rs = con->Abrir(QStringLiteral("SELECT Diario FROM CierreCursoPendiente ORDER BY IDCentro LIMIT 1"));
        if (rs.eof()) return std::nullopt;
        return deJson(rs.texto(QStringLiteral("Diario")).toUtf8(), baseDiarioServidor(appEntrada));
    }
    const QString ruta = rutaDiario(appEntrada);
    if (!QFileInfo::exists(ruta)) return std::nullopt;
    QFile f(ruta);
    if (!f.open(QIODevice::ReadOnly))
        throw Error(errores::Archivo, QStringLiteral("No se puede leer el registro del cierre pendiente %1").arg(ruta));
    DiarioCierre d = deJson(f.readAll(), ruta);
    // Names relative to the journal's folder (an older journal's absolute
    // paths stay as they are).
    const QDir carpeta(carpetaDiario(appEntrada));
    cambiarNombres(d, [&carpeta](const QString& n) { return QDir::cleanPath(carpeta.absoluteFilePath(n)); });
    return d;
}

void quitarDiario(const DatosConexion& appEntrada, std::unique_ptr<Conexion> abierta = nullptr) {
    if (appEntrada.esServidor()) {
        if (!abierta || abierta->State() != 1) abierta = conexionDiario(appEntrada, false);
        if (abierta) abierta->Execute(QStringLiteral("DELETE FROM CierreCursoPendiente"));
        return;
    }
    const QString ruta = rutaDiario(appEntrada);
    archivos::borrar(ruta);
    archivos::sincronizar(ruta);
}

bool existeBase(const DiarioCierre& d, const DatosConexion& appEntrada, const QString& nombre) {
    return d.servidor ? servidor::existe(appEntrada, nombre) : archivos::existe(nombre);
}

// Every action is idempotent, so a recovery cut short can simply run again.
void deshacer(const DiarioCierre& d, const DatosConexion& appEntrada) {
    for (const QString& n : d.nuevas) {
        if (d.servidor) servidor::borrar(appEntrada, n);
        else archivos::borrar(n);
    }
    for (int i = 0; i < d.copias.size(); ++i) {
        const QString& copia = d.copias.at(i);
        const QString& original = d.originales.at(i);
        if (d.fase == FaseCierre::Copiando) {
            // The originals were never touched; a backup may be half made.
            if (d.servidor) servidor::borrar(appEntrada, copia);
            else archivos::borrar(copia);
            continue;
        }
        if (!existeBase(d, appEntrada, copia)) continue;
        if (d.servidor) {
            servidor::reponer(appEntrada, copia, original);
        } else {
            archivos::borrar(original);
            archivos::renombrar(copia, original);
            archivos::sincronizar(original);
        }
    }
}

void completar(const DiarioCierre& d, const DatosConexion& appEntrada) {
    for (const QString& copia : d.copias) {
        if (d.servidor) servidor::borrar(appEntrada, copia);
        else archivos::borrar(copia);
    }
}

// The folders of the school databases that the application entry
// registers (SQLite), read only when a journal names an original outside
// the entry's own folder.
QStringList carpetasRegistradas(const DatosConexion& appEntrada) {
    QStringList r;
    const QString carpeta = carpetaDiario(appEntrada);
    if (!QFileInfo::exists(appEntrada.archivo)) return r;
    Conexion app(appEntrada);
    app.Open();
    for (Recordset rs = app.Abrir(QStringLiteral("SELECT BD, BDBorrado FROM CursoEscolar ORDER BY IDCursoEscolar"));
         !rs.eof(); rs.MoveNext())
        for (const char* columna : {"BD", "BDBorrado"}) {
            const QString ruta = CadenaConexion(rs.texto(QLatin1String(columna))).datos().archivo;
            if (!ruta.isEmpty()) r << QDir::cleanPath(QFileInfo(QDir(carpeta).absoluteFilePath(ruta)).absolutePath());
        }
    app.Close();
    return r;
}

// A journal is acted on only when it names what a closing of this school
// makes: its new databases, backups and compaction temporaries by the
// closing's own names, in the application entry's folder (SQLite) or under
// the run's prefix (server), and originals in the school's folders; and,
// once the originals may have changed, each backup or its original where
// the journal says (an older journal with absolute paths after the folder
// moved names neither). Anything else refuses the journal, touching nothing.
void comprobarDiario(const DiarioCierre& d, const DatosConexion& appEntrada) {
    const QString donde = d.servidor ? baseDiarioServidor(appEntrada) : rutaDiario(appEntrada);
    const QString carpeta = d.servidor ? QString() : QDir::cleanPath(carpetaDiario(appEntrada));
    const auto carpetaDe = [](const QString& ruta) { return QDir::cleanPath(QFileInfo(ruta).absolutePath()); };
    // The closing's own name of `n` without its place, or nothing when `n`
    // is not where the closing puts what it makes.
    const auto propio = [&](const QString& n) -> QString {
        if (d.servidor) return n.startsWith(d.prefijo) ? n.mid(d.prefijo.size()) : QString();
        const QString archivo = QFileInfo(n).fileName();
        if (carpetaDe(n) != carpeta || !archivo.endsWith(QLatin1String(".db"))) return {};
        return archivo.chopped(3);
    };
    const auto movida = [&donde](const QString& nombre, const QString& carpetaVieja) {
        return Error(errores::Archivo,
                     QStringLiteral("El registro del cierre pendiente %1 nombra %2, y la carpeta %3 ya no tiene lo que "
                                    "dice: si se ha movido, vuelva a ponerla donde estaba para resolver el cierre; no se "
                                    "ha tocado nada.")
                         .arg(donde, nombre, carpetaVieja));
    };
    const auto rechazar = [&](const QString& nombre) {
        if (!d.servidor && !QFileInfo(carpetaDe(nombre)).isDir()) throw movida(nombre, carpetaDe(nombre));
        throw Error(errores::Archivo, QStringLiteral("El registro del cierre pendiente %1 nombra %2, que no es una base "
                                                     "de datos de un cierre de este centro: no se ha tocado nada.")
                                          .arg(donde, nombre));
    };
    static const QRegularExpression nueva(QStringLiteral("^[AB]\\d+C\\d+$"));
    static const QRegularExpression copia(QStringLiteral("^(?:[AB]\\d+C\\d+|AppEntrada|BorradoAppEntrada)B$"));
    static const QRegularExpression temporal(QStringLiteral("^CompactB?$"));
    const std::pair<const QStringList*, const QRegularExpression*> grupos[] = {
        {&d.nuevas, &nueva}, {&d.copias, &copia}, {&d.temporales, &temporal}};
    for (const auto& [nombres, patron] : grupos)
        for (const QString& n : *nombres)
            if (!patron->match(propio(n)).hasMatch()) rechazar(n);
    std::optional<QStringList> registradas;
    for (int i = 0; i < d.copias.size(); ++i) {
        const QString& original = d.originales.at(i);
        const bool hayCopia = existeBase(d, appEntrada, d.copias.at(i));
        if (d.fase == FaseCierre::Trabajando && !hayCopia && !existeBase(d, appEntrada, original))
            throw movida(original, d.servidor ? QStringLiteral("del servidor") : carpetaDe(original));
        // An original is replaced only by its backup: only those to be
        // replaced need to be the school's.
        if (d.servidor || !hayCopia || carpetaDe(original) == carpeta) continue;
        if (!registradas) registradas = carpetasRegistradas(appEntrada);
        if (!registradas->contains(carpetaDe(original))) rechazar(original);
    }
}

}  // namespace

QString carpetaDiario(const DatosConexion& appEntrada) {
    if (appEntrada.esServidor()) return {};
    return QFileInfo(appEntrada.archivo).absolutePath();
}

QString baseDiarioServidor(const DatosConexion& appEntrada) {
    const QString app = appEntrada.base;
    const QString nombre = app + QStringLiteral("_cierre");
    if (nombre.toUtf8().size() <= LongitudNombreServidor) return nombre;
    return QStringLiteral("ncc_cierre_") +
           QString::fromLatin1(QCryptographicHash::hash(app.toUtf8(), QCryptographicHash::Sha1).toHex().left(16));
}

void escribirDiario(EstadoMotor& e, FaseCierre fase) {
    DiarioCierre d;
    d.fase = fase;
    d.servidor = e.SQLServer();
    d.prefijo = e.PrefijoBases;
    // Only what this run made (or is making) is named: a recovery must not
    // remove or restore over anything that was there before.
    auto hecha = [&e](const QString& n) { return e.copiasHechas.contains(n) || e.copiasEnCurso.contains(n); };
    for (const auto& [copia, original] : e.copiasYOriginales())
        if (hecha(copia)) {
            d.copias << copia;
            d.originales << original;
        }
    for (const QString& n : {e.strNuevaCentro, e.strNuevaBorradoCentro})
        if (hecha(n)) d.nuevas << n;
    const DatosConexion appEntrada = e.conLocalAppEntrada().datos();
    if (!d.servidor) {
        // Relative to the journal's folder: a school folder moved as a whole
        // still finds its files.
        const QDir carpeta(carpetaDiario(appEntrada));
        d.temporales = QStringList{carpeta.filePath(QStringLiteral("Compact.db")), carpeta.filePath(QStringLiteral("CompactB.db"))};
        cambiarNombres(d, [&carpeta](const QString& n) { return carpeta.relativeFilePath(n); });
    }
    guardar(appEntrada, d, e.conf ? e.conf->intIDCentro() : 0, e.conDiario);
}

// The run's last word to its journal: the connection kept for it goes with it.
void borrarDiario(EstadoMotor& e) { quitarDiario(e.conLocalAppEntrada().datos(), std::move(e.conDiario)); }

void descartarDiario(const DatosConexion& appEntrada) {
    if (appEntrada.esServidor()) servidor::borrar(appEntrada, baseDiarioServidor(appEntrada));
    else quitarDiario(appEntrada);
}

bool hayCierrePendiente(const DatosConexion& appEntrada) {
    if (!appEntrada.esServidor()) return QFileInfo::exists(rutaDiario(appEntrada));
    return leer(appEntrada).has_value();
}

Recuperacion recuperarCierrePendiente(const DatosConexion& appEntrada) {
    if (!appEntrada.esServidor()) {
        // A journal is written to a temporary beside it and renamed; a process
        // killed in between leaves the temporary, which no one else would remove.
        const QFileInfo diario(rutaDiario(appEntrada));
        for (const QFileInfo& t : QDir(diario.absolutePath())
                                      .entryInfoList({diario.fileName() + QStringLiteral(".*")}, QDir::Files | QDir::Hidden))
            archivos::borrar(t.absoluteFilePath());
    }
    const std::optional<DiarioCierre> leido = leer(appEntrada);
    if (!leido) return Recuperacion::Nada;
    const DiarioCierre& d = *leido;
    comprobarDiario(d, appEntrada);
    for (const QString& t : d.temporales) archivos::borrar(t);
    Recuperacion r;
    if (d.fase == FaseCierre::Registrado) {
        completar(d, appEntrada);
        r = Recuperacion::Completado;
    } else {
        deshacer(d, appEntrada);
        r = Recuperacion::Deshecho;
    }
    quitarDiario(appEntrada);
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

namespace {

const QString TextoEnMarcha = QStringLiteral("Ya hay un cierre de curso en marcha para estas bases de datos. Espere a "
                                             "que termine antes de empezar otro.");

class BloqueoArchivo : public Bloqueo {
public:
    explicit BloqueoArchivo(const QString& ruta) : archivo(ruta) {}
    QLockFile archivo;
};

// Held by a session of the server's maintenance database and given back
// with it: when the lock is released, and when a process is killed, a
// computer switched off or the server stopped.
class BloqueoServidor : public Bloqueo {
public:
    explicit BloqueoServidor(std::unique_ptr<Conexion> con) : con_(std::move(con)) {}
    ~BloqueoServidor() override {
        try {
            con_->Close();
        } catch (...) {
        }
    }

private:
    std::unique_ptr<Conexion> con_;
};

BloqueoCierre bloquearEn(const QString& carpeta) {
    auto bloqueo = std::make_unique<BloqueoArchivo>(QDir(carpeta).filePath(QLatin1String(NombreBloqueo)));
    if (!tomarBloqueo(bloqueo->archivo)) {
        if (bloqueo->archivo.error() == QLockFile::LockFailedError) throw ErrorBloqueo(TextoEnMarcha);
        throw ErrorBloqueo(
                    QStringLiteral("No se puede crear el bloqueo del cierre en %1: compruebe que la carpeta existe y "
                                   "se puede escribir en ella")
                        .arg(carpeta));
    }
    return bloqueo;
}

BloqueoCierre bloquearServidor(const DatosConexion& appEntrada) {
    const QByteArray huella = QCryptographicHash::hash(appEntrada.base.toUtf8(), QCryptographicHash::Sha1);
    const QString clave = QStringLiteral("%1, %2").arg(ClaveCierres).arg(qFromBigEndian<qint32>(huella.constData()));
    auto con = std::make_unique<Conexion>(appEntrada.conBase(QStringLiteral("postgres")));
    con->Open();
    // A closing that has just ended, or was killed a moment ago, still holds
    // it until the server sees its session end.
    for (int intento = 0; !con->Abrir(QStringLiteral("SELECT pg_try_advisory_lock(%1)").arg(clave)).campo(0).toBool();
         ++intento) {
        if (intento == 20) throw ErrorBloqueo(TextoEnMarcha);
        QThread::msleep(100);
    }
    return std::make_unique<BloqueoServidor>(std::move(con));
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

BloqueoCierre bloquearCierre(const DatosConexion& appEntrada) {
    if (appEntrada.esServidor()) return bloquearServidor(appEntrada);
    return bloquearEn(carpetaDiario(appEntrada));
}

std::vector<BloqueoCierre> bloquearCierreDe(const EstadoMotor& e) {
    std::vector<BloqueoCierre> bloqueos;
    const DatosConexion appEntrada = e.conLocalAppEntrada().datos();
    bloqueos.push_back(bloquearCierre(appEntrada));
    if (e.SQLServer()) return bloqueos;
    QStringList carpetas{QFileInfo(carpetaDiario(appEntrada)).canonicalFilePath()};
    for (const Conexion* con : {&e.conLocalCentro(), &e.conLocalBorradoCentro()}) {
        const QString ruta = con->datos().archivo;
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
    if (hayCierrePendiente(e.conLocalAppEntrada().datos()))
        throw Error(errores::Archivo, QStringLiteral("Hay un cierre de curso anterior que no llegó a terminar. "
                                                     "Vuelva a entrar en la aplicación para resolverlo antes de "
                                                     "empezar otro."));
    return bloqueos;
}

}  // namespace ncc::motor
