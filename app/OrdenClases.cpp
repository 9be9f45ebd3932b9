// ncc clases: the public classes of the component as the host registers
// them: ProgID, CLSID, default interface and, for the engine, its events.
#include "app/Comandos.h"
#include "entry/RegistroClases.h"
#include <QTextStream>

namespace ncc::app {

static int clases(const QStringList& argumentos) {
    QTextStream out(stdout);
    if (!argumentos.isEmpty()) {
        QTextStream(stderr) << "Uso: ncc clases\n";
        return SalidaUso;
    }
    const auto lista = RegistroClases::clases();
    int ancho = 0;
    for (const auto& c : lista) ancho = std::max(ancho, int(c.progId().size()));
    for (const auto& c : lista) {
        out << c.progId().leftJustified(ancho + 2) << "{" << c.clsid << "}  " << c.interfaz() << " {" << c.iid << "}";
        if (!c.iidEventos.isEmpty()) out << "  eventos _" << c.interfaz() << " {" << c.iidEventos << "}";
        if (!c.creable()) out << "  (no disponible)";
        out << "\n";
    }
    return SalidaExito;
}

static const Registro registro({"clases", "lista las clases públicas del componente (ProgID, CLSID, interfaces)", clases,
                                [] { return QStringLiteral("Uso: ncc clases\n"); }});

}  // namespace ncc::app
