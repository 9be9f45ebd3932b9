// ncc informe: writes the report of the centre's last closing from the
// databases of both years, in a process of its own: `ncc cerrar` runs it
// after its run, the next start runs it for a closing that still owes its
// report, and anyone can run it again.
#include "app/OrdenInforme.h"
#include "app/Comandos.h"
#include "host/InformeDebido.h"
#include "platform/CadenaConexion.h"
#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTextStream>
#include <new>

namespace ncc::app {

namespace {

const QString Etiqueta = QStringLiteral("Informe del cierre: ");

QString uso() {
    return QStringLiteral("Uso: ncc informe (--datos CARPETA | --servidor CADENA) [--centro N] [--usuario N] [--curso NOMBRE]\n"
                          "  escribe el informe del último cierre del centro (el PDF de siempre, junto a la base de datos\n"
                          "  de entrada o en la carpeta de documentos si las bases están en un servidor)\n"
                          "  --curso NOMBRE     el curso escolar cerrado (por defecto, el del último cierre)\n") +
           host::usoOpcionesSesion();
}

int informe(const QStringList& argumentos) {
    QTextStream err(stderr);
    QStringList args = argumentos;
    host::OpcionesSesion op;
    QString curso;
    try {
        op = host::desdeArgumentos(args);
        for (int i = 0; i < args.size();) {
            if (const auto v = tomarOpcion(args, i, QStringLiteral("--curso"))) curso = *v;
            else ++i;
        }
        if (!args.isEmpty()) throw host::ErrorOpciones(QStringLiteral("Argumento no reconocido: %1").arg(args.first()));
    } catch (const host::ErrorOpciones& e) {
        err << "ncc informe: " << e.descripcion() << "\n" << uso();
        return SalidaUso;
    }
    try {
        const auto debido = host::leerInformeDebido(op);
        if (!debido || (!curso.isEmpty() && curso != debido->cerrado)) {
            err << "ncc informe: no consta ningún cierre "
                << (curso.isEmpty() ? QStringLiteral("del centro") : QStringLiteral("del curso %1").arg(curso))
                << " hecho con este programa: el informe se lee de las decisiones que el cierre anotó\n";
            return SalidaFallo;
        }
        const QString ruta = host::escribirInformeDebido(op, *debido);
        QTextStream(stdout) << Etiqueta << ruta << "\n";
        return SalidaExito;
    } catch (const std::bad_alloc&) {
        err << "ncc informe: no se ha podido escribir el informe del cierre: memoria insuficiente\n";
    } catch (const Error& e) {
        err << "ncc informe: no se ha podido escribir el informe del cierre: " << e.descripcion() << "\n";
    } catch (const std::exception& e) {
        err << "ncc informe: no se ha podido escribir el informe del cierre: " << QString::fromLocal8Bit(e.what()) << "\n";
    }
    return SalidaFallo;
}

const Registro registro({"informe", "escribe el informe del último cierre de curso del centro", informe, uso});

}  // namespace

std::optional<QString> informeEnProceso(const host::OpcionesSesion& op) {
    QStringList args{QStringLiteral("informe")};
    QProcessEnvironment entorno = QProcessEnvironment::systemEnvironment();
    DatosConexion d = op.appEntrada;
    if (d.esServidor()) {
        // The password goes to the process in its environment, not on its
        // command line where anyone on the computer can read it.
        if (!d.clave.isEmpty()) entorno.insert(QStringLiteral("PGPASSWORD"), d.clave);
        d.clave.clear();
        d.base.clear();
        args << QStringLiteral("--servidor") << d.cadena();
    } else {
        args << QStringLiteral("--datos") << QFileInfo(d.archivo).absolutePath();
    }
    args << QStringLiteral("--centro") << QString::number(op.centro) << QStringLiteral("--usuario") << QString::number(op.usuario);
    QProcess p;
    p.setProcessEnvironment(entorno);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QCoreApplication::applicationFilePath(), args);
    // A large school's report takes minutes; the process ends by itself.
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) return std::nullopt;
    for (const QString& linea : QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n')))
        if (linea.startsWith(Etiqueta) && linea.size() > Etiqueta.size()) return linea.mid(Etiqueta.size());
    return std::nullopt;
}

void saldarInformeDebido(const host::OpcionesSesion& op) {
    const auto d = host::leerInformeDebido(op);
    if (!d || !d->informe.isEmpty()) return;
    QTextStream err(stderr);
    try {
        if (!host::cierreHecho(op, *d)) {
            host::quitarInformeDebido(op);
            return;
        }
    } catch (const Error& e) {
        err << "ncc: no se ha podido comprobar el informe pendiente del cierre: " << e.descripcion() << "\n";
        return;
    }
    err << "El cierre del curso " << d->cerrado << " no tiene aún su informe: se escribe ahora.\n";
    err.flush();
    if (const auto ruta = informeEnProceso(op)) err << Etiqueta << *ruta << "\n";
    else err << "El informe del cierre sigue pendiente: se volverá a intentar en la próxima orden o con ncc informe.\n";
}

}  // namespace ncc::app
