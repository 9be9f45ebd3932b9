#include "host/RecorridoJson.h"

namespace ncc::host {

void RecorridoJson::espacios() {
    while (i_ < t_.size() && (t_.at(i_) == ' ' || t_.at(i_) == '\t' || t_.at(i_) == '\n' || t_.at(i_) == '\r')) ++i_;
}

bool RecorridoJson::signo(char c) {
    if (i_ >= t_.size() || t_.at(i_) != c) return false;
    ++i_;
    return true;
}

bool RecorridoJson::saltarTexto() {
    if (!signo('"')) return false;
    while (i_ < t_.size()) {
        const char c = t_.at(i_++);
        if (c == '\\') ++i_;
        else if (c == '"') return true;
    }
    return false;
}

bool RecorridoJson::saltarValor() {
    if (i_ >= t_.size()) return false;
    const char c = t_.at(i_);
    if (c == '"') return saltarTexto();
    if (c == '{' || c == '[') {
        for (int nivel = 0; i_ < t_.size();) {
            const char x = t_.at(i_);
            if (x == '"') {
                if (!saltarTexto()) return false;
                continue;
            }
            ++i_;
            if (x == '{' || x == '[') ++nivel;
            else if ((x == '}' || x == ']') && --nivel == 0) return true;
        }
        return false;
    }
    // A number, true, false or null: up to the next separator.
    const qsizetype desde = i_;
    while (i_ < t_.size() && !QByteArrayView(",]} \t\n\r").contains(t_.at(i_))) ++i_;
    return i_ > desde;
}

std::optional<std::pair<qsizetype, qsizetype>> valorDeMiembro(const QByteArray& texto, QByteArrayView clave) {
    RecorridoJson r(texto);
    r.espacios();
    if (!r.signo('{')) return std::nullopt;
    r.espacios();
    for (bool primero = true; !r.signo('}'); primero = false) {
        if (!primero && !r.signo(',')) return std::nullopt;
        r.espacios();
        const qsizetype inicioClave = r.posicion();
        if (!r.saltarTexto()) return std::nullopt;
        const QByteArrayView nombre = QByteArrayView(texto).sliced(inicioClave + 1, r.posicion() - inicioClave - 2);
        r.espacios();
        if (!r.signo(':')) return std::nullopt;
        r.espacios();
        const qsizetype desde = r.posicion();
        if (!r.saltarValor()) return std::nullopt;
        if (nombre == clave) return std::pair{desde, r.posicion()};
        r.espacios();
    }
    return std::nullopt;
}

}  // namespace ncc::host
