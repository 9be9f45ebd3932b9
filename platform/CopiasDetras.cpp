#include "platform/CopiasDetras.h"
#include "platform/BucleMensajes.h"
#include <chrono>

namespace ncc::archivos {

namespace {

CopiasDetras::Resultado copiarTodas(const QVector<CopiasDetras::Copia>& copias, const CopiasDetras::Copiador& copiador) {
    CopiasDetras::Resultado r;
    for (const auto& [de, a] : copias) {
        try {
            copiador(de, a);
        } catch (...) {
            r.fallo = std::current_exception();
            break;
        }
        r.hechas << a;
    }
    return r;
}

}  // namespace

CopiasDetras::CopiasDetras(QVector<Copia> copias, Escritura escritura)
    : CopiasDetras(std::move(copias), [escritura](const QString& de, const QString& a) { copiar(de, a, escritura); }) {}

CopiasDetras::CopiasDetras(QVector<Copia> copias, Copiador copiador) {
    try {
        tarea_ = std::async(std::launch::async, copiarTodas, copias, copiador);
    } catch (const std::exception&) {
        // No thread to be had (std::system_error, std::bad_alloc): made
        // here and now, which only takes longer.
        std::promise<Resultado> hecho;
        hecho.set_value(copiarTodas(copias, copiador));
        tarea_ = hecho.get_future();
    }
}

CopiasDetras::~CopiasDetras() {
    if (tarea_.valid()) tarea_.wait();
}

CopiasDetras::Resultado CopiasDetras::esperar() {
    if (!tarea_.valid()) return {};
    // A copy to a slow disk or a network share may take a while: the
    // windows stay painted meanwhile.
    while (tarea_.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready) ceder();
    return tarea_.get();
}

}  // namespace ncc::archivos
