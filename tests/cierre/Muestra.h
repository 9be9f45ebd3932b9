#pragma once
// The sample school of suite/Demo as the closing tests use it: built once,
// copied under fresh names for each run that may spoil it, opened through
// the host's session exactly as `ncc cerrar` opens it, and closed in-process
// with the default plan.
//
// On the server the closing names its new databases and backups from the
// centre and the years alone ("A1C4", "AppEntradaB"), whatever prefix the
// school's own databases carry: those names are dropped before and after
// every test (the area runs serialised).
#include "ContextoBD.h"
#include "EscuelaPrueba.h"
#include "Lectura.h"
#include "engine/DiarioCierre.h"
#include "engine/cIFunciones.h"
#include "entry/cAsignarDatos.h"
#include "host/Plan.h"
#include "host/ResumenCierre.h"
#include "host/Sesion.h"
#include "platform/BasesDatos.h"
#include "platform/CadenaConexion.h"
#include "platform/Conexion.h"
#include "platform/MensajesGuion.h"
#include "platform/Sentencias.h"
#include "suite/Demo.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <gtest/gtest.h>
#include <functional>
#include <map>
#include <memory>

namespace ncc::pruebas {

// What closings of the sample school (centre 1, year 3) left on the server
// under their own names, in one look at the server's catalog.
inline QStringList quedanEnServidor() {
    if (!hayServidor()) return {};
    Conexion con(plantillaServidor().conBase(QStringLiteral("postgres")));
    con.Open();
    const QStringList hay = leerFilas(con, QStringLiteral("SELECT datname FROM pg_database"));
    QStringList q;
    for (const QString& n : nombresDelCierreEnServidor(1, 3))
        if (hay.contains(n)) q << n;
    return q;
}

inline void borrarLoDelCierreEnServidor() {
    for (const QString& n : quedanEnServidor()) servidor::borrar(plantillaServidor(), n);
}

inline QString catalogo(const QString& cadena) { return CadenaConexion(cadena).valor(QStringLiteral("Initial Catalog")); }

// The four databases of one sample school, where a session finds them.
struct Muestra {
    Proveedor proveedor = Proveedor::SQLite;
    QString carpeta;   // SQLite: the folder of the four files
    QString prefijo;   // server: the prefix of the four catalogs
    int idCurso = 3;

    bool esServidor() const { return proveedor == Proveedor::PostgreSQL; }
    static QStringList bases() {
        return {QStringLiteral("AppEntrada"), QStringLiteral("BorradoAppEntrada"), QStringLiteral("A1C3"),
                QStringLiteral("B1C3")};
    }
    // File path or catalog of one of bases().
    QString real(const QString& base) const {
        return esServidor() ? prefijo + base : QDir(carpeta).filePath(base + QStringLiteral(".db"));
    }
    DatosConexion datos(const QString& base) const {
        if (esServidor()) return plantillaServidor().conBase(real(base));
        DatosConexion d;
        d.archivo = real(base);
        return d;
    }
    QString cadena(const QString& base) const { return datos(base).cadena(); }
    host::OpcionesSesion opciones() const {
        host::OpcionesSesion o;
        o.appEntrada = datos(QStringLiteral("AppEntrada"));
        o.borradoAppEntrada = datos(QStringLiteral("BorradoAppEntrada"));
        return o;
    }
    // The year's school databases as the application entry names them: the
    // copies must not reach back to the school they were copied from.
    void apuntarCursoASusBases() const {
        Conexion app(cadena(QStringLiteral("AppEntrada")));
        app.Open();
        QString a = cadena(QStringLiteral("A1C3")), b = cadena(QStringLiteral("B1C3"));
        if (!esServidor()) {
            // Relative to the application entry's folder: the files can be
            // copied anywhere as a whole.
            CadenaConexion ca(a), cb(b);
            ca.fijar(QStringLiteral("Data Source"), QStringLiteral("A1C3.db"));
            cb.fijar(QStringLiteral("Data Source"), QStringLiteral("B1C3.db"));
            a = ca.texto();
            b = cb.texto();
        }
        app.Execute(QStringLiteral("UPDATE CursoEscolar SET BD=?, BDBorrado=? WHERE IDCursoEscolar=%1").arg(idCurso), {a, b});
        app.Close();
    }
    void borrar() const {
        if (!esServidor() || !hayServidor()) return;
        for (const QString& b : bases())
            try { servidor::borrar(plantillaServidor(), real(b)); } catch (...) {}
        try { motor::descartarDiario(datos(QStringLiteral("AppEntrada"))); } catch (...) {}
    }
};

// Builds the sample school `nombre` of the context.
inline Muestra crearMuestra(ContextoBD& ctx, const QString& nombre, int alumnos, quint32 semilla = 7) {
    Muestra m;
    m.proveedor = ctx.proveedor();
    suite::OpcionesDemo o;
    o.alumnos = alumnos;
    o.semilla = semilla;
    o.reemplazar = true;
    suite::ResumenDemo r;
    if (m.esServidor()) {
        m.prefijo = ctx.prefijo() + nombre + QLatin1Char('_');
        o.prefijo = m.prefijo;
        r = suite::crearDemoServidor(plantillaServidor(), o);
        // The catalogs as the server keeps them.
        m.prefijo = catalogo(r.appEntrada).chopped(QStringLiteral("AppEntrada").size());
    } else {
        m.carpeta = QDir(ctx.carpeta()).filePath(nombre);
        r = suite::crearDemoSQLite(m.carpeta, o);
    }
    m.idCurso = r.idCursoEscolar;
    m.apuntarCursoASusBases();
    return m;
}

// A copy of `origen` under `nombre`, pointing at its own databases.
inline Muestra copiarMuestra(ContextoBD& ctx, const Muestra& origen, const QString& nombre) {
    Muestra m = origen;
    if (m.esServidor()) {
        m.prefijo = ctx.prefijo() + nombre + QLatin1Char('_');
        for (const QString& b : Muestra::bases()) servidor::copiar(plantillaServidor(), origen.real(b), m.real(b));
        m.apuntarCursoASusBases();
    } else {
        m.carpeta = QDir(ctx.carpeta()).filePath(nombre);
        QDir(m.carpeta).removeRecursively();
        QDir().mkpath(m.carpeta);
        for (const QString& b : Muestra::bases()) archivos::copiar(origen.real(b), m.real(b));
    }
    return m;
}

inline QByteArray bytesDe(const QString& ruta) {
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Files of a folder, sorted.
inline QStringList archivosDe(const QString& carpeta) {
    return QDir(carpeta).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

inline QStringList archivosDeMuestra() {
    return {QStringLiteral("A1C3.db"), QStringLiteral("AppEntrada.db"), QStringLiteral("B1C3.db"),
            QStringLiteral("BorradoAppEntrada.db")};
}

inline QSet<qint64> ids(Conexion& con, const QString& sql) {
    QSet<qint64> s;
    for (Recordset rs = con.Abrir(sql); !rs.eof(); rs.MoveNext())
        if (!rs.esNulo(rs.nombreCampo(0))) s.insert(rs.campo(0).toLongLong());
    return s;
}

// A session of the host on the school, with the component's settings
// installed from it, as `ncc cerrar` prepares a closing.
struct SesionAbierta {
    explicit SesionAbierta(const Muestra& m) : sesion(host::abrirSesion(m.opciones())), entrada(std::make_unique<cAsignarDatos>()) {
        entrada->ObtenerDatos(sesion.get());
        CierreParcial() = false;
    }
    ~SesionAbierta() { entrada.reset(); }
    std::unique_ptr<host::Sesion> sesion;
    std::unique_ptr<cAsignarDatos> entrada;

    QList<Conexion*> conexiones() const {
        return {&sesion->appEntrada(), &sesion->borradoAppEntrada(), &sesion->centro(), &sesion->borradoCentro()};
    }
    host::Plan planPorDefecto() const {
        host::Plan p = host::planPorDefecto(sesion->centro(), static_cast<qint16>(sesion->IDCentro()));
        host::encajarEnCentro(p, sesion->centro(), static_cast<qint16>(sesion->IDCentro()));
        return p;
    }
};

// A test on a sample school of its own, on one back end; the school and
// whatever a closing made of it on the server go with the test.
class ConMuestra : public testing::TestWithParam<Proveedor> {
protected:
    ConMuestra() : ctx(GetParam()) { borrarLoDelCierreEnServidor(); }
    ~ConMuestra() override {
        if (!muestra.prefijo.isEmpty() || !muestra.esServidor()) muestra.borrar();
        borrarLoDelCierreEnServidor();
    }
    ContextoBD ctx;
    Muestra muestra;
};

// The engine set up as the command line sets it, both phases on.
inline void prepararMotor(cIFunciones& motor, const host::Plan& plan, Progreso* barra) {
    motor.setProgreso(barra);
    motor.setColSecciones(plan.arboles.secciones);
    motor.setcolActividades(plan.arboles.actividades);
    motor.setNuevoCursoEscolar(QStringLiteral("2026/2027"));
    motor.setProcesarSecciones(true);
    motor.setProcesarActividades(true);
}

// Closes the school's current year in-process into `nuevoCurso`, with the
// default plan and the engine as `cambiar` leaves them and every question
// answered Yes, as `ncc cerrar --si` does. Gives the closed year's and the
// new year's two databases; empty when the closing did not stand (which
// fails the test).
struct Cerrada {
    QString cerrado, nuevo, nuevoBorrado;
};
using CambioCierre = std::function<void(host::Plan&, Conexion& centro, cIFunciones&)>;
inline Cerrada cerrarMuestra(const Muestra& m, const QString& nuevoCurso = QStringLiteral("2026/2027"),
                             const CambioCierre& cambiar = {}) {
    MensajesGuion guion;
    guion.responderA(2187, Respuesta::Si).responderA(710, Respuesta::Si).responderA(2190, Respuesta::Si);
    ServicioMensajesInstalado instalado(guion);
    SesionAbierta s(m);
    host::Plan plan = s.planPorDefecto();
    cIFunciones motor;
    if (cambiar) cambiar(plan, s.sesion->centro(), motor);
    ProgresoEnMemoria barra;
    prepararMotor(motor, plan, &barra);
    motor.setNuevoCursoEscolar(nuevoCurso);
    const bool hecha = motor.TransferirDatos();
    EXPECT_TRUE(hecha) << guion.textos().join(QLatin1Char('\n')).toStdString();
    if (!hecha) return {};
    return {s.sesion->centro().ConnectionString(), motor.estado().conNuevoCentro.ConnectionString(),
            motor.estado().conNuevoBorradoCentro.ConnectionString()};
}

// A bar that notes how many statements had run at each of its values:
// value i is reached when step i of the run is done.
class ProgresoContado : public ProgresoEnMemoria {
public:
    void setValue(float v) override {
        ProgresoEnMemoria::setValue(v);
        marcas << Sentencias::contadas();
    }
    QList<long> marcas;
};

// A database in write-ahead-log mode, as files that other programs also
// open often are.
inline void ponerEnWal(const QString& cadena) {
    Conexion con(cadena);
    con.Open();
    EXPECT_EQ(leerFilas(con, QStringLiteral("PRAGMA journal_mode=WAL")), QStringList{QStringLiteral("wal")});
}

// The journal of a closing cut short, beside the application entry (or on
// the server).
inline bool hayDiario(const DatosConexion& appEntrada) { return motor::hayCierrePendiente(appEntrada); }

}  // namespace ncc::pruebas
