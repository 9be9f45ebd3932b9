#include "platform/OrdenEspanol.h"

namespace ncc::orden {

namespace {
// After every letter "n" and before "o": "nz" < "ña" < "o".
constexpr char16_t EnieEnClave = 0xFFFF;
}  // namespace

QString claveEspanol(const QString& texto) {
    const QString d = texto.normalized(QString::NormalizationForm_D).toCaseFolded();
    QString clave;
    clave.reserve(d.size());
    for (qsizetype i = 0; i < d.size(); ++i) {
        const QChar c = d.at(i);
        if (c.category() == QChar::Mark_NonSpacing) {
            // The tilde of an "n" makes another letter; every other mark
            // (acute, diaeresis...) is folded away.
            if (c.unicode() == 0x0303 && !clave.isEmpty() && clave.back() == QLatin1Char('n'))
                clave.append(QChar(EnieEnClave));
            continue;
        }
        clave.append(c);
    }
    return clave;
}

int compararEspanol(const QString& a, const QString& b) { return compararConClaves(claveEspanol(a), a, claveEspanol(b), b); }

QString nombreParaOrden(const QVariant& apellido1, const QVariant& apellido2, const QVariant& nombre) {
    auto parte = [](const QVariant& v) { return v.isNull() ? QString() : v.toString(); };
    return parte(apellido1) + parte(apellido2) + parte(nombre);
}

int compararNulosPrimero(const QVariant& a, const QVariant& b) {
    if (a.isNull() || b.isNull()) return int(!a.isNull()) - int(!b.isNull());
    return QVariant::compare(a, b) == QPartialOrdering::Less      ? -1
           : QVariant::compare(a, b) == QPartialOrdering::Greater ? 1
                                                                  : 0;
}

}  // namespace ncc::orden
