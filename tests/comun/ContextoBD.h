#pragma once
// One test context per back end: every database test runs on a fresh SQLite
// file and on a fresh PostgreSQL database of the test server that
// scripts/pruebas.sh starts (NCC_PG_HOST, NCC_PG_PORT, NCC_PG_USER,
// NCC_PG_PASSWORD). Without those variables the server tests fail: the test
// run never passes with a back end left out.
#include "platform/CadenaConexion.h"
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace ncc::pruebas {

// The test server, without a database.
DatosConexion plantillaServidor();
bool hayServidor();

// A folder of its own per test, removed afterwards; on PostgreSQL the
// databases it hands out carry a prefix unique to the test and are dropped
// at the end.
class ContextoBD {
public:
    explicit ContextoBD(Proveedor p);
    ~ContextoBD();

    Proveedor proveedor() const { return proveedor_; }
    bool esServidor() const { return proveedor_ == Proveedor::PostgreSQL; }
    QString carpeta() const { return dir_.path(); }
    // Name of a database as this context stores it: on SQLite the path of
    // carpeta()/<nombre>.db, on PostgreSQL the prefixed catalog name.
    QString nombreReal(const QString& nombre) const;
    // Connection string of database `nombre` (created empty on PostgreSQL
    // when `crear` is true; a SQLite file is created on first open).
    QString cadena(const QString& nombre, bool crear = true);
    // Prefix of every server database of this context ("" on SQLite).
    QString prefijo() const { return prefijo_; }

private:
    Proveedor proveedor_;
    QTemporaryDir dir_;
    QString prefijo_;
    QStringList creadas_;
};

// gtest parameter printing: "SQLite" / "PostgreSQL".
struct NombreFondo {
    std::string operator()(const testing::TestParamInfo<Proveedor>& i) const;
};

}  // namespace ncc::pruebas

#define NCC_AMBOS_FONDOS(Suite)                                                        \
    INSTANTIATE_TEST_SUITE_P(Fondos, Suite,                                            \
                             ::testing::Values(ncc::Proveedor::SQLite,                 \
                                               ncc::Proveedor::PostgreSQL),            \
                             ncc::pruebas::NombreFondo())
