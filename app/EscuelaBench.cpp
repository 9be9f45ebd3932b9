#include "app/EscuelaBench.h"
#include "platform/BasesDatos.h"
#include "platform/Error.h"

namespace ncc::app {

QString prefijoBench(int alumnos, const QString& nombre) { return QStringLiteral("%1%2_").arg(nombre).arg(alumnos); }

suite::ResumenDemo escuelaDeBench(int alumnos, const ServidorBench& servidor, const QString& carpeta, const QString& nombre) {
    suite::OpcionesDemo o;
    o.alumnos = alumnos;
    o.reemplazar = true;
    if (!servidor) return suite::crearDemoSQLite(carpeta, o);
    o.prefijo = prefijoBench(alumnos, nombre);
    return suite::crearDemoServidor(*servidor, o);
}

namespace {
std::unique_ptr<host::Sesion> abrir(const suite::ResumenDemo& demo) {
    host::OpcionesSesion op;
    op.appEntrada = CadenaConexion(demo.appEntrada).datos();
    op.borradoAppEntrada = CadenaConexion(demo.borradoAppEntrada).datos();
    return host::abrirSesion(op);
}
}  // namespace

SesionBench::SesionBench(const suite::ResumenDemo& demo) : sesion_(abrir(demo)) { entrada_.ObtenerDatos(sesion_.get()); }

void borrarDelServidor(const ServidorBench& enServidor, const QStringList& bases) {
    if (!enServidor) return;
    for (const QString& b : bases)
        try { servidor::borrar(*enServidor, b); } catch (const Error&) {}
}

}  // namespace ncc::app
