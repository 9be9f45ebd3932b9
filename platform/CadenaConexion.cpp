#include "platform/CadenaConexion.h"

namespace ncc {

CadenaConexion::CadenaConexion(const QString& texto) {
    for (const QString& trozo : texto.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const int igual = trozo.indexOf(QLatin1Char('='));
        if (igual < 0) continue;
        const QString nombre = trozo.left(igual).trimmed();
        if (nombre.isEmpty()) continue;
        fijar(nombre, trozo.mid(igual + 1).trimmed());
    }
}

int CadenaConexion::indice(const QString& nombre) const {
    for (int i = 0; i < pares_.size(); ++i)
        if (pares_[i].first.compare(nombre, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

QString CadenaConexion::valor(const QString& nombre) const {
    const int i = indice(nombre);
    return i < 0 ? QString() : pares_[i].second;
}

bool CadenaConexion::contiene(const QString& nombre) const { return indice(nombre) >= 0; }

void CadenaConexion::fijar(const QString& nombre, const QString& valor) {
    const int i = indice(nombre);
    if (i < 0) pares_.append({nombre, valor});
    else pares_[i].second = valor;
}

void CadenaConexion::quitar(const QString& nombre) {
    const int i = indice(nombre);
    if (i >= 0) pares_.removeAt(i);
}

QStringList CadenaConexion::nombres() const {
    QStringList l;
    for (const auto& p : pares_) l << p.first;
    return l;
}

QString CadenaConexion::texto() const {
    QString t;
    for (const auto& p : pares_) t += p.first + QLatin1Char('=') + p.second + QLatin1Char(';');
    return t;
}

}  // namespace ncc
