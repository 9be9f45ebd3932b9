#include "ContextoBD.h"
#include "platform/BasesDatos.h"
#include "platform/CadenaConexion.h"
#include <QDir>
#include <QRandomGenerator>

namespace ncc::pruebas {

DatosConexion plantillaServidor() {
    DatosConexion d;
    d.proveedor = Proveedor::PostgreSQL;
    d.host = qEnvironmentVariable("NCC_PG_HOST");
    d.puerto = qEnvironmentVariable("NCC_PG_PORT", QStringLiteral("5432")).toInt();
    d.usuario = qEnvironmentVariable("NCC_PG_USER", QStringLiteral("postgres"));
    d.clave = qEnvironmentVariable("NCC_PG_PASSWORD");
    return d;
}

bool hayServidor() { return !qEnvironmentVariableIsEmpty("NCC_PG_HOST"); }

ContextoBD::ContextoBD(Proveedor p) : proveedor_(p) {
    if (esServidor()) {
        if (!hayServidor())
            ADD_FAILURE() << "No hay servidor PostgreSQL de pruebas: ejecute scripts/pruebas.sh";
        prefijo_ = QStringLiteral("t%1_").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    }
}

ContextoBD::~ContextoBD() {
    if (!esServidor() || !hayServidor()) return;
    // Also what the code under test made under the prefix (a closing's
    // journal database, named after its application entry).
    QStringList bases = creadas_;
    try { bases += servidor::conPrefijo(plantillaServidor(), prefijo_); } catch (...) {}
    for (const auto& n : bases) {
        try { servidor::borrar(plantillaServidor(), n); } catch (...) {}
    }
}

QString ContextoBD::nombreReal(const QString& nombre) const {
    if (esServidor()) return (prefijo_ + nombre).toLower();
    return QDir(dir_.path()).filePath(nombre + QStringLiteral(".db"));
}

QString ContextoBD::cadena(const QString& nombre, bool crear) {
    CadenaConexion c;
    if (esServidor()) {
        c = CadenaConexion(plantillaServidor());
        const QString real = nombreReal(nombre);
        if (crear && !creadas_.contains(real)) {
            servidor::crear(plantillaServidor(), real);
        }
        if (!creadas_.contains(real)) creadas_ << real;
        c.fijar(QStringLiteral("Initial Catalog"), real);
    } else {
        c.fijar(QStringLiteral("Provider"), QStringLiteral("SQLite"));
        c.fijar(QStringLiteral("Data Source"), nombreReal(nombre));
    }
    return c.texto();
}

std::string NombreFondo::operator()(const testing::TestParamInfo<Proveedor>& i) const {
    return i.param == Proveedor::SQLite ? "SQLite" : "PostgreSQL";
}

}  // namespace ncc::pruebas
