#include "platform/EnParalelo.h"
#include "platform/BucleMensajes.h"
#include <chrono>
#include <future>
#include <list>
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
    // A list: a task under way is neither copied nor moved.
    std::list<EnMarchaAparte> enMarcha;
    for (const auto& tarea : tareas) enMarcha.emplace_back(tarea);
    std::vector<std::exception_ptr> fallos;
    fallos.reserve(tareas.size());
    for (EnMarchaAparte& tarea : enMarcha) fallos.push_back(tarea.esperar());
    return fallos;
}

EnMarchaAparte::EnMarchaAparte(std::function<void()> tarea) : tarea_(std::move(tarea)) {
    try {
        enMarcha_ = std::async(std::launch::async, correr, std::cref(tarea_));
    } catch (const std::system_error&) {
        // No thread to be had: the task runs in esperar().
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
