// The host's session built from the application-entry database, and the
// options the commands take it from.
#include "BasesEntrada.h"
#include "Lectura.h"
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

TEST_P(SesionHost, TomaElCursoUltimoUtilizadoDelCentroYAbreSusBasesOSeNiegaSiFaltan) {
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
        EXPECT_TRUE(c->State() == 1 && c->parent() == s.get()) << n;
    }
    EXPECT_EQ(enFila({marca(s->centro()), marca(s->borradoCentro())}), "A2C1|BA2C1");

    // Another centre gets its own year.
    auto otro = host::abrirSesion(b.opciones(2));
    EXPECT_EQ(enFila({otro->property("IDCursoescolar"), otro->property("NombreCentro"), marca(otro->centro())}),
              "4|Escuela Íñiguez|A4C2");

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
    EXPECT_EQ(enFila({marca(s->centro()), marca(s->borradoCentro())}), "A3C1|BA3C1");
}

TEST(OpcionesSesion, SeTomanYQuitanDeLosArgumentos) {
    QStringList args{QStringLiteral("--nuevo"), QStringLiteral("2025/2026"), QStringLiteral("--datos"),
                     QStringLiteral("/srv/norva"), QStringLiteral("--centro=3"), QStringLiteral("--pesetas"),
                     QStringLiteral("--si")};
    const auto o = host::desdeArgumentos(args);
    EXPECT_EQ(args, (QStringList{"--nuevo", "2025/2026", "--si"}));
    Conexion entrada(o.appEntrada), borrado(o.borradoAppEntrada);
    EXPECT_EQ(enFila({o.centro, o.usuario, o.pesetas, entrada.proveedor() == Proveedor::SQLite,
                      entrada.propiedad(QStringLiteral("Data Source")),
                      borrado.propiedad(QStringLiteral("Data Source"))}),
              "3|1|true|true|/srv/norva/AppEntrada.db|/srv/norva/BorradoAppEntrada.db");

    QStringList srv{QStringLiteral("--servidor"), QStringLiteral("Data Source=/run/pg:5433;User ID=u;Password=p"),
                    QStringLiteral("--usuario"), QStringLiteral("4")};
    const auto p = host::desdeArgumentos(srv);
    Conexion pe(p.appEntrada), pb(p.borradoAppEntrada);
    EXPECT_EQ(enFila({srv.size(), p.usuario, pe.esServidor(), pe.propiedad(QStringLiteral("Initial Catalog")),
                      pb.propiedad(QStringLiteral("Initial Catalog")), pe.propiedad(QStringLiteral("User ID"))}),
              "0|4|true|AppEntrada|BorradoAppEntrada|u");

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
