#pragma once
// Lists of record ids for the statements that work on many rows at once
// ("... IN(1,2,3)"). A list keeps its ids in the order they were added and
// refuses a repeated id in constant time, so gathering tens of thousands of
// leavers costs linear time. Long lists are sent in pieces of a bounded size,
// one statement per piece, wherever the pieces give the same result as the
// whole list would.
#include "platform/Conexion.h"
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <initializer_list>

namespace ncc::motor {

// Ids per statement: keeps statement texts short on every back end.
constexpr int IdsPorSentencia = 500;

class ListaIds {
public:
    ListaIds() = default;
    // "3,5,8" (blanks and empty pieces are ignored).
    static ListaIds desdeTexto(const QString& texto);

    // Adds the id unless it is already in the list; true when added.
    bool agregar(qint64 id);
    bool contiene(qint64 id) const { return presentes_.contains(id); }
    bool vacia() const { return ids_.isEmpty(); }
    int tamano() const { return ids_.size(); }
    const QVector<qint64>& ids() const { return ids_; }
    const QSet<qint64>& conjunto() const { return presentes_; }

    // The list without the ids of `otros`, in the same order.
    ListaIds sin(const QSet<qint64>& otros) const;
    ListaIds sin(const ListaIds& otros) const { return sin(otros.conjunto()); }

    // "3,5,8": the ids joined by commas, no trailing comma.
    QString texto() const;
    // The same text for the ids [desde, desde + cuantos).
    QString texto(int desde, int cuantos) const;

private:
    QVector<qint64> ids_;
    QSet<qint64> presentes_;
};

// The statements below take a text in which every "{ids}" stands for a
// piece of the list: "DELETE FROM Foto WHERE IdFoto IN({ids})".
// The ids are written into the text (they are integers of our own), so
// each piece runs unprepared. Nothing runs for an empty list; each statement
// is followed by a yield.
void ejecutarPorPartes(Conexion& con, const QString& plantilla, const ListaIds& ids);
// The same with values bound to the statement's "?" (the same in every piece).
void ejecutarPorPartes(Conexion& con, const QString& plantilla, const ListaIds& ids, const QVariantList& valores);

// Ids gathered by the statement that changes them ("... IN({ids})", with
// `valores` bound to its "?"), each statement written with ejecutarPorPartes
// once for all its ids, in the order the statements were first needed.
class CambiosPorGrupo {
public:
    void agregar(const QString& plantilla, qint64 id, const QStringList& valores = {});
    void escribir(Conexion& con);

private:
    QList<QStringList> orden_;  // each: the statement, then its values
    QHash<QStringList, ListaIds> grupos_;
};

// Rows of integers for one statement that joins them as a table, as
// "UPDATE T SET a=v.column2 FROM (VALUES {filas}) AS v WHERE T.id=v.column1"
// (column1, column2... are the names both back ends give a VALUES list's
// columns): a few statements for thousands of rows instead of one each. The
// values are integers of our own, written into the text. A row whose first
// value (its key) is already waiting sends the waiting rows first, so a row
// changed twice ends as the later change left it. The server joins the rows
// by scanning the table once per statement, so a statement takes more rows
// than a list of ids does.
class FilasPorSentencia {
public:
    static constexpr int FilasPorLote = 2000;
    FilasPorSentencia(Conexion& con, QString plantilla) : con_(con), plantilla_(std::move(plantilla)) {}
    FilasPorSentencia(const FilasPorSentencia&) = delete;
    FilasPorSentencia& operator=(const FilasPorSentencia&) = delete;
    void agregar(std::initializer_list<qint64> fila);
    void escribir();

private:
    Conexion& con_;
    QString plantilla_, filas_;
    QSet<qint64> claves_;
};

// The same for a read: `porFila` is called for every record of every piece.
void leerPorPartes(Conexion& con, const QString& plantilla, const ListaIds& ids,
                   const std::function<void(const Recordset&)>& porFila);

// The ids of one column of a read made piece by piece, without repeats.
ListaIds leerIdsPorPartes(Conexion& con, const QString& plantilla, const ListaIds& ids,
                          const QString& columna);

}  // namespace ncc::motor
