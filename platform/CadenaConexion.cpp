#include "platform/CadenaConexion.h"
#include "platform/Error.h"
#include <QUrl>
#include <QRegularExpression>
#include <QtGlobal>

namespace ncc {

namespace {

constexpr long ArgumentoNoValido = 3001;  // ADO: arguments of the wrong type or out of range

[[noreturn]] void rechazar(const QString& texto) { throw Error(ArgumentoNoValido, texto); }

// A value as the text holds it: between quotes when it would otherwise be
// read as something else.
QString citar(const QString& v) {
    const bool hace = v.contains(QLatin1Char(';')) || v.startsWith(QLatin1Char('"')) || v.startsWith(QLatin1Char('\'')) ||
                      (!v.isEmpty() && (v.front().isSpace() || v.back().isSpace()));
    if (!hace) return v;
    QString c = v;
    return QLatin1Char('"') + c.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

}  // namespace

CadenaConexion::CadenaConexion(const QString& texto) {
    const qsizetype n = texto.size();
    qsizetype i = 0;
    while (i < n) {
        qsizetype fin = i;
        while (fin < n && texto.at(fin) != QLatin1Char('=') && texto.at(fin) != QLatin1Char(';')) ++fin;
        // A piece without "=" names nothing.
        if (fin >= n || texto.at(fin) == QLatin1Char(';')) {
            i = fin + 1;
            continue;
        }
        const QString nombre = texto.mid(i, fin - i).trimmed();
        i = fin + 1;
        while (i < n && texto.at(i).isSpace()) ++i;
        QString valor;
        if (i < n && (texto.at(i) == QLatin1Char('"') || texto.at(i) == QLatin1Char('\''))) {
            const QChar comilla = texto.at(i++);
            bool cerrada = false;
            while (i < n && !cerrada) {
                if (texto.at(i) != comilla) valor += texto.at(i++);
                else if (i + 1 < n && texto.at(i + 1) == comilla) { valor += comilla; i += 2; }
                else { ++i; cerrada = true; }
            }
            if (!cerrada) rechazar(QStringLiteral("Falta la comilla que cierra el valor de %1").arg(nombre));
            while (i < n && texto.at(i).isSpace()) ++i;
            if (i < n && texto.at(i) != QLatin1Char(';'))
                rechazar(QStringLiteral("Sobra texto tras el valor entre comillas de %1").arg(nombre));
        } else {
            qsizetype f = i;
            while (f < n && texto.at(f) != QLatin1Char(';')) ++f;
            valor = texto.mid(i, f - i).trimmed();
            i = f;
        }
        ++i;
        if (!nombre.isEmpty()) fijar(nombre, valor);
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
    for (const auto& p : pares_) t += p.first + QLatin1Char('=') + citar(p.second) + QLatin1Char(';');
    return t;
}

namespace {

struct PartesServidor {
    QString host, puerto, usuario, clave, base;
};

QString sinPorcentajes(const QString& t) { return QUrl::fromPercentEncoding(t.toUtf8()); }

// libpq's own keywords are written in lower case; any other setting
// (sslmode, options, ...) would be lost on the way to the connection, so it
// is refused rather than dropped.
void fijarDeLibpq(PartesServidor& p, const QString& clave, const QString& valor) {
    if (clave == QLatin1String("host") || clave == QLatin1String("hostaddr")) p.host = valor;
    else if (clave == QLatin1String("port")) p.puerto = valor;
    else if (clave == QLatin1String("user")) p.usuario = valor;
    else if (clave == QLatin1String("password")) p.clave = valor;
    else if (clave == QLatin1String("dbname")) p.base = valor;
    else rechazar(QStringLiteral("La opción \"%1\" del servidor no se puede usar aquí").arg(clave));
}

// postgresql://[usuario[:clave]@][equipo|[ipv6]][:puerto][/base][?clave=valor&...]
PartesServidor deUri(const QString& texto) {
    PartesServidor p;
    QString resto = texto.mid(texto.indexOf(QLatin1String("://")) + 3);
    const qsizetype interrogacion = resto.indexOf(QLatin1Char('?'));
    const QString consulta = interrogacion >= 0 ? resto.mid(interrogacion + 1) : QString();
    if (interrogacion >= 0) resto.truncate(interrogacion);
    const qsizetype barra = resto.indexOf(QLatin1Char('/'));
    if (barra >= 0) {
        p.base = sinPorcentajes(resto.mid(barra + 1));
        resto.truncate(barra);
    }
    const qsizetype arroba = resto.lastIndexOf(QLatin1Char('@'));
    if (arroba >= 0) {
        const QString credenciales = resto.left(arroba);
        const qsizetype dos = credenciales.indexOf(QLatin1Char(':'));
        p.usuario = sinPorcentajes(dos >= 0 ? credenciales.left(dos) : credenciales);
        if (dos >= 0) p.clave = sinPorcentajes(credenciales.mid(dos + 1));
        resto = resto.mid(arroba + 1);
    }
    if (resto.contains(QLatin1Char(',')))
        rechazar(QStringLiteral("Indique un solo servidor, no varios: \"%1\"").arg(resto));
    if (resto.startsWith(QLatin1Char('['))) {
        const qsizetype cierre = resto.indexOf(QLatin1Char(']'));
        if (cierre < 0) rechazar(QStringLiteral("Falta \"]\" tras la dirección \"%1\"").arg(resto));
        p.host = resto.mid(1, cierre - 1);
        const QString tras = resto.mid(cierre + 1);
        if (tras.startsWith(QLatin1Char(':'))) p.puerto = tras.mid(1);
        else if (!tras.isEmpty()) rechazar(QStringLiteral("Sobra \"%1\" tras la dirección del servidor").arg(tras));
    } else {
        // The host may be a socket folder written with %2F for its slashes.
        const qsizetype dos = resto.lastIndexOf(QLatin1Char(':'));
        if (dos >= 0) {
            p.puerto = resto.mid(dos + 1);
            resto.truncate(dos);
        }
        p.host = sinPorcentajes(resto);
    }
    for (const QString& par : consulta.split(QLatin1Char('&'), Qt::SkipEmptyParts)) {
        const qsizetype igual = par.indexOf(QLatin1Char('='));
        if (igual <= 0) rechazar(QStringLiteral("Falta \"=\" en \"%1\"").arg(par));
        fijarDeLibpq(p, sinPorcentajes(par.left(igual)), sinPorcentajes(par.mid(igual + 1)));
    }
    return p;
}

// libpq's pairs as the text holds them: host=equipo port=5432 user='un usuario'.
// `sinComillasConPuntoYComa`: whether a value written without quotes holds
// a ";", which only our own format does.
QList<QPair<QString, QString>> paresLibpq(const QString& texto, bool* sinComillasConPuntoYComa = nullptr) {
    QList<QPair<QString, QString>> pares;
    qsizetype i = 0;
    const qsizetype n = texto.size();
    while (i < n) {
        while (i < n && texto.at(i).isSpace()) ++i;
        if (i >= n) break;
        const qsizetype igual = texto.indexOf(QLatin1Char('='), i);
        if (igual < 0) rechazar(QStringLiteral("Falta \"=\" en \"%1\"").arg(texto.mid(i)));
        const QString clave = texto.mid(i, igual - i).trimmed();
        i = igual + 1;
        while (i < n && texto.at(i).isSpace()) ++i;
        QString valor;
        if (i < n && texto.at(i) == QLatin1Char('\'')) {
            bool cerrada = false;
            for (++i; i < n && !cerrada; ++i) {
                if (texto.at(i) == QLatin1Char('\'')) cerrada = true;
                else {
                    if (texto.at(i) == QLatin1Char('\\') && i + 1 < n) ++i;
                    valor += texto.at(i);
                }
            }
            if (!cerrada) rechazar(QStringLiteral("Falta la comilla que cierra el valor de %1").arg(clave));
        } else {
            for (; i < n && !texto.at(i).isSpace(); ++i) {
                if (texto.at(i) == QLatin1Char('\\') && i + 1 < n) ++i;
                valor += texto.at(i);
            }
            if (sinComillasConPuntoYComa && valor.contains(QLatin1Char(';'))) *sinComillasConPuntoYComa = true;
        }
        pares.append({clave, valor});
    }
    return pares;
}

// Whether the text is libpq's pairs and not our "Name=Value;" format: every
// name a lower-case keyword, and no ";" outside quotes.
bool esLibpq(const QString& texto) {
    static const QRegularExpression palabra(QStringLiteral("^[a-z_]+$"));
    try {
        bool puntoYComa = false;
        const auto pares = paresLibpq(texto, &puntoYComa);
        if (pares.isEmpty() || puntoYComa) return false;
        for (const auto& p : pares)
            if (!palabra.match(p.first).hasMatch()) return false;
        return true;
    } catch (const Error&) {
        return false;
    }
}

PartesServidor deLibpq(const QString& texto) {
    PartesServidor p;
    for (const auto& [clave, valor] : paresLibpq(texto)) fijarDeLibpq(p, clave, valor);
    if (p.host.contains(QLatin1Char(',')) || p.puerto.contains(QLatin1Char(',')))
        rechazar(QStringLiteral("Indique un solo servidor, no varios: \"%1\"").arg(p.host));
    return p;
}

// Our own format: the names a server's connection holds, and no other (a
// name we do not know would be lost, and may be libpq's text misread).
PartesServidor deCadena(const CadenaConexion& c) {
    static const QStringList conocidos{QStringLiteral("Provider"), QStringLiteral("Data Source"), QStringLiteral("User ID"),
                                       QStringLiteral("Password"), QStringLiteral("Initial Catalog"),
                                       QStringLiteral("Persist Security Info")};
    for (const QString& nombre : c.nombres())
        if (!conocidos.contains(nombre, Qt::CaseInsensitive))
            rechazar(QStringLiteral("\"%1\" no es un dato de la conexión con el servidor").arg(nombre));
    PartesServidor p;
    const QString origen = c.valor(QStringLiteral("Data Source"));
    if (!origen.isEmpty()) {
        const DatosConexion d = c.datos();
        p.host = d.host;
        // Only a port written in the text counts as given.
        static const QRegularExpression conPuerto(QStringLiteral(":\\d+$"));
        if (conPuerto.match(origen).hasMatch()) p.puerto = QString::number(d.puerto);
    }
    p.usuario = c.valor(QStringLiteral("User ID"));
    p.clave = c.valor(QStringLiteral("Password"));
    p.base = c.valor(QStringLiteral("Initial Catalog"));
    return p;
}

}  // namespace

DatosConexion CadenaConexion::datos() const {
    DatosConexion d;
    d.proveedor = Dialecto::desdeNombre(valor(QStringLiteral("Provider")));
    const QString origen = valor(QStringLiteral("Data Source"));
    if (!d.esServidor()) {
        d.archivo = origen;
        return d;
    }
    d.usuario = valor(QStringLiteral("User ID"));
    d.clave = valor(QStringLiteral("Password"));
    d.base = valor(QStringLiteral("Initial Catalog"));
    d.host = origen;
    bool ok = false;
    if (origen.startsWith(QLatin1Char('['))) {
        const qsizetype cierre = origen.indexOf(QLatin1Char(']'));
        if (cierre > 0) {
            d.host = origen.mid(1, cierre - 1);
            const int puerto = origen.mid(cierre + 2).toInt(&ok);
            if (origen.mid(cierre + 1, 1) == QLatin1String(":") && ok) d.puerto = puerto;
        }
        return d;
    }
    const qsizetype dos = origen.lastIndexOf(QLatin1Char(':'));
    if (dos > 0) {
        const int puerto = origen.mid(dos + 1).toInt(&ok);
        if (ok) {
            d.host = origen.left(dos);
            d.puerto = puerto;
        }
    }
    return d;
}

CadenaConexion::CadenaConexion(const DatosConexion& d) {
    fijar(QStringLiteral("Provider"), Dialecto::nombre(d.proveedor));
    fijar(QStringLiteral("Data Source"), d.origen());
    if (!d.esServidor()) return;
    if (!d.usuario.isEmpty()) fijar(QStringLiteral("User ID"), d.usuario);
    if (!d.clave.isEmpty()) fijar(QStringLiteral("Password"), d.clave);
    if (!d.base.isEmpty()) fijar(QStringLiteral("Initial Catalog"), d.base);
}

QString DatosConexion::origen() const {
    if (!esServidor()) return archivo;
    const QString h = host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
    return h + QLatin1Char(':') + QString::number(puerto);
}

QString DatosConexion::cadena() const { return CadenaConexion(*this).texto(); }

DatosConexion DatosConexion::deServidor(const QString& texto) {
    const QString t = texto.trimmed();
    PartesServidor p;
    if (t.contains(QChar(0))) rechazar(QStringLiteral("La cadena de conexión contiene un carácter nulo"));
    const bool esUri = t.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive) ||
                       t.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
    if (esUri || esLibpq(t)) {
        p = esUri ? deUri(t) : deLibpq(t);
    } else {
        CadenaConexion c(t);
        if (!c.contiene(QStringLiteral("Provider"))) c.fijar(QStringLiteral("Provider"), QStringLiteral("PostgreSQL"));
        if (!c.esServidor()) rechazar(QStringLiteral("La cadena de conexión no es la de un servidor PostgreSQL"));
        p = deCadena(c);
    }
    for (const QString* v : {&p.host, &p.puerto, &p.usuario, &p.clave, &p.base})
        if (v->contains(QChar(0))) rechazar(QStringLiteral("La cadena de conexión contiene un carácter nulo"));
    // A host with brackets could not be told from its port once written.
    if (p.host.contains(QLatin1Char('[')) || p.host.contains(QLatin1Char(']')))
        rechazar(QStringLiteral("El nombre del servidor no puede contener corchetes: \"%1\"").arg(p.host));
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
        rechazar(QStringLiteral("El puerto del servidor no es válido: \"%1\"").arg(p.puerto));
    DatosConexion d;
    d.proveedor = Proveedor::PostgreSQL;
    d.host = p.host;
    d.puerto = puerto;
    d.usuario = p.usuario;
    d.clave = p.clave;
    d.base = p.base;
    return d;
}

bool CadenaConexion::esServidor() const {
    return valor(QStringLiteral("Provider")).compare(QLatin1String("PostgreSQL"), Qt::CaseInsensitive) == 0;
}

}  // namespace ncc
