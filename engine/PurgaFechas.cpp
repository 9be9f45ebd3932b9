#include "engine/PurgaFechas.h"
#include <QRegularExpression>

namespace ncc::motor {

namespace {
int anioCompleto(int anio, int cifras) {
    // Two-digit years as the suite's runtime read them: 00-29 this century.
    if (cifras <= 2) return anio < 30 ? 2000 + anio : 1900 + anio;
    return anio;
}
}  // namespace

QDate fechaDeTexto(const QString& texto) {
    static const QRegularExpression anioPrimero(
        QStringLiteral("^(\\d{4})[/.-](\\d{1,2})[/.-](\\d{1,2})(?:[ T].*)?$"));
    static const QRegularExpression diaPrimero(
        QStringLiteral("^(\\d{1,2})[/.-](\\d{1,2})[/.-](\\d{2}|\\d{4})(?:[ T].*)?$"));
    const QString t = texto.trimmed();
    if (auto m = anioPrimero.match(t); m.hasMatch())
        return QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    if (auto m = diaPrimero.match(t); m.hasMatch())
        return QDate(anioCompleto(m.captured(3).toInt(), m.captured(3).size()), m.captured(2).toInt(),
                     m.captured(1).toInt());
    return QDate();
}

}  // namespace ncc::motor
