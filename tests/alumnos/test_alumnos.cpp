// The students steps of the closing on a small closed year and its copy:
// promotion and leavers, the rollback of the wizard's tree, a section too
// large to number, memberships, evaluation dates and the evaluation rows of
// the new year. The order and seats of the sections and what the final
// phase writes are pinned by the reference closings
// (tests/cierre/test_referencia.cpp), whose sample school has delegates.
#include "Escenario.h"
#include "platform/Error.h"

using namespace ncc;
using namespace ncc::pruebas;
using D = Decision;

namespace {

class Alumnos : public Escenario {
protected:
    QStringList claves(qint16 seccion) { return e.ColSecciones->Item(Coleccion<cCurso>::clave(seccion))->Alumnos()->claves(); }
};

// ---------------------------------------------------------------- promotion

TEST_P(Alumnos, PromocionSeparaBajasConservaAnticipadosYLimpiaHistorico) {
    // Section 1: everybody leaves. Section 2: the other decisions.
    // Section 3 was not promoted: its student leaves too.
    for (qint32 id : {1, 2, 3}) alumnoEnBases(id, 1);
    for (qint32 id : {11, 12, 13, 14, 15, 16}) alumnoEnBases(id, 2);
    alumnoEnBases(31, 3);
    alumnoEnBases(40, 0, -1);   // pre-enrolled, written as the Access true
    alumnoEnBases(41, 0, T());  // pre-enrolled, written as the back end's true
    for (qint32 id : {1, 11, 12, 13, 14, 15, 40})
        ambas(QStringLiteral("INSERT INTO EvaluacionHistorica (IDEvaluacionHistorica, CodAlumno, Orden) VALUES (%1, %1, 1)")
                  .arg(id));
    for (qint32 id : {11, 31}) ambas(QStringLiteral("INSERT INTO Alumno_Actividad_Miembro (CodActividad, CodAlumno) VALUES (1, %1)").arg(id));

    auto s1 = seccion(1);
    for (qint32 id : {1, 2, 3}) alumno(s1, id, D::Baja);
    auto s2 = seccion(2);
    alumno(s2, 11, D::Promociona, 2, 3, 20);  // changes stage: loses history
    alumno(s2, 12, D::Promociona, 6, 3, 20);  // from stage 6: keeps it
    alumno(s2, 13, D::Promociona, 2, 7, 20);  // to stage 7: keeps it
    alumno(s2, 14, D::Repite, 6, 3, 21);      // a repeater changing stage always loses it
    alumno(s2, 15, D::SinAsignar);
    alumno(s2, 16, D::Nada);
    auto s3 = seccion(3, false);
    alumno(s3, 31, D::Promociona, 3, 3, 20);

    ASSERT_TRUE(motor::PromocionarAlumnos(e)) << errores().join(QLatin1Char('\n')).toStdString();
    // The destinations are written with the places.
    ASSERT_TRUE(motor::NumerarAlumnosSeccion(e)) << errores().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(errores().isEmpty());

    EXPECT_TRUE(s1->Alumnos()->vacia());
    EXPECT_EQ(s2->Alumnos()->claves(), QStringList({"11", "12", "13", "14", "16"}));
    EXPECT_EQ(s3->Alumnos()->Count(), 1);  // an unpromoted section is left alone
    EXPECT_EQ(e.colAlumnosRetirados.claves(), QStringList({"1", "2", "3", "15"}));

    // Leavers: whoever was not kept, pre-enrolled students aside.
    ASSERT_TRUE(e.HayBajas);
    EXPECT_EQ(e.IDsAlumnosBaja, QVector<qint32>({1, 2, 3, 15, 16, 31}));
    EXPECT_EQ(e.CodFamiliasBaja, QVector<qint32>({10, 20, 30, 150, 160, 310}));
    EXPECT_EQ(e.CodDireccionesBaja, QVector<qint32>({100, 200, 300, 1500, 1600, 3100}));
    EXPECT_EQ(e.strIDsAlumnosBaja, QStringLiteral("1,2,3,15,16,31"));

    EXPECT_EQ(leerFilas(nuevo(), QStringLiteral("SELECT IDAlumno, CodTipoEnsenanza, CodCurso, CodSeccion, Repetidor FROM Alumno "
                                            "WHERE Anticipado=0 ORDER BY IDAlumno")),
              QStringList({"11|3|2|20|0", "12|3|2|20|0", "13|7|2|20|0", "14|3|2|21|-1"}) +
                  (ctx.esServidor() ? QStringList({"41|3|1|0|0"}) : QStringList({"40|3|1|0|0", "41|3|1|0|0"})));
    // The server's true is what this step matches; the Access true waits
    // for the final phase.
    EXPECT_EQ(valor(nuevo(), QStringLiteral("SELECT Anticipado FROM Alumno WHERE IDAlumno=40")), ctx.esServidor() ? -1 : 0);
    EXPECT_EQ(leerFilas(nuevo(), QStringLiteral("SELECT CodAlumno FROM EvaluacionHistorica ORDER BY CodAlumno")),
              QStringList({"12", "13", "40"}));
    // A leaver is a member of no activity of the new year.
    EXPECT_EQ(leerFilas(nuevo(), QStringLiteral("SELECT CodAlumno FROM Alumno_Actividad_Miembro")), QStringList({"11"}));
    // The closed year is only read.
    EXPECT_EQ(valor(local(), QStringLiteral("SELECT COUNT(*) FROM Alumno")), 12);

    ASSERT_TRUE(motor::QuitarMarcaAnticipado(e));
    EXPECT_EQ(valor(nuevo(), QStringLiteral("SELECT COUNT(*) FROM Alumno WHERE Anticipado<>0")), 0);
}

TEST_P(Alumnos, SinNadieQueQuedeTodosSonBajasMenosLosAnticipados) {
    alumnoEnBases(1, 1);
    alumnoEnBases(2, 1, -1);
    auto s = seccion(1);
    alumno(s, 1, D::Baja);
    ASSERT_TRUE(motor::PromocionarAlumnos(e));
    EXPECT_EQ(e.IDsAlumnosBaja, QVector<qint32>({1}));
    EXPECT_EQ(leerFilas(nuevo(), QStringLiteral("SELECT IDAlumno FROM Alumno")), QStringList({"2"}));
}

TEST_P(Alumnos, LaVueltaAtrasDevuelveCadaAlumnoASuSitio) {
    for (qint32 id : {1, 2, 3, 4, 5, 6, 7}) alumnoEnBases(id, id < 5 ? 1 : 2);
    auto s1 = seccion(1);
    alumno(s1, 1, D::Baja);  // Orden 1: goes back to the front
    alumno(s1, 2, D::Promociona, 3, 3, 1);
    alumno(s1, 3, D::SinAsignar);
    alumno(s1, 4, D::Baja);  // the last one
    auto s2 = seccion(2);
    alumno(s2, 5, D::Repite, 3, 3, 2);
    alumno(s2, 6, D::Baja);
    alumno(s2, 7, D::Repite, 3, 3, 2);
    const auto antes1 = claves(1), antes2 = claves(2);

    ASSERT_TRUE(motor::PromocionarAlumnos(e));
    EXPECT_EQ(QList({claves(1), claves(2)}), QList<QStringList>({{"2"}, {"5", "7"}}));
    const auto bajas = e.IDsAlumnosBaja;

    motor::RestaurarAlumnosSecciones(e);
    EXPECT_TRUE(errores().isEmpty()) << errores().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(QList({claves(1), claves(2)}), QList({antes1, antes2}));
    // The records themselves are back, not copies.
    EXPECT_EQ(e.ColSecciones->Item(QStringLiteral("1"))->Alumnos()->Item(QStringLiteral("1")).get(),
              e.colAlumnosRetirados.Item(QStringLiteral("1")).get());

    // A second run from the same trees sees what the first saw.
    motor::EstadoMotor otra;
    otra.conf = e.conf;
    otra.avisos = &avisos;
    otra.ColSecciones = e.ColSecciones;
    otra.conNuevoCentro.setConnectionString(nuevo().ConnectionString());
    otra.conNuevoCentro.Open();
    ASSERT_TRUE(motor::PromocionarAlumnos(otra));
    EXPECT_EQ(otra.IDsAlumnosBaja, bajas);
    EXPECT_EQ(otra.colAlumnosRetirados.claves(), e.colAlumnosRetirados.claves());
}

// ---------------------------------------------------------------- order and seats

TEST_P(Alumnos, MasDe255AlumnosEnUnaSeccionDesbordan) {
    ambas(QStringLiteral("INSERT INTO TipoEnsenanza (IDTipoEnsenanza, Nombre, Orden) VALUES (3, 'ESO', 1)"));
    ambas(QStringLiteral("INSERT INTO Curso (IDCurso, Descripcion, CodTipoEnsenanza, Orden, NumPlazasLibres) "
                         "VALUES (1, '1º', 3, 1, 10)"));
    ambas(QStringLiteral("INSERT INTO Seccion (IDSeccion, Descripcion, CodCurso, NumPlazas) VALUES (10, 'A', 1, 2)"));
    {
        Transaccion t(nuevo());
        for (int i = 1; i <= 256; ++i)
            nuevo().Execute(QStringLiteral("INSERT INTO Alumno (IDAlumno, Apellido_1, CodTipoEnsenanza, CodSeccion) "
                                           "VALUES (?, ?, 3, 10)"),
                            {i, QStringLiteral("X%1").arg(i, 3, 10, QLatin1Char('0'))});
        t.confirmar();
    }
    EXPECT_FALSE(motor::NumerarAlumnosSeccion(e));
    ASSERT_EQ(guion.mostrados().size(), 1);
    const Mensaje m = guion.ultimo().mensaje;
    EXPECT_EQ(enFila({guion.ultimo().conPitido, m.icono, m.texto.contains(QStringLiteral(" 6: "))}),
              enFila({true, Icono::Critico, true})) << m.texto.toStdString();
    // 255 were numbered; the seats were not touched.
    EXPECT_EQ(valor(nuevo(), QStringLiteral("SELECT MAX(OrdenSeccion) FROM Alumno")), 255);
    EXPECT_EQ(valor(nuevo(), QStringLiteral("SELECT NumPlazas FROM Seccion WHERE IDSeccion=10")), 2);
}

// ---------------------------------------------------------------- memberships and dates

// A repeater keeps his measures, a promoted student starts without them; the
// evaluation dates move on a year.
TEST_P(Alumnos, ElRepetidorConservaSusMedidasYLasFechasDeEvaluacionPasanAlAnoSiguiente) {
    ambas(QStringLiteral("INSERT INTO Seccion_Alumno VALUES (1, 1, 2, 1, 3), (1, 2, 4, 1, 1), (1, 3, NULL, NULL, 5)"));
    nuevo().Execute(QStringLiteral("DELETE FROM Seccion_Alumno"));  // the new year starts without memberships
    auto s = seccion(1);
    alumno(s, 1, D::Repite, 3, 3, 1);
    alumno(s, 2, D::Promociona, 3, 3, 2);
    alumno(s, 3, D::Repite, 3, 3, 1);
    alumno(s, 4, D::Repite, 3, 3, 0);  // no destination: no membership
    auto fuera = seccion(5, false);
    alumno(fuera, 50, D::Promociona, 3, 3, 2);
    ambas(QStringLiteral("INSERT INTO Seccion_NumEvaluacion VALUES (1, 1, '2003/12/20'), (1, 2, '20/03/2004'), (2, 1, ''), "
                         "(2, 2, NULL)"));
    // The new database's own text is replaced by the closed year's, moved on.
    nuevo().Execute(QStringLiteral("UPDATE Seccion_NumEvaluacion SET Fecha='otra' WHERE CodSeccion=1"));

    ASSERT_TRUE(motor::CrearSeccionAlumno(e)) << errores().join(QLatin1Char('\n')).toStdString();
    ASSERT_TRUE(motor::ActualizarFechasEvaluacion(e));
    EXPECT_EQ(leerFilas(nuevo(), QStringLiteral("SELECT CodSeccion, CodAlumno, RE_AC_DIV, Diversificacion, Itinerario "
                                            "FROM Seccion_Alumno ORDER BY CodAlumno")),
              QStringList({"1|1|2|1|3", "2|2|0|0|0", "1|3|0|0|5"}));
    EXPECT_EQ(leerFilas(nuevo(), QStringLiteral("SELECT CodSeccion, CodNumEvaluacion, Fecha FROM Seccion_NumEvaluacion "
                                            "ORDER BY CodSeccion, CodNumEvaluacion")),
              QStringList({"1|1|2004/12/20", "1|2|20/03/2005", "2|1|", "2|2|~"}));
}

// ---------------------------------------------------------------- subjects and evaluations

class Evaluaciones : public Escenario {
protected:
    void SetUp() override {
        // Section 20: two ordinary periods and one final; section 21 only a
        // final one; section 22 none.
        ambas(QStringLiteral("INSERT INTO NumEvaluacion (IDNumEvaluacion, Descripcion, Final) VALUES (1, '1ª', 0), (2, '2ª', 0), "
                             "(4, 'Final', %1)")
                  .arg(T()));
        ambas(QStringLiteral("INSERT INTO Seccion_NumEvaluacion VALUES (20, 1, ''), (20, 2, ''), (20, 4, ''), (21, 4, '')"));
        ambas(QStringLiteral("INSERT INTO Seccion (IDSeccion, Descripcion, CodCurso, NumPlazas, Seguimiento) "
                             "VALUES (20, 'A', 2, 25, %1)").arg(T()));
        // Subjects: kind 1 (periods and act), 2 (own period), 4 (own act).
        ambas(QStringLiteral("INSERT INTO TipoMateria VALUES (1, 'N', 1), (2, 'P', 2), (4, 'A', 4)"));
        for (int k : {1, 2, 4})
            ambas(QStringLiteral("INSERT INTO MateriaDetalles (IDMateriaDetalles, CodMateria, CodSeccion, CodTipoMateria) "
                                 "VALUES (%1, %1, 20, %1)").arg(k));
        ambas(QStringLiteral("INSERT INTO Seccion_MateriaDetalles VALUES (20, 1)"));
        ambas(QStringLiteral("INSERT INTO Alumno_MateriaDetalles VALUES (1, 1, 1, 0), (2, 1, 2, 2), (3, 1, 4, 4)"));
        for (qint32 id : {1, 2, 3, 4}) alumnoEnBases(id, 10);
        auto s = seccion(10);
        alumno(s, 1, D::Promociona, 3, 3, 20);
        alumno(s, 2, D::Repite, 3, 3, 21);
        alumno(s, 3, D::Promociona, 3, 3, 22);
        alumno(s, 4, D::Promociona, 3, 3, 0);
        seccion(11, false);
    }
};

TEST_P(Evaluaciones, UnCierreCompletoNoCreaEvaluacionesNiActas) {
    ASSERT_TRUE(motor::PasarMateriasAlumnos(e));
    ASSERT_TRUE(motor::PasarNotasEvaluaciones(e)) << errores().join(QLatin1Char('\n')).toStdString();

    // Repeat marks and the new year's periods: the reference closings pin them.
    for (const char* tabla : {"Seccion_MateriaDetalles", "Alumno_MateriaDetalles", "Evaluacion", "EvaluacionActa"})
        EXPECT_EQ(valor(nuevo(), QStringLiteral("SELECT COUNT(*) FROM ") + QLatin1String(tabla)), 0) << tabla;

    const QString materias = QStringLiteral("Iniciar 2 Proceso de Paso de Materias de los Alumnos");
    const QString notas = QStringLiteral("Iniciar 2 Proceso de Paso de Datos de Notas y Evaluaciones de los Alumnos");
    EXPECT_EQ(avisos.eventos, QStringList({materias, "Aumentar", "Aumentar", "Cerrar", notas, "Aumentar", "Aumentar",
                                           "Cerrar"}));
}

TEST_P(Evaluaciones, LasMateriasQueQuedanDanEvaluacionesYActas) {
    ASSERT_TRUE(motor::PasarNotasEvaluaciones(e)) << errores().join(QLatin1Char('\n')).toStdString();
    // Student 1, followed-up section 20: kind 1 gives the two ordinary
    // periods and the final act, kind 2 its own period, kind 4 its own act.
    EXPECT_EQ(leerFilas(nuevo(), QStringLiteral("SELECT IDEvaluacion, CodAlumno_MateriaDetalles, CodNumEvaluacion, "
                                            "Seguimiento, CodNota FROM Evaluacion ORDER BY IDEvaluacion")),
              QStringList({"1|1|1|1|0", "2|1|2|1|0", "3|2|2|1|0"}));
    EXPECT_EQ(leerFilas(nuevo(), QStringLiteral("SELECT IDEvaluacionActa, CodAlumno_MateriaDetalles, CodNumEvaluacion "
                                            "FROM EvaluacionActa ORDER BY IDEvaluacionActa")),
              QStringList({"1|1|4", "2|3|4"}));
    EXPECT_EQ(enFila({e.IDsEvaluacion[0], e.IDsEvaluacion[1]}), "4|3");
}

NCC_AMBOS_FONDOS(Alumnos);
NCC_AMBOS_FONDOS(Evaluaciones);

}  // namespace
