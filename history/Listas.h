#pragma once
// The two lists of the selection dialogs: items by name carrying the
// record's id.
#include <QListWidget>

namespace ncc::listas {

inline void agregar(QListWidget* l, qint32 id, const QString& texto) {
    auto* item = new QListWidgetItem(texto);
    item->setData(Qt::UserRole, id);
    l->addItem(item);
}

inline qint32 idDe(const QListWidgetItem* item) { return item ? item->data(Qt::UserRole).toInt() : 0; }

inline int filaDe(const QListWidget* l, qint32 id) {
    for (int i = 0; i < l->count(); ++i)
        if (idDe(l->item(i)) == id) return i;
    return -1;
}

// Moves the item of `id` from one list to the end of the other and selects
// it there.
inline void mover(QListWidget* de, QListWidget* a, qint32 id) {
    const int fila = filaDe(de, id);
    if (fila < 0) return;
    QListWidgetItem* item = de->takeItem(fila);
    a->addItem(item);
    a->setCurrentItem(item);
}

inline QList<qint32> ids(const QListWidget* l) {
    QList<qint32> r;
    for (int i = 0; i < l->count(); ++i) r.append(idDe(l->item(i)));
    return r;
}

}  // namespace ncc::listas
