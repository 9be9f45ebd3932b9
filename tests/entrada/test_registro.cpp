// The public classes, created by ProgID as the host creates them.
#include "entry/RegistroClases.h"
#include "entry/cAlumnoHistorico.h"
#include "entry/cAsignarDatos.h"
#include "entry/cConfiguracion.h"
#include "entry/cCurso.h"
#include "entry/cMateria.h"
#include "entry/cPrecioActividad.h"
#include "platform/Error.h"
#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>
#include <memory>

using namespace ncc;

TEST(RegistroClases, CreaPorProgIDRechazaLoDesconocidoYGuardaSusIdentificadores) {
    {
        std::unique_ptr<QObject> o(RegistroClases::crear(QStringLiteral("NCCierreCurso.cAsignarDatos")));
        EXPECT_NE(qobject_cast<cAsignarDatos*>(o.get()), nullptr);
        // Created by the host, it brings the settings with it.
        EXPECT_NE(ConfiguracionActual(), nullptr);
    }
    EXPECT_EQ(ConfiguracionActual(), nullptr);

    // ProgIDs are matched as COM matches them, without regard to case.
    std::unique_ptr<QObject> curso(RegistroClases::crear(QStringLiteral("nccierrecurso.CCURSO")));
    EXPECT_NE(qobject_cast<cCurso*>(curso.get()), nullptr);
    std::unique_ptr<QObject> precio(RegistroClases::crear(QStringLiteral("NCCierreCurso.cPrecioActividad")));
    EXPECT_NE(qobject_cast<cPrecioActividad*>(precio.get()), nullptr);
    // The historic editor's records, and the student search it calls by name.
    std::unique_ptr<QObject> m(RegistroClases::crear(QStringLiteral("NCCierreCurso.cMateria")));
    std::unique_ptr<QObject> h(RegistroClases::crear(QStringLiteral("NCCierreCurso.cAlumnoHistorico")));
    EXPECT_TRUE(qobject_cast<cMateria*>(m.get()) && qobject_cast<cAlumnoHistorico*>(h.get()));
    std::unique_ptr<QObject> busqueda(RegistroClases::crear(QStringLiteral("ncbuscar.casignardatos")));
    ASSERT_NE(busqueda, nullptr);
    EXPECT_GE(busqueda->metaObject()->indexOfMethod("Buscar(QString)"), 0);

    for (const char* malo : {"NCCierreCurso.cNada", "NCBuscar.cNada", "cAsignarDatos", "",
                             "NCCierreCurso.cConfiguracion", "NCCierreCurso.cAlumno"}) {
        try {
            delete RegistroClases::crear(QString::fromUtf8(malo));
            ADD_FAILURE() << malo;
        } catch (const Error& e) {
            EXPECT_EQ(e.numero(), ErrorCrearObjeto) << malo;
        }
    }

    // The table of classes, with the identifiers the host registered.
    const auto clases = RegistroClases::clases();
    ASSERT_EQ(clases.size(), 10);
    const QRegularExpression guid(QStringLiteral("^[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}$"));
    QSet<QString> vistos;
    for (const auto& c : clases) {
        EXPECT_TRUE(c.progId().startsWith(QStringLiteral("NCCierreCurso.")));
        for (const QString& g : {c.clsid, c.iid}) {
            EXPECT_TRUE(guid.match(g).hasMatch() && !vistos.contains(g)) << g.toStdString();
            vistos.insert(g);
        }
        EXPECT_EQ(c.iidEventos.isEmpty(), c.nombre != QLatin1String("cIFunciones")) << c.nombre.toStdString();
    }
    const auto clase = [](const char* p) { return RegistroClases::clase(QStringLiteral("NCCierreCurso.") + QLatin1String(p)); };
    const auto entrada = clase("cAsignarDatos");
    const auto motor = clase("cIFunciones");
    EXPECT_EQ((QStringList{entrada.clsid, entrada.iid, entrada.interfaz(), motor.clsid, motor.iidEventos,
                           clase("cMateria").clsid, clase("cAlumnoHistorico").clsid}),
              (QStringList{"b2987086-e98e-4d03-be05-4242fb1d23e2", "5a5ba293-c316-4a04-a292-916809773563",
                           "_cAsignarDatos", "1724d5e9-a013-4e80-b425-16e08f329fa3",
                           "96fe4981-7734-4505-91ab-3f22d935500e", "186c5192-bca6-46be-9623-e9df9364cadf",
                           "390c8aef-3f7a-427d-8920-8629f6169b29"}));

    // A class outside the table, or a second factory for one, is refused.
    auto fabrica = []() -> QObject* { return new QObject; };
    EXPECT_THROW(RegistroClases::registrar("cNada", fabrica), Error);
    EXPECT_THROW(RegistroClases::registrar("cCurso", fabrica), Error);
    std::unique_ptr<QObject> sigue(RegistroClases::crear(QStringLiteral("NCCierreCurso.cCurso")));
    EXPECT_NE(qobject_cast<cCurso*>(sigue.get()), nullptr);
}
