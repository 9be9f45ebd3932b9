// ncc demo: creates the sample school, on SQLite files or on a PostgreSQL server.
#include "app/Comandos.h"
#include "platform/CadenaConexion.h"
#include "platform/Error.h"
#include "suite/Demo.h"
#include <QTextStream>

namespace ncc::app {

namespace {

const char* const Uso =
    "Uso: ncc demo CARPETA [--alumnos N] [--semilla S] [--reemplazar]\n"
    "     ncc demo --servidor \"CADENA\" [--alumnos N] [--semilla S] [--reemplazar]\n";

struct Argumentos {
    QString carpeta;
    QString servidor;
    suite::OpcionesDemo opciones;
};

// "--opcion valor" or "--opcion=valor"; false with a message on bad usage.
bool leer(QStringList args, Argumentos& a, QString& error) {
    while (!args.isEmpty()) {
        QString arg = args.takeFirst();
        QString valor;
        bool conValor = false;
        const int igual = arg.indexOf(QLatin1Char('='));
        if (arg.startsWith(QLatin1String("--")) && igual > 0) {
            valor = arg.mid(igual + 1);
            arg = arg.left(igual);
            conValor = true;
        }
        auto siguiente = [&]() -> bool {
            if (conValor) return true;
            if (args.isEmpty()) {
                error = QStringLiteral("Falta el valor de %1").arg(arg);
                return false;
            }
            valor = args.takeFirst();
            return true;
        };
        if (arg == QLatin1String("--reemplazar")) {
            a.opciones.reemplazar = true;
        } else if (arg == QLatin1String("--servidor")) {
            if (!siguiente()) return false;
            a.servidor = valor;
        } else if (arg == QLatin1String("--alumnos")) {
            if (!siguiente()) return false;
            bool ok = false;
            a.opciones.alumnos = valor.toInt(&ok);
            if (!ok || a.opciones.alumnos < suite::MinimoAlumnosDemo || a.opciones.alumnos > 100000) {
                error = QStringLiteral("--alumnos debe ser un número entre %1 y 100000").arg(suite::MinimoAlumnosDemo);
                return false;
            }
        } else if (arg == QLatin1String("--semilla")) {
            if (!siguiente()) return false;
            bool ok = false;
            a.opciones.semilla = valor.toUInt(&ok);
            if (!ok) {
                error = QStringLiteral("--semilla debe ser un número entero no negativo");
                return false;
            }
        } else if (arg.startsWith(QLatin1String("--"))) {
            error = QStringLiteral("Opción desconocida: %1").arg(arg);
            return false;
        } else if (a.carpeta.isEmpty()) {
            a.carpeta = arg;
        } else {
            error = QStringLiteral("Sobra el argumento %1").arg(arg);
            return false;
        }
    }
    if (a.carpeta.isEmpty() && a.servidor.isEmpty()) {
        error = QStringLiteral("Indique la carpeta de la escuela o --servidor");
        return false;
    }
    if (!a.carpeta.isEmpty() && !a.servidor.isEmpty()) {
        error = QStringLiteral("Indique una carpeta o --servidor, no ambos");
        return false;
    }
    return true;
}

int demo(const QStringList& argumentos) {
    QTextStream out(stdout), err(stderr);
    Argumentos a;
    QString error;
    if (!leer(argumentos, a, error)) {
        err << "ncc demo: " << error << "\n" << Uso;
        return SalidaUso;
    }
    try {
        const suite::ResumenDemo r = a.servidor.isEmpty() ? suite::crearDemoSQLite(a.carpeta, a.opciones)
                                                          : suite::crearDemoServidor(DatosConexion::deServidor(a.servidor),
                                                                                     a.opciones);
        out << r.texto();
        return SalidaExito;
    } catch (const suite::ErrorDemoExiste& e) {
        err << "ncc demo: " << e.descripcion() << "\n";
        return SalidaRechazo;
    } catch (const Error& e) {
        err << "ncc demo: Error " << e.numero() << ": " << e.descripcion() << "\n";
        return SalidaFallo;
    }
}

const Registro registro({"demo", "crea una escuela de demostración completa (SQLite o PostgreSQL)", demo,
                         [] { return QString::fromUtf8(Uso); }});

}  // namespace

}  // namespace ncc::app
