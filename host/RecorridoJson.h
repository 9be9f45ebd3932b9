#pragma once
// JSON text followed as far as its shape goes, without parsing its values:
// where a member's value or a list's element begins and ends, so that a
// large document (a school's plan, the report's note that carries it) is
// never in memory as a whole document.
#include <QByteArray>
#include <QByteArrayView>
#include <optional>
#include <utility>

namespace ncc::host {

class RecorridoJson {
public:
    explicit RecorridoJson(const QByteArray& texto) : t_(texto) {}

    void espacios();
    // Steps over `c` when it comes next.
    bool signo(char c);
    // Step over the text, or the value of any kind, that comes next; false
    // when it does not end.
    bool saltarTexto();
    bool saltarValor();
    qsizetype posicion() const { return i_; }

protected:
    const QByteArray& t_;
    qsizetype i_ = 0;
};

// Where the value of the member `clave` of the JSON object `texto` lies,
// [from, to); nothing when the text is not an object that has it.
std::optional<std::pair<qsizetype, qsizetype>> valorDeMiembro(const QByteArray& texto, QByteArrayView clave);

}  // namespace ncc::host
