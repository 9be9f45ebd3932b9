// The host's session built from the application-entry database, and the
// options the commands take it from.
#include "BasesEntrada.h"
#include "host/Sesion.h"
#include "platform/Error.h"
#include <QDir>
#include <QFileInfo>

using namespace ncc;
using namespace ncc::pruebas;
using host::ErrorOpciones;
using host::ErrorSesion;

class SesionHost : public ::testing::TestWithParam<Proveedor> {
protected:
    void SetUp() override { b.crear(); }
    BasesEntrada b{GetParam()};
};

TEST_P(SesionHost, TomaElCursoUltimoUtilizadoDelCentroYAbreSusBases) {
    auto o = b.opciones(1);
    o.usuario = 7;
    o.pesetas = true;
    auto s = host::abrirSesion(o);
    QStringList propiedades;
    for (const char* p : {"IDCentro", "NombreCentro", "IDCursoescolar", "ValorCursoEscolar", "IDUsuario", "Pesetas", "SQLServer"})
        propiedades << s->property(p).toString();
    EXPECT_EQ(propiedades, (QStringList{"1", "Colegio Norva", "2", "2024/2025", "7", "true",
                                        GetParam() == Proveedor::PostgreSQL ? "true" : "false"}));
    EXPECT_FALSE(s->property("RutaAplicacion").toString().isEmpty());

    // The four connections are open, and the school ones are the year's.
    for (const char* n : {"conexionAppEntrada", "conexionBorradoAppEntrada", "conexionlocalCENTRO",
                          "conexionBORRADOlocalCENTRO"}) {
        auto* c = qobject_cast<Conexion*>(s->property(n).value<QObject*>());
        ASSERT_NE(c, nullptr) << n;
        EXPECT_EQ(c->State(), 1) << n;
        EXPECT_EQ(c->parent(), s.get()) << n;
    }
    EXPECT_EQ(marca(s->centro()), QStringLiteral("A2C1"));
    EXPECT_EQ(marca(s->borradoCentro()), QStringLiteral("BA2C1"));

    // Another centre gets its own year.
    auto otro = host::abrirSesion(b.opciones(2));
    EXPECT_EQ(otro->property("IDCursoescolar").toInt(), 4);
    EXPECT_EQ(otro->property("NombreCentro").toString(), QStringLiteral("Escuela Íñiguez"));
    EXPECT_EQ(marca(otro->centro()), QStringLiteral("A4C2"));
}

TEST_P(SesionHost, FaltanCentroCursoOBasesDelCurso) {
    // A centre that is not registered, and one with no year in use.
    EXPECT_THROW(host::abrirSesion(b.opciones(9)), ErrorSesion);
    try {
        host::abrirSesion(b.opciones(3));
        FAIL() << "sin curso en uso";
    } catch (const ErrorSesion& e) {
        EXPECT_TRUE(e.descripcion().contains(QStringLiteral("curso escolar"))) << e.descripcion().toStdString();
    }

    // The year in use names a school database that is not there: said
    // plainly, and on SQLite no empty file is left behind.
    const QString perdida = b.ctx.cadena(QStringLiteral("Perdida"), false);
    b.entrada->Execute(QStringLiteral("UPDATE CursoEscolar SET BD = ? WHERE IDCursoEscolar = 2"), {perdida});
    EXPECT_THROW(host::abrirSesion(b.opciones(1)), ErrorSesion);
    if (GetParam() == Proveedor::SQLite) {
        EXPECT_FALSE(QFileInfo::exists(b.ctx.nombreReal(QStringLiteral("Perdida"))));
    }
}

NCC_AMBOS_FONDOS(SesionHost);

TEST(SesionHostSQLite, RutasRelativasDeLosCursosSeTomanDeLaCarpetaDeEntrada) {
    BasesEntrada b(Proveedor::SQLite);
    b.crear();
    b.baseCentro(QStringLiteral("A3C1"));
    b.baseCentro(QStringLiteral("BA3C1"));
    // The year's databases written as bare file names, and the whole
    // session reached through --datos.
    b.entrada->Execute(QStringLiteral("UPDATE CursoEscolar SET BD = ?, BDBorrado = ? WHERE IDCursoEscolar = 2"),
                       {QStringLiteral("Provider=SQLite;Data Source=A3C1.db"),
                        QStringLiteral("Provider=SQLite;Data Source=BA3C1.db")});
    QStringList args{QStringLiteral("--datos"), b.ctx.carpeta()};
    const auto o = host::desdeArgumentos(args);
    // Run from somewhere else: the relative names must not follow the
    // working folder.
    const QString antes = QDir::currentPath();
    QDir::setCurrent(QDir::tempPath());
    auto s = host::abrirSesion(o);
    QDir::setCurrent(antes);
    EXPECT_EQ(marca(s->centro()), QStringLiteral("A3C1"));
    EXPECT_EQ(marca(s->borradoCentro()), QStringLiteral("BA3C1"));
}

TEST(SesionHostSQLite, CarpetaSinBasesDeEntrada) {
    QTemporaryDir vacia;
    QStringList args{QStringLiteral("--datos"), vacia.path()};
    try {
        host::abrirSesion(host::desdeArgumentos(args));
        FAIL();
    } catch (const ErrorSesion& e) {
        EXPECT_TRUE(e.descripcion().contains(QStringLiteral("AppEntrada.db"))) << e.descripcion().toStdString();
    }
    EXPECT_TRUE(QDir(vacia.path()).isEmpty());
}

TEST(OpcionesSesion, SeTomanYQuitanDeLosArgumentos) {
    QStringList args{QStringLiteral("--nuevo"), QStringLiteral("2025/2026"), QStringLiteral("--datos"),
                     QStringLiteral("/srv/norva"), QStringLiteral("--centro=3"), QStringLiteral("--pesetas"),
                     QStringLiteral("--si")};
    const auto o = host::desdeArgumentos(args);
    EXPECT_EQ(args, (QStringList{"--nuevo", "2025/2026", "--si"}));
    EXPECT_EQ(o.centro, 3);
    EXPECT_EQ(o.usuario, 1);
    EXPECT_TRUE(o.pesetas);
    Conexion entrada(o.appEntrada), borrado(o.borradoAppEntrada);
    EXPECT_EQ(entrada.proveedor(), Proveedor::SQLite);
    EXPECT_EQ(entrada.propiedad(QStringLiteral("Data Source")), QStringLiteral("/srv/norva/AppEntrada.db"));
    EXPECT_EQ(borrado.propiedad(QStringLiteral("Data Source")), QStringLiteral("/srv/norva/BorradoAppEntrada.db"));

    QStringList srv{QStringLiteral("--servidor"), QStringLiteral("Data Source=/run/pg:5433;User ID=u;Password=p"),
                    QStringLiteral("--usuario"), QStringLiteral("4")};
    const auto p = host::desdeArgumentos(srv);
    EXPECT_TRUE(srv.isEmpty());
    EXPECT_EQ(p.usuario, 4);
    Conexion pe(p.appEntrada), pb(p.borradoAppEntrada);
    EXPECT_TRUE(pe.esServidor());
    EXPECT_EQ(pe.propiedad(QStringLiteral("Initial Catalog")), QStringLiteral("AppEntrada"));
    EXPECT_EQ(pb.propiedad(QStringLiteral("Initial Catalog")), QStringLiteral("BorradoAppEntrada"));
    EXPECT_EQ(pe.propiedad(QStringLiteral("User ID")), QStringLiteral("u"));

    const QList<QStringList> malos{
        {},
        {"--datos", "/a", "--servidor", "Data Source=h"},
        {"--datos"},
        {"--datos", "--centro", "2"},
        {"--datos", "/a", "--centro", "dos"},
        {"--datos", "/a", "--centro", "40000"},
        {"--datos", "/a", "--usuario=0"},
        {"--servidor", "Provider=SQLite;Data Source=/a.db"},
    };
    for (QStringList m : malos) EXPECT_THROW(host::desdeArgumentos(m), ErrorOpciones) << m.join(' ').toStdString();
}
