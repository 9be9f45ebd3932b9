// ncc esquema: creates an empty application-entry or school database with
// the suite's tables, in a SQLite file or on a PostgreSQL server, or prints
// the statements that would do it.
#include "app/Comandos.h"
#include "platform/BasesDatos.h"
#include "platform/CadenaConexion.h"
#include "platform/Conexion.h"
#include "platform/Error.h"
#include "suite/Esquema.h"
#include <QFileInfo>
#include <QTextStream>
#include <optional>

namespace ncc::app {
namespace {

const char* const kUso =
    "Uso: ncc esquema TIPO ARCHIVO [--reemplazar]\n"
    "     ncc esquema TIPO --servidor \"CADENA\" NOMBRE [--reemplazar]\n"
    "     ncc esquema --sql TIPO sqlite|postgresql\n"
    "TIPO: appentrada (entrada a la aplicación) o centro (base de datos de un curso escolar).\n"
    "CADENA: cadena de conexión del servidor (Data Source=equipo:puerto;User ID=...;Password=...),\n"
    "        URI postgresql://usuario@equipo:puerto/ o \"host=equipo port=puerto user=usuario\".\n";

int uso(const QString& motivo) {
    QTextStream err(stderr);
    err << "ncc esquema: " << motivo << "\n" << kUso;
    return SalidaUso;
}

int fallo(const QString& motivo) {
    QTextStream(stderr) << "ncc esquema: " << motivo << "\n";
    return SalidaFallo;
}

std::optional<suite::TipoBase> leerTipo(const QString& t) {
    if (t.compare(QLatin1String("appentrada"), Qt::CaseInsensitive) == 0) return suite::TipoBase::AppEntrada;
    if (t.compare(QLatin1String("centro"), Qt::CaseInsensitive) == 0) return suite::TipoBase::Centro;
    return std::nullopt;
}

int imprimir(suite::TipoBase tipo, const QString& fondo) {
    Proveedor p;
    if (fondo.compare(QLatin1String("sqlite"), Qt::CaseInsensitive) == 0) p = Proveedor::SQLite;
    else if (fondo.compare(QLatin1String("postgresql"), Qt::CaseInsensitive) == 0) p = Proveedor::PostgreSQL;
    else return uso(QStringLiteral("motor desconocido: %1 (use sqlite o postgresql)").arg(fondo));
    QTextStream out(stdout);
    for (const QString& s : suite::sentenciasCreacion(tipo, p)) out << s << ";\n";
    return SalidaExito;
}

int crearEn(const QString& cadena, suite::TipoBase tipo) {
    Conexion con(cadena);
    con.Open();
    suite::crearEsquema(con, tipo);
    con.Close();
    return SalidaExito;
}

int ejecutar(const QStringList& argumentos) {
    QStringList args = argumentos;
    const bool reemplazar = args.removeAll(QStringLiteral("--reemplazar")) > 0;

    if (!args.isEmpty() && args.first() == QLatin1String("--sql")) {
        if (args.size() != 3) return uso(QStringLiteral("--sql necesita el tipo de base de datos y el motor"));
        const auto tipo = leerTipo(args.at(1));
        if (!tipo) return uso(QStringLiteral("tipo de base de datos desconocido: %1").arg(args.at(1)));
        return imprimir(*tipo, args.at(2));
    }
    if (args.size() < 2) return uso(QStringLiteral("faltan argumentos"));
    const auto tipo = leerTipo(args.at(0));
    if (!tipo) return uso(QStringLiteral("tipo de base de datos desconocido: %1").arg(args.at(0)));

    try {
        if (args.at(1) == QLatin1String("--servidor")) {
            if (args.size() != 4) return uso(QStringLiteral("--servidor necesita la cadena de conexión y el nombre de la base de datos"));
            const DatosConexion d = DatosConexion::deServidor(args.at(2));
            const QString nombre = args.at(3);
            if (servidor::existe(d, nombre)) {
                if (!reemplazar) {
                    QTextStream(stderr) << "ncc esquema: la base de datos " << nombre
                                        << " ya existe en el servidor; use --reemplazar para sustituirla\n";
                    return SalidaRechazo;
                }
                servidor::borrar(d, nombre);
            }
            servidor::crear(d, nombre);
            try {
                crearEn(d.conBase(nombre).cadena(), *tipo);
            } catch (...) {
                try { servidor::borrar(d, nombre); } catch (...) {}
                throw;
            }
            QTextStream(stdout) << "Base de datos " << nombre << " creada en el servidor.\n";
            return SalidaExito;
        }

        if (args.size() != 2) return uso(QStringLiteral("argumentos de más"));
        const QString ruta = QFileInfo(args.at(1)).absoluteFilePath();
        if (archivos::existe(ruta)) {
            if (!reemplazar) {
                QTextStream(stderr) << "ncc esquema: el archivo " << ruta
                                    << " ya existe; use --reemplazar para sustituirlo\n";
                return SalidaRechazo;
            }
            archivos::borrar(ruta);
        }
        DatosConexion d;
        d.archivo = ruta;
        try {
            crearEn(d.cadena(), *tipo);
        } catch (...) {
            try { archivos::borrar(ruta); } catch (...) {}
            throw;
        }
        QTextStream(stdout) << "Base de datos " << ruta << " creada.\n";
        return SalidaExito;
    } catch (const Error& e) {
        return fallo(QStringLiteral("no se pudo crear la base de datos: error %1: %2").arg(e.numero()).arg(e.descripcion()));
    } catch (const std::exception& e) {
        return fallo(QStringLiteral("no se pudo crear la base de datos: %1").arg(QString::fromLocal8Bit(e.what())));
    }
}

const Registro registro({"esquema", "crea una base de datos vacía de la suite (entrada o centro)", ejecutar,
                         [] { return QString::fromUtf8(kUso); }});

}  // namespace
}  // namespace ncc::app
