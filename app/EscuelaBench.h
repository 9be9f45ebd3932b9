#pragma once
// The sample school a benchmark measures on, and the host's session on it.
#include "entry/cAsignarDatos.h"
#include "host/Sesion.h"
#include "suite/Demo.h"
#include <memory>
#include <optional>

namespace ncc::app {

// The server a benchmark's schools are made on; none: SQLite files.
using ServidorBench = std::optional<DatosConexion>;

// The prefix of a benchmark's databases on a server, "<nombre><alumnos>_",
// so that each benchmark and size has its own and none takes the name of a
// school's.
QString prefijoBench(int alumnos, const QString& nombre);

// A sample school of `alumnos` students: SQLite files in `carpeta`, or, with
// a server, databases there named with prefijoBench.
suite::ResumenDemo escuelaDeBench(int alumnos, const ServidorBench& servidor, const QString& carpeta, const QString& nombre);

// The host's session on a sample school, with the component's settings read
// from it; they go with it.
class SesionBench {
public:
    explicit SesionBench(const suite::ResumenDemo& demo);
    host::Sesion& operator*() { return *sesion_; }
    host::Sesion* operator->() { return sesion_.get(); }

private:
    std::unique_ptr<host::Sesion> sesion_;
    cAsignarDatos entrada_;
};

// Drops the databases from the server, once no session holds them; what
// cannot be dropped is left.
void borrarDelServidor(const ServidorBench& servidor, const QStringList& bases);

}  // namespace ncc::app
