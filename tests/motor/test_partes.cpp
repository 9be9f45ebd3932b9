// The closing writes its long lists in parts: ids 500 to a statement, rows
// 2,000 to a VALUES join, rows 10,000 to a server COPY. A school of 20,000
// students crosses those edges in every step; the sample school of the
// reference closings crosses none, so the edges are tried here, on both
// back ends: nothing lost, nothing written twice.
#include "ContextoBD.h"
#include "engine/ListaIds.h"
#include "platform/Conexion.h"
#include "platform/InsercionLotes.h"

using namespace ncc;
using namespace ncc::motor;
using ncc::pruebas::ContextoBD;

namespace {

class Partes : public ::testing::TestWithParam<Proveedor> {
protected:
    void SetUp() override {
        ctx = std::make_unique<ContextoBD>(GetParam());
        con = std::make_unique<Conexion>(ctx->cadena(QStringLiteral("Partes")));
        con->Open();
        con->Execute(QStringLiteral("CREATE TABLE Fila (ID INTEGER PRIMARY KEY, V INTEGER, T VARCHAR(10))"));
    }
    // "rows|sum of ids|sum of values" of the rows that `donde` keeps.
    QString resumen(const QString& donde = QStringLiteral("1=1")) {
        Recordset r = con->Abrir(QStringLiteral("SELECT COUNT(*), COALESCE(SUM(ID), 0), COALESCE(SUM(V), 0) FROM Fila WHERE ") + donde);
        return QStringLiteral("%1|%2|%3").arg(r.entero(0)).arg(r.entero(1)).arg(r.entero(2));
    }
    std::unique_ptr<ContextoBD> ctx;
    std::unique_ptr<Conexion> con;
};

// n(n+1)/2: the sum of the ids 1..n.
qint64 suma(qint64 n) { return n * (n + 1) / 2; }

TEST_P(Partes, NadaSePierdeNiSeRepiteEnLosBordesDeLasPartes) {
    Transaccion t(*con);  // as the closing writes them
    // Two full COPYs (or 200 full INSERTs) and one row more, written behind.
    const int n = 2 * InsercionLotes::filasPorCopia + 1;
    {
        InsercionLotes filas(*con, QStringLiteral("INSERT INTO Fila VALUES"), QStringLiteral("(?,0,?)"));
        filas.escribirDetras();
        for (int id = 1; id <= n; ++id) filas.agregar({id, QStringLiteral("t")});
        filas.vaciar();
    }
    EXPECT_EQ(resumen(), QStringLiteral("%1|%2|0").arg(n).arg(suma(n)));

    // Two full VALUES joins and one row more; the last row, changed again
    // while its join waits, comes out as the later change left it.
    const int m = 2 * FilasPorSentencia::FilasPorLote + 1;
    {
        FilasPorSentencia cambios(*con, QStringLiteral("UPDATE Fila SET V=v.column2 FROM (VALUES {filas}) AS v "
                                                       "WHERE Fila.ID=v.column1"));
        for (int id = 1; id <= m; ++id) cambios.agregar({id, 1});
        cambios.agregar({m, 5});
        cambios.escribir();
    }
    EXPECT_EQ(resumen(QStringLiteral("V<>0")), QStringLiteral("%1|%2|%3").arg(m).arg(suma(m)).arg(m + 4));

    // Two full lists of ids and one more: the even ids up to 2,002.
    const int k = 2 * IdsPorSentencia + 1;
    ListaIds pares;
    for (int i = 1; i <= k; ++i) pares.agregar(2 * i);
    EXPECT_EQ(leerIdsPorPartes(*con, QStringLiteral("SELECT ID FROM Fila WHERE ID IN({ids})"), pares,
                               QStringLiteral("ID"))
                  .tamano(),
              k);
    ejecutarPorPartes(*con, QStringLiteral("UPDATE Fila SET V=? WHERE ID IN({ids})"), pares, {100});
    EXPECT_EQ(resumen(QStringLiteral("V=100")), QStringLiteral("%1|%2|%3").arg(k).arg(2 * suma(k)).arg(100 * k));

    // Grouped by their bound value, each group in parts: the odd ids up to
    // 2,001 one way, three others another.
    CambiosPorGrupo grupos;
    for (int i = 0; i < k; ++i) grupos.agregar(QStringLiteral("UPDATE Fila SET T=? WHERE ID IN({ids})"), 2 * i + 1, {QStringLiteral("impar")});
    for (int id : {5000, 6000, 7000}) grupos.agregar(QStringLiteral("UPDATE Fila SET T=? WHERE ID IN({ids})"), id, {QStringLiteral("otro")});
    grupos.escribir(*con);
    EXPECT_EQ(resumen(QStringLiteral("T='impar'")), QStringLiteral("%1|%2|%3").arg(k).arg(k * k).arg(k));
    EXPECT_EQ(resumen(QStringLiteral("T='otro'")), QStringLiteral("3|18000|0"));
    EXPECT_EQ(resumen(), QStringLiteral("%1|%2|%3").arg(n).arg(suma(n)).arg(m + 4 + 99 * k));
}

}  // namespace

NCC_AMBOS_FONDOS(Partes);
