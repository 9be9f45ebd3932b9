// A student whose promotion data say he passed, who failed a final subject,
// and whom the secretary nevertheless makes repeat: his grades go to
// history, but he carries no pending subject into the year he repeats.
#include "Escenario.h"
#include "engine/Historico.h"
#include "platform/Reloj.h"

using namespace ncc;
using namespace ncc::pruebas;

namespace {

class HistoricoRepetidor : public Escenario {};

TEST_P(HistoricoRepetidor, ElQueRepitePeseASuPromocionNoArrastraPendientes) {
    Reloj::fijarHoy(QDate(2004, 7, 1));
    const int t = T();
    ambas(QStringLiteral("INSERT INTO Curso (IDCurso, CodTipoEnsenanza, FinCiclo) VALUES (1, 3, 0)"));
    ambas(QStringLiteral("INSERT INTO Curso (IDCurso, CodTipoEnsenanza, FinCiclo) VALUES (2, 3, 0)"));
    ambas(QStringLiteral("INSERT INTO Seccion (IDSeccion, CodCurso) VALUES (10, 1)"));
    ambas(QStringLiteral("INSERT INTO Seccion (IDSeccion, CodCurso) VALUES (20, 2)"));
    // Student 1 repeats, student 2 is promoted: both passed by the
    // evaluation, both failed subject 1.
    for (qint32 id : {1, 2}) {
        alumnoEnBases(id, 10);
        ambas(QStringLiteral("INSERT INTO Seccion_Alumno (CodSeccion, CodAlumno) VALUES (10, %1)").arg(id));
    }
    ambas(QStringLiteral("INSERT INTO NumEvaluacion (IDNumEvaluacion, Final) VALUES (4, %1)").arg(t));
    ambas(QStringLiteral("INSERT INTO Seccion_NumEvaluacion VALUES (10, 4, '2004/06/20')"));
    ambas(QStringLiteral("INSERT INTO Nota (IDNota, Descripcion, Aprobado) VALUES (1, 'Insuficiente', 0)"));
    ambas(QStringLiteral("INSERT INTO MateriaDetalles (IDMateriaDetalles, CodMateria, CodSeccion) VALUES (1, 100, 10)"));
    for (qint32 id : {1, 2}) {
        ambas(QStringLiteral("INSERT INTO Alumno_MateriaDetalles (IDAlumno_MateriaDetalles, CodAlumno, CodMateriaDetalles) "
                             "VALUES (%1, %2, 1)").arg(10 + id).arg(id));
        local.Execute(QStringLiteral("INSERT INTO EvaluacionActa (IDEvaluacionActa, CodAlumno_MateriaDetalles, "
                                     "CodNumEvaluacion, CodNota, RE_AC_DIV, UltimaEvaluada) VALUES (%1, %2, 4, 1, 0, %3)")
                          .arg(id).arg(10 + id).arg(t));
        local.Execute(QStringLiteral("INSERT INTO Alumno_NumEvaluacion (IDAlumno_NumEvaluacion, CodAlumno, CodNumEvaluacion, "
                                     "Promocion, PromocionPCPI, PromocionDiversificacion) VALUES (%1, %1, 4, 1, 0, 0)")
                          .arg(id));
    }
    auto s = seccion(10);
    alumno(s, 1, Decision::Repite, 3, 3, 10);
    alumno(s, 2, Decision::Promociona, 3, 3, 20);

    ASSERT_TRUE(motor::PasarHistorico(e)) << errores().join(QLatin1Char('\n')).toStdString();
    Reloj::fijarHoy(QDate());

    // Both failed grades are history, with the promotion the evaluation gave.
    EXPECT_EQ(leerFilas(nuevo(), QStringLiteral("SELECT CodAlumno, CodMateria, Promocion FROM EvaluacionHistorica ORDER BY 1")),
              QStringList({"1|100|1", "2|100|1"}));
    // Only the promoted student carries the subject, into his new section.
    EXPECT_EQ(leerFilas(nuevo(), QStringLiteral("SELECT CodAlumno, CodMatDet FROM AlumnoPte_MatDet ORDER BY 1")),
              QStringList({"2|1"}));
    EXPECT_EQ(leerFilas(nuevo(), QStringLiteral("SELECT CodSeccion, CodAlumno FROM Seccion_AlumnoPte ORDER BY 2")),
              QStringList({"20|2"}));
}

}  // namespace

NCC_AMBOS_FONDOS(HistoricoRepetidor);
