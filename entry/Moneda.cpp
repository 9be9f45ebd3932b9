#include "entry/Moneda.h"

namespace ncc {

namespace {

// 166.386 pesetas to the euro, in thousandths.
constexpr qint64 MilesimasPorEuro = 166386;

bool soloCifras(const QString& s) {
    for (QChar c : s)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
    return true;
}

qint64 valorCifras(const QString& s) {
    qint64 v = 0;
    for (QChar c : s) v = v * 10 + (c.unicode() - '0');
    return v;
}

}  // namespace

QString textoEurosConCentimos(const QString& euros) {
    const auto centimos = leerEuros(euros);
    if (!centimos) return euros;
    return QStringLiteral("%1,%2").arg(*centimos / 100).arg(*centimos % 100, 2, 10, QLatin1Char('0'));
}

QString textoEuros(qint64 centimos) {
    const bool negativo = centimos < 0;
    const qint64 n = negativo ? -centimos : centimos;
    QString s = QString::number(n / 100);
    const qint64 resto = n % 100;
    if (resto != 0) {
        QString decimales = QStringLiteral("%1").arg(resto, 2, 10, QLatin1Char('0'));
        if (decimales.endsWith(QLatin1Char('0'))) decimales.chop(1);
        s += QLatin1Char(',') + decimales;
    }
    return negativo ? QStringLiteral("-") + s : s;
}

QString AEuros(qint64 pesetas) {
    // Tenths of a cent, truncated toward zero; then half a cent away from
    // zero and truncated again to the cent.
    qint64 x = pesetas * 1000000 / MilesimasPorEuro;
    x = x > 0 ? x + 5 : x - 5;
    x /= 10;
    return textoEuros(x);
}

QString APesetas(qint64 centimos) {
    // pesetas = centimos * 166.386 / 100 = centimos * 166386 / 100000
    const qint64 n = centimos * MilesimasPorEuro;
    const qint64 d = 100000;
    qint64 q = n / d;
    qint64 r = n % d;
    if (r < 0) {
        r = -r;
        if (2 * r > d || (2 * r == d && q % 2 != 0)) --q;
    } else if (2 * r > d || (2 * r == d && q % 2 != 0)) {
        ++q;
    }
    return QString::number(q);
}

std::optional<qint64> leerPesetas(const QString& texto) {
    const QString t = texto.trimmed();
    if (t.isEmpty() || t.size() > LongitudPrecio || !soloCifras(t)) return std::nullopt;
    return valorCifras(t);
}

std::optional<qint64> leerEuros(const QString& texto) {
    const QString t = texto.trimmed();
    if (t.isEmpty() || t.size() > LongitudPrecio) return std::nullopt;
    const qsizetype coma = t.indexOf(QLatin1Char(','));
    const QString entera = coma < 0 ? t : t.left(coma);
    const QString decimales = coma < 0 ? QString() : t.mid(coma + 1);
    if (!soloCifras(entera) || !soloCifras(decimales)) return std::nullopt;  // a second comma too
    if (entera.isEmpty() && decimales.isEmpty()) return std::nullopt;
    if (entera.size() > DigitosEnterosEuros || decimales.size() > 2) return std::nullopt;
    qint64 centimos = valorCifras(entera) * 100;
    if (decimales.size() == 1) centimos += valorCifras(decimales) * 10;
    else if (decimales.size() == 2) centimos += valorCifras(decimales);
    return centimos;
}

}  // namespace ncc
