#include "platform/Textos.h"
#include "platform/Error.h"
#include <QHash>
#include <algorithm>

namespace ncc {

namespace textos {
QHash<int, QString> crearTabla();  // TablaTextos.cpp
}

static const QHash<int, QString>& tabla() {
    static const QHash<int, QString> t = textos::crearTabla();
    return t;
}

QString Texto(int id) {
    const auto& t = tabla();
    const auto it = t.constFind(id);
    if (it == t.constEnd())
        throw Error(errores::TextoNoEncontrado,
                    QStringLiteral("No se encontró el recurso con identificador '%1'").arg(id));
    return it.value();
}

bool existeTexto(int id) { return tabla().contains(id); }

QList<int> idsTextos() {
    QList<int> ids = tabla().keys();
    std::sort(ids.begin(), ids.end());
    return ids;
}

}  // namespace ncc
