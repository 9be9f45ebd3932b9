// A whole closing of the sample school, from the host's session to the
// session of the next year: the figures of the summary that `ncc cerrar`
// prints are checked against what the old and the new databases hold.
#include "Muestra.h"

using namespace ncc;
using namespace ncc::pruebas;

namespace {

class CierreCompleto : public ConMuestra {};

struct Destino {
    qint64 tipo, curso, seccion;
};

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
    const qint64 quitada = plan.arboles.actividades->Item(1)->IDActividad();
    plan.arboles.actividades->Item(1)->setPromocionada(false);

    // What the plan decides, read before the run changes the trees.
    QHash<qint64, Destino> promocionan, repiten;
    QSet<qint64> bajasPlan;
    for (const auto& sec : *plan.arboles.secciones) {
        if (!sec->Promocionada()) continue;
        for (const auto& a : *sec->Alumnos()) {
            const Destino d{a->NIDTipoEnsenanza(), a->NIDCurso(), a->NIDSeccion()};
            if (a->Promociona()) promocionan.insert(a->IDAlumno(), d);
            else if (a->Repite()) repiten.insert(a->IDAlumno(), d);
            else if (a->Baja()) bajasPlan.insert(a->IDAlumno());
        }
    }
    ASSERT_FALSE(promocionan.isEmpty());
    ASSERT_FALSE(repiten.isEmpty());
    ASSERT_FALSE(bajasPlan.isEmpty());

    Conexion& viejo = s->sesion->centro();
    const QSet<qint64> alumnosAntes = ids(viejo, QStringLiteral("SELECT IDAlumno FROM Alumno"));
    const QSet<qint64> anticipados = ids(viejo, QStringLiteral("SELECT IDAlumno FROM Alumno WHERE Anticipado<>0"));
    // Leavers the archive can describe: their section, course and teaching
    // type exist.
    const QSet<qint64> archivables = ids(viejo, QStringLiteral(
        "SELECT Alumno.IDAlumno FROM Alumno INNER JOIN Seccion ON Seccion.IDSeccion=Alumno.CodSeccion "
        "INNER JOIN Curso ON Curso.IDCurso=Alumno.CodCurso INNER JOIN TipoEnsenanza ON "
        "TipoEnsenanza.IDTipoEnsenanza=Alumno.CodTipoEnsenanza"));
    QHash<qint64, long> archivoAntes;
    for (Recordset rs = viejo.Abrir(QStringLiteral("SELECT IDAlumno FROM Alumno_Baja")); !rs.eof(); rs.MoveNext())
        ++archivoAntes[rs.entero(QStringLiteral("IDAlumno"))];
    const QSet<qint64> familiasAntes = ids(viejo, QStringLiteral("SELECT IDFamilia FROM Familia"));
    const QSet<qint64> direccionesAntes = ids(viejo, QStringLiteral("SELECT IDDireccion FROM Direccion"));
    const QSet<qint64> cuentasAntes = ids(viejo, QStringLiteral("SELECT IDCuenta FROM Cuenta"));
    const QSet<qint64> fotosAntes = ids(viejo, QStringLiteral("SELECT IDFoto FROM Foto"));
    const QSet<qint64> actividadesAntes = ids(viejo, QStringLiteral("SELECT IDActividad FROM Actividad"));
    const QSet<qint64> historicosAntes = ids(viejo, QStringLiteral("SELECT IDCursoEscolarHistorico FROM CursoEscolarHistorico"));
    const host::ResumenCierre antes = host::ResumenCierre::leerAntes(*ConfiguracionActual(), plan.arboles);

    auto motor = std::make_unique<cIFunciones>();
    ProgresoEnMemoria barra;
    prepararMotor(*motor, plan, &barra);
    ASSERT_TRUE(motor->TransferirDatos()) << guion.textos().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(guion.sinPreguntasInesperadas()) << guion.inesperadas().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(barra.Value(), 15);
    const host::ResumenCierre r = antes.completar(motor->estado());

    Conexion nuevo(motor->estado().conNuevoCentro.ConnectionString());
    nuevo.Open();

    // Students: the promoted and the repeaters at their destinations, the
    // pre-enrolled as they were, nobody else.
    QSet<qint64> conservados = anticipados;
    for (auto it = promocionan.cbegin(); it != promocionan.cend(); ++it) conservados.insert(it.key());
    for (auto it = repiten.cbegin(); it != repiten.cend(); ++it) conservados.insert(it.key());
    const QSet<qint64> alumnosDespues = ids(nuevo, QStringLiteral("SELECT IDAlumno FROM Alumno"));
    EXPECT_EQ(alumnosDespues, conservados);
    long promocionadosVistos = 0, repetidoresVistos = 0;
    for (Recordset rs = nuevo.Abrir(QStringLiteral("SELECT IDAlumno, CodTipoEnsenanza, CodCurso, CodSeccion, Repetidor FROM Alumno"));
         !rs.eof(); rs.MoveNext()) {
        const qint64 id = rs.entero(QStringLiteral("IDAlumno"));
        const bool repetidor = rs.entero(QStringLiteral("Repetidor")) != 0;
        const Destino visto{rs.entero(QStringLiteral("CodTipoEnsenanza")), rs.entero(QStringLiteral("CodCurso")),
                            rs.entero(QStringLiteral("CodSeccion"))};
        const bool promociona = promocionan.contains(id);
        if (!promociona && !repiten.contains(id)) continue;
        const Destino d = promociona ? promocionan.value(id) : repiten.value(id);
        if (visto.tipo == d.tipo && visto.curso == d.curso && visto.seccion == d.seccion && repetidor == !promociona)
            ++(promociona ? promocionadosVistos : repetidoresVistos);
    }
    EXPECT_EQ(promocionadosVistos, promocionan.size());
    EXPECT_EQ(repetidoresVistos, repiten.size());
    EXPECT_EQ(r.promocionan, promocionadosVistos);
    EXPECT_EQ(r.repiten, repetidoresVistos);
    EXPECT_EQ(r.bajas, bajasPlan.size());
    EXPECT_TRUE((bajasPlan & alumnosDespues).isEmpty());

    // The closing year archives every leaver it can describe, once.
    QHash<qint64, long> archivoDespues;
    for (Recordset rs = viejo.Abrir(QStringLiteral("SELECT IDAlumno FROM Alumno_Baja")); !rs.eof(); rs.MoveNext())
        ++archivoDespues[rs.entero(QStringLiteral("IDAlumno"))];
    QSet<qint64> archivados;
    long filasArchivadas = 0;
    for (auto it = archivoDespues.cbegin(); it != archivoDespues.cend(); ++it) {
        const long nuevas = it.value() - archivoAntes.value(it.key());
        EXPECT_GE(nuevas, 0);
        EXPECT_LE(nuevas, 1) << "alumno " << it.key() << " archivado dos veces";
        if (nuevas > 0) archivados.insert(it.key());
        filasArchivadas += nuevas;
    }
    EXPECT_EQ(archivados, (alumnosAntes - alumnosDespues) & archivables);
    EXPECT_EQ((bajasPlan & archivables) - archivados, QSet<qint64>());
    EXPECT_EQ(r.bajasArchivadas, filasArchivadas);

    // The closed year becomes one historic year of the new database, with
    // the grades passed to it.
    const QSet<qint64> historicosDespues = ids(nuevo, QStringLiteral("SELECT IDCursoEscolarHistorico FROM CursoEscolarHistorico"));
    const QSet<qint64> historicoNuevo = historicosDespues - historicosAntes;
    ASSERT_EQ(historicoNuevo.size(), 1);
    const qint64 idHistorico = *historicoNuevo.begin();
    Recordset hist = nuevo.Abrir(QStringLiteral("SELECT Nombre FROM CursoEscolarHistorico WHERE IDCursoEscolarHistorico=%1").arg(idHistorico));
    EXPECT_EQ(hist.texto(QStringLiteral("Nombre")), QStringLiteral("2025/2026"));
    const long long pasadas = contar(nuevo, QStringLiteral("SELECT COUNT(*) FROM EvaluacionHistorica WHERE CodCursoEscolarHistorico=%1").arg(idHistorico));
    EXPECT_GT(pasadas, 0);
    EXPECT_EQ(r.filasHistorico, pasadas);

    // Pending subjects of the new year belong to its students.
    const long long pendientes = contar(nuevo, QStringLiteral("SELECT COUNT(*) FROM AlumnoPte_MatDet"));
    EXPECT_GT(pendientes, 0);
    EXPECT_EQ(r.materiasPendientes, pendientes);
    EXPECT_TRUE(ids(nuevo, QStringLiteral("SELECT CodAlumno FROM AlumnoPte_MatDet")).subtract(alumnosDespues).isEmpty());

    // Activities: all but the one left unpromoted.
    const QSet<qint64> actividadesDespues = ids(nuevo, QStringLiteral("SELECT IDActividad FROM Actividad"));
    EXPECT_EQ(actividadesDespues, actividadesAntes - QSet<qint64>{quitada});
    EXPECT_EQ(r.actividadesDespues, actividadesDespues.size());
    EXPECT_EQ(r.actividadesAntes - r.actividadesDespues, 1);

    // What hangs on the leavers goes, what the new year still uses stays.
    auto usados = [&](std::initializer_list<const char*> consultas) {
        QSet<qint64> u;
        for (const char* c : consultas) u |= ids(nuevo, QString::fromLatin1(c));
        return u;
    };
    const QSet<qint64> familias = ids(nuevo, QStringLiteral("SELECT IDFamilia FROM Familia"));
    EXPECT_EQ(familias, familiasAntes & usados({"SELECT CodFamilia FROM Alumno", "SELECT CodFamilia FROM Personal"}));
    const QSet<qint64> direcciones = ids(nuevo, QStringLiteral("SELECT IDDireccion FROM Direccion"));
    EXPECT_EQ(direcciones, direccionesAntes & usados({"SELECT CodDireccion FROM Alumno", "SELECT CodDireccion FROM Personal",
                                                      "SELECT CodDireccion FROM MiembroFamilia",
                                                      "SELECT CodDireccion FROM Centro"}));
    const QSet<qint64> cuentas = ids(nuevo, QStringLiteral("SELECT IDCuenta FROM Cuenta"));
    EXPECT_EQ(cuentas, cuentasAntes & usados({"SELECT CodCuenta FROM Personal", "SELECT CodCuenta FROM Centro_Cuenta_Emisor",
                                              "SELECT CodCuenta FROM MiembroFamiliaPagador_Cuenta"}));
    const QSet<qint64> fotos = ids(nuevo, QStringLiteral("SELECT IDFoto FROM Foto"));
    EXPECT_EQ(fotos, fotosAntes & usados({"SELECT CodFoto FROM Alumno", "SELECT CodFoto FROM Centro"}));
    EXPECT_GT(r.familias, 0);
    EXPECT_GT(r.direcciones, 0);
    EXPECT_GT(r.fotos, 0);
    EXPECT_EQ(r.familias, familiasAntes.size() - familias.size());
    EXPECT_EQ(r.direcciones, direccionesAntes.size() - direcciones.size());
    EXPECT_EQ(r.cuentas, cuentasAntes.size() - cuentas.size());
    EXPECT_EQ(r.fotos, fotosAntes.size() - fotos.size());
    // The printed summary carries those figures.
    const QString texto = r.texto(1.0);
    EXPECT_TRUE(texto.contains(QRegularExpression(QStringLiteral("Familias eliminadas:\\s+%1\\n").arg(r.familias))))
        << texto.toStdString();
    EXPECT_TRUE(texto.contains(QRegularExpression(QStringLiteral("Alumnos que promocionan:\\s+%1\\n").arg(promocionan.size()))))
        << texto.toStdString();

    // The application entry's rows are the reference closings' to check.
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
    EXPECT_FALSE(hayDiario(muestra.cadena(QStringLiteral("AppEntrada"))));

    // The host's next session is the new year, with the kept students.
    SesionAbierta despues(muestra);
    EXPECT_EQ(despues.sesion->IDCursoescolar(), 4);
    EXPECT_EQ(despues.sesion->ValorCursoEscolar(), QStringLiteral("2026/2027"));
    EXPECT_EQ(ids(despues.sesion->centro(), QStringLiteral("SELECT IDAlumno FROM Alumno")), conservados);
    const QString base = muestra.esServidor() ? catalogo(despues.sesion->centro().ConnectionString())
                                              : QFileInfo(despues.sesion->centro().propiedad(QStringLiteral("Data Source"))).fileName();
    EXPECT_EQ(base.toUpper(), muestra.esServidor() ? QStringLiteral("A1C4") : QStringLiteral("A1C4.DB"));
}

}  // namespace

NCC_AMBOS_FONDOS(CierreCompleto);
