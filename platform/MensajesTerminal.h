#pragma once
// The message service of the command line: messages go to stderr, questions
// are asked on the terminal. Without a terminal a question cannot be
// answered, and guessing an answer for a closing is not acceptable: the
// service refuses (SinTerminal) unless it was told to answer Yes to
// everything (the command line's --si).
#include "platform/Mensajes.h"
#include <cstdio>
#include <optional>

namespace ncc {

// A question came and nobody can answer it. The command line exits with
// status 2 (refused).
class SinTerminal : public Error {
public:
    static constexpr long Numero = 1001;
    explicit SinTerminal(const QString& pregunta);
    const QString& pregunta() const { return pregunta_; }

private:
    QString pregunta_;
};

class MensajesTerminal : public ServicioMensajes {
public:
    // `salida` shows the messages, `entrada` gives the answers.
    explicit MensajesTerminal(std::FILE* salida = stderr, std::FILE* entrada = stdin);

    // --si: every question is answered Yes (or Accept) without asking.
    void fijarSiATodo(bool si) { siATodo_ = si; }
    bool siATodo() const { return siATodo_; }
    // Overrides the terminal test of `entrada` (nullopt: ask isatty).
    void fijarEsTerminal(std::optional<bool> es) { esTerminal_ = es; }
    bool hayTerminal() const;

    void pitar() override;
    Respuesta mostrar(const Mensaje& m) override;

private:
    void escribir(const QString& texto);
    Respuesta preguntarEnTerminal(const Mensaje& m);

    std::FILE* salida_;
    std::FILE* entrada_;
    bool siATodo_ = false;
    std::optional<bool> esTerminal_;
};

// The service that mensajes() gives when nobody installed another one; the
// command line sets its --si here.
MensajesTerminal& mensajesTerminal();

}  // namespace ncc
