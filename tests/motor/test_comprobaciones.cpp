// The start check for ungraded students (1182): every group of final
// periods counts, and a later period of a group only for the subjects
// failed in the one before it.
#include "EscuelaPrueba.h"
#include "engine/ComprobacionesCierre.h"

using namespace ncc;
using namespace ncc::pruebas;

namespace {

// Final periods as the suite numbers them: groups (1, 2), (51, 52, 53), (3).
constexpr int Ordenes[] = {1, 2, 51, 52, 53, 3};
constexpr int NotaAprobada = 1, NotaSuspensa = 2, SinNota = 0;

class SinEvaluar : public ConEscuela {
protected:
    SinEvaluar() {
        auto& c = escuela.centro();
        const QString v = QString::number(c.verdadero());
        EscuelaPrueba::sql(c, QStringLiteral("INSERT INTO Centro_TipoEnsenanza (CodCentro, CodTipoEnsenanza) VALUES (1, 1)"));
        EscuelaPrueba::sql(c, QStringLiteral("INSERT INTO Alumno (IDAlumno, CodTipoEnsenanza) VALUES (1, 1)"));
        EscuelaPrueba::sql(c, QStringLiteral("INSERT INTO TipoMateria (IDTipoMateria, CodEspecificarTipoMateria) VALUES (1, 1)"));
        EscuelaPrueba::sql(c, QStringLiteral("INSERT INTO Materia (IDMateria, CodTipoEnsenanza, CodTipoMateria) VALUES (1, 1, 1)"));
        EscuelaPrueba::sql(c, QStringLiteral("INSERT INTO MateriaDetalles (IDMateriaDetalles, CodMateria, CodTipoMateria) VALUES (1, 1, 1)"));
        EscuelaPrueba::sql(c, QStringLiteral("INSERT INTO Alumno_MateriaDetalles (IDAlumno_MateriaDetalles, CodAlumno, CodMateriaDetalles) VALUES (1, 1, 1)"));
        EscuelaPrueba::sql(c, QStringLiteral("INSERT INTO Nota (IDNota, Aprobado) VALUES (1, ") + v + QStringLiteral("), (2, 0)"));
        for (int orden : Ordenes)
            EscuelaPrueba::sql(c, QStringLiteral("INSERT INTO NumEvaluacion (IDNumEvaluacion, Final, Orden) VALUES (%1, %2, %1)")
                                      .arg(orden)
                                      .arg(v));
    }

    // The student's grade of his one subject in each final period.
    bool preguntaConNotas(const std::map<int, int>& notas) {
        for (int orden : Ordenes)
            EscuelaPrueba::sql(escuela.centro(), QStringLiteral("INSERT INTO EvaluacionActa (IDEvaluacionActa, "
                                                                "CodAlumno_MateriaDetalles, CodNumEvaluacion, CodNota) "
                                                                "VALUES (%1, 1, %1, %2)")
                                                     .arg(orden)
                                                     .arg(notas.count(orden) ? notas.at(orden) : NotaAprobada));
        guion.responderA(1182, Respuesta::No);
        const bool sigue = ComprobarAlumnosSinEvaluar(escuela.centro());
        const bool preguntado = !guion.mostrados().isEmpty();
        EXPECT_EQ(sigue, !preguntado);
        return preguntado;
    }

};

TEST_P(SinEvaluar, CadaGrupoDeEvaluacionesFinalesCuenta) {
    struct Caso {
        const char* que;
        std::map<int, int> notas;
        bool pregunta;
    };
    const Caso casos[] = {
        {"todo calificado", {}, false},
        {"sin nota en la primera final", {{1, SinNota}}, true},
        {"sin nota en la final 51", {{51, SinNota}}, true},
        {"sin nota en la final 3", {{3, SinNota}}, true},
        {"suspensa en la 1 y sin nota en la 2", {{1, NotaSuspensa}, {2, SinNota}}, true},
        {"suspensa en la 51 y la 52, sin nota en la 53", {{51, NotaSuspensa}, {52, NotaSuspensa}, {53, SinNota}}, true},
        {"aprobada en la 1: la 2 no la califica", {{2, SinNota}}, false},
        {"aprobada en la 52: la 53 no la califica", {{51, NotaSuspensa}, {53, SinNota}}, false},
    };
    for (const Caso& caso : casos) {
        EscuelaPrueba::sql(escuela.centro(), QStringLiteral("DELETE FROM EvaluacionActa"));
        guion.olvidarMostrados();
        EXPECT_EQ(preguntaConNotas(caso.notas), caso.pregunta) << caso.que;
    }
}

NCC_AMBOS_FONDOS(SinEvaluar);

}  // namespace
