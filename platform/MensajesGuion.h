#pragma once
// The message service of the tests: the answers are given in advance and
// every message shown is recorded, so that a test can say what the user
// would have seen. It does not depend on the test framework: a question that
// nobody answered is recorded (and answered No) and the test checks
// sinPreguntasInesperadas(), or installs alInesperada to fail at once.
#include "platform/Mensajes.h"
#include <QHash>
#include <QList>
#include <functional>
#include <optional>

namespace ncc {

struct MensajeMostrado {
    Mensaje mensaje;
    bool conPitido = false;  // a beep came right before it
};

class MensajesGuion : public ServicioMensajes {
public:
    MensajesGuion() = default;

    // The next question that has no answer by text gets `r` (in order).
    MensajesGuion& responder(Respuesta r);
    // Every question whose text is, or contains, string `idTexto` gets `r`,
    // as many times as it comes.
    MensajesGuion& responderA(int idTexto, Respuesta r);
    MensajesGuion& responderTexto(const QString& texto, Respuesta r);
    // Called with the text of each question that nobody answered.
    void alInesperada(std::function<void(const QString&)> f) { alInesperada_ = std::move(f); }

    void pitar() override;
    Respuesta mostrar(const Mensaje& m) override;

    const QList<MensajeMostrado>& mostrados() const { return mostrados_; }
    QStringList textos() const;
    // The last message shown; empty when none was.
    MensajeMostrado ultimo() const;
    int pitidos() const { return pitidos_; }
    int respuestasPendientes() const { return int(cola_.size()); }
    bool sinPreguntasInesperadas() const { return inesperadas_.isEmpty(); }
    const QStringList& inesperadas() const { return inesperadas_; }
    // Forgets what was shown; the answers given in advance stay.
    void olvidarMostrados();

private:
    std::optional<Respuesta> respuestaPorTexto(const QString& texto) const;

    QList<Respuesta> cola_;
    QList<std::pair<QString, Respuesta>> porTexto_;
    QList<MensajeMostrado> mostrados_;
    QStringList inesperadas_;
    std::function<void(const QString&)> alInesperada_;
    int pitidos_ = 0;
    bool pitidoPendiente_ = false;
};

}  // namespace ncc
