#pragma once
// The sample school: a complete, believable Spanish school (centre 1) with
// its application-entry databases and the school databases of its current
// school year, "2025/2026", ready to be closed. The same seed always gives
// the same school, row for row, on either back end.
#include "platform/CadenaConexion.h"
#include "platform/Error.h"
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace ncc::suite {

struct OpcionesDemo {
    int alumnos = 300;        // students of the school, leavers and pre-enrolled included
    quint32 semilla = 1;
    bool reemplazar = false;  // replace the databases of an earlier sample school
    // On the server: prefix of the four database names (tests keep theirs apart).
    QString prefijo;
};

struct ResumenDemo {
    // Connection strings of the four databases.
    QString appEntrada;
    QString borradoAppEntrada;
    QString centro;
    QString borradoCentro;
    int idCentro = 1;
    int idCursoEscolar = 0;
    QString cursoEscolar;
    QString nombreCentro;
    QStringList bases;  // file names or catalogs of the four databases
    QString donde;      // folder or server
    int activos = 0, bajas = 0, anticipados = 0, repetidores = 0, recibosSinPagar = 0;
    // Rows per main table of the school database, in the order shown.
    QList<QPair<QString, int>> filas;

    int numeroFilas(const QString& tabla) const;  // -1 when not counted
    QString texto() const;                        // the Spanish summary the command prints
};

// The databases of a sample school are already there and may not be replaced.
class ErrorDemoExiste : public Error {
public:
    static constexpr long Numero = 1004;
    explicit ErrorDemoExiste(const QString& texto) : Error(Numero, texto) {}
};

// Smallest school that still holds every case the closing handles.
constexpr int MinimoAlumnosDemo = 20;

// SQLite files AppEntrada.db, BorradoAppEntrada.db, A1C{año}.db and
// B1C{año}.db in `carpeta` (created when missing).
ResumenDemo crearDemoSQLite(const QString& carpeta, const OpcionesDemo& opciones);
// Databases AppEntrada, BorradoAppEntrada, A1C{año} and B1C{año} (each with
// the prefix) on the server `enServidor` (its database is ignored).
ResumenDemo crearDemoServidor(const DatosConexion& enServidor, const OpcionesDemo& opciones);

}  // namespace ncc::suite
