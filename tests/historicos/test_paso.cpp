// The grade transfer of an earlier school year, on a school built row by
// row so that every row of the origin is known: which sections pass, the
// ids the rows take, what a repeat writes, the rows that cannot pass and
// the errors that stop it; then the transfer form driven through its
// widgets.
#include "EscuelaCarpeta.h"
#include "Historicos.h"
#include "history/PasoNotasHistorico.h"
#include "history/frmHistorico.h"
#include "platform/Reloj.h"
#include "suite/Esquema.h"
#include <QGroupBox>
#include <QProgressBar>
#include <QTest>

using namespace ncc;
using namespace ncc::pruebas;

namespace {

class Paso : public testing::TestWithParam<Proveedor> {
protected:
    Paso() : ctx(GetParam()), escuela(ctx), origen(ctx.cadena(QStringLiteral("A1C2"))) {
        instalado = std::make_unique<ServicioMensajesInstalado>(guion);
        Reloj::fijarHoy(QDate(2026, 9, 14));
        Sentencias::reiniciar();
        origen.Open();
        suite::crearEsquema(origen, suite::TipoBase::Centro);
        EscuelaPrueba::sql(escuela.appEntrada(),
                           QStringLiteral("INSERT INTO CursoEscolar (IDCursoEscolar, Nombre, CodCentro, BD, BDBorrado, "
                                          "UltimoUtilizado, Activa) VALUES (2, '2024/2025', 1, ?, '', 0, 0)"),
                           {origen.ConnectionString()});
        llenarOrigen();
        llenarCentro();
    }
    ~Paso() override {
        Sentencias::fallarEn(0);
        Reloj::fijarHoy(QDate());
        instalado.reset();
    }

    // Fixture rows; "%1" is the back end's true.
    static QString conVerdadero(const QString& s, Conexion& con) {
        return s.contains(QLatin1String("%1")) ? s.arg(con.verdadero()) : s;
    }
    void o(const QString& s) { EscuelaPrueba::sql(origen, conVerdadero(s, origen)); }
    void c(const QString& s) { EscuelaPrueba::sql(escuela.centro(), conVerdadero(s, escuela.centro())); }

    // Section 100 (secondary, 1st course): Ana (1) with three subjects and a
    // pending one of an earlier course, Luis (2) who left. Section 290
    // (primary, end of cycle): Pau (4). Section 210 (primary, not the end
    // of a cycle): Eva (3), whose grades stay out.
    void llenarOrigen() {
        o(QStringLiteral("INSERT INTO Curso (IDCurso, Descripcion, CodTipoEnsenanza, Orden, FinCiclo) VALUES "
                         "(30, '1º ESO', 3, 1, 0), (29, '6º Primaria', 2, 6, %1), (28, '5º Primaria', 2, 5, 0), "
                         "(21, '3º Primaria', 2, 3, 0)"));
        o(QStringLiteral("INSERT INTO Seccion (IDSeccion, Descripcion, CodCurso) VALUES "
                         "(100, '1º ESO A', 30), (290, '6º A', 29), (210, '3º A', 21), (300, '5º A', 28)"));
        o(QStringLiteral("INSERT INTO Alumno (IDAlumno, Nombre, FechaBaja, CodTipoEnsenanza, CodCurso, CodSeccion, Repetidor) "
                         "VALUES (1, 'Ana', NULL, 3, 30, 100, %1), (2, 'Luis', '2025/03/01', 3, 30, 100, 0), "
                         "(3, 'Eva', '', 2, 21, 210, 0), (4, 'Pau', '', 2, 29, 290, 0)"));
        o(QStringLiteral("INSERT INTO Seccion_Alumno (CodSeccion, CodAlumno) VALUES (100, 1), (100, 2), (210, 3), (290, 4)"));
        o(QStringLiteral("INSERT INTO MateriaDetalles (IDMateriaDetalles, CodMateria, CodSeccion) VALUES "
                         "(1001, 1, 100), (1002, 2, 100), (1003, 3, 100), (2901, 1, 290), (2101, 1, 210), (1500, 7, 300)"));
        o(QStringLiteral("INSERT INTO Nota (IDNota, Descripcion, Aprobado) VALUES (1, 'Insuficiente', 0), (5, 'Bien', %1)"));
        o(QStringLiteral("INSERT INTO NumEvaluacion (IDNumEvaluacion, Descripcion, Final) VALUES (9, 'Final', %1)"));
        o(QStringLiteral("INSERT INTO Seccion_NumEvaluacion (CodSeccion, CodNumEvaluacion, Fecha) VALUES "
                         "(100, 9, '2025/06/20'), (290, 9, '2025/06/21'), (210, 9, '2025/06/22')"));
        o(QStringLiteral("INSERT INTO Alumno_NumEvaluacion (IDAlumno_NumEvaluacion, CodAlumno, CodNumEvaluacion, Promocion, "
                         "PromocionPCPI, PromocionDiversificacion) VALUES "
                         "(1, 1, 9, 1, 0, %1), (2, 2, 9, 0, 0, 0), (3, 3, 9, 0, 0, 0), (4, 4, 9, 1, 0, 0)"));
        o(QStringLiteral("INSERT INTO Alumno_MateriaDetalles (IDAlumno_MateriaDetalles, CodAlumno, CodMateriaDetalles) VALUES "
                         "(11, 1, 1001), (12, 1, 1002), (13, 1, 1003), (21, 2, 1001), (41, 4, 2901), (31, 3, 2101)"));
        // The last evaluated acts, and an earlier one of Ana's that stays.
        o(QStringLiteral("INSERT INTO EvaluacionActa (IDEvaluacionActa, CodAlumno_MateriaDetalles, CodNumEvaluacion, CodNota, "
                         "RE_AC_DIV, UltimaEvaluada) VALUES (1, 11, 9, 5, 0, %1), (2, 12, 9, 1, 0, %1), (3, 13, 9, 5, 1, %1), "
                         "(4, 21, 9, 5, 0, %1), (5, 41, 9, 5, 0, %1), (6, 31, 9, 5, 0, %1), (7, 11, 9, 1, 0, 0)"));
        o(QStringLiteral("INSERT INTO AlumnoPte_MatDet (IDAlumnoPte_MatDet, CodAlumno, CodMatDet) VALUES (1, 1, 1500)"));
        o(QStringLiteral("INSERT INTO EvaluacionActaPte (IDEvaluacionActaPte, CodAlumnoPte_MatDet, CodNumEvaluacion, CodNota, "
                         "RE_AC_DIV, UltimaEvaluada) VALUES (1, 1, 9, 1, 0, %1)"));
    }

    // The current year: Ana and Pau are still at the school; two historic
    // years, and Ana's grade of subject 2 already passed (id 50).
    void llenarCentro() {
        c(QStringLiteral("INSERT INTO Alumno (IDAlumno, Nombre, CodTipoEnsenanza, CodCurso, CodSeccion) VALUES "
                         "(1, 'Ana', 3, 31, 101), (4, 'Pau', 3, 30, 100)"));
        c(QStringLiteral("INSERT INTO CursoEscolarHistorico VALUES (1, '2024/2025', %1), (2, 'Traslados', 0)"));
        c(QStringLiteral("INSERT INTO EvaluacionHistorica VALUES "
                         "(50, 1, 2, 2, 3, 30, 1, 0, 1, 9, 1, '2025/06/20', 0, 0, 1, 0, 0)"));
    }

    historicos::ResultadoPaso pasar(qint32 idOrigen, qint32 historico, QList<QPair<long, long>>* progreso = nullptr,
                                    int seccionesPorLectura = 0) {
        historicos::PasoNotasHistorico paso(escuela.centro(), escuela.appEntrada(), escuela.conf().RutaBD());
        paso.seccionesPorLectura = seccionesPorLectura;
        paso.progreso = [progreso](long v, long m) {
            if (progreso) progreso->append({v, m});
        };
        return paso.PasarNotasHistorico(idOrigen, historico);
    }

    QSet<qint64> idsDe(const QString& donde) {
        return ids(escuela.centro(), QStringLiteral("SELECT IDEvaluacionHistorica FROM EvaluacionHistorica ") + donde);
    }
    long long filas() { return contar(escuela.centro(), QStringLiteral("SELECT COUNT(*) FROM EvaluacionHistorica")); }

    ContextoBD ctx;
    EscuelaPrueba escuela;
    Conexion origen;
    MensajesConVistazo guion;
    std::unique_ptr<ServicioMensajesInstalado> instalado;
};

TEST_P(Paso, LasFilasDeUnaSeccionConsumenSusIdsAunqueUnaYaEstuviera) {
    // Each section read on its own, as the sections past the first read of
    // a large school are.
    QList<QPair<long, long>> progreso;
    const historicos::ResultadoPaso r = pasar(2, 1, &progreso, 1);
    EXPECT_EQ(enFila({r.correcto, r.secciones, r.insertadas, r.existentes, r.omitidas, r.icono, r.mensaje}),
              enFila({true, 2, 4, 1, 0, Icono::Informacion,
                      u8("Proceso finalizado con éxito\r\n\r\nNotas pasadas: 4\r\nYa estaban en el histórico: 1 "
                         "(en \"2024/2025\")\r\nNo se han podido pasar: 0")}));
    EXPECT_EQ(progreso, (QList<QPair<long, long>>{{0, 2}, {1, 2}, {2, 2}}));

    // Section 100 starts at 51: subjects 1, 2 (already there: 52 unused) and
    // 3, then the pending subject; section 290 starts again from the top.
    EXPECT_EQ(idsDe(QStringLiteral("WHERE codAlumno=1 AND codCursoEscolar=2")), (QSet<qint64>{50, 51, 53, 54}));
    EXPECT_EQ(idsDe(QStringLiteral("WHERE codAlumno=4")), (QSet<qint64>{55}));
    // Luis left and Eva's section ends no cycle.
    EXPECT_TRUE(idsDe(QStringLiteral("WHERE codAlumno IN (2, 3) OR Orden=0")).isEmpty());

    // A grade of the year: the student's teaching type and course, the
    // period's date and promotion data, not pending. The pending subject:
    // the course it belongs to, today's date. Each numbered in Ana's year.
    const QString repite = QString::number(escuela.centro().verdadero());
    EXPECT_EQ(leerFilas(escuela.centro(),
                        QStringLiteral("SELECT codMateria, codTipoEnsenanza, codCurso, codNota, Promocion, "
                                       "codCursoEscolarHistorico, FechaEvaluacion, MateriaPendiente, Repite, PromocionPCPI, "
                                       "PromocionDiversificacion, Orden FROM EvaluacionHistorica WHERE "
                                       "IDEvaluacionHistorica IN (51, 54) ORDER BY IDEvaluacionHistorica")),
              (QStringList{QStringLiteral("1|3|30|5|1|1|2025/06/20|0|%1|0|-1|1").arg(repite),
                           QStringLiteral("7|2|28|1|0|1|2026/09/14|-1|%1|0|0|3").arg(repite)}));
}

TEST_P(Paso, LaLimpiezaSoloQuitaLoQueEstePasoEscribio) {
    // Ana has left the school; the history keeps a graduate's grade (7) and
    // one of Ana's from another year, which no transfer may touch. Her
    // pending subject is in the origin twice: the second finds the first.
    EscuelaPrueba::sql(escuela.centro(), QStringLiteral("DELETE FROM Alumno WHERE IDAlumno=1"));
    c(QStringLiteral("INSERT INTO EvaluacionHistorica VALUES "
                     "(40, 7, 1, 1, 3, 30, 5, 0, 1, 9, 1, '2024/06/20', 0, 0, 1, 0, 0), "
                     "(41, 1, 1, 1, 2, 28, 5, 0, 1, 9, 1, '2024/06/20', 0, 0, 1, 0, 0)"));
    o(QStringLiteral("INSERT INTO AlumnoPte_MatDet (IDAlumnoPte_MatDet, CodAlumno, CodMatDet) VALUES (2, 1, 1500)"));
    o(QStringLiteral("INSERT INTO EvaluacionActaPte (IDEvaluacionActaPte, CodAlumnoPte_MatDet, CodNumEvaluacion, CodNota, "
                     "RE_AC_DIV, UltimaEvaluada) VALUES (2, 2, 9, 1, 0, %1)"));
    const historicos::ResultadoPaso r = pasar(2, 2);
    EXPECT_EQ(enFila({r.correcto, r.insertadas, r.sinAlumno}), "true|1|3");
    EXPECT_TRUE(r.mensaje.contains(u8("histórico: 2 (1 en \"2024/2025\", 1 en \"Traslados\")"))) << r.mensaje.toStdString();
    EXPECT_TRUE(r.mensaje.endsWith(u8("no guardadas: 3"))) << r.mensaje.toStdString();
    // Ana's rows took their ids (51 to 55) all the same.
    EXPECT_EQ(idsDe(QStringLiteral("WHERE codAlumno IN (1, 7)")), (QSet<qint64>{40, 41, 50}));
    EXPECT_EQ(idsDe(QStringLiteral("WHERE codAlumno=4")), (QSet<qint64>{55}));
    EXPECT_EQ(filas(), 4);
}

TEST_P(Paso, UnOrigenNoRegistradoOQueNoExisteNoEscribeNadaYUnoSinSeccionesTerminaBien) {
    const QStringList antes = EscuelaPrueba::instantanea(escuela.centro());
    historicos::ResultadoPaso r = pasar(7, 1);
    EXPECT_EQ(enFila({r.correcto, r.icono, r.mensaje}),
              enFila({false, Icono::Critico, "No se ha encontrado el curso escolar indicado"}));

    // A year whose database is not where the application entry says: a
    // missing file is said so, never made empty and passed from.
    CadenaConexion falta(origen.ConnectionString());
    if (ctx.esServidor()) falta.fijar(QStringLiteral("Initial Catalog"), ctx.prefijo() + QStringLiteral("nohay"));
    else falta.fijar(QStringLiteral("Data Source"), QStringLiteral("A1C1.db"));
    EscuelaPrueba::sql(escuela.appEntrada(),
                       QStringLiteral("INSERT INTO CursoEscolar (IDCursoEscolar, Nombre, CodCentro, BD) VALUES (1, '2023/2024', 1, ?)"),
                       {falta.texto()});
    r = pasar(1, 1);
    EXPECT_EQ(enFila({r.correcto, r.icono}), enFila({false, Icono::Critico}));
    if (!ctx.esServidor()) {
        EXPECT_TRUE(r.mensaje.startsWith(QStringLiteral("No se encuentra la base de datos del curso escolar de origen")))
            << r.mensaje.toStdString();
        EXPECT_FALSE(QFileInfo::exists(QDir(ctx.carpeta()).filePath(QStringLiteral("A1C1.db"))));
    }
    EXPECT_EQ(EscuelaPrueba::instantanea(escuela.centro()), antes);

    // An origin without sections ends well, without progress.
    EscuelaPrueba::sql(origen, QStringLiteral("DELETE FROM Seccion_Alumno"));
    QList<QPair<long, long>> progreso;
    r = pasar(2, 1, &progreso);
    EXPECT_EQ(enFila({r.correcto, r.secciones, progreso.size(), filas()}), "true|0|0|1");
    EXPECT_TRUE(r.mensaje.startsWith(u8("Proceso finalizado con éxito\r\n\r\nNotas pasadas: 0\r\n")));
}

TEST_P(Paso, UnaFilaQueNoPuedePasarSeCuentaYSeDiceYUnaRepeticionLaPasa) {
    // A promotion that is no byte spoils Pau's row only. Rows the store
    // refuses (a second grade of a student, period and mark: Ana's subject 3
    // and her pending subject) fail their batch, and then only themselves.
    struct Caso {
        Conexion& en;
        QString estropea, arregla;
        long insertadas, omitidas;
    };
    const Caso casos[] = {
        {origen, QStringLiteral("UPDATE Alumno_NumEvaluacion SET Promocion=300 WHERE CodAlumno=4"),
         QStringLiteral("UPDATE Alumno_NumEvaluacion SET Promocion=1 WHERE CodAlumno=4"), 3, 1},
        {escuela.centro(), QStringLiteral("CREATE UNIQUE INDEX unica ON EvaluacionHistorica (CodAlumno, CodNumEvaluacion, CodNota)"),
         QStringLiteral("DROP INDEX unica"), 2, 2},
    };
    for (const Caso& k : casos) {
        c(QStringLiteral("DELETE FROM EvaluacionHistorica WHERE IDEvaluacionHistorica<>50"));
        EscuelaPrueba::sql(k.en, k.estropea);
        historicos::ResultadoPaso r = pasar(2, 1);
        EXPECT_EQ(enFila({r.correcto, r.insertadas, r.omitidas, r.icono, filas()}),
                  enFila({true, k.insertadas, k.omitidas, Icono::Exclamacion, 1 + k.insertadas}))
            << k.estropea.toStdString() << r.mensaje.toStdString();
        EXPECT_TRUE(r.mensaje.contains(QStringLiteral("%1 de las notas no se han podido pasar").arg(k.omitidas)));

        EscuelaPrueba::sql(k.en, k.arregla);
        r = pasar(2, 1);
        EXPECT_EQ(enFila({r.insertadas, r.omitidas, filas()}), enFila({4 - k.insertadas, 0, 5}));
    }
}

TEST_P(Paso, UnErrorQueParaElPasoDejaLoPasadoYUnaRepeticionLoCompleta) {
    // The first statement after the first section fails: the second
    // section's first read.
    historicos::PasoNotasHistorico paso(escuela.centro(), escuela.appEntrada(), escuela.conf().RutaBD());
    paso.progreso = [](long v, long) {
        if (v == 1) Sentencias::fallarEn(Sentencias::contadas() + 1);
    };
    historicos::ResultadoPaso r = paso.PasarNotasHistorico(2, 1);
    Sentencias::fallarEn(0);
    EXPECT_EQ(enFila({r.correcto, r.icono}), enFila({false, Icono::Critico}));
    EXPECT_TRUE(r.mensaje.startsWith(QStringLiteral("Error 9999: "))) << r.mensaje.toStdString();
    EXPECT_TRUE(r.mensaje.contains(QStringLiteral("no se ha completado"))) << r.mensaje.toStdString();
    EXPECT_EQ(idsDe(QStringLiteral("WHERE codAlumno=1 AND codCursoEscolar=2")), (QSet<qint64>{50, 51, 53, 54}));
    EXPECT_TRUE(idsDe(QStringLiteral("WHERE codAlumno=4")).isEmpty());

    r = pasar(2, 1);
    EXPECT_EQ(enFila({r.correcto, r.insertadas, filas(), idsDe(QStringLiteral("WHERE Orden=0")).size()}), "true|1|5|0");
}

// ------------------------------------------------------------ ncc historico

TEST_P(Paso, LaLineaDeOrdenesPasaComoElFormularioYRechazaSinEscribir) {
    // The server's command line names its databases without the test's
    // prefix; the transfer it runs is the one tested above on both.
    if (ctx.esServidor()) GTEST_SKIP() << "ncc historico --servidor usa los nombres fijos de las bases";
    const QStringList datos{QStringLiteral("historico"), QStringLiteral("--datos"), ctx.carpeta()};
    const QString largo(51, QLatin1Char('x'));
    struct Caso {
        QStringList args;
        int salida;
        const char* dice;
    };
    // Refusals and bad usage first: none of them may write anything.
    const QList<Caso> rechazos{
        {{"--origen", "1999/2000", "--destino", "Traslados"}, 2, "No se ha encontrado el curso escolar de origen \"1999/2000\""},
        {{"--origen", "2025/2026", "--destino", "Traslados"}, 2, "es el curso escolar actual"},
        {{"--origen", "2024/2025", "--destino", "Nada"}, 2, "No se ha encontrado el curso histórico \"Nada\""},
        {{"--origen", "2024/2025", "--nuevo", "Traslados"}, 2, "Ya hay un curso histórico \"Traslados\""},
        {{"--origen", "2024/2025", "--nuevo", largo}, 2, "no puede tener más de 50 caracteres"},
        {{"--destino", "Traslados"}, 64, "--origen"},
        {{"--origen", "2024/2025", "--nuevo", "A", "--destino", "Traslados"}, 64, "uno de los dos"},
        {{"--origen=", "--destino", "Traslados"}, 64, "--origen no puede estar vacío"},
    };
    const QStringList antes = EscuelaPrueba::instantanea(escuela.centro());
    for (const Caso& k : rechazos) {
        const SalidaNcc r = ejecutarNcc(datos + k.args);
        EXPECT_EQ(r.salida, k.salida) << k.args.join(QLatin1Char(' ')).toStdString() << "\n" << r.error.toStdString();
        EXPECT_TRUE(r.error.contains(u8(k.dice))) << r.error.toStdString();
    }
    EXPECT_EQ(EscuelaPrueba::instantanea(escuela.centro()), antes);

    SalidaNcc r = ejecutarNcc(datos + QStringList{"--origen", "2024/2025", "--destino", "Traslados"});
    ASSERT_EQ(r.salida, 0) << r.error.toStdString();
    EXPECT_TRUE(r.texto.contains(u8("Notas pasadas: 4\nYa estaban en el histórico: 1 (en \"2024/2025\")\n"
                                    "No se han podido pasar: 0")))
        << r.texto.toStdString();
    EXPECT_TRUE(r.error.contains(u8("Evolución: 2 / 2"))) << r.error.toStdString();
    EXPECT_EQ(idsDe(QStringLiteral("WHERE codCursoEscolarHistorico=2")).size(), 4);

    // Into a new application historic year: everything is already there.
    r = ejecutarNcc(datos + QStringList{"--origen", "2024/2025", "--nuevo=Notas de 2024/2025"});
    ASSERT_EQ(r.salida, 0) << r.error.toStdString();
    EXPECT_TRUE(r.texto.contains(u8("Notas pasadas: 0\nYa estaban en el histórico: 5 "
                                    "(1 en \"2024/2025\", 4 en \"Traslados\")")))
        << r.texto.toStdString();
    EXPECT_EQ(contar(escuela.centro(), QStringLiteral("SELECT COUNT(*) FROM CursoEscolarHistorico WHERE "
                                                      "Nombre='Notas de 2024/2025' AND HistoricoAplicacion<>0")), 1);
    EXPECT_EQ(filas(), 5);
}

// ------------------------------------------------------------------ the form

TEST_P(Paso, ElFormularioPideOrigenYDestinoMuestraElProgresoYSeCierra) {
    escuela.appEntrada().Close();  // the host's connection, closed: it stays so
    frmHistorico f;
    f.show();
    EXPECT_EQ(f.windowTitle(), u8("Paso de notas a curso escolar histórico"));
    auto* cboOrigen = hijo<QComboBox>(&f, "cboOrigen");
    auto* cboDestino = hijo<QComboBox>(&f, "cboDestino");
    auto* marco = hijo<QGroupBox>(&f, "fraProgreso");
    // The school's other years only, and its historic years.
    EXPECT_EQ(enFila({marco->isVisible(), cboOrigen->count(), cboOrigen->itemText(0), cboDestino->count(),
                      escuela.appEntrada().State()}),
              "false|1|2024/2025|2|0");

    hijo<QPushButton>(&f, "cmdAceptar")->click();
    EXPECT_EQ(enFila({guion.ultimo().mensaje.texto, f.isVisible()}), "Debe seleccionar un origen y destino|true");

    cboOrigen->setCurrentIndex(0);
    cboDestino->setCurrentIndex(1);
    QStringList vistos;
    bool marcoVisible = false, quedaAbierta = true;
    QObject::connect(&f, &frmHistorico::progresoMostrado, [&](long v, long m) {
        auto* barra = hijo<QProgressBar>(&f, "prgAlumno");
        vistos << hijo<QLabel>(&f, "Label3")->text() + QStringLiteral(" %1/%2").arg(barra->value()).arg(barra->maximum());
        marcoVisible = marcoVisible || (v == 1 && m == 2 && marco->isVisible());
        // Escape and the close box while it runs leave the window where it is.
        QTest::keyClick(&f, Qt::Key_Escape);
        f.close();
        quedaAbierta = quedaAbierta && f.isVisible();
    });
    guion.olvidarMostrados();
    hijo<QPushButton>(&f, "cmdAceptar")->click();
    EXPECT_EQ(vistos, (QStringList{u8("Evolución: 0 / 2 0/2"), u8("Evolución: 1 / 2 1/2"), u8("Evolución: 2 / 2 2/2")}));
    ASSERT_EQ(guion.textos().size(), 1);
    EXPECT_TRUE(guion.textos().first().startsWith(u8("Proceso finalizado con éxito"))) << guion.textos().first().toStdString();
    EXPECT_EQ(enFila({marcoVisible, quedaAbierta, f.isVisible(), f.result(), escuela.appEntrada().State(),
                      idsDe(QStringLiteral("WHERE codCursoEscolarHistorico=2")).size()}),
              enFila({true, true, false, QDialog::Accepted, 0, 4}));
}

TEST_P(Paso, NuevoCursoDeLaAplicacionConApostrofoQuedaDeDestino) {
    frmHistorico f;
    const QString nombre = QStringLiteral("Notes de l'any 2024/2025");
    QString aviso;
    alAbrirse(QStringLiteral("frmNCHistorico"), [&](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), u8("Nuevo Curso Escolar Histórico"));
        hijo<QPushButton>(&d, "cmdAceptar")->click();
        aviso = guion.ultimo().mensaje.texto;
        EXPECT_TRUE(d.isVisible());
        hijo<QLineEdit>(&d, "txtCurEscHis")->setText(nombre);
        hijo<QPushButton>(&d, "cmdAceptar")->click();
    });
    hijo<QPushButton>(&f, "cmdNCEscHis")->click();
    EXPECT_EQ(aviso, QStringLiteral("Debe introducir el nombre"));
    auto* destino = hijo<QComboBox>(&f, "cboDestino");
    EXPECT_EQ(enFila({destino->currentIndex(), destino->currentText(), destino->currentData()}),
              enFila({destino->count() - 1, nombre, 3}));
    EXPECT_EQ(leerFilas(escuela.centro(),
                        QStringLiteral("SELECT Nombre, HistoricoAplicacion FROM CursoEscolarHistorico WHERE "
                                       "IDCursoEscolarHistorico=3")),
              QStringList{enFila({nombre, escuela.centro().verdadero()})});
}

NCC_AMBOS_FONDOS(Paso);

}  // namespace
