#include "platform/MensajesGuion.h"
#include "platform/Textos.h"

namespace ncc {

MensajesGuion& MensajesGuion::responder(Respuesta r) {
    cola_.append(r);
    return *this;
}

MensajesGuion& MensajesGuion::responderA(int idTexto, Respuesta r) {
    return responderTexto(Texto(idTexto), r);
}

MensajesGuion& MensajesGuion::responderTexto(const QString& texto, Respuesta r) {
    porTexto_.append({texto, r});
    return *this;
}

void MensajesGuion::pitar() {
    ++pitidos_;
    pitidoPendiente_ = true;
}

// An exact match wins over a text that only contains the answered one, so
// that a short text cannot steal the answer of a longer question.
std::optional<Respuesta> MensajesGuion::respuestaPorTexto(const QString& texto) const {
    for (const auto& [t, r] : porTexto_)
        if (texto == t) return r;
    for (const auto& [t, r] : porTexto_)
        if (!t.isEmpty() && texto.contains(t)) return r;
    return std::nullopt;
}

static Respuesta negativa(Botones b) { return b == Botones::AceptarCancelar ? Respuesta::Cancelar : Respuesta::No; }

Respuesta MensajesGuion::mostrar(const Mensaje& m) {
    mostrados_.append({m, pitidoPendiente_});
    pitidoPendiente_ = false;
    if (m.botones == Botones::Aceptar) return Respuesta::Aceptar;
    if (const auto r = respuestaPorTexto(m.texto)) return *r;
    if (!cola_.isEmpty()) return cola_.takeFirst();
    inesperadas_.append(m.texto);
    if (alInesperada_) alInesperada_(m.texto);
    return negativa(m.botones);
}

QStringList MensajesGuion::textos() const {
    QStringList t;
    for (const auto& m : mostrados_) t.append(m.mensaje.texto);
    return t;
}

MensajeMostrado MensajesGuion::ultimo() const { return mostrados_.isEmpty() ? MensajeMostrado{} : mostrados_.last(); }

void MensajesGuion::olvidarMostrados() {
    mostrados_.clear();
    inesperadas_.clear();
    pitidoPendiente_ = false;
    pitidos_ = 0;
}

}  // namespace ncc
