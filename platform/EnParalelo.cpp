#include "platform/EnParalelo.h"
#include "platform/BucleMensajes.h"
#include <chrono>
#include <future>
#include <system_error>

namespace ncc {

namespace {

std::exception_ptr correr(const std::function<void()>& tarea) {
    try {
        tarea();
        return nullptr;
    } catch (...) {
        return std::current_exception();
    }
}

std::exception_ptr esperarCediendo(std::future<std::exception_ptr>& f) {
    while (f.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready) ceder();
    return f.get();
}

}  // namespace

std::vector<std::exception_ptr> enParalelo(const std::vector<std::function<void()>>& tareas) {
    std::vector<std::exception_ptr> fallos(tareas.size());
    std::vector<std::future<std::exception_ptr>> enMarcha(tareas.size());
    std::vector<bool> aparte(tareas.size(), false);
    for (std::size_t i = 0; i < tareas.size(); ++i) {
        try {
            enMarcha[i] = std::async(std::launch::async, correr, std::cref(tareas[i]));
            aparte[i] = true;
        } catch (const std::system_error&) {
            // No thread to be had: this one runs here once the others end.
        } catch (const std::bad_alloc&) {
        }
    }
    for (std::size_t i = 0; i < tareas.size(); ++i)
        if (aparte[i]) fallos[i] = esperarCediendo(enMarcha[i]);
    for (std::size_t i = 0; i < tareas.size(); ++i)
        if (!aparte[i]) fallos[i] = correr(tareas[i]);
    return fallos;
}

EnMarchaAparte::EnMarchaAparte(std::function<void()> tarea) : tarea_(std::move(tarea)) {
    try {
        enMarcha_ = std::async(std::launch::async, correr, std::cref(tarea_));
    } catch (const std::system_error&) {
    } catch (const std::bad_alloc&) {
    }
}

EnMarchaAparte::~EnMarchaAparte() {
    if (enMarcha_.valid()) enMarcha_.wait();
}

std::exception_ptr EnMarchaAparte::esperar() {
    if (esperada_) return nullptr;
    esperada_ = true;
    return enMarcha_.valid() ? esperarCediendo(enMarcha_) : correr(tarea_);
}

}  // namespace ncc
