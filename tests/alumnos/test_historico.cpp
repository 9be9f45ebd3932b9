// The grade history of the closed year on a small school: which sections
// pass, the rows and their values, pending subjects, numbering (a row the
// history already held without a number counts with the student's new
// ones) and the module procedures. The new historic year, the subject
// details the new year keeps (without teachers), a partial closing's
// history, and a student made to repeat whose evaluation promoted him (his
// grades go to history, no subject pending), are pinned by the reference
// closings (Referencia.*).
#include "Escenario.h"
#include "engine/Historico.h"
#include "platform/Error.h"
#include "platform/Reloj.h"

using namespace ncc;
using namespace ncc::pruebas;
using D = Decision;

namespace {

class Historico : public Escenario {
protected:
    void SetUp() override {
        Reloj::fijarHoy(QDate(2004, 7, 1));
        const int t = T();
        // Courses: 1 and 2 of stage 3; 3 ends a cycle of stage 2; 9 is the
        // course of a subject carried pending from an earlier year.
        ambas(QStringLiteral("INSERT INTO Curso (IDCurso, CodTipoEnsenanza, FinCiclo) VALUES (1, 3, 0), (2, 3, 0), (3, 2, %1), "
                             "(9, 3, 0)")
                  .arg(t));
        for (const char* s : {"(10, 1)", "(20, 2)", "(30, 1)", "(40, 1)", "(41, 3)", "(5, 9)"})
            ambas(QStringLiteral("INSERT INTO Seccion (IDSeccion, CodCurso) VALUES ") + QString::fromLatin1(s));

        // Section 10: 1 promoted, 2 not in the tree, 3 promoted without
        // promotion data, 4 repeats, 5 has left. Section 30 is of stage 1,
        // 40 of stage 2 without the end of a cycle, 41 of stage 2 at the end
        // of one.
        for (qint32 id : {1, 2, 3, 4, 5}) alumnoEnBases(id, 10);
        ambas(QStringLiteral("UPDATE Alumno SET Repetidor=-1 WHERE IDAlumno=4"));
        ambas(QStringLiteral("UPDATE Alumno SET FechaBaja='2004/01/10' WHERE IDAlumno=5"));
        alumnoEnBases(6, 30);
        alumnoEnBases(7, 41);
        alumnoEnBases(8, 40);
        ambas(QStringLiteral("UPDATE Alumno SET CodTipoEnsenanza=1 WHERE IDAlumno=6"));
        ambas(QStringLiteral("UPDATE Alumno SET CodTipoEnsenanza=2, CodCurso=3 WHERE IDAlumno=7"));
        ambas(QStringLiteral("UPDATE Alumno SET CodTipoEnsenanza=2, CodCurso=1 WHERE IDAlumno=8"));
        for (const char* f : {"(10,1)", "(10,2)", "(10,3)", "(10,4)", "(10,5)", "(30,6)", "(41,7)", "(40,8)"})
            ambas(QStringLiteral("INSERT INTO Seccion_Alumno (CodSeccion, CodAlumno) VALUES ") + QString::fromLatin1(f));

        ambas(QStringLiteral("INSERT INTO NumEvaluacion (IDNumEvaluacion, Final) VALUES (4, %1)").arg(t));
        ambas(QStringLiteral("INSERT INTO Seccion_NumEvaluacion VALUES (10, 4, '2004/06/20')"));
        ambas(QStringLiteral("INSERT INTO Nota (IDNota, Descripcion, Aprobado) VALUES (1, 'Insuficiente', 0)"));
        ambas(QStringLiteral("INSERT INTO Nota (IDNota, Descripcion, Aprobado) VALUES (2, 'Bien', %1)").arg(t));
        for (int md : {1, 2, 3})
            ambas(QStringLiteral("INSERT INTO MateriaDetalles (IDMateriaDetalles, CodMateria, CodSeccion, CodPersonal) "
                                 "VALUES (%1, %2, 10, 77)").arg(md).arg(99 + md));
        ambas(QStringLiteral("INSERT INTO MateriaDetalles (IDMateriaDetalles, CodMateria, CodSeccion) VALUES (5, 105, 5)"));

        // The last evaluated acts: student 1 fails subject 1, passes 2, and
        // subject 3 carries a grade that is not in Nota; the others fail 1.
        for (const char* f : {"(11, 1, 1)", "(12, 1, 2)", "(13, 1, 3)", "(21, 2, 1)", "(31, 3, 1)", "(41, 4, 1)", "(51, 5, 1)"})
            ambas(QStringLiteral("INSERT INTO Alumno_MateriaDetalles (IDAlumno_MateriaDetalles, CodAlumno, "
                                 "CodMateriaDetalles) VALUES ") + QString::fromLatin1(f));
        auto acta = [&](int id, int amd, int nota, int ultima) {
            local().Execute(QStringLiteral("INSERT INTO EvaluacionActa (IDEvaluacionActa, CodAlumno_MateriaDetalles, "
                                         "CodNumEvaluacion, CodNota, RE_AC_DIV, UltimaEvaluada) VALUES (%1, %2, 4, %3, 0, %4)")
                              .arg(id).arg(amd).arg(nota).arg(ultima));
        };
        acta(1, 11, 1, t);
        acta(2, 12, 2, t);
        acta(3, 13, 99, t);
        acta(4, 12, 1, 0);  // an earlier act: not passed
        acta(5, 21, 1, t);
        acta(6, 31, 1, t);
        acta(7, 41, 1, t);
        acta(8, 51, 1, t);
        auto promocion = [&](int id, int alumno, int valor, int pcpi, int div) {
            local().Execute(QStringLiteral("INSERT INTO Alumno_NumEvaluacion (IDAlumno_NumEvaluacion, CodAlumno, "
                                         "CodNumEvaluacion, Promocion, PromocionPCPI, PromocionDiversificacion) "
                                         "VALUES (%1, %2, 4, %3, %4, %5)")
                              .arg(id).arg(alumno).arg(valor).arg(pcpi).arg(div));
        };
        promocion(1, 1, 1, t, 0);
        promocion(2, 2, 1, t, t);
        promocion(4, 4, 0, 0, 0);

        // A subject student 1 carried pending from an earlier year, failed again.
        local().Execute(QStringLiteral("INSERT INTO AlumnoPte_MatDet VALUES (1, 1, 5, 0, 9)"));
        local().Execute(QStringLiteral("INSERT INTO EvaluacionActaPte VALUES (1, 1, 4, 1, 0, %1)").arg(t));

        ambas(QStringLiteral("INSERT INTO CursoEscolarHistorico VALUES (3, 'Antiguo', -1)"));
        ambas(QStringLiteral("INSERT INTO EvaluacionHistorica (IDEvaluacionHistorica, CodAlumno, CodCursoEscolar, Orden) "
                             "VALUES (7, 99, 5, 1)"));
        // A pending subject of student 1 already in this year's history, not
        // numbered: his new rows are numbered with it, as one set.
        ambas(QStringLiteral("INSERT INTO EvaluacionHistorica (IDEvaluacionHistorica, CodAlumno, CodCursoEscolar, "
                             "MateriaPendiente, Orden) VALUES (6, 1, 7, -1, 0)"));

        auto s = seccion(10);
        alumno(s, 1, D::Promociona, 3, 3, 20);
        alumno(s, 3, D::Promociona, 3, 3, 20);
        alumno(s, 4, D::Repite, 3, 3, 10);
    }
    void TearDown() override { Reloj::fijarHoy(QDate()); }

    QStringList historia() {
        return leerFilas(nuevo(), QStringLiteral("SELECT * FROM EvaluacionHistorica WHERE IDEvaluacionHistorica>7 "
                                             "ORDER BY IDEvaluacionHistorica"));
    }
};

TEST_P(Historico, PasaLasNotasFinalesYLasPendientesDelAno) {
    // Student 2 is promoted in a section of the tree that was not: he leaves.
    alumno(seccion(11, false), 2, D::Promociona, 3, 3, 20);
    ASSERT_TRUE(motor::PasarHistorico(e)) << errores().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(errores().isEmpty());

    // id, student, subject, year, stage, course, grade, measures, promotion,
    // period, historic year, date, pending, repeats, order, PCPI, diversification.
    EXPECT_EQ(historia(), QStringList({
                              "8|1|100|7|3|1|1|0|1|4|4|2004/06/20|0|0|1|-1|0",
                              "9|1|101|7|3|1|2|0|1|4|4|2004/06/20|0|0|2|-1|0",
                              "10|1|102|7|3|1|99|0|1|4|4|2004/06/20|0|0|3|-1|0",
                              "11|2|100|7|3|1|1|0|1|4|4|2004/06/20|0|0|1|-1|-1",
                              // no promotion data: nothing of the row before
                              "12|3|100|7|3|1|1|0|0|4|4||0|0|1|0|0",
                              "13|4|100|7|3|1|1|0|0|4|4|2004/06/20|0|-1|1|0|0",
                              // carried pending: the subject's own course, today
                              "14|1|105|7|3|9|1|0|0|4|4|2004/07/01|-1|0|5|0|0",
                          }));
    // His grades first, then his pending subjects in id order; another
    // year's row keeps its number.
    EXPECT_EQ(leerFilas(nuevo(), QStringLiteral("SELECT IDEvaluacionHistorica, Orden FROM EvaluacionHistorica "
                                            "WHERE IDEvaluacionHistorica<8 ORDER BY 1")),
              QStringList({"6|4", "7|1"}));

    // Pending in the new year: the promoted student's failed subjects (a
    // grade missing from Nota counts as failed), in his new section; nothing
    // for the repeater nor for one who leaves.
    EXPECT_EQ(leerFilas(nuevo(), QStringLiteral("SELECT * FROM AlumnoPte_MatDet ORDER BY 1")),
              QStringList({"1|1|1|0|1", "2|1|3|0|1", "3|1|5|0|9"}));
    EXPECT_EQ(leerFilas(nuevo(), QStringLiteral("SELECT * FROM Seccion_AlumnoPte")), QStringList({"20|1|0|0"}));

    // Sections 10 and 41; not 30 (stage 1) nor 40 (no end of cycle).
    EXPECT_EQ(avisos.eventos, QStringList({QStringLiteral("Iniciar 2 Proceso de Paso de Datos a Histórico"),
                                           "Aumentar", "Aumentar", "Cerrar"}));

    // The same subject again adds nothing.
    motor::CrearMateriaPendiente(e, 1, 1, 20);
    EXPECT_EQ(valor(nuevo(), QStringLiteral("SELECT COUNT(*) FROM AlumnoPte_MatDet")), 3);
    EXPECT_EQ(valor(nuevo(), QStringLiteral("SELECT COUNT(*) FROM Seccion_AlumnoPte")), 1);
}

TEST_P(Historico, NumeraHasta255FilasPorAlumnoYAnoYLeeAparteSalvoCancelacion) {
    {
        Transaccion t(nuevo());
        for (int i = 1; i <= 256; ++i)
            nuevo().Execute(QStringLiteral("INSERT INTO EvaluacionHistorica (IDEvaluacionHistorica, CodAlumno, "
                                           "CodCursoEscolar, MateriaPendiente, Orden) VALUES (?, ?, ?, 0, 0)"),
                            {100 + i, i <= 255 ? 50 : 51, 7});
        t.confirmar();
    }
    EXPECT_NO_THROW(motor::RenumerarOrdenHistorico(nuevo()));
    EXPECT_EQ(valor(nuevo(), QStringLiteral("SELECT MAX(Orden) FROM EvaluacionHistorica WHERE CodAlumno=50")), 255);
    EXPECT_EQ(valor(nuevo(), QStringLiteral("SELECT Orden FROM EvaluacionHistorica WHERE CodAlumno=51")), 1);

    nuevo().Execute(QStringLiteral("UPDATE EvaluacionHistorica SET CodAlumno=50, Orden=0 WHERE CodAlumno IN (50, 51)"));
    try {
        motor::RenumerarOrdenHistorico(nuevo());
        ADD_FAILURE() << "256 filas de un alumno y año no caben en un byte";
    } catch (const Error& err) {
        EXPECT_EQ(err.numero(), errores::Desbordamiento);
    }

    // The history's reads on a thread of their own give the read, unless cancelled.
    Recordset rs;
    bool cancelar = false;
    motor::EjecutarAsincrono(QStringLiteral("SELECT IDCurso FROM Curso WHERE IDCurso>? ORDER BY 1"), local(), rs, cancelar, {2});
    EXPECT_TRUE(rs.abierto() && rs.RecordCount() == 2);
    cancelar = true;
    motor::EjecutarAsincrono(QStringLiteral("SELECT IDCurso FROM Curso"), local(), rs, cancelar);
    EXPECT_FALSE(rs.abierto());
}

NCC_AMBOS_FONDOS(Historico);

}  // namespace
