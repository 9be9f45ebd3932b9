#pragma once
// The sample school as the command line finds it: the four SQLite files of
// one folder, the year's databases named by paths relative to the
// application entry, so that every copy of the folder is a school of its
// own. Tests that run the real `ncc` build one and close copies of it.
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <source_location>

namespace ncc::pruebas {

void crearEscuelaCarpeta(const QString& carpeta, int alumnos);
// A fresh copy of the files of `modelo` in a temporary folder of its own.
std::unique_ptr<QTemporaryDir> copiarEscuelaCarpeta(const QString& modelo);
// The folder of a sample school of `alumnos` students, built once per test
// program and size and kept until the program ends: tests close copies of it.
QString modeloCarpeta(int alumnos);
// A fresh copy of that sample.
inline std::unique_ptr<QTemporaryDir> escuelaCarpeta(int alumnos) { return copiarEscuelaCarpeta(modeloCarpeta(alumnos)); }

// What a run of the `ncc` of this build (NCC_BIN) answered.
struct SalidaNcc {
    int salida = -1;  // exit status; -1 when it crashed or did not end in time
    QString error;    // what it wrote on stderr
    QString texto;    // and on stdout
};
SalidaNcc ejecutarNcc(const QStringList& argumentos, int milisegundos = 120000,
                      const QProcessEnvironment& entorno = QProcessEnvironment::systemEnvironment(),
                      const QString& carpetaDeTrabajo = {});

// Checks that a run ended with `salida` and, when `frase` is given, that
// its stderr says it, showing what it wrote and the caller's line when not;
// gives the run back for further checks.
SalidaNcc esperarSalida(SalidaNcc r, int salida, const QString& frase = {},
                        std::source_location donde = std::source_location::current());

// Writes `contenido` as the whole of the file `ruta`; false when it cannot.
bool escribirFichero(const QString& ruta, const QByteArray& contenido);

// Every entry of a folder, "name=sha256" for files and "name/" for folders,
// one a line: two equal fingerprints, an untouched folder.
QString huellaCarpeta(const QString& carpeta);

// Starts `ncc` (a closing or a rehearsal) with `argumentos`, follows the
// progress lines ("Cierre N%") it writes on stderr and at the `n`-th does
// `alLlegar` with it running, then waits for its end; false when it ended
// by itself first. matarNccTrasLinea kills it (SIGKILL) there.
bool enLineaDeNcc(const QStringList& argumentos, int n, const std::function<void(QProcess&)>& alLlegar,
                  const QProcessEnvironment& entorno = QProcessEnvironment::systemEnvironment());
bool matarNccTrasLinea(const QStringList& argumentos, int n,
                       const QProcessEnvironment& entorno = QProcessEnvironment::systemEnvironment());

}  // namespace ncc::pruebas
