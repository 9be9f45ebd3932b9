#pragma once
// The application-entry databases and the school databases of two school
// years, built for real on the back end under test, as the session of the
// host finds them.
#include "ContextoBD.h"
#include "host/Sesion.h"
#include "platform/Conexion.h"
#include "suite/Esquema.h"
#include <memory>

namespace ncc::pruebas {

struct BasesEntrada {
    explicit BasesEntrada(Proveedor p) : ctx(p) {}

    ContextoBD ctx;
    std::unique_ptr<Conexion> entrada, borradoEntrada;

    // A school database holding one row that says which one it is.
    QString baseCentro(const QString& nombre) {
        const QString cadena = ctx.cadena(nombre);
        Conexion c(cadena);
        c.Open();
        c.Execute(QStringLiteral("CREATE TABLE Marca (Texto VARCHAR(50))"));
        c.Execute(QStringLiteral("INSERT INTO Marca (Texto) VALUES (?)"), {nombre});
        return cadena;
    }

    void curso(int id, const QString& nombre, int centro, const QString& bd, const QString& bdBorrado,
               bool ultimo) {
        entrada->Execute(QStringLiteral("INSERT INTO CursoEscolar (IDCursoEscolar, Nombre, CodCentro, BD, BDBorrado, "
                                        "UltimoUtilizado, Activa) VALUES (%1, ?, %2, ?, ?, %3, 0)")
                             .arg(id)
                             .arg(centro)
                             .arg(ultimo ? entrada->verdadero() : 0),
                         {nombre, bd, bdBorrado});
    }

    // Centre 1 "Colegio Norva" with three years, of which 2024/2025 is the
    // one last used (a later, unused one must not win); centre 2 with its
    // own year; centre 3 with none in use.
    void crear() {
        entrada = std::make_unique<Conexion>(ctx.cadena(QStringLiteral("AppEntrada")));
        borradoEntrada = std::make_unique<Conexion>(ctx.cadena(QStringLiteral("BorradoAppEntrada")));
        entrada->Open();
        borradoEntrada->Open();
        suite::crearEsquema(*entrada, suite::TipoBase::AppEntrada);
        suite::crearEsquema(*borradoEntrada, suite::TipoBase::AppEntrada);
        for (const auto& [id, nombre] : {std::pair{1, "Colegio Norva"}, {2, "Escuela Íñiguez"}, {3, "Sin curso"}})
            entrada->Execute(QStringLiteral("INSERT INTO Centro (IDCentro, Nombre) VALUES (%1, ?)").arg(id),
                             {QString::fromUtf8(nombre)});
        // Only the years in use get databases: picking any other fails to open.
        const auto sinBase = [this](const char* n) { return ctx.cadena(QString::fromLatin1(n), false); };
        curso(1, QStringLiteral("2023/2024"), 1, sinBase("A1C1"), sinBase("BA1C1"), false);
        curso(2, QStringLiteral("2024/2025"), 1, baseCentro(QStringLiteral("A2C1")), baseCentro(QStringLiteral("BA2C1")), true);
        curso(3, QStringLiteral("2025/2026"), 1, sinBase("A3C1"), sinBase("BA3C1"), false);
        curso(4, QStringLiteral("2024/2025"), 2, baseCentro(QStringLiteral("A4C2")), baseCentro(QStringLiteral("BA4C2")), true);
        curso(5, QStringLiteral("2024/2025"), 3, sinBase("A5C3"), sinBase("BA5C3"), false);
    }

    host::OpcionesSesion opciones(int centro = 1) {
        host::OpcionesSesion o;
        o.appEntrada = entrada->datos();
        o.borradoAppEntrada = borradoEntrada->datos();
        o.centro = centro;
        return o;
    }
};

// The row of Marca in `con`: which school database it is.
inline QString marca(Conexion& con) {
    return con.Abrir(QStringLiteral("SELECT Texto FROM Marca")).texto(QStringLiteral("Texto"));
}

}  // namespace ncc::pruebas
