// The host's entry: the session copied into the settings, by property name,
// from a session built on real databases; and the folder of the
// application-entry database.
#include "Lectura.h"
#include "BasesEntrada.h"
#include "entry/cAsignarDatos.h"
#include "entry/cConfiguracion.h"
#include "platform/Error.h"
#include "platform/MensajesGuion.h"
#include <QMetaProperty>

using namespace ncc;
using namespace ncc::pruebas;

namespace {

// The same session as a bare object whose properties exist only by name, as
// a host of another kind hands it over; the connections stay the session's.
std::unique_ptr<QObject> copiaPorNombre(const QObject& s) {
    auto o = std::make_unique<QObject>();
    const QMetaObject* m = s.metaObject();
    for (int i = m->propertyOffset(); i < m->propertyCount(); ++i)
        o->setProperty(m->property(i).name(), m->property(i).read(&s));
    return o;
}

long numeroDeError(cAsignarDatos& a, QObject* sesion) {
    try {
        a.ObtenerDatos(sesion);
    } catch (const Error& e) {
        return e.numero();
    }
    return 0;
}

}  // namespace

class EntradaSesion : public ::testing::TestWithParam<Proveedor> {
protected:
    void SetUp() override {
        b.crear();
        auto o = b.opciones();
        o.pesetas = true;
        o.usuario = 3;
        sesion = host::abrirSesion(o);
    }
    BasesEntrada b{GetParam()};
    std::unique_ptr<host::Sesion> sesion;
};

TEST_P(EntradaSesion, ObtenerDatosLlenaLaConfiguracion) {
    {
        cAsignarDatos a;
        a.ObtenerDatos(sesion.get());
        const cConfiguracion* c = ConfiguracionActual();
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(enFila({c->intIDCentro(), c->NombreCentro(), c->intIDCursoEscolar(), c->CursoEscolar(), c->intIDUsuario(), c->Pesetas(),
                          c->Activa()}),
                  "1|Colegio Norva|2|2024/2025|3|true|false");
        EXPECT_EQ(enFila({c->SQLServer(), c->RutaBD(), ArchivoAyuda()}),
                  enFila({GetParam() == Proveedor::PostgreSQL,
                          GetParam() == Proveedor::SQLite ? b.ctx.carpeta() : QString(),
                          sesion->RutaAplicacion() + QStringLiteral("/NorvaCentro.chm")}));
        EXPECT_EQ(enFila({c->DatosSesion() == sesion.get(), c->conLocalAppEntrada() == &sesion->appEntrada(),
                          c->conLocalBorradoAppEntrada() == &sesion->borradoAppEntrada()}),
                  "true|true|true");
        // The school connections reach the year's databases as they are.
        ASSERT_NE(c->conLocalCentro(), nullptr);
        ASSERT_NE(c->conLocalBorradoCentro(), nullptr);
        EXPECT_EQ(enFila({marca(*c->conLocalCentro()), marca(*c->conLocalBorradoCentro())}), "A2C1|BA2C1");

        // The runner's signal to the host goes through the kept session.
        c->DatosSesion()->setProperty("lngRowData", -100);
        EXPECT_EQ(sesion->lngRowData(), -100);

        // A second call overwrites everything.
        sesion->setIDCentro(2);
        sesion->setNombreCentro(QStringLiteral("Otro"));
        sesion->setPesetas(false);
        a.ObtenerDatos(sesion.get());
        EXPECT_EQ(enFila({c->intIDCentro(), c->NombreCentro(), c->Pesetas()}), "2|Otro|false");
    }
    // Releasing the entry leaves the component without settings.
    EXPECT_EQ(ConfiguracionActual(), nullptr);
}

TEST_P(EntradaSesion, PropiedadQueFaltaOValorQueNoConvierte) {
    cAsignarDatos a;
    // A session whose properties exist only by name is read alike.
    auto s = copiaPorNombre(*sesion);
    EXPECT_EQ(numeroDeError(a, s.get()), 0);
    EXPECT_EQ(ConfiguracionActual()->conLocalCentro(), &sesion->centro());

    // Numbers in text convert, like the host's automation converts them.
    s->setProperty("IDCursoescolar", QStringLiteral(" 12 "));
    s->setProperty("Pesetas", QStringLiteral("Falso"));
    EXPECT_EQ(enFila({numeroDeError(a, s.get()), ConfiguracionActual()->intIDCursoEscolar(),
                      ConfiguracionActual()->Pesetas()}),
              "0|12|false");

    // Missing: what was copied before stays, nothing after is taken.
    fijarConfiguracionActual(std::make_unique<cConfiguracion>());
    s->setProperty("ValorCursoEscolar", QVariant());  // removes it
    EXPECT_EQ(numeroDeError(a, s.get()), errores::PropiedadNoEncontrada);
    const cConfiguracion* c = ConfiguracionActual();
    EXPECT_EQ(enFila({c->intIDCursoEscolar(), c->NombreCentro(), c->CursoEscolar(),
                      c->conLocalAppEntrada() == nullptr}),
              "12|Colegio Norva||true");
    s->setProperty("ValorCursoEscolar", QStringLiteral("2024/2025"));

    struct Caso {
        const char* propiedad;
        QVariant valor;
        long numero;
    };
    QObject ajeno;
    const Caso casos[] = {
        {"IDCentro", QStringLiteral("uno"), errores::TipoNoCoincide},
        {"IDCentro", 40000, errores::Desbordamiento},
        {"IDUsuario", -32769, errores::Desbordamiento},
        {"IDCursoescolar", 1e12, errores::Desbordamiento},
        {"NombreCentro", QVariant::fromValue(&ajeno), errores::TipoNoCoincide},
        {"Pesetas", QStringLiteral("quizá"), errores::TipoNoCoincide},
        {"SQLServer", QVariant::fromValue(QStringList{"a"}), errores::TipoNoCoincide},
        {"conexionlocalCENTRO", QVariant::fromValue(&ajeno), errores::TipoNoCoincide},
        {"conexionBorradoAppEntrada", QStringLiteral("Provider=SQLite"), errores::TipoNoCoincide},
        {"RutaAplicacion", QVariant::fromValue(&ajeno), errores::TipoNoCoincide},
    };
    for (const Caso& k : casos) {
        auto t = copiaPorNombre(*sesion);
        t->setProperty(k.propiedad, k.valor);
        EXPECT_EQ(numeroDeError(a, t.get()), k.numero) << k.propiedad;
    }
    auto sinConexion = copiaPorNombre(*sesion);
    sinConexion->setProperty("conexionAppEntrada", QVariant::fromValue<QObject*>(nullptr));
    EXPECT_TRUE(numeroDeError(a, sinConexion.get()) != 0 && numeroDeError(a, nullptr) != 0);
}

NCC_AMBOS_FONDOS(EntradaSesion);

TEST(ObtenerRutaBD, CarpetaDelArchivoVaciaEnElServidorOSinCarpeta) {
    auto ruta = [](const char* cadena) { return ObtenerRutaBD(Conexion(QString::fromUtf8(cadena))); };
    // Only the last separator splits.
    EXPECT_EQ(ruta("Provider=SQLite;Data Source=/srv/norva/datos/AppEntrada.db"), QStringLiteral("/srv/norva/datos"));
    EXPECT_EQ(ruta("Provider=SQLite;Data Source=C:\\Norva\\Datos\\AppEntrada.db"), QStringLiteral("C:\\Norva\\Datos"));
    // The server has no folder, whatever its data source says.
    EXPECT_EQ(ruta("Provider=PostgreSQL;Data Source=/run/postgresql:5432;Initial Catalog=AppEntrada"), QString());
    // A bare file name has no folder to give, and nothing breaks.
    EXPECT_EQ(ruta("Provider=SQLite;Data Source=AppEntrada.db") + ruta("Provider=SQLite"), QString());
}

TEST(ActivarFormulario, NodosSinFormularioNoHacenNada) {
    MensajesGuion guion;
    ServicioMensajesInstalado instalado(guion);
    cAsignarDatos a;
    for (int nodo : {0, 4, 255}) a.ActivarFormulario(quint8(nodo));
    EXPECT_TRUE(guion.mostrados().isEmpty());
    for (int nodo : {1, 2, 3}) a.ActivarFormulario(quint8(nodo));
    EXPECT_EQ(enFila({guion.mostrados().size(), guion.sinPreguntasInesperadas()}), "3|true");
}
