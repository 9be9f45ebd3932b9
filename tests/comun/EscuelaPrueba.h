#pragma once
// A school of the tests: the four databases of one centre and school year,
// with the suite's schema, on the context's back end, the component's
// settings pointing at them and their connections open, as a host leaves
// them. The fixture rows of each test go in with `centro()` and friends.
//
// On the server the closing names its new databases and backups from the
// centre and the school years alone ("A1C4", "AppEntradaB"), so tests that
// run closings on the server are serialised (RESOURCE_LOCK), linked with
// MarcaPruebasCierre.cpp, and only there the school drops those names when
// it goes.
#include "ContextoBD.h"
#include "entry/cConfiguracion.h"
#include "platform/Conexion.h"
#include "platform/MensajesGuion.h"
#include <QStringList>
#include <map>

namespace ncc::pruebas {

void marcarPruebasDeCierre();
bool pruebasDeCierre();

// What closings of the school of `centro` from year `curso` on (three of
// them at most) may make on the server under the closing's own names:
// backups, compaction temporaries and the new years' databases.
QStringList nombresDelCierreEnServidor(qint16 centro, qint16 curso);

class EscuelaPrueba {
public:
    EscuelaPrueba(ContextoBD& ctx, qint16 centro = 1, qint16 curso = 3,
                  const QString& nombreCurso = QStringLiteral("2025/2026"));
    ~EscuelaPrueba();

    Conexion& appEntrada() { return appEntrada_; }
    Conexion& borradoAppEntrada() { return borradoAppEntrada_; }
    Conexion& centro() { return centro_; }
    Conexion& borradoCentro() { return borradoCentro_; }
    cConfiguracion& conf() { return *ConfiguracionActual(); }
    ContextoBD& ctx() { return ctx_; }
    qint16 idCentro() const { return idCentro_; }
    qint16 idCurso() const { return idCurso_; }

    // A connection to a database the closing made, by its base name
    // ("A1C4"), opened; null when it does not exist.
    std::unique_ptr<Conexion> abrirCreada(const QString& nombre);
    bool existeCreada(const QString& nombre);

    // Every row of every table of a database, one text per row, sorted:
    // two equal snapshots mean the same data, on either back end.
    static QStringList instantanea(Conexion& con);
    // The snapshots of the four session databases.
    std::map<QString, QStringList> instantaneas();
    // The files (SQLite) or databases (server) of the context besides the
    // four of the school, so that a test can tell nothing was left behind.
    QStringList sobrantes();

    // Runs a statement on a connection with bound values, for fixtures.
    static void sql(Conexion& con, const QString& texto, const QVariantList& valores = {});

private:
    QString nombreCreado(const QString& base) const;

    ContextoBD& ctx_;
    qint16 idCentro_, idCurso_;
    Conexion appEntrada_, borradoAppEntrada_, centro_, borradoCentro_;
};

// A test on a school of its own on one back end, its messages answered by
// a script.
class ConEscuela : public testing::TestWithParam<Proveedor> {
protected:
    explicit ConEscuela(qint16 centro = 1, qint16 curso = 3, const QString& nombreCurso = QStringLiteral("2025/2026"))
        : ctx(GetParam()), escuela(ctx, centro, curso, nombreCurso), instalado(guion) {}

    ContextoBD ctx;
    EscuelaPrueba escuela;
    MensajesGuion guion;
    ServicioMensajesInstalado instalado;
};

}  // namespace ncc::pruebas
