#include "host/InformeDebido.h"
#include "engine/DiarioCierre.h"
#include "engine/EstadoMotor.h"
#include "entry/cAsignarDatos.h"
#include "entry/cConfiguracion.h"
#include "host/InformeCierre.h"
#include "host/Plan.h"
#include "host/RecorridoJson.h"
#include "platform/EscrituraArchivo.h"
#include "platform/CadenaConexion.h"
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QStandardPaths>

namespace ncc::host {

namespace {

// The students of the closed year whom the run took out: not enrolled
// beforehand, and not in the new year.
QVector<qint32> bajasDelCierre(Conexion& cerrado, Conexion& nuevo) {
    QSet<qint64> siguen;
    for (Recordset rs = nuevo.Abrir(QStringLiteral("SELECT IDAlumno FROM Alumno")); !rs.eof(); rs.MoveNext())
        siguen.insert(rs.entero(QStringLiteral("IDAlumno")));
    QVector<qint32> bajas;
    for (Recordset rs = cerrado.Abrir(QStringLiteral("SELECT IDAlumno FROM Alumno WHERE Anticipado=0 ORDER BY IDAlumno"));
         !rs.eof(); rs.MoveNext())
        if (!siguen.contains(rs.entero(QStringLiteral("IDAlumno")))) bajas.append(qint32(rs.entero(QStringLiteral("IDAlumno"))));
    return bajas;
}

}  // namespace

// A school of files keeps its note beside its journal. A server has no
// folder of the school: its note lives in this user's data folder, under a
// name of the server and its application entry, so that the next start
// finds it whatever folder it was started from.
static QString carpetaInformeDebido(const DatosConexion& appEntrada) {
    if (!appEntrada.esServidor()) return motor::carpetaDiario(appEntrada);
    const QString datos = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QByteArray servidor = (appEntrada.origen() + QLatin1Char('/') + motor::baseDiarioServidor(appEntrada)).toUtf8();
    return QDir(datos.isEmpty() ? QDir::homePath() : datos)
        .filePath(QStringLiteral("ncc/informes/") +
                  QString::fromLatin1(QCryptographicHash::hash(servidor, QCryptographicHash::Sha1).toHex().left(16)));
}

QString rutaInformeDebido(const OpcionesSesion& op) {
    return QDir(carpetaInformeDebido(op.appEntrada)).filePath(QStringLiteral("CierreCurso-%1.informe").arg(op.centro));
}

// The note is a JSON object whose "plan" member is most of it (tens of
// megabytes for a large school). The plan goes in and comes out as the text
// it is, never as a document: a document of it takes several times its size
// in memory, in the closing and in the report's process.
void anotarInformeDebido(const OpcionesSesion& op, const InformeDebido& d) {
    QJsonObject o{{QStringLiteral("cerrado"), d.cerrado},     {QStringLiteral("nuevo"), d.nuevo},
                  {QStringLiteral("parcial"), d.parcial},     {QStringLiteral("secciones"), d.secciones},
                  {QStringLiteral("actividades"), d.actividades}};
    if (!d.informe.isEmpty()) o.insert(QStringLiteral("informe"), d.informe);
    QByteArray plan = d.plan.trimmed();
    if (!plan.startsWith('{')) plan = QByteArrayLiteral("{}");
    QByteArray nota = QJsonDocument(o).toJson(QJsonDocument::Compact);
    nota.chop(1);  // the object's closing brace
    nota.reserve(nota.size() + plan.size() + 10);
    nota += ",\"plan\":";
    nota += plan;
    nota += '}';
    const QString ruta = rutaInformeDebido(op);
    QDir().mkpath(QFileInfo(ruta).absolutePath());
    if (!archivos::escribirArchivo(ruta, nota, archivos::ModoEscritura::Reemplazo))
        throw Error(errores::Archivo, QStringLiteral("No se puede anotar el informe del cierre en %1").arg(ruta));
}

std::optional<InformeDebido> leerInformeDebido(const OpcionesSesion& op) {
    QFile f(rutaInformeDebido(op));
    if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
    QByteArray texto = f.readAll();
    f.close();
    // The plan is taken out as text, and the rest read as a document.
    QByteArray plan;
    if (const auto rango = valorDeMiembro(texto, "plan")) {
        plan = texto.mid(rango->first, rango->second - rango->first);
        texto.replace(rango->first, rango->second - rango->first, "{}");
    }
    const QJsonObject o = QJsonDocument::fromJson(texto).object();
    if (o.value(QStringLiteral("cerrado")).toString().isEmpty() || o.value(QStringLiteral("nuevo")).toString().isEmpty())
        return std::nullopt;
    InformeDebido d;
    d.cerrado = o.value(QStringLiteral("cerrado")).toString();
    d.nuevo = o.value(QStringLiteral("nuevo")).toString();
    d.parcial = o.value(QStringLiteral("parcial")).toBool();
    d.secciones = o.value(QStringLiteral("secciones")).toBool(true);
    d.actividades = o.value(QStringLiteral("actividades")).toBool(true);
    d.plan = plan.startsWith('{') ? std::move(plan) : QByteArrayLiteral("{}");
    d.informe = o.value(QStringLiteral("informe")).toString();
    return d;
}

void quitarInformeDebido(const OpcionesSesion& op) { QFile::remove(rutaInformeDebido(op)); }

void quitarTemporalesInformeDebido(const OpcionesSesion& op) {
    archivos::quitarTemporalesAbandonados(rutaInformeDebido(op));
}

static InformeDebido informeDebidoDe(const motor::EstadoMotor& e) {
    Plan plan;
    plan.cabecera = {e.conf->intIDCentro(), e.conf->CursoEscolar()};
    plan.arboles = {e.ColSecciones, e.colActividades};
    return {e.conf->CursoEscolar(), e.NuevoCursoEscolar, CierreParcial(), e.ProcesarSecciones, e.ProcesarActividades,
            planAJson(plan, true), {}};
}

void anotarInformeAntesDelCierre(const motor::EstadoMotor& e) {
    anotarInformeDebido(opcionesDe(*e.conf), informeDebidoDe(e));
}

OpcionesSesion opcionesDe(const cConfiguracion& conf) {
    OpcionesSesion op;
    op.appEntrada = conf.conLocalAppEntrada()->datos();
    op.borradoAppEntrada = conf.conLocalBorradoAppEntrada()->datos();
    op.centro = conf.intIDCentro();
    op.usuario = conf.intIDUsuario();
    op.pesetas = conf.Pesetas();
    return op;
}

bool cierreHecho(const OpcionesSesion& op, const InformeDebido& d) {
    Conexion app(op.appEntrada);
    app.Open();
    return !app.Abrir(QStringLiteral("SELECT 1 FROM CursoEscolar WHERE CodCentro = %1 AND Nombre = ?").arg(op.centro), {d.nuevo})
                .eof();
}

QString escribirInformeDebido(const OpcionesSesion& op, const InformeDebido& d) {
    OpcionesSesion deCerrado = op, deNuevo = op;
    deCerrado.curso = d.cerrado;
    deNuevo.curso = d.nuevo;
    deCerrado.resolverPendiente = deNuevo.resolverPendiente = false;
    const auto cerrado = abrirSesion(deCerrado);
    const auto nuevo = abrirSesion(deNuevo);
    cAsignarDatos entrada;
    entrada.ObtenerDatos(cerrado.get());

    motor::EstadoMotor e;
    e.conf = ConfiguracionActual();
    e.NuevoCursoEscolar = d.nuevo;
    e.ProcesarSecciones = d.secciones;
    e.ProcesarActividades = d.actividades;
    const Plan plan = planDesdeJson(d.plan);
    e.ColSecciones = plan.arboles.secciones;
    e.colActividades = plan.arboles.actividades;
    e.conNuevoCentro.setConnectionString(nuevo->centro().ConnectionString());
    e.conNuevoCentro.Open();
    e.strNuevaCentro = nuevo->centro().origenDatos();
    e.strNuevaBorradoCentro = nuevo->borradoCentro().origenDatos();
    e.IDsAlumnosBaja = bajasDelCierre(e.conLocalCentro(), e.conNuevoCentro);
    e.HayBajas = !e.IDsAlumnosBaja.isEmpty();
    CierreParcial() = d.parcial;

    InformeDebido hecho = d;
    hecho.informe = escribirInformeCierre(e, false);
    anotarInformeDebido(op, hecho);
    return hecho.informe;
}

}  // namespace ncc::host
