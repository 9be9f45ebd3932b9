// A whole closing of the sample school, from the host's session to the
// session of the next year: the figures of the summary that `ncc cerrar`
// prints are checked against what the old and the new databases hold.
#include "Muestra.h"

using namespace ncc;
using namespace ncc::pruebas;

namespace {

class CierreCompleto : public ConMuestra {};

// The rows the closing writes are the reference closings' to pin; this test
// checks that the summary counts what the databases show, that nothing of
// the run is left but the new year, and that the host opens that year next.
TEST_P(CierreCompleto, ElResumenCuadraConLasBasesViejaYNueva) {
    muestra = crearMuestra(ctx, QStringLiteral("escuela"), 150);
    MensajesGuion guion;
    guion.responderA(2187, Respuesta::Si).responderA(710, Respuesta::Si);
    ServicioMensajesInstalado instalado(guion);

    auto s = std::make_unique<SesionAbierta>(muestra);
    ASSERT_EQ(s->sesion->IDCursoescolar(), 3);
    host::Plan plan = s->planPorDefecto();
    // One activity the school drops: the summary must say it went.
    ASSERT_GE(plan.arboles.actividades->Count(), 2);
    plan.arboles.actividades->Item(1)->setPromocionada(false);
    long promocionan = 0, repiten = 0, bajas = 0;
    for (const auto& sec : *plan.arboles.secciones)
        if (sec->Promocionada())
            for (const auto& a : *sec->Alumnos()) {
                promocionan += a->Promociona();
                repiten += a->Repite();
                bajas += a->Baja();
            }
    ASSERT_GT(promocionan * repiten * bajas, 0);

    Conexion& viejo = s->sesion->centro();
    const QStringList purgadas{QStringLiteral("Familia"), QStringLiteral("Direccion"), QStringLiteral("Cuenta"),
                               QStringLiteral("Foto")};
    QList<long> antesPurga;
    for (const QString& t : purgadas) antesPurga << host::contarFilas(viejo, t);
    const long archivoAntes = host::contarFilas(viejo, QStringLiteral("Alumno_Baja"));
    const long actividadesAntes = host::contarFilas(viejo, QStringLiteral("Actividad"));
    const host::ResumenCierre antes = host::ResumenCierre::leerAntes(*ConfiguracionActual(), plan.arboles);

    auto motor = std::make_unique<cIFunciones>();
    ProgresoEnMemoria barra;
    prepararMotor(*motor, plan, &barra);
    ASSERT_TRUE(motor->TransferirDatos()) << guion.textos().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(enFila({guion.sinPreguntasInesperadas(), barra.Value()}), "true|15")
        << guion.inesperadas().join(QLatin1Char('\n')).toStdString();
    const host::ResumenCierre r = antes.completar(motor->estado());

    Conexion nuevo(motor->estado().conNuevoCentro.ConnectionString());
    nuevo.Open();
    const QList<long> despuesPurga{host::contarFilas(nuevo, purgadas[0]), host::contarFilas(nuevo, purgadas[1]),
                                   host::contarFilas(nuevo, purgadas[2]), host::contarFilas(nuevo, purgadas[3])};
    EXPECT_EQ(QList<long>({r.familias, r.direcciones, r.cuentas, r.fotos}),
              QList<long>({antesPurga[0] - despuesPurga[0], antesPurga[1] - despuesPurga[1],
                           antesPurga[2] - despuesPurga[2], antesPurga[3] - despuesPurga[3]}));
    EXPECT_GT(r.familias * r.direcciones * r.fotos, 0);
    EXPECT_GT(r.bajasArchivadas * r.filasHistorico * r.materiasPendientes, 0);
    EXPECT_EQ(enFila({r.promocionan, r.repiten, r.bajas, r.bajasArchivadas, r.filasHistorico, r.materiasPendientes,
                      r.actividadesAntes, r.actividadesDespues, r.actividadesDespues}),
              enFila({promocionan, repiten, bajas,
                      host::contarFilas(viejo, QStringLiteral("Alumno_Baja")) - archivoAntes,
                      contar(nuevo, QStringLiteral("SELECT COUNT(*) FROM EvaluacionHistorica WHERE "
                                                   "CodCursoEscolarHistorico=(SELECT MAX(IDCursoEscolarHistorico) "
                                                   "FROM CursoEscolarHistorico)")),
                      contar(nuevo, QStringLiteral("SELECT COUNT(*) FROM AlumnoPte_MatDet")), actividadesAntes,
                      actividadesAntes - 1, host::contarFilas(nuevo, QStringLiteral("Actividad"))}));
    // The printed summary carries those figures.
    const QString texto = r.texto(1.0);
    EXPECT_TRUE(texto.contains(QRegularExpression(QStringLiteral("Familias eliminadas:\\s+%1\\n").arg(r.familias))))
        << texto.toStdString();
    EXPECT_TRUE(texto.contains(QRegularExpression(QStringLiteral("Alumnos que promocionan:\\s+%1\\n").arg(promocionan))))
        << texto.toStdString();
    nuevo.Close();

    // Nothing of the run is left but the new year's two databases.
    motor.reset();
    s.reset();
    if (muestra.esServidor()) {
        EXPECT_EQ(quedanEnServidor(), QStringList({QStringLiteral("A1C4"), QStringLiteral("B1C4")}));
    } else {
        EXPECT_EQ(archivosDe(muestra.carpeta),
                  QStringList({QStringLiteral("A1C3.db"), QStringLiteral("A1C4.db"), QStringLiteral("AppEntrada.db"),
                               QStringLiteral("B1C3.db"), QStringLiteral("B1C4.db"), QStringLiteral("BorradoAppEntrada.db")}));
    }
    EXPECT_FALSE(hayDiario(muestra.datos(QStringLiteral("AppEntrada"))));

    // The host's next session is the new year.
    SesionAbierta despues(muestra);
    EXPECT_EQ(enFila({despues.sesion->IDCursoescolar(), despues.sesion->ValorCursoEscolar()}), "4|2026/2027");
    const QString base = muestra.esServidor() ? catalogo(despues.sesion->centro().ConnectionString())
                                              : QFileInfo(despues.sesion->centro().propiedad(QStringLiteral("Data Source"))).fileName();
    EXPECT_EQ(base.toUpper(), muestra.esServidor() ? QStringLiteral("A1C4") : QStringLiteral("A1C4.DB"));
}

}  // namespace

NCC_AMBOS_FONDOS(CierreCompleto);
