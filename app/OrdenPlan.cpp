// ncc plan: writes the plan that carries the school on as it is (every
// section promoted with its students' default decisions and destinations,
// every activity one year on), to edit and hand to `ncc cerrar --plan`.
#include "app/Comandos.h"
#include "host/Plan.h"
#include "host/Sesion.h"
#include "platform/Error.h"
#include "platform/EscrituraArchivo.h"
#include "wizard/DatosActividades.h"
#include "wizard/SeleccionAlumnos.h"
#include <QFile>
#include <QTextStream>

namespace ncc::app {
namespace {

QString uso() {
    return QStringLiteral("Uso: ncc plan (--datos CARPETA | --servidor CADENA) [--centro N] [--guardado] [--salida ARCHIVO]\n") +
           host::usoOpcionesSesion() +
           QStringLiteral("  --guardado           las secciones y alumnos guardados en el asistente (Guardar datos alumnos)\n"
                          "                       y las actividades guardadas (Guardar datos actividades)\n"
                          "  --salida ARCHIVO     escribe el plan en ARCHIVO (si no, en la salida estándar)\n");
}

int malUso(const QString& motivo) {
    QTextStream(stderr) << "ncc plan: " << motivo << "\n" << uso();
    return SalidaUso;
}

int fallo(const QString& motivo, int salida = SalidaFallo) {
    QTextStream(stderr) << "ncc plan: " << motivo << "\n";
    return salida;
}

int plan(const QStringList& argumentos) {
    QStringList args = argumentos;
    host::OpcionesSesion opciones;
    try {
        opciones = host::desdeArgumentos(args);
    } catch (const host::ErrorOpciones& e) {
        return malUso(e.descripcion());
    }
    QString salida;
    bool haySalida = false;
    bool guardado = false;
    try {
        while (!args.isEmpty()) {
            if (args.first() == QLatin1String("--guardado")) {
                guardado = true;
                args.removeFirst();
            } else if (const auto v = tomarOpcion(args, 0, QStringLiteral("--salida"))) {
                if (v->isEmpty()) return malUso(QStringLiteral("Falta el archivo de --salida"));
                salida = *v;
                haySalida = true;
            } else {
                return malUso(QStringLiteral("Argumento desconocido: %1").arg(args.first()));
            }
        }
    } catch (const host::ErrorOpciones& e) {
        return malUso(e.descripcion());
    }

    QByteArray json;
    try {
        const auto sesion = host::abrirSesion(opciones);
        host::Plan p = host::planPorDefecto(sesion->centro(), qint16(sesion->IDCentro()));
        if (guardado) p.arboles.secciones = SeccionesGuardadas(sesion->centro(), qint16(sesion->IDCentro()));
        // The activities too when they were stored; without a stored set
        // they carry on as the default plan has them.
        if (guardado && actividades::hayDatosActividades(sesion->centro()))
            p.arboles.actividades =
                actividades::actividadesGuardadas(sesion->centro(), qint16(sesion->IDCentro()), p.arboles.secciones.get());
        // Saved decisions that no closing could take are said now, not
        // when the plan is handed to one.
        if (guardado) host::validarDecisiones(p, sesion->centro(), qint16(sesion->IDCentro()), true, true);
        p.cabecera.cursoEscolar = sesion->ValorCursoEscolar();
        json = host::planAJson(p);
    } catch (const host::ErrorPlan& e) {
        return fallo(e.descripcion(), SalidaRechazo);
    } catch (const host::ErrorSesion& e) {
        return fallo(e.descripcion());
    } catch (const Error& e) {
        return fallo(QStringLiteral("no se ha podido leer el centro por un error de las bases de datos (Error %1: %2)")
                         .arg(e.numero())
                         .arg(e.descripcion()));
    }

    if (!haySalida) {
        QFile out;
        if (!out.open(stdout, QIODevice::WriteOnly) || out.write(json) != json.size() || !out.flush())
            return fallo(QStringLiteral("No se pudo escribir el plan en la salida estándar"));
        return SalidaExito;
    }
    // The plan goes where it is named and nowhere else: never through a link.
    try {
        if (!archivos::escribirArchivo(salida, json, archivos::ModoEscritura::Salida))
            return fallo(QStringLiteral("No se escribe el plan en %1: es un enlace simbólico o una carpeta; "
                                        "indique el archivo mismo")
                             .arg(salida));
    } catch (const Error& e) {
        return fallo(QStringLiteral("No se pudo escribir el plan: %1").arg(e.descripcion()));
    }
    return SalidaExito;
}

const Registro registro({"plan", "escribe el plan de cierre por defecto del centro (JSON)", plan, uso});

}  // namespace
}  // namespace ncc::app
