#pragma once
// A connection string of "Name=Value;" pairs. Names are matched without
// regard to case and keep the spelling they were first given; the text is
// rebuilt from the pairs in their order.
#include <QString>
#include <QStringList>
#include <QList>
#include <QPair>

namespace ncc {

class CadenaConexion {
public:
    CadenaConexion() = default;
    explicit CadenaConexion(const QString& texto);

    QString valor(const QString& nombre) const;  // empty when absent
    bool contiene(const QString& nombre) const;
    void fijar(const QString& nombre, const QString& valor);
    void quitar(const QString& nombre);
    QStringList nombres() const;
    QString texto() const;

private:
    int indice(const QString& nombre) const;
    QList<QPair<QString, QString>> pares_;
};

}  // namespace ncc
