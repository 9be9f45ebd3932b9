#include "platform/Recordset.h"
#include "platform/Error.h"
#include <QRegularExpression>
#include <QVarLengthArray>

namespace ncc {

struct Recordset::Datos {
    QStringList columnas;
    // Names already looked up, by the address of their characters: the
    // callers name fields with literals, so after the first row a field is
    // found by one comparison of pointers instead of a case-insensitive
    // search of every column name.
    struct Busqueda {
        const QChar* datos;
        qsizetype longitud;
        int indice;
    };
    QVarLengthArray<Busqueda, 16> buscados;
    QVector<QVariant> valores;  // row after row, in one block
    int filas = 0;
    QVector<int> visibles;  // indices of the rows that pass the filter
    int actual = 0;         // position within visibles
    bool abierto = true;
};

Recordset::Recordset() = default;

Recordset::Recordset(QStringList columnas, QVector<QVariant> valores) : d_(std::make_shared<Datos>()) {
    d_->columnas = std::move(columnas);
    d_->valores = std::move(valores);
    d_->filas = d_->columnas.isEmpty() ? 0 : int(d_->valores.size() / d_->columnas.size());
    d_->visibles.resize(d_->filas);
    for (int i = 0; i < d_->filas; ++i) d_->visibles[i] = i;
}

bool Recordset::abierto() const { return d_ && d_->abierto; }

void Recordset::Close() {
    if (d_) d_->abierto = false;
}

static void comprobarAbierto(bool abierto) {
    if (!abierto) throw Error(errores::RecordsetCerrado, QStringLiteral("Operación no permitida si el objeto está cerrado"));
}

bool Recordset::bof() const {
    comprobarAbierto(abierto());
    return d_->visibles.isEmpty();
}

bool Recordset::eof() const {
    comprobarAbierto(abierto());
    return d_->actual >= d_->visibles.size();
}

void Recordset::MoveNext() {
    comprobarActual();
    ++d_->actual;
}

void Recordset::MoveFirst() {
    comprobarAbierto(abierto());
    d_->actual = 0;
}

void Recordset::comprobarActual() const {
    comprobarAbierto(abierto());
    if (d_->actual >= d_->visibles.size())
        throw Error(errores::SinRegistroActual,
                    QStringLiteral("BOF o EOF es True, o el registro actual se eliminó"));
}

int Recordset::indiceCampo(const QString& nombre) const {
    if (!d_) return -1;
    const QChar* datos = nombre.constData();
    for (const auto& b : d_->buscados)
        if (b.datos == datos && b.longitud == nombre.size()) return b.indice;
    int indice = -1;
    for (int i = 0; i < d_->columnas.size(); ++i)
        if (d_->columnas[i].compare(nombre, Qt::CaseInsensitive) == 0) {
            indice = i;
            break;
        }
    // Only the static texts of literals keep their address for the life of
    // the recordset; a name built at run time is searched each time.
    if (indice >= 0 && !nombre.data_ptr().isMutable() && !nombre.isNull() && d_->buscados.size() < 64)
        d_->buscados.append({datos, nombre.size(), indice});
    return indice;
}

QVariant Recordset::campo(int indice) const {
    comprobarActual();
    if (indice < 0 || indice >= d_->columnas.size())
        throw Error(errores::CampoNoEncontrado, QStringLiteral("No se encontró el elemento %1 en la colección").arg(indice));
    return d_->valores[qsizetype(d_->visibles[d_->actual]) * d_->columnas.size() + indice];
}

int Recordset::indiceNombrado(const QString& nombre) const {
    const int i = indiceCampo(nombre);
    if (i < 0)
        throw Error(errores::CampoNoEncontrado,
                    QStringLiteral("No se encontró el campo \"%1\" en la colección").arg(nombre));
    return i;
}

QVariant Recordset::campo(const QString& nombre) const { return campo(indiceNombrado(nombre)); }

bool Recordset::esNulo(const QString& nombre) const { return esNulo(indiceNombrado(nombre)); }
QString Recordset::texto(const QString& nombre) const { return texto(indiceNombrado(nombre)); }
long long Recordset::entero(const QString& nombre) const { return entero(indiceNombrado(nombre)); }
double Recordset::real(const QString& nombre) const {
    const QVariant v = campo(nombre);
    return v.isNull() ? 0.0 : v.toDouble();
}
bool Recordset::booleano(const QString& nombre) const { return entero(nombre) != 0; }

bool Recordset::esNulo(int indice) const { return campo(indice).isNull(); }
QString Recordset::texto(int indice) const {
    const QVariant v = campo(indice);
    return v.isNull() ? QString() : v.toString();
}
long long Recordset::entero(int indice) const { return aEntero(campo(indice)); }
long long Recordset::aEntero(const QVariant& v) {
    if (v.isNull()) return 0;
    bool ok = false;
    const long long n = v.toLongLong(&ok);
    if (ok) return n;
    const double r = v.toDouble(&ok);
    if (ok) return static_cast<long long>(r);
    throw Error(errores::TipoNoCoincide, QStringLiteral("No coinciden los tipos: \"%1\"").arg(v.toString()));
}
bool Recordset::booleano(int indice) const { return entero(indice) != 0; }

int Recordset::numeroCampos() const { return d_ ? d_->columnas.size() : 0; }
QString Recordset::nombreCampo(int i) const { return d_ ? d_->columnas.value(i) : QString(); }

long Recordset::RecordCount() const {
    comprobarAbierto(abierto());
    return d_->visibles.size();
}

namespace {

struct Termino {
    int columna;
    QString valor;
    bool esTexto;
};

bool cumple(const QVariant& v, const Termino& t) {
    if (v.isNull()) return false;
    if (!t.esTexto) {
        bool ok1 = false, ok2 = false;
        const double a = v.toDouble(&ok1);
        const double b = t.valor.toDouble(&ok2);
        if (ok1 && ok2) return a == b;
    }
    return v.toString() == t.valor;
}

}  // namespace

void Recordset::Filter(const QString& filtro) {
    comprobarAbierto(abierto());
    d_->visibles.clear();
    d_->actual = 0;
    const QString f = filtro.trimmed();
    if (f.isEmpty()) {
        for (int i = 0; i < d_->filas; ++i) d_->visibles << i;
        return;
    }
    static const QRegularExpression separadorY(QStringLiteral("\\s+AND\\s+"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression separadorO(QStringLiteral("\\s+OR\\s+"), QRegularExpression::CaseInsensitiveOption);
    const bool esO = f.contains(separadorO);
    const QStringList partes = f.split(esO ? separadorO : separadorY);
    QVector<Termino> terminos;
    for (const QString& p : partes) {
        const int igual = p.indexOf(QLatin1Char('='));
        if (igual < 0) throw Error(3001, QStringLiteral("Filtro no válido: %1").arg(filtro));
        const QString nombre = p.left(igual).trimmed();
        QString valor = p.mid(igual + 1).trimmed();
        const int col = indiceCampo(nombre);
        if (col < 0) throw Error(errores::CampoNoEncontrado, QStringLiteral("No se encontró el campo \"%1\" del filtro").arg(nombre));
        bool esTexto = false;
        if (valor.size() >= 2 && valor.startsWith(QLatin1Char('\'')) && valor.endsWith(QLatin1Char('\''))) {
            valor = valor.mid(1, valor.size() - 2).replace(QStringLiteral("''"), QStringLiteral("'"));
            esTexto = true;
        }
        terminos.append({col, valor, esTexto});
    }
    for (int i = 0; i < d_->filas; ++i) {
        const QVariant* fila = d_->valores.constData() + qsizetype(i) * d_->columnas.size();
        bool pasa = !esO;
        for (const auto& t : terminos) {
            const bool c = cumple(fila[t.columna], t);
            if (esO && c) { pasa = true; break; }
            if (!esO && !c) { pasa = false; break; }
        }
        if (pasa) d_->visibles << i;
    }
}

void Recordset::situarEnVisible() { d_->actual = 0; }

}  // namespace ncc
