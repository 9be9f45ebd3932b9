#include "engine/ListaIds.h"
#include "platform/BucleMensajes.h"

namespace ncc::motor {

namespace {
const QString marca = QStringLiteral("{ids}");

QString conPieza(const QString& plantilla, const QString& pieza) {
    QString s = plantilla;
    return s.replace(marca, pieza);
}
}  // namespace

ListaIds ListaIds::desdeTexto(const QString& texto) {
    ListaIds l;
    for (const QStringView parte : QStringView(texto).split(QLatin1Char(','))) {
        const QStringView t = parte.trimmed();
        if (t.isEmpty()) continue;
        bool ok = false;
        const qint64 id = t.toLongLong(&ok);
        if (ok) l.agregar(id);
    }
    return l;
}

bool ListaIds::agregar(qint64 id) {
    if (presentes_.contains(id)) return false;
    presentes_.insert(id);
    ids_.append(id);
    return true;
}

ListaIds ListaIds::sin(const QSet<qint64>& otros) const {
    ListaIds l;
    for (qint64 id : ids_)
        if (!otros.contains(id)) l.agregar(id);
    return l;
}

QString ListaIds::texto() const { return texto(0, ids_.size()); }

QString ListaIds::texto(int desde, int cuantos) const {
    QString s;
    const int hasta = qMin<int>(ids_.size(), desde + cuantos);
    s.reserve(qMax(0, hasta - desde) * 8);
    for (int i = desde; i < hasta; ++i) {
        if (i > desde) s += QLatin1Char(',');
        s += QString::number(ids_[i]);
    }
    return s;
}

void ejecutarPorPartes(Conexion& con, const QString& plantilla, const ListaIds& ids) {
    ejecutarPorPartes(con, plantilla, ids, {});
}

void ejecutarPorPartes(Conexion& con, const QString& plantilla, const ListaIds& ids, const QVariantList& valores) {
    for (int i = 0; i < ids.tamano(); i += IdsPorSentencia) {
        con.Execute(conPieza(plantilla, ids.texto(i, IdsPorSentencia)), valores);
        ceder();
    }
}

void CambiosPorGrupo::agregar(const QString& plantilla, qint64 id, const QStringList& valores) {
    const QStringList clave = QStringList{plantilla} + valores;
    auto it = grupos_.find(clave);
    if (it == grupos_.end()) {
        orden_ << clave;
        it = grupos_.insert(clave, ListaIds());
    }
    it->agregar(id);
}

void CambiosPorGrupo::escribir(Conexion& con) {
    for (const QStringList& clave : std::as_const(orden_)) {
        QVariantList valores;
        for (qsizetype i = 1; i < clave.size(); ++i) valores << clave.at(i);
        ejecutarPorPartes(con, clave.first(), grupos_.value(clave), valores);
    }
    orden_.clear();
    grupos_.clear();
}

void FilasPorSentencia::agregar(std::initializer_list<qint64> fila) {
    const qint64 clave = *fila.begin();
    if (claves_.contains(clave) || claves_.size() >= FilasPorLote) escribir();
    claves_.insert(clave);
    if (!filas_.isEmpty()) filas_ += QLatin1Char(',');
    filas_ += QLatin1Char('(');
    for (auto it = fila.begin(); it != fila.end(); ++it) {
        if (it != fila.begin()) filas_ += QLatin1Char(',');
        filas_ += QString::number(*it);
    }
    filas_ += QLatin1Char(')');
}

void FilasPorSentencia::escribir() {
    if (claves_.isEmpty()) return;
    // What is waiting goes whether the statement succeeds or not: a failure
    // fails the step, which is undone as a whole.
    const QString filas = std::move(filas_);
    filas_.clear();
    claves_.clear();
    QString s = plantilla_;
    con_.Execute(s.replace(QStringLiteral("{filas}"), filas));
    ceder();
}

void leerPorPartes(Conexion& con, const QString& plantilla, const ListaIds& ids,
                   const std::function<void(const Recordset&)>& porFila) {
    for (int i = 0; i < ids.tamano(); i += IdsPorSentencia) {
        Recordset rs = con.Abrir(conPieza(plantilla, ids.texto(i, IdsPorSentencia)));
        ceder();
        for (; !rs.eof(); rs.MoveNext()) porFila(rs);
        rs.Close();
    }
}

ListaIds leerIdsPorPartes(Conexion& con, const QString& plantilla, const ListaIds& ids,
                          const QString& columna) {
    ListaIds leidos;
    leerPorPartes(con, plantilla, ids, [&](const Recordset& rs) { leidos.agregar(rs.entero(columna)); });
    return leidos;
}

}  // namespace ncc::motor
