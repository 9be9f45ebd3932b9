#include "host/EnsayoCierre.h"
#include "host/InformeCierre.h"
#include "engine/ComprobacionesCierre.h"
#include "engine/DiarioCierre.h"
#include "engine/cIFunciones.h"
#include "entry/cConfiguracion.h"
#include "platform/BasesDatos.h"
#include "platform/CadenaConexion.h"
#include "platform/Conexion.h"
#include "platform/Mensajes.h"
#include "platform/Textos.h"
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSaveFile>
#include <QScopeGuard>
#include <QStandardPaths>
#include <array>

namespace ncc::host {

namespace {

const QString DatosFuente = QStringLiteral("Data Source");
const QString Catalogo = QStringLiteral("Initial Catalog");
// PostgreSQL cuts longer names short, which could make two copies one.
constexpr int LongitudNombreServidor = 63;

// Every running rehearsal of this machine holds a lock here, beside a note
// of what it makes, so that the next start can tell a rehearsal that died
// from one still running and remove what the dead one left.
QString carpetaEnsayos() {
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(base.isEmpty() ? QDir::homePath() : base).filePath(QStringLiteral("ncc/ensayos"));
}

// A rehearsal's databases are "ncc_ensayo_<marca>_<name>", the marca eight
// hexadecimal digits; nothing else is ever taken for one.
const QRegularExpression& nombreEnsayo() {
    static const QRegularExpression patron(QLatin1String("^") + QLatin1String(PrefijoEnsayo) +
                                           QLatin1String("([0-9a-f]{8})_"));
    return patron;
}

std::unique_ptr<Conexion> conexionMantenimiento(const DatosConexion& servidor) {
    auto con = std::make_unique<Conexion>(servidor.conBase(QStringLiteral("postgres")));
    con->Open();
    return con;
}

QString claveServidor(const QString& marca) {
    return QStringLiteral("%1, %2").arg(ClaveEnsayos).arg(static_cast<qint32>(marca.toUInt(nullptr, 16)));
}

// Every server database a rehearsal makes carries its mark as its comment
// from the moment it exists: a database that only looks like one of ours by
// its name is never dropped by a computer that has no note of it.
// The databases of rehearsal `marca` on the server, for the rehearsal itself
// or the computer whose note announced it before its first copy: all those
// named with its prefix, also one whose making was cut short between CREATE
// DATABASE and its comment (the random mark is nobody else's); with
// `libres`, only those nobody is connected to.
QStringList basesDelEnsayo(const DatosConexion& enServidor, const QString& marca, bool libres = false) {
    QStringList r;
    for (const QString& n : servidor::conPrefijo(enServidor, QLatin1String(PrefijoEnsayo) + marca + QLatin1Char('_'), libres))
        if (nombreEnsayo().match(n).captured(1) == marca) r << n;
    return r;
}

// Drops one of a rehearsal's databases with its run's journal, which is
// kept in a database of its own when the copy is an application entry.
void borrarBaseDeEnsayo(const DatosConexion& enServidor, const QString& nombre) {
    motor::descartarDiario(enServidor.conBase(nombre));
    servidor::borrar(enServidor, nombre);
}

QString rutaNota(const QString& marca) { return QDir(carpetaEnsayos()).filePath(marca + QStringLiteral(".json")); }
QString rutaBloqueo(const QString& marca) { return QDir(carpetaEnsayos()).filePath(marca + QStringLiteral(".bloqueo")); }

// The rehearsal answers every question of the closing Yes, so that it goes
// as far as the closing can, and keeps what the closing would have said.
class MensajesEnsayo : public ServicioMensajes {
public:
    void pitar() override {}
    Respuesta mostrar(const Mensaje& m) override {
        switch (m.botones) {
        case Botones::Aceptar:
            (m.icono == Icono::Critico ? errores : avisos) << m.texto;
            return Respuesta::Aceptar;
        case Botones::AceptarCancelar:
            preguntas << m.texto;
            return Respuesta::Aceptar;
        case Botones::SiNo:
        case Botones::SiNoCancelar:
            break;
        }
        preguntas << m.texto;
        return Respuesta::Si;
    }
    QStringList errores, avisos, preguntas;
};

// The component's settings pointing at the copies while the engine runs;
// the object stays the same, so whoever holds it sees the school again
// afterwards.
class ConfiguracionPrestada {
public:
    ConfiguracionPrestada(cConfiguracion& conf, const cConfiguracion& prestada) : conf_(conf), propia_(conf) {
        conf_ = prestada;
    }
    ~ConfiguracionPrestada() { conf_ = propia_; }
    ConfiguracionPrestada(const ConfiguracionPrestada&) = delete;
    ConfiguracionPrestada& operator=(const ConfiguracionPrestada&) = delete;

private:
    cConfiguracion& conf_;
    cConfiguracion propia_;
};

// One rehearsal's copies, from the note that announces them to their
// removal: the destructor discards everything, also after an error.
class Copias {
public:
    explicit Copias(const cConfiguracion& escuela) : escuela_(escuela) {
        marca_ = QStringLiteral("%1").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        prefijo_ = QLatin1String(PrefijoEnsayo) + marca_ + QLatin1Char('_');
    }
    ~Copias() { descartar(); }
    Copias(const Copias&) = delete;
    Copias& operator=(const Copias&) = delete;

    // Makes the copies and the settings that reach them. Throws ncc::Error.
    void hacer();
    const cConfiguracion& configuracion() const { return copia_; }
    // What the run makes on the server is named with this in front, and
    // carries this comment.
    QString prefijo() const { return servidorEscuela() ? prefijo_ : QString(); }
    QString comentario() const { return servidorEscuela() ? comentarioEnsayo(marca_) : QString(); }
    // The name the real closing will give a database the run made.
    QString nombreReal(const QString& nombre) const;
    // Whether everything went; what did not stays announced for the next
    // start.
    bool descartar();

private:
    bool servidorEscuela() const { return escuela_.SQLServer(); }
    QList<Conexion*> escuelaConexiones() const {
        return {escuela_.conLocalAppEntrada(), escuela_.conLocalBorradoAppEntrada(), escuela_.conLocalCentro(),
                escuela_.conLocalBorradoCentro()};
    }
    void planificar();
    void anunciar();
    void apuntarCurso(Conexion& app);

    // The school's settings as they were before any were lent.
    const cConfiguracion escuela_;
    QString marca_, prefijo_, carpeta_;
    // The school's server, when its databases are on one.
    std::optional<DatosConexion> servidor_;
    QStringList origenes_, copias_, cadenas_;
    std::unique_ptr<QLockFile> bloqueo_;
    std::unique_ptr<Conexion> vigilia_;  // holds the server lock while it runs
    std::array<std::unique_ptr<Conexion>, 4> conexiones_;
    cConfiguracion copia_;
    bool descartadas_ = false, completo_ = true;
};

// The names of the four copies, before anything is made.
void Copias::planificar() {
    QStringList usados;
    const QStringList papeles{QStringLiteral("AppEntrada"), QStringLiteral("BorradoAppEntrada"), QStringLiteral("Centro"),
                              QStringLiteral("BorradoCentro")};
    const QList<Conexion*> origenes = escuelaConexiones();
    for (const Conexion* c : origenes)
        if (!c) throw Error(errores::ConexionCerrada, QStringLiteral("No hay conexión con las bases de datos del centro"));
    if (servidorEscuela()) servidor_ = origenes.at(0)->datos();
    else carpeta_ = QDir(QDir::tempPath()).filePath(QStringLiteral("ncc-ensayo-") + marca_);
    for (int i = 0; i < 4; ++i) {
        CadenaConexion c(origenes.at(i)->ConnectionString());
        const QString propiedad = servidorEscuela() ? Catalogo : DatosFuente;
        origenes_ << c.valor(propiedad);
        if (servidorEscuela() && origenes_.last().startsWith(QLatin1String(PrefijoEnsayo)))
            throw Error(errores::Archivo, QStringLiteral("La base de datos %1 del centro tiene un nombre reservado para "
                                                         "los ensayos del cierre (%2…): no se puede ensayar el cierre.")
                                              .arg(origenes_.last(), QLatin1String(PrefijoEnsayo)));
        QString nombre;
        if (servidorEscuela()) {
            nombre = prefijo_ + origenes_.last();
            if (nombre.toUtf8().size() > LongitudNombreServidor) nombre = prefijo_ + papeles.at(i);
        } else {
            // The copies keep the files' names, so the engine's checks of
            // the names it makes see what they will see in the school's
            // folder.
            nombre = QFileInfo(origenes_.last()).fileName();
            if (usados.contains(nombre, Qt::CaseInsensitive)) nombre = papeles.at(i) + QLatin1Char('_') + nombre;
            usados << nombre;
            nombre = QDir(carpeta_).filePath(nombre);
        }
        c.fijar(propiedad, nombre);
        copias_ << nombre;
        cadenas_ << c.texto();
    }
}

void Copias::anunciar() {
    QDir().mkpath(carpetaEnsayos());
    bloqueo_ = std::make_unique<QLockFile>(rutaBloqueo(marca_));
    if (!motor::tomarBloqueo(*bloqueo_))
        throw Error(errores::Archivo,
                    QStringLiteral("No se puede crear el registro del ensayo en %1").arg(carpetaEnsayos()));
    if (servidorEscuela()) {
        vigilia_ = conexionMantenimiento(*servidor_);
        vigilia_->Abrir(QStringLiteral("SELECT pg_advisory_lock(%1)").arg(claveServidor(marca_)));
    }
    QJsonObject nota;
    if (servidorEscuela()) {
        nota.insert(QStringLiteral("servidor"), servidor_->origen());
        nota.insert(QStringLiteral("prefijo"), prefijo_);
    } else {
        nota.insert(QStringLiteral("carpeta"), carpeta_);
    }
    QSaveFile f(rutaNota(marca_));
    if (!f.open(QIODevice::WriteOnly) || f.write(QJsonDocument(nota).toJson()) < 0 || !f.commit())
        throw Error(errores::Archivo,
                    QStringLiteral("No se puede escribir el registro del ensayo %1: %2").arg(rutaNota(marca_), f.errorString()));
    // On disk before the first copy: a power cut must not lose the news.
    archivos::sincronizar(rutaNota(marca_));
}

void Copias::hacer() {
    planificar();
    anunciar();
    if (!servidorEscuela() && !QDir().mkpath(carpeta_))
        throw Error(errores::Archivo, QStringLiteral("No se puede crear la carpeta temporal %1").arg(carpeta_));
    {
        // The session's connections step aside while the server copies.
        const QList<Conexion*> escuela = escuelaConexiones();
        ConexionesApartadas apartada = servidorEscuela() ? ConexionesApartadas{escuela[0], escuela[1], escuela[2], escuela[3]}
                                                        : ConexionesApartadas{};
        for (int i = 0; i < 4; ++i) {
            if (servidorEscuela()) servidor::copiar(*servidor_, origenes_.at(i), copias_.at(i), comentario());
            else archivos::copiarBaseSQLite(origenes_.at(i), copias_.at(i));
        }
    }
    for (int i = 0; i < 4; ++i) {
        conexiones_[i] = std::make_unique<Conexion>(cadenas_.at(i));
        conexiones_[i]->Open();
    }
    copia_ = escuela_;
    copia_.setconLocalAppEntrada(conexiones_[0].get());
    copia_.setconLocalBorradoAppEntrada(conexiones_[1].get());
    copia_.setconLocalCentro(conexiones_[2].get());
    copia_.setconLocalBorradoCentro(conexiones_[3].get());
    copia_.setRutaBD(ObtenerRutaBD(*conexiones_[0]));
    copia_.setDatosSesion(nullptr);
    apuntarCurso(*conexiones_[0]);
}

// The copied application entry registers the current year with the copies,
// as the school's own registers it with the school's databases.
void Copias::apuntarCurso(Conexion& app) {
    const QString sql = QStringLiteral("SELECT BD, BDBorrado FROM CursoEscolar WHERE IDCursoEscolar = %1")
                            .arg(escuela_.intIDCursoEscolar());
    Recordset rs = app.Abrir(sql);
    if (rs.eof()) return;
    const QString propiedad = servidorEscuela() ? Catalogo : DatosFuente;
    CadenaConexion bd(rs.texto(QStringLiteral("BD"))), borrado(rs.texto(QStringLiteral("BDBorrado")));
    rs.Close();
    bd.fijar(propiedad, conexiones_[2]->propiedad(propiedad));
    borrado.fijar(propiedad, conexiones_[3]->propiedad(propiedad));
    app.Execute(QStringLiteral("UPDATE CursoEscolar SET BD = ?, BDBorrado = ? WHERE IDCursoEscolar = %1")
                    .arg(escuela_.intIDCursoEscolar()),
                {bd.texto(), borrado.texto()});
}

QString Copias::nombreReal(const QString& nombre) const {
    if (servidorEscuela()) return nombre.startsWith(prefijo_) ? nombre.mid(prefijo_.size()) : nombre;
    return QDir(escuela_.RutaBD()).filePath(QFileInfo(nombre).fileName());
}

bool Copias::descartar() {
    if (descartadas_) return completo_;
    descartadas_ = true;
    for (auto& c : conexiones_)
        if (c && c->State() == 1) try { c->Close(); } catch (...) {}
    bool completo = true;
    try {
        if (servidorEscuela()) {
            if (servidor_)
                for (const QString& n : basesDelEnsayo(*servidor_, marca_)) borrarBaseDeEnsayo(*servidor_, n);
        } else if (!carpeta_.isEmpty() && QFileInfo(carpeta_).exists()) {
            completo = QDir(carpeta_).removeRecursively();
        }
    } catch (const Error&) {
        completo = false;
    }
    // What could not go stays announced for the next start.
    if (completo) QFile::remove(rutaNota(marca_));
    if (bloqueo_) bloqueo_->unlock();
    // Closing the connection gives the server lock back.
    if (vigilia_) try { vigilia_->Close(); } catch (...) {}
    completo_ = completo;
    return completo;
}

}  // namespace

QString comentarioEnsayo(const QString& marca) { return QStringLiteral("Ensayo del cierre de curso %1").arg(marca); }

QString ResultadoEnsayo::nombrePaso() const {
    if (paso == 0 || !existeTexto(paso)) return Texto(motor::pasos::Comprobaciones);
    return Texto(paso);
}

QString ResultadoEnsayo::texto(bool enColumnas) const {
    QString t;
    const auto lista = [&t](int titulo, const QStringList& textos) {
        if (textos.isEmpty()) return;
        t += QLatin1Char('\n') + Texto(titulo) + QLatin1Char('\n');
        for (const QString& x : textos) t += QStringLiteral("  - ") + QString(x).replace(QStringLiteral("\r\n"), QStringLiteral(" ")) + QLatin1Char('\n');
    };
    if (correcto) {
        t += Texto(15030) + QLatin1Char('\n') + resumen.texto(segundos, enColumnas);
        lista(15034, preguntas);
        lista(15035, avisos);
        t += QLatin1Char('\n') + Texto(descartadas ? 15036 : 15038) + QLatin1Char('\n');
        return t;
    }
    t += Texto(15031) + QLatin1Char(' ') + nombrePaso() + QLatin1Char('\n');
    t += Texto(15032) + QLatin1Char('\n');
    for (const QString& x : errores.isEmpty() ? avisos : errores) t += QStringLiteral("  ") + x + QLatin1Char('\n');
    lista(15034, preguntas);
    t += QLatin1Char('\n') + Texto(15033) + QLatin1Char('\n');
    return t;
}

ResultadoEnsayo ensayarCierre(const DecisionesEnsayo& d, const InformeEnsayo& informe) {
    QElapsedTimer reloj;
    reloj.start();
    ResultadoEnsayo r;
    MensajesEnsayo mensajes;
    ServicioMensajesInstalado instalado(mensajes);
    const auto terminar = [&] {
        r.errores = mensajes.errores;
        r.avisos = mensajes.avisos;
        r.preguntas = mensajes.preguntas;
        r.segundos = reloj.elapsed() / 1000.0;
        return r;
    };
    cConfiguracion* conf = ConfiguracionActual();
    r.paso = motor::pasos::Comprobaciones;
    if (!conf || !conf->conLocalAppEntrada()) {
        mensajes.errores << QStringLiteral("No se han obtenido los datos de la sesión");
        return terminar();
    }
    // Copies of a school in the middle of a closing would be copies of half
    // a closing: the closing's own locks of the school are held until the
    // rehearsal is over, and a closing cut short is settled first.
    std::vector<motor::BloqueoCierre> bloqueos;
    try {
        motor::EstadoMotor escuela;
        escuela.conf = conf;
        bloqueos = motor::bloquearCierreSinPendiente(escuela);
    } catch (const Error& e) {
        mensajes.errores << e.descripcion();
        return terminar();
    }
    // The checks the real closing starts with, answered Yes: a school with
    // nothing to close is the rehearsal's failure too.
    if (d.comprobarInicio && !ComprobarInicioCierre(*conf).Mostrar) return terminar();

    // Asked before the settings point at the copies, whose folder goes.
    const QString carpetaDelInforme = carpetaInforme(*conf);
    r.paso = PasoCopiaEnsayo;
    Copias copias(*conf);
    try {
        copias.hacer();
    } catch (const Error& e) {
        mensajes.errores << e.descripcion();
        return terminar();
    }
    {
        ConfiguracionPrestada prestada(*conf, copias.configuracion());
        const auto devolverParcial = qScopeGuard([parcial = CierreParcial()] { CierreParcial() = parcial; });
        CierreParcial() = d.parcial;
        Arboles arboles = d.arboles;
        if (!arboles.secciones) arboles.secciones = std::make_shared<Coleccion<cCurso>>();
        if (!arboles.actividades) arboles.actividades = std::make_shared<Coleccion<cActividad>>();
        cIFunciones motor;
        const std::unique_ptr<QObject> vista = d.preparar ? d.preparar(motor) : nullptr;
        motor.setColSecciones(arboles.secciones);
        motor.setcolActividades(arboles.actividades);
        motor.setNuevoCursoEscolar(d.nuevoCurso);
        motor.setProcesarSecciones(d.secciones);
        motor.setProcesarActividades(d.actividades);
        motor.setPrefijoBases(copias.prefijo());
        motor.setComentarioBases(copias.comentario());
        try {
            r.paso = motor::pasos::Comprobaciones;
            const ResumenCierre antes = ResumenCierre::leerAntes(*conf, arboles);
            r.correcto = motor.TransferirDatos();
            r.paso = motor.Paso();
            if (r.correcto) {
                r.resumen = antes.completar(motor.estado());
                // A report that fails (no room, no memory) is a notice: the
                // rehearsal itself went well, and its copies must still go.
                const auto sinEstropear = [&mensajes](const std::function<void()>& f) {
                    try {
                        f();
                    } catch (const Error& e) {
                        mensajes.avisos << e.descripcion();
                    } catch (const std::exception& e) {
                        mensajes.avisos << QString::fromLocal8Bit(e.what());
                    }
                };
                if (d.informe)
                    sinEstropear([&] { r.informe = escribirInformeCierre(motor.estado(), true, carpetaDelInforme, &r.resumen); });
                if (informe) sinEstropear([&] { informe(motor.estado(), r.resumen); });
                r.resumen.nuevaCentro = copias.nombreReal(r.resumen.nuevaCentro);
                r.resumen.nuevaBorrado = copias.nombreReal(r.resumen.nuevaBorrado);
            }
        } catch (const Error& e) {
            r.correcto = false;
            mensajes.errores << e.descripcion();
        }
        motor.DevolverAlumnosRetirados();
    }
    r.descartadas = copias.descartar();
    return terminar();
}

void limpiarEnsayosAbandonados(const DatosConexion& appEntrada) {
    const bool servidorApp = appEntrada.esServidor();
    const QDir carpeta(carpetaEnsayos());
    for (const QFileInfo& f : carpeta.entryInfoList({QStringLiteral("*.json")}, QDir::Files, QDir::Name)) {
        const QString marca = f.completeBaseName();
        QLockFile bloqueo(rutaBloqueo(marca));
        if (!motor::tomarBloqueo(bloqueo)) continue;
        QFile archivo(f.absoluteFilePath());
        const QJsonObject nota = archivo.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(archivo.readAll()).object()
                                                                  : QJsonObject();
        archivo.close();
        bool hecho = true;
        const QString temporal = nota.value(QStringLiteral("carpeta")).toString();
        // Only a folder of ours is ever removed.
        if (!temporal.isEmpty() && QFileInfo(temporal).fileName().startsWith(QLatin1String("ncc-ensayo-")) &&
            QFileInfo(temporal).exists())
            hecho = QDir(temporal).removeRecursively();
        if (!nota.value(QStringLiteral("servidor")).toString().isEmpty()) {
            // A server's leftovers can only go with that server's credentials.
            if (!servidorApp || nota.value(QStringLiteral("servidor")).toString() != appEntrada.origen()) {
                hecho = false;
            } else {
                try {
                    for (const QString& n : basesDelEnsayo(appEntrada, marca)) borrarBaseDeEnsayo(appEntrada, n);
                } catch (const Error&) {
                    hecho = false;
                }
            }
        }
        if (hecho) QFile::remove(f.absoluteFilePath());
    }
    // Rehearsals that died with their note (another computer's, or a note
    // lost): their marked databases that nobody uses and whose rehearsal
    // holds no server lock, with the journals of their runs.
    if (servidorApp) {
        try {
            std::unique_ptr<Conexion> mantenimiento;
            for (const QString& n : servidor::conPrefijo(appEntrada, QLatin1String(PrefijoEnsayo), true)) {
                const QRegularExpressionMatch m = nombreEnsayo().match(n);
                if (!m.hasMatch()) continue;
                const QString marca = m.captured(1);
                if (servidor::comentario(appEntrada, n) != comentarioEnsayo(marca)) continue;
                // A rehearsal of this machine still running holds its lock
                // (taken before any copy is made); a machine that never
                // rehearsed has not even the folder for one.
                QLockFile vivo(rutaBloqueo(marca));
                if (QFileInfo::exists(carpetaEnsayos()) && !motor::tomarBloqueo(vivo)) continue;
                // One of any computer holds its server lock.
                if (!mantenimiento) mantenimiento = conexionMantenimiento(appEntrada);
                const QString clave = claveServidor(marca);
                if (!mantenimiento->Abrir(QStringLiteral("SELECT pg_try_advisory_lock(%1)").arg(clave)).campo(0).toBool())
                    continue;
                const auto soltar = qScopeGuard([&] {
                    try { mantenimiento->Abrir(QStringLiteral("SELECT pg_advisory_unlock(%1)").arg(clave)); } catch (...) {}
                });
                borrarBaseDeEnsayo(appEntrada, n);
            }
        } catch (const Error&) {
        }
    }
}

}  // namespace ncc::host
