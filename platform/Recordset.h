#pragma once
// A forward-only recordset (eof()/bof() stand for ADO's EOF and BOF, which
// are macros in C++). Its rows are read in full when it is opened, so it
// stays valid while other statements run on the same connection (the server
// driver would otherwise drop an open result as soon as another query runs).
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <memory>

namespace ncc {

class Recordset {
public:
    Recordset();  // closed, empty
    // The rows' values one after another, a row's columns together.
    Recordset(QStringList columnas, QVector<QVariant> valores);

    bool abierto() const;
    void Close();

    bool bof() const;  // no records (ADO BOF at open)
    bool eof() const;  // past the last record
    void MoveNext();
    void MoveFirst();

    // Fields by name, case-insensitively. A Null value is a null QVariant.
    QVariant campo(const QString& nombre) const;
    QVariant campo(int indice) const;
    bool esNulo(const QString& nombre) const;
    QString texto(const QString& nombre) const;     // Null gives ""
    long long entero(const QString& nombre) const;  // Null gives 0
    double real(const QString& nombre) const;       // Null gives 0
    bool booleano(const QString& nombre) const;     // any non-zero is true
    // The same by the field's position, for reads that take many rows.
    bool esNulo(int indice) const;
    QString texto(int indice) const;
    long long entero(int indice) const;
    // A value as entero reads it: Null gives 0, a text or a real its whole number.
    static long long aEntero(const QVariant& v);
    bool booleano(int indice) const;

    int numeroCampos() const;
    QString nombreCampo(int indice) const;
    int indiceCampo(const QString& nombre) const;  // -1 when absent
    int indiceNombrado(const QString& nombre) const;  // throws when absent

    // Number of records under the current filter.
    long RecordCount() const;

    // ADO-like filter: "CAMPO=valor" terms joined by AND or by OR (not both);
    // an empty text removes the filter. Moves to the first matching record.
    void Filter(const QString& filtro);

private:
    struct Datos;
    void comprobarActual() const;
    void situarEnVisible();
    std::shared_ptr<Datos> d_;
};

}  // namespace ncc
