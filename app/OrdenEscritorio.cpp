// ncc escritorio: the desktop host over a session, with the component's
// nodes in a tree; --nodo N opens that node at once and ends with it.
#include "app/Anfitrion.h"
#include "app/CarpetaRecordada.h"
#include "app/Comandos.h"
#include "app/EnsayoAsistente.h"
#include "app/OrdenInforme.h"
#include "history/Nodos.h"
#include "platform/Mensajes.h"
#include "platform/gui/MensajesQt.h"
#include "wizard/Asistente.h"
#include <QApplication>
#include <QTextStream>
#include <optional>

namespace ncc::app {

namespace {

QString uso() {
    return QStringLiteral("Uso: ncc escritorio [--datos CARPETA | --servidor CADENA] [--centro N] [--usuario N] "
                          "[--pesetas] [--nodo N]\n"
                          "  --nodo N           abre esa opción (1 cierre de curso, 2 cursos históricos, 3 paso de\n"
                          "                     notas al histórico) y termina al cerrarla\n") +
           host::usoOpcionesSesion() + usoCarpetaRecordada();
}

int escritorio(const QStringList& argumentos) {
    QTextStream err(stderr);
    QStringList args = argumentos;
    host::OpcionesSesion opciones;
    std::optional<int> nodo;
    const bool conVentanas = qobject_cast<QApplication*>(QCoreApplication::instance());
    try {
        completarConCarpetaRecordada(args, QStringLiteral("escritorio"), err);
        opciones = host::desdeArgumentos(args);
        for (int i = 0; i < args.size();) {
            const auto valor = tomarOpcion(args, i, QStringLiteral("--nodo"));
            if (!valor) {
                ++i;
                continue;
            }
            bool ok = false;
            nodo = valor->toInt(&ok);
            if (!ok || *nodo < 0 || *nodo > 255)
                throw host::ErrorOpciones(QStringLiteral("--nodo debe ser un número de 0 a 255"));
        }
        if (!args.isEmpty()) throw host::ErrorOpciones(QStringLiteral("Argumento no reconocido: %1").arg(args.first()));
    } catch (const host::ErrorOpciones& e) {
        err << "ncc escritorio: " << e.descripcion() << "\n" << uso();
        // Started from the desktop's menu nobody reads the terminal.
        if (conVentanas) {
            MensajesQt mensajesQt;
            ServicioMensajesInstalado instalado(mensajesQt);
            avisarTexto(e.descripcion() + QLatin1Char('.'), Icono::Informacion);
        }
        return SalidaUso;
    }
    if (!conVentanas) {
        err << "ncc escritorio: no hay pantalla en la que abrir sus ventanas (DISPLAY y WAYLAND_DISPLAY están "
               "vacías): ábralo desde el escritorio o use las órdenes sin ventanas (ncc ayuda)\n";
        return SalidaFallo;
    }

    MensajesQt mensajesQt;
    ServicioMensajesInstalado instalado(mensajesQt);
    InstalarAsistente();
    historicos::InstalarNodosHistoricos();
    instalarPlanPorDefectoEnAsistente();
    instalarInformeEnAsistente();
    instalarEnsayoEnAsistente();
    instalarAyudaAnfitrion();
    try {
        auto sesion = host::abrirSesion(opciones);
        recordarCarpeta(opciones);
        saldarInformeDebido(opciones);
        VentanaAnfitrion ventana(opciones, std::move(sesion));
        if (nodo) {
            ventana.activarNodo(quint8(*nodo));
            return SalidaExito;
        }
        ventana.show();
        return QApplication::exec();
    } catch (const Error& e) {
        mostrarError(e);
        return SalidaFallo;
    }
}

const Registro registro({"escritorio", "abre el programa de escritorio sobre la sesión de un centro", escritorio, uso});

}  // namespace

}  // namespace ncc::app
