#include "host/Sesion.h"
#include "engine/DiarioCierre.h"
#include "entry/SoloLectura.h"
#include "host/EnsayoCierre.h"
#include "host/InformeDebido.h"
#include "platform/BasesDatos.h"
#include "platform/CadenaConexion.h"
#include "platform/Mensajes.h"
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <limits>

namespace ncc::host {

Sesion::Sesion(QObject* parent)
    : QObject(parent),
      appEntrada_(new Conexion(this)),
      borradoAppEntrada_(new Conexion(this)),
      centro_(new Conexion(this)),
      borradoCentro_(new Conexion(this)) {
    appEntrada_->setObjectName(QStringLiteral("conexionAppEntrada"));
    borradoAppEntrada_->setObjectName(QStringLiteral("conexionBorradoAppEntrada"));
    centro_->setObjectName(QStringLiteral("conexionlocalCENTRO"));
    borradoCentro_->setObjectName(QStringLiteral("conexionBORRADOlocalCENTRO"));
}

// The children close their connections as they go.
Sesion::~Sesion() = default;

void Sesion::setlngRowData(int v) {
    lngRowData_ = v;
    emit lngRowDataCambiado(v);
}

// ---------------------------------------------------------------------------
// Options

namespace {

const QString AppEntrada = QStringLiteral("AppEntrada");
const QString BorradoAppEntrada = QStringLiteral("BorradoAppEntrada");

// The value of option `nombre` at `i` ("--x v" or "--x=v"), removing what it
// takes; a null string when the argument at `i` is not that option.
QString tomar(QStringList& args, int i, const QString& nombre) {
    const QString a = args.at(i);
    if (a == nombre) {
        if (i + 1 >= args.size() || args.at(i + 1).startsWith(QLatin1String("--")))
            throw ErrorOpciones(QStringLiteral("Falta el valor de %1").arg(nombre));
        const QString v = args.at(i + 1);
        if (v.isEmpty()) throw ErrorOpciones(QStringLiteral("Falta el valor de %1").arg(nombre));
        args.remove(i, 2);
        return v;
    }
    if (a.startsWith(nombre + QLatin1Char('='))) {
        args.removeAt(i);
        const QString v = a.mid(nombre.size() + 1);
        if (v.isEmpty()) throw ErrorOpciones(QStringLiteral("Falta el valor de %1").arg(nombre));
        return v;
    }
    return QString();
}

int identificador(const QString& valor, const QString& nombre) {
    bool ok = false;
    const int n = valor.toInt(&ok);
    if (!ok || n < 1 || n > std::numeric_limits<qint16>::max())
        throw ErrorOpciones(QStringLiteral("%1 debe ser un número entre 1 y 32767, no \"%2\"").arg(nombre, valor));
    return n;
}

// The server of --servidor, read once whatever form it was written in.
DatosConexion servidorDeOpcion(const QString& texto) {
    try {
        return DatosConexion::deServidor(texto);
    } catch (const Error& e) {
        throw ErrorOpciones(QStringLiteral("--servidor: %1").arg(e.descripcion()));
    }
}

DatosConexion archivoEn(const QString& carpeta, const QString& nombre) {
    DatosConexion d;
    d.archivo = QDir(carpeta).absoluteFilePath(nombre + QStringLiteral(".db"));
    return d;
}

}  // namespace

OpcionesSesion desdeArgumentos(QStringList& args) {
    OpcionesSesion o;
    QString datos, servidor;
    for (int i = 0; i < args.size();) {
        QString v;
        if (!(v = tomar(args, i, QStringLiteral("--datos"))).isNull()) datos = v;
        else if (!(v = tomar(args, i, QStringLiteral("--servidor"))).isNull()) servidor = v;
        else if (!(v = tomar(args, i, QStringLiteral("--centro"))).isNull()) o.centro = identificador(v, QStringLiteral("--centro"));
        else if (!(v = tomar(args, i, QStringLiteral("--usuario"))).isNull()) o.usuario = identificador(v, QStringLiteral("--usuario"));
        else if (args.at(i) == QLatin1String("--pesetas")) { o.pesetas = true; args.removeAt(i); }
        else ++i;
    }
    if (!datos.isEmpty() && !servidor.isEmpty())
        throw ErrorOpciones(QStringLiteral("Indique --datos o --servidor, no los dos"));
    if (datos.isEmpty() && servidor.isEmpty())
        throw ErrorOpciones(QStringLiteral("Indique dónde está la base de datos de entrada: --datos CARPETA o --servidor CADENA"));
    if (!datos.isEmpty()) {
        o.appEntrada = archivoEn(datos, AppEntrada);
        o.borradoAppEntrada = archivoEn(datos, BorradoAppEntrada);
    } else {
        const DatosConexion d = servidorDeOpcion(servidor);
        o.appEntrada = d.conBase(AppEntrada);
        o.borradoAppEntrada = d.conBase(BorradoAppEntrada);
    }
    return o;
}

QString usoOpcionesSesion() {
    return QStringLiteral(
        "  --datos CARPETA      carpeta con AppEntrada.db y BorradoAppEntrada.db\n"
        "  --servidor CADENA    servidor PostgreSQL con las bases AppEntrada y BorradoAppEntrada:\n"
        "                       \"Data Source=equipo:puerto;User ID=...;Password=...\", postgresql://usuario@equipo:puerto/\n"
        "                       o \"host=equipo port=puerto user=usuario\" (PGHOST, PGPORT y PGUSER por defecto)\n"
        "  --centro N           centro (1 si no se indica)\n"
        "  --usuario N          usuario (1 si no se indica)\n"
        "  --pesetas            mostrar también los precios en pesetas\n");
}

// ---------------------------------------------------------------------------
// Building the session

namespace {

// A SQLite path relative to the application-entry folder is taken from
// there, so that a folder of databases can be moved as a whole.
QString resolverRuta(const QString& cadena, const QString& carpetaEntrada) {
    CadenaConexion c(cadena);
    if (c.valor(QStringLiteral("Provider")).compare(QLatin1String("SQLite"), Qt::CaseInsensitive) != 0) return cadena;
    const QString ruta = c.valor(QStringLiteral("Data Source"));
    if (ruta.isEmpty() || carpetaEntrada.isEmpty() || !QFileInfo(ruta).isRelative()) return cadena;
    c.fijar(QStringLiteral("Data Source"), QDir(carpetaEntrada).absoluteFilePath(ruta));
    return c.texto();
}

ErrorSesion sinServidor(const QString& servidor, const QString& queEs, const Error& e) {
    return ErrorSesion(QStringLiteral("No se puede conectar con el servidor %1 para abrir %2. El servidor dice: %3")
                           .arg(servidor, queEs, e.descripcion()));
}

// Opening a SQLite file that is not there would create an empty one, and a
// server database that is not there gives a driver's message: both are said
// plainly instead.
void abrir(Conexion& con, const QString& cadena, const QString& queEs) {
    con.setConnectionString(cadena);
    if (con.esServidor()) {
        const QString catalogo = con.propiedad(QStringLiteral("Initial Catalog"));
        bool existe = false;
        try {
            existe = !catalogo.isEmpty() && servidor::existe(con.datos(), catalogo);
        } catch (const Error& e) {
            throw sinServidor(con.propiedad(QStringLiteral("Data Source")), queEs, e);
        }
        if (!existe)
            throw ErrorSesion(QStringLiteral("No existe %1 \"%2\" en el servidor %3")
                                  .arg(queEs, catalogo, con.propiedad(QStringLiteral("Data Source"))));
    } else {
        const QString ruta = con.propiedad(QStringLiteral("Data Source"));
        if (!QFileInfo(ruta).isFile())
            throw ErrorSesion(QStringLiteral("No se encuentra %1: %2").arg(queEs, ruta.isEmpty() ? cadena : ruta));
    }
    try {
        con.Open();
        // SQLite opens any file and only complains at the first read.
        if (!con.esServidor()) con.Abrir(QStringLiteral("SELECT COUNT(*) FROM sqlite_master"));
    } catch (const Error& e) {
        con.Close();
        const QString ruta = con.propiedad(QStringLiteral("Data Source"));
        if (!con.esServidor())
            throw ErrorSesion(QStringLiteral("El archivo %1 no es una base de datos que se pueda abrir (%2). "
                                             "Compruebe que es %3.")
                                  .arg(ruta, e.descripcion(), queEs));
        throw ErrorSesion(QStringLiteral("No se puede abrir %1 en el servidor %2. El servidor dice: %3")
                              .arg(queEs, ruta, e.descripcion()));
    }
}

// The application entry's tables are read here first: a database of another
// kind says so in Spanish before the driver's words.
Recordset leerEntrada(Conexion& entrada, const QString& sql) {
    try {
        return entrada.Abrir(sql);
    } catch (const Error& e) {
        throw ErrorSesion(QStringLiteral("La base de datos de entrada de la aplicación (%1) no se puede leer: "
                                         "no parece una base de datos de entrada de la aplicación. Detalle: %2")
                              .arg(entrada.esServidor() ? entrada.propiedad(QStringLiteral("Initial Catalog"))
                                                        : entrada.propiedad(QStringLiteral("Data Source")),
                                   e.descripcion()));
    }
}

}  // namespace

namespace {

// The folder and the application-entry file of --datos, said plainly before
// anything (the closing's lock lives in that folder) tries to use them.
void comprobarCarpetaEntrada(const OpcionesSesion& o) {
    if (o.appEntrada.esServidor()) return;
    const QFileInfo archivo(o.appEntrada.archivo);
    const QFileInfo carpeta(archivo.absolutePath());
    if (!carpeta.exists())
        throw ErrorSesion(QStringLiteral("No existe la carpeta %1.").arg(carpeta.absoluteFilePath()));
    if (!carpeta.isDir())
        throw ErrorSesion(QStringLiteral("%1 no es una carpeta.").arg(carpeta.absoluteFilePath()));
    // A restore cut short may have left the file renamed: the journal then
    // says how to put it back.
    if (motor::hayCierrePendiente(o.appEntrada)) return;
    if (!archivo.exists())
        throw ErrorSesion(QStringLiteral("La carpeta %1 no contiene la base de datos de entrada de la aplicación (%2).")
                              .arg(carpeta.absoluteFilePath(), archivo.fileName()));
    if (!archivo.isFile())
        throw ErrorSesion(QStringLiteral("%1 no es un archivo de base de datos.").arg(archivo.absoluteFilePath()));
}

}  // namespace

namespace {

// On a server the closing's lock is the first contact with it: a server
// that cannot be reached is said plainly there.
motor::BloqueoCierre bloquearParaResolver(const OpcionesSesion& o) {
    try {
        return motor::bloquearCierre(o.appEntrada);
    } catch (const motor::ErrorBloqueo&) {
        throw;
    } catch (const Error& e) {
        if (!o.appEntrada.esServidor()) throw;
        throw sinServidor(o.appEntrada.origen(), QStringLiteral("la base de datos de entrada de la aplicación"), e);
    }
}

}  // namespace

void resolverCierrePendiente(const OpcionesSesion& o) {
    comprobarCarpetaEntrada(o);
    // A school folder this user can only read has nothing to settle unless a
    // journal says so: it is opened to be read, without the closing's lock.
    const bool soloLectura = !o.appEntrada.esServidor() && !SeEscribe(o.appEntrada.archivo);
    if (!soloLectura || motor::hayCierrePendiente(o.appEntrada)) {
        const auto bloqueo = bloquearParaResolver(o);
        const motor::Recuperacion r = motor::recuperarCierrePendiente(o.appEntrada);
        // A closing killed while it wrote the note of its report owed left
        // the note's temporary beside the school.
        quitarTemporalesInformeDebido(o);
        if (r != motor::Recuperacion::Nada) avisarTexto(motor::textoRecuperacion(r));
    }
    // Rehearsals cut short leave only throw-away copies: they go quietly.
    limpiarEnsayosAbandonados(o.appEntrada);
}

std::unique_ptr<Sesion> abrirSesion(const OpcionesSesion& o) {
    if (o.resolverPendiente) resolverCierrePendiente(o);
    auto s = std::make_unique<Sesion>();
    abrir(s->appEntrada(), o.appEntrada.cadena(), QStringLiteral("la base de datos de entrada de la aplicación"));
    abrir(s->borradoAppEntrada(), o.borradoAppEntrada.cadena(),
          QStringLiteral("la base de datos de borrados de la entrada de la aplicación"));
    Conexion& entrada = s->appEntrada();

    Recordset centro = leerEntrada(entrada, QStringLiteral("SELECT Nombre FROM Centro WHERE IDCentro = %1").arg(o.centro));
    if (centro.eof())
        throw ErrorSesion(QStringLiteral("El centro %1 no está dado de alta en la base de datos de entrada").arg(o.centro));

    // With several years marked as last used (a closing interrupted by hand),
    // the newest one is the current year.
    Recordset curso =
        o.curso.isEmpty()
            ? leerEntrada(entrada, QStringLiteral("SELECT IDCursoEscolar, Nombre, BD, BDBorrado FROM CursoEscolar "
                                                  "WHERE CodCentro = %1 AND UltimoUtilizado <> 0 ORDER BY IDCursoEscolar DESC LIMIT 1")
                                       .arg(o.centro))
            : entrada.Abrir(QStringLiteral("SELECT IDCursoEscolar, Nombre, BD, BDBorrado FROM CursoEscolar "
                                           "WHERE CodCentro = %1 AND Nombre = ? ORDER BY IDCursoEscolar DESC LIMIT 1")
                                .arg(o.centro),
                            {o.curso});
    if (curso.eof() && !o.curso.isEmpty())
        throw ErrorSesion(QStringLiteral("El centro %1 no tiene el curso escolar \"%2\"").arg(o.centro).arg(o.curso));
    if (curso.eof())
        throw ErrorSesion(QStringLiteral("El centro %1 no tiene ningún curso escolar en uso (UltimoUtilizado)").arg(o.centro));
    const QString nombreCurso = curso.texto(QStringLiteral("Nombre"));
    const QString bd = curso.texto(QStringLiteral("BD"));
    const QString bdBorrado = curso.texto(QStringLiteral("BDBorrado"));
    if (bd.trimmed().isEmpty() || bdBorrado.trimmed().isEmpty())
        throw ErrorSesion(QStringLiteral("El curso escolar %1 no indica sus bases de datos (BD, BDBorrado)").arg(nombreCurso));

    const QString carpetaEntrada =
        entrada.esServidor() ? QString() : QFileInfo(entrada.propiedad(QStringLiteral("Data Source"))).absolutePath();
    abrir(s->centro(), resolverRuta(bd, carpetaEntrada),
          QStringLiteral("la base de datos del curso escolar %1").arg(nombreCurso));
    abrir(s->borradoCentro(), resolverRuta(bdBorrado, carpetaEntrada),
          QStringLiteral("la base de datos de borrados del curso escolar %1").arg(nombreCurso));

    s->setRutaAplicacion(QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath());
    s->setIDUsuario(o.usuario);
    s->setIDCentro(o.centro);
    s->setIDCursoescolar(int(curso.entero(QStringLiteral("IDCursoEscolar"))));
    s->setNombreCentro(centro.texto(QStringLiteral("Nombre")));
    s->setValorCursoEscolar(nombreCurso);
    s->setRutaIcono(QString());
    s->setPesetas(o.pesetas);
    s->setSQLServer(entrada.esServidor());
    return s;
}

}  // namespace ncc::host
