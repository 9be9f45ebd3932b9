#include "platform/CadenaConexion.h"
#include "platform/Error.h"
#include <QUrl>
#include <QRegularExpression>
#include <QtGlobal>

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

namespace {

constexpr long ArgumentoNoValido = 3001;  // ADO: arguments of the wrong type or out of range

struct PartesServidor {
    QString host, puerto, usuario, clave, base;
};

QString sinPorcentajes(const QString& t) { return QUrl::fromPercentEncoding(t.toUtf8()); }

void fijarDeLibpq(PartesServidor& p, const QString& clave, const QString& valor) {
    const QString c = clave.trimmed().toLower();
    if (c == QLatin1String("host") || c == QLatin1String("hostaddr")) p.host = valor;
    else if (c == QLatin1String("port")) p.puerto = valor;
    else if (c == QLatin1String("user")) p.usuario = valor;
    else if (c == QLatin1String("password")) p.clave = valor;
    else if (c == QLatin1String("dbname")) p.base = valor;
}

// postgresql://[usuario[:clave]@][equipo][:puerto][/base][?clave=valor&...]
PartesServidor deUri(const QString& texto) {
    PartesServidor p;
    QString resto = texto.mid(texto.indexOf(QLatin1String("://")) + 3);
    const int interrogacion = resto.indexOf(QLatin1Char('?'));
    const QString consulta = interrogacion >= 0 ? resto.mid(interrogacion + 1) : QString();
    if (interrogacion >= 0) resto.truncate(interrogacion);
    const int barra = resto.indexOf(QLatin1Char('/'));
    if (barra >= 0) {
        p.base = sinPorcentajes(resto.mid(barra + 1));
        resto.truncate(barra);
    }
    const int arroba = resto.lastIndexOf(QLatin1Char('@'));
    if (arroba >= 0) {
        const QString credenciales = resto.left(arroba);
        const int dos = credenciales.indexOf(QLatin1Char(':'));
        p.usuario = sinPorcentajes(dos >= 0 ? credenciales.left(dos) : credenciales);
        if (dos >= 0) p.clave = sinPorcentajes(credenciales.mid(dos + 1));
        resto = resto.mid(arroba + 1);
    }
    // The host may be a socket folder written with %2F for its slashes.
    const int dos = resto.lastIndexOf(QLatin1Char(':'));
    if (dos >= 0 && !resto.endsWith(QLatin1Char(']'))) {
        p.puerto = resto.mid(dos + 1);
        resto.truncate(dos);
    }
    p.host = sinPorcentajes(resto);
    for (const QString& par : consulta.split(QLatin1Char('&'), Qt::SkipEmptyParts)) {
        const int igual = par.indexOf(QLatin1Char('='));
        if (igual > 0) fijarDeLibpq(p, sinPorcentajes(par.left(igual)), sinPorcentajes(par.mid(igual + 1)));
    }
    return p;
}

// host=equipo port=5432 user='un usuario'
PartesServidor deLibpq(const QString& texto) {
    PartesServidor p;
    int i = 0;
    const int n = int(texto.size());
    while (i < n) {
        while (i < n && texto.at(i).isSpace()) ++i;
        if (i >= n) break;
        const int igual = int(texto.indexOf(QLatin1Char('='), i));
        if (igual < 0) throw Error(ArgumentoNoValido, QStringLiteral("Falta \"=\" en \"%1\"").arg(texto.mid(i)));
        const QString clave = texto.mid(i, igual - i);
        i = igual + 1;
        while (i < n && texto.at(i).isSpace()) ++i;
        QString valor;
        if (i < n && texto.at(i) == QLatin1Char('\'')) {
            for (++i; i < n && texto.at(i) != QLatin1Char('\''); ++i) {
                if (texto.at(i) == QLatin1Char('\\') && i + 1 < n) ++i;
                valor += texto.at(i);
            }
            ++i;
        } else {
            for (; i < n && !texto.at(i).isSpace(); ++i) valor += texto.at(i);
        }
        fijarDeLibpq(p, clave, valor);
    }
    return p;
}

}  // namespace

CadenaConexion CadenaConexion::deServidor(const QString& texto) {
    const QString t = texto.trimmed();
    CadenaConexion c;
    PartesServidor p;
    const bool esUri = t.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive) ||
                       t.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
    static const QRegularExpression libpq(QStringLiteral("^(host|hostaddr|port|user|password|dbname)\\s*="),
                                          QRegularExpression::CaseInsensitiveOption);
    if (esUri || (!t.contains(QLatin1Char(';')) && libpq.match(t).hasMatch())) {
        p = esUri ? deUri(t) : deLibpq(t);
        c.fijar(QStringLiteral("Provider"), QStringLiteral("PostgreSQL"));
    } else {
        c = CadenaConexion(t);
        if (!c.contiene(QStringLiteral("Provider"))) c.fijar(QStringLiteral("Provider"), QStringLiteral("PostgreSQL"));
        const QString origen = c.valor(QStringLiteral("Data Source"));
        const int dos = int(origen.lastIndexOf(QLatin1Char(':')));
        bool conPuerto = false;
        if (dos > 0) origen.mid(dos + 1).toInt(&conPuerto);
        p.host = conPuerto ? origen.left(dos) : origen;
        p.puerto = conPuerto ? origen.mid(dos + 1) : QString();
        p.usuario = c.valor(QStringLiteral("User ID"));
        p.clave = c.valor(QStringLiteral("Password"));
        p.base = c.valor(QStringLiteral("Initial Catalog"));
    }
    // psql's defaults for whatever the text leaves out.
    auto defecto = [](QString& v, const char* variable, const QString& ultimo) {
        if (v.isEmpty()) v = qEnvironmentVariable(variable);
        if (v.isEmpty()) v = ultimo;
    };
    defecto(p.host, "PGHOST", QStringLiteral("/var/run/postgresql"));
    defecto(p.puerto, "PGPORT", QStringLiteral("5432"));
    defecto(p.usuario, "PGUSER", qEnvironmentVariable("USER"));
    defecto(p.clave, "PGPASSWORD", QString());
    bool ok = false;
    const int puerto = p.puerto.toInt(&ok);
    if (!ok || puerto < 1 || puerto > 65535)
        throw Error(ArgumentoNoValido, QStringLiteral("El puerto del servidor no es válido: \"%1\"").arg(p.puerto));
    c.fijar(QStringLiteral("Data Source"), p.host + QLatin1Char(':') + QString::number(puerto));
    if (!p.usuario.isEmpty()) c.fijar(QStringLiteral("User ID"), p.usuario);
    if (!p.clave.isEmpty()) c.fijar(QStringLiteral("Password"), p.clave);
    if (!p.base.isEmpty()) c.fijar(QStringLiteral("Initial Catalog"), p.base);
    return c;
}

bool CadenaConexion::esServidor() const {
    return valor(QStringLiteral("Provider")).compare(QLatin1String("PostgreSQL"), Qt::CaseInsensitive) == 0;
}

}  // namespace ncc
