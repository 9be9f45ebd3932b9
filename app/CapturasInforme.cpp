// The first page of the closing report. A capture changes nothing of the
// school, so the closing behind the page runs on a copy of it in a
// temporary folder (a school on a server gets the sample school there
// instead), and the report is drawn straight into the picture.
#include "app/Capturas.h"
#include "app/Comandos.h"
#include "engine/cIFunciones.h"
#include "entry/cAsignarDatos.h"
#include "entry/cConfiguracion.h"
#include "host/InformeCierre.h"
#include "host/InformePdf.h"
#include "host/Plan.h"
#include "host/Sesion.h"
#include "platform/BasesDatos.h"
#include "platform/CadenaConexion.h"
#include "suite/Demo.h"
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

namespace ncc::app {

namespace {

// The closing's own questions are not part of the picture: all answered Yes.
class SiATodo : public ServicioMensajes {
public:
    void pitar() override {}
    Respuesta mostrar(const Mensaje& m) override {
        return m.botones == Botones::Aceptar ? Respuesta::Aceptar
               : m.botones == Botones::AceptarCancelar ? Respuesta::Aceptar
                                                       : Respuesta::Si;
    }
};

QString cadenaSQLite(const QString& ruta) { return QStringLiteral("Provider=SQLite;Data Source=") + ruta + QLatin1Char(';'); }

QString archivoDe(const Conexion* c) { return QFileInfo(CadenaConexion(c->ConnectionString()).valor(QStringLiteral("Data Source"))).absoluteFilePath(); }

// The session's four files copied into `carpeta`, the copied application
// entry pointing its current year at the copies.
host::OpcionesSesion copiarEscuela(const cConfiguracion& conf, const QString& carpeta) {
    const QDir d(carpeta);
    const QString app = d.filePath(QStringLiteral("AppEntrada.db")), borradoApp = d.filePath(QStringLiteral("BorradoAppEntrada.db"));
    const QString centro = d.filePath(QFileInfo(archivoDe(conf.conLocalCentro())).fileName());
    const QString borradoCentro = d.filePath(QFileInfo(archivoDe(conf.conLocalBorradoCentro())).fileName());
    archivos::copiarBaseSQLite(archivoDe(conf.conLocalAppEntrada()), app);
    archivos::copiarBaseSQLite(archivoDe(conf.conLocalBorradoAppEntrada()), borradoApp);
    archivos::copiarBaseSQLite(archivoDe(conf.conLocalCentro()), centro);
    archivos::copiarBaseSQLite(archivoDe(conf.conLocalBorradoCentro()), borradoCentro);
    Conexion c(cadenaSQLite(app));
    c.Open();
    c.Execute(QStringLiteral("UPDATE CursoEscolar SET BD=?, BDBorrado=? WHERE IDCursoEscolar=%1").arg(conf.intIDCursoEscolar()),
              {cadenaSQLite(centro), cadenaSQLite(borradoCentro)});
    c.Close();
    host::OpcionesSesion o;
    o.appEntrada = cadenaSQLite(app);
    o.borradoAppEntrada = cadenaSQLite(borradoApp);
    o.centro = conf.intIDCentro();
    o.usuario = conf.intIDUsuario();
    o.pesetas = conf.Pesetas();
    return o;
}

host::OpcionesSesion escuelaDeMuestra(const QString& carpeta) {
    const suite::ResumenDemo r = suite::crearDemoSQLite(carpeta, suite::OpcionesDemo{});
    host::OpcionesSesion o;
    o.appEntrada = r.appEntrada;
    o.borradoAppEntrada = r.borradoAppEntrada;
    return o;
}

// Closes the year of the school of `opciones` with the default plan and
// reads its report.
host::DatosInforme cerrarYLeer(const host::OpcionesSesion& opciones) {
    auto sesion = host::abrirSesion(opciones);
    cAsignarDatos entrada;
    entrada.ObtenerDatos(sesion.get());
    CierreParcial() = false;
    host::Plan plan = host::planPorDefecto(sesion->centro(), static_cast<qint16>(sesion->IDCentro()));
    host::encajarEnCentro(plan, sesion->centro(), static_cast<qint16>(sesion->IDCentro()));
    host::sincronizarActividades(plan, sesion->centro());
    const QString nuevo = cursoSiguiente(sesion->ValorCursoEscolar());
    cIFunciones motor;
    motor.setColSecciones(plan.arboles.secciones);
    motor.setcolActividades(plan.arboles.actividades);
    motor.setNuevoCursoEscolar(nuevo.isEmpty() ? sesion->ValorCursoEscolar() + QStringLiteral(" (nuevo)") : nuevo);
    motor.setProcesarSecciones(true);
    motor.setProcesarActividades(true);
    if (!motor.TransferirDatos())
        throw Error(errores::Proceso, QStringLiteral("No se ha podido cerrar la copia de la escuela para el informe"));
    return host::leerInforme(motor.estado(), false);
}

void capturarInforme(Capturador& c) {
    cConfiguracion* actual = ConfiguracionActual();
    if (!actual) return;
    // The session of the other pictures comes back afterwards.
    const cConfiguracion guardada = *actual;
    const bool parcial = CierreParcial();
    QTemporaryDir tmp;
    if (!tmp.isValid()) throw Error(errores::Archivo, QStringLiteral("No se puede crear una carpeta temporal"));
    host::DatosInforme datos;
    try {
        SiATodo si;
        ServicioMensajesInstalado instalado(si);
        datos = cerrarYLeer(guardada.SQLServer() ? escuelaDeMuestra(tmp.path()) : copiarEscuela(guardada, tmp.path()));
    } catch (...) {
        fijarConfiguracionActual(std::make_unique<cConfiguracion>(guardada));
        CierreParcial() = parcial;
        throw;
    }
    fijarConfiguracionActual(std::make_unique<cConfiguracion>(guardada));
    CierreParcial() = parcial;
    c.guardarImagen(host::paginaInforme(datos, 1), QStringLiteral("InformeCierre"));
}

const RegistroCaptura registro({"InformeCierre", capturarInforme});

}  // namespace

}  // namespace ncc::app
