// A rehearsal of the closing on both back ends: it leaves the school byte
// for byte (SQLite) and row for row (PostgreSQL) as it was, with no journal,
// lock or copy behind; what it reports is what the real closing run straight
// after does; a rehearsal that fails says at which step and with the
// closing's own message, and leaves nothing either.
#include "Ensayo.h"
#include "EscuelaCarpeta.h"
#include "platform/Textos.h"
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>

namespace ncc::pruebas {

namespace {

// Students per section of a tree, to see the decisions come back whole.
QStringList alumnosPorSeccion(const Coleccion<cCurso>& secciones) {
    QStringList r;
    for (const auto& s : secciones) {
        QStringList ids;
        if (s->Alumnos())
            for (const auto& a : *s->Alumnos()) ids << QString::number(a->IDAlumno());
        r << QString::number(s->IDSeccion()) + QLatin1Char(':') + ids.join(QLatin1Char(','));
    }
    return r;
}

host::DecisionesEnsayo decisiones(const host::Plan& plan) {
    host::DecisionesEnsayo d;
    d.arboles = plan.arboles;
    d.nuevoCurso = QStringLiteral("2026/2027");
    return d;
}

}  // namespace

class EnsayoCierre : public ConMuestra {};

TEST_P(EnsayoCierre, NoCambiaNadaDelCentroYResumeLoQueHaceElCierreReal) {
    muestra = crearMuestra(ctx, QStringLiteral("ensayo"), 60);
    const auto antes = estadoEscuela(muestra);
    const QStringList restosAntes = restosDeEnsayos();

    host::ResultadoEnsayo ensayo;
    QStringList nuevaDelEnsayo;
    bool conCopias = false;
    {
        SesionAbierta s(muestra);
        const host::Plan plan = s.planPorDefecto();
        const QStringList decididos = alumnosPorSeccion(*plan.arboles.secciones);
        Conexion* centroEscuela = &s.sesion->centro();
        ensayo = host::ensayarCierre(decisiones(plan), [&](const motor::EstadoMotor& e, const host::ResumenCierre&) {
            // The report writer sees the run on the copies, its new
            // databases still there.
            conCopias = &e.conLocalCentro() != centroEscuela &&
                        e.conLocalCentro().ConnectionString() != centroEscuela->ConnectionString();
            nuevaDelEnsayo = EscuelaPrueba::instantanea(const_cast<Conexion&>(e.conNuevoCentro));
        });
        ASSERT_TRUE(ensayo.correcto) << ensayo.texto().toStdString();
        EXPECT_EQ(enFila({conCopias, nuevaDelEnsayo.isEmpty()}), "true|false");
        // The trees of the decisions come back as they were handed over.
        EXPECT_EQ(alumnosPorSeccion(*plan.arboles.secciones), decididos);
        // The session is the school's again, its connections open.
        EXPECT_EQ(ConfiguracionActual()->conLocalCentro(), centroEscuela);
        for (Conexion* c : s.conexiones()) EXPECT_EQ(c->State(), 1);
        EXPECT_EQ(enFila({ensayo.texto().startsWith(Texto(15030)), ensayo.texto().contains(Texto(15036))}), "true|true")
            << ensayo.texto().toStdString();
    }
    EXPECT_GT(ensayo.resumen.promocionan, 0);
    EXPECT_EQ(estadoEscuela(muestra), antes);
    EXPECT_EQ(restosDeEnsayos(), restosAntes);
    EXPECT_FALSE(hayDiario(muestra.datos(QStringLiteral("AppEntrada"))));
    EXPECT_TRUE(quedanEnServidor().isEmpty()) << unir(quedanEnServidor()).toStdString();

    // The real closing, straight after, does what the rehearsal said.
    SesionAbierta s(muestra);
    const host::Plan plan = s.planPorDefecto();
    MensajesGuion guion;
    guion.responderA(2187, Respuesta::Si).responderA(710, Respuesta::Si);
    ServicioMensajesInstalado instalado(guion);
    const host::ResumenCierre previo = host::ResumenCierre::leerAntes(*ConfiguracionActual(), plan.arboles);
    cIFunciones motor;
    prepararMotor(motor, plan, nullptr);
    ASSERT_TRUE(motor.TransferirDatos()) << unir(guion.textos()).toStdString();
    const host::ResumenCierre real = previo.completar(motor.estado());
    // Every figure and the new databases' names are in the summary's text.
    const host::ResumenCierre& r = ensayo.resumen;
    EXPECT_EQ(r.texto(0), real.texto(0));
    // Row for row the new year the rehearsal made is the one the closing made.
    EXPECT_EQ(nuevaDelEnsayo, EscuelaPrueba::instantanea(const_cast<Conexion&>(motor.estado().conNuevoCentro)));
}

// A rehearsal never runs beside a closing of the same school, nor over the
// traces of one cut short: it says so and copies nothing. One that fails
// says at which step and with the closing's message, and leaves nothing.
TEST_P(EnsayoCierre, UnEnsayoQueFallaOQueHallaOtroCierreDiceElPasoYElMensajeYNoDejaNada) {
    muestra = crearMuestra(ctx, QStringLiteral("roto"), 40);
    romperHistorico(muestra.cadena(QStringLiteral("A1C3")));
    const auto antes = estadoEscuela(muestra);
    const QStringList restosAntes = restosDeEnsayos();
    host::ResultadoEnsayo r;
    bool informado = false;
    {
        SesionAbierta s(muestra);
        const host::Plan plan = s.planPorDefecto();
        {
            auto otro = motor::bloquearCierre(muestra.datos(QStringLiteral("AppEntrada")));
            r = host::ensayarCierre(decisiones(plan));
            EXPECT_EQ(enFila({r.correcto, r.paso, r.texto().contains(QStringLiteral("Ya hay un cierre de curso en marcha"))}),
                      enFila({false, motor::pasos::Comprobaciones, true}))
                << r.texto().toStdString();
            EXPECT_EQ(restosDeEnsayos(), restosAntes);
        }
        const QStringList decididos = alumnosPorSeccion(*plan.arboles.secciones);
        r = host::ensayarCierre(decisiones(plan), [&](const motor::EstadoMotor&, const host::ResumenCierre&) { informado = true; });
        EXPECT_EQ(alumnosPorSeccion(*plan.arboles.secciones), decididos);
        for (Conexion* c : s.conexiones()) EXPECT_EQ(c->State(), 1);
    }
    ASSERT_FALSE(r.correcto);
    EXPECT_FALSE(informado);
    // It got past the copies and into the students' steps.
    EXPECT_TRUE(r.paso >= motor::pasos::Promocion && r.paso <= motor::pasos::Bajas) << r.paso;
    ASSERT_FALSE(r.errores.isEmpty());
    EXPECT_TRUE(r.errores.join(QLatin1Char(' ')).contains(QStringLiteral("evaluacionhistorica"), Qt::CaseInsensitive))
        << unir(r.errores).toStdString();
    const QString t = r.texto();
    EXPECT_EQ(enFila({t.startsWith(Texto(15031) + QLatin1Char(' ') + Texto(r.paso)), t.contains(r.errores.first()),
                      t.contains(Texto(15033))}),
              "true|true|true")
        << t.toStdString();
    EXPECT_EQ(estadoEscuela(muestra), antes);
    EXPECT_EQ(restosDeEnsayos(), restosAntes);
    EXPECT_FALSE(hayDiario(muestra.datos(QStringLiteral("AppEntrada"))));
    EXPECT_TRUE(quedanEnServidor().isEmpty()) << unir(quedanEnServidor()).toStdString();
}

// Databases of a rehearsal that died (no running rehearsal owns them, nobody
// is connected) go at the next start of the host, with their run's journal;
// those of a rehearsal still running stay.
TEST_P(EnsayoCierre, LaSiguienteAperturaBorraLoQueDejoUnEnsayoMuerto) {
    if (!ctx.esServidor()) GTEST_SKIP() << "en SQLite lo prueba el ensayo matado (test_matado)";
    muestra = crearMuestra(ctx, QStringLiteral("restos"), 20);
    const DatosConexion plantilla = plantillaServidor();
    const QString muerta = QLatin1String(host::PrefijoEnsayo) + QStringLiteral("0badf00d_AppEntrada");
    const QString viva = QLatin1String(host::PrefijoEnsayo) + QStringLiteral("0c0ffee0_AppEntrada");
    // The running one holds its server lock from before its first copy, as
    // a rehearsal does (other test programs on this server clean up
    // rehearsals too, and know nothing of this machine's lock files).
    Conexion vigilia(plantilla.conBase(QStringLiteral("postgres")));
    vigilia.Open();
    vigilia.Abrir(QStringLiteral("SELECT pg_advisory_lock(%1, %2)").arg(host::ClaveEnsayos).arg(0x0c0ffee0));
    // The journal of its run, in a database of its own: made first, so
    // that a clean-up by another program that finds the dead rehearsal
    // takes both.
    const QString diario = motor::baseDiarioServidor(plantilla.conBase(muerta));
    servidor::crear(plantilla, diario);
    servidor::copiar(plantilla, muestra.real(QStringLiteral("AppEntrada")), muerta, host::comentarioEnsayo(QStringLiteral("0badf00d")));
    servidor::copiar(plantilla, muestra.real(QStringLiteral("AppEntrada")), viva, host::comentarioEnsayo(QStringLiteral("0c0ffee0")));
    // And its lock of this machine.
    const QString notas = QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
                              .filePath(QStringLiteral("ncc/ensayos"));
    QDir().mkpath(notas);
    QLockFile enMarcha(QDir(notas).filePath(QStringLiteral("0c0ffee0.bloqueo")));
    ASSERT_TRUE(enMarcha.tryLock(0));
    // One of this machine killed between CREATE DATABASE and its comment:
    // its note announced it before the copy.
    const QString sinMarca = QLatin1String(host::PrefijoEnsayo) + QStringLiteral("0badcafe_AppEntrada");
    servidor::copiar(plantilla, muestra.real(QStringLiteral("AppEntrada")), sinMarca);
    ASSERT_TRUE(escribirFichero(QDir(notas).filePath(QStringLiteral("0badcafe.json")),
                                QJsonDocument(QJsonObject{{QStringLiteral("servidor"), plantilla.origen()}}).toJson()));

    SesionAbierta s(muestra);
    EXPECT_EQ(enFila({servidor::existe(plantilla, sinMarca), servidor::existe(plantilla, muerta),
                      servidor::existe(plantilla, diario), servidor::existe(plantilla, viva)}),
              "false|false|false|true");
    enMarcha.unlock();
    servidor::borrar(plantilla, viva);
}

TEST_P(EnsayoCierre, LaLimpiezaRespetaElEnsayoDeOtroEquipoYLosNombresQueNoSonDeEnsayos) {
    if (!ctx.esServidor()) GTEST_SKIP() << "solo los ensayos en un servidor los ve otro equipo";
    muestra = crearMuestra(ctx, QStringLiteral("otros"), 20);
    const DatosConexion plantilla = plantillaServidor();
    const QString prefijo = QLatin1String(host::PrefijoEnsayo);
    // A rehearsal running on another computer: no lock of this machine,
    // but its server lock held on a connection of its own, taken before its
    // first copy as a rehearsal takes it (other test programs on this
    // server clean up rehearsals too).
    Conexion otroEquipo(plantilla.conBase(QStringLiteral("postgres")));
    otroEquipo.Open();
    otroEquipo.Abrir(QStringLiteral("SELECT pg_advisory_lock(%1, %2)").arg(host::ClaveEnsayos).arg(0xbeef));
    const QString deOtroEquipo = prefijo + QStringLiteral("0000beef_AppEntrada");
    servidor::copiar(plantilla, muestra.real(QStringLiteral("AppEntrada")), deOtroEquipo,
                     host::comentarioEnsayo(QStringLiteral("0000beef")));
    // Databases of a user: a name that is not a rehearsal's though it starts
    // like one, and one named as a rehearsal's without its mark.
    const QStringList ajenas{prefijo + QStringLiteral("escuela_AppEntrada"), prefijo + QStringLiteral("5eed5eed_AppEntrada")};
    for (const QString& n : ajenas) servidor::copiar(plantilla, muestra.real(QStringLiteral("AppEntrada")), n);

    {
        SesionAbierta s(muestra);
    }
    EXPECT_TRUE(servidor::existe(plantilla, deOtroEquipo));
    for (const QString& n : ajenas) EXPECT_TRUE(servidor::existe(plantilla, n)) << n.toStdString();

    // Once that rehearsal is gone, its database goes at the next start.
    otroEquipo.Close();
    // The server lets the lock go when that session's process ends, a moment
    // after the client hangs up.
    {
        Conexion mirar(plantilla.conBase(QStringLiteral("postgres")));
        mirar.Open();
        for (int i = 0; i < 100 && mirar.Abrir(QStringLiteral("SELECT COUNT(*) FROM pg_locks WHERE locktype = 'advisory' "
                                                              "AND classid = %1 AND objid = %2").arg(host::ClaveEnsayos).arg(0xbeef))
                                       .campo(0).toInt() > 0; ++i)
            QThread::msleep(50);
    }
    {
        SesionAbierta s(muestra);
    }
    EXPECT_FALSE(servidor::existe(plantilla, deOtroEquipo));
    for (const QString& n : ajenas) {
        EXPECT_TRUE(servidor::existe(plantilla, n)) << n.toStdString();
        servidor::borrar(plantilla, n);
    }
}

NCC_AMBOS_FONDOS(EnsayoCierre);

}  // namespace ncc::pruebas
