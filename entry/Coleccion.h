#pragma once
// The keyed collection of the closing records: elements kept in the order
// they were added, each under a key text (the decimal text of the record's
// id), a duplicate key refused. Elements are shared: the wizard pages and the
// engine hold the same records.
//
// Walking a collection (range-for, begin()/end(), elementos()) goes over a
// copy of the list taken when the walk starts, so an element may be removed
// or added while the walk goes on: the walk still visits exactly the elements
// that were there when it began, and none of them dies under it. The copy is
// an implicitly shared QList, so it costs nothing unless the collection is
// changed during the walk.
#include "platform/Error.h"
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <concepts>
#include <memory>

namespace ncc {

template <class T>
class Coleccion {
public:
    using Elemento = std::shared_ptr<T>;

    // The key of a record id.
    static QString clave(qint64 id) { return QString::number(id); }

    // Adds at the end; a key that is already there is refused.
    void Add(Elemento item, const QString& clave) { Insertar(Count() + 1, std::move(item), clave); }
    template <std::integral N>
    void Add(Elemento item, N id) { Add(std::move(item), clave(qint64(id))); }

    // Inserts so that the element ends at position `indice1` (1-based; from 1
    // to Count() + 1): how a student goes back to his or her place.
    void Insertar(int indice1, Elemento item, const QString& clave) {
        if (indices_.contains(clave))
            throw Error(errores::ClaveDuplicada,
                        QStringLiteral("Esta clave ya está asociada a un elemento de esta colección"));
        if (indice1 < 1 || indice1 > Count() + 1) fueraDeRango();
        elementos_.insert(indice1 - 1, std::move(item));
        claves_.insert(indice1 - 1, clave);
        reindexarDesde(indice1 - 1);
    }

    // By key text.
    Elemento Item(const QString& clave) const { return elementos_.at(posicion(clave)); }
    Elemento Item(const char* clave) const { return Item(QString::fromUtf8(clave)); }
    // By position, 1-based as the suite's collections were.
    Elemento Item(int indice1) const {
        if (indice1 < 1 || indice1 > Count()) fueraDeRango();
        return elementos_.at(indice1 - 1);
    }
    // An id (qint16, qint32, ...) is not a position: look it up with
    // Item(Coleccion::clave(id)). Refusing it here keeps a section id from
    // being taken for an index by integral promotion.
    template <std::integral N>
        requires(!std::same_as<N, int>)
    Elemento Item(N) const = delete;

    // The element or nullptr, without an error.
    Elemento buscar(const QString& clave) const {
        const auto it = indices_.constFind(clave);
        return it == indices_.cend() ? nullptr : elementos_.at(*it);
    }

    bool contiene(const QString& clave) const { return indices_.contains(clave); }

    void Remove(const QString& clave) { quitarEn(posicion(clave)); }
    void Remove(const char* clave) { Remove(QString::fromUtf8(clave)); }
    void Remove(int indice1) {
        if (indice1 < 1 || indice1 > Count()) fueraDeRango();
        quitarEn(indice1 - 1);
    }
    template <std::integral N>
        requires(!std::same_as<N, int>)
    void Remove(N) = delete;

    int Count() const { return int(elementos_.size()); }
    bool vacia() const { return elementos_.isEmpty(); }
    void Clear() {
        elementos_.clear();
        claves_.clear();
        indices_.clear();
    }

    // Key of the element at a position (1-based).
    QString Clave(int indice1) const {
        if (indice1 < 1 || indice1 > Count()) fueraDeRango();
        return claves_.at(indice1 - 1);
    }
    QStringList claves() const { return claves_; }
    // A copy of the elements in order.
    QList<Elemento> elementos() const { return elementos_; }

    class iterator {
    public:
        using value_type = Elemento;
        using difference_type = qsizetype;
        using reference = const Elemento&;
        using pointer = const Elemento*;
        using iterator_category = std::forward_iterator_tag;

        iterator() = default;
        reference operator*() const { return copia_.at(i_); }
        pointer operator->() const { return &copia_.at(i_); }
        iterator& operator++() {
            ++i_;
            return *this;
        }
        iterator operator++(int) {
            iterator previo = *this;
            ++i_;
            return previo;
        }
        // Any iterator past its copy's last element equals end().
        friend bool operator==(const iterator& a, const iterator& b) {
            if (a.alFinal() || b.alFinal()) return a.alFinal() && b.alFinal();
            return a.i_ == b.i_;
        }

    private:
        friend class Coleccion;
        iterator(QList<Elemento> copia, qsizetype i) : copia_(std::move(copia)), i_(i) {}
        bool alFinal() const { return i_ >= copia_.size(); }
        QList<Elemento> copia_;
        qsizetype i_ = 0;
    };
    using const_iterator = iterator;

    iterator begin() const { return iterator(elementos_, 0); }
    iterator end() const { return iterator(); }

private:
    qsizetype posicion(const QString& clave) const {
        const auto it = indices_.constFind(clave);
        if (it == indices_.cend())
            throw Error(errores::ElementoNoEncontrado,
                        QStringLiteral("El elemento %1 no existe en la colección").arg(clave));
        return *it;
    }
    void quitarEn(qsizetype i) {
        indices_.remove(claves_.at(i));
        elementos_.removeAt(i);
        claves_.removeAt(i);
        reindexarDesde(i);
    }
    void reindexarDesde(qsizetype i) {
        for (; i < claves_.size(); ++i) indices_.insert(claves_.at(i), i);
    }
    [[noreturn]] static void fueraDeRango() {
        throw Error(errores::ElementoNoEncontrado,
                    QStringLiteral("El índice está fuera del intervalo de la colección"));
    }

    QList<Elemento> elementos_;
    QStringList claves_;
    QHash<QString, qsizetype> indices_;
};

}  // namespace ncc
