#include "platform/CopiasDetras.h"
#include "platform/BucleMensajes.h"
#include <chrono>

namespace ncc::archivos {

namespace {

CopiasDetras::Resultado copiarTodas(const QVector<CopiasDetras::Copia>& copias, Escritura escritura) {
    CopiasDetras::Resultado r;
    for (const auto& [de, a] : copias) {
        try {
            copiar(de, a, escritura);
        } catch (...) {
            r.fallo = std::current_exception();
            break;
        }
        r.hechas << a;
    }
    return r;
}

}  // namespace

CopiasDetras::CopiasDetras(QVector<Copia> copias, Escritura escritura) {
    try {
        tarea_ = std::async(std::launch::async, copiarTodas, copias, escritura);
    } catch (const std::exception&) {
        // No thread to be had (std::system_error, std::bad_alloc): made
        // here and now, which only takes longer.
        std::promise<Resultado> hecho;
        hecho.set_value(copiarTodas(copias, escritura));
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
