#include "platform/CopiasDetras.h"
#include <system_error>

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
    } catch (const std::system_error&) {
        // No thread to be had: made here and now, which only takes longer.
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
    return tarea_.get();
}

}  // namespace ncc::archivos
