#pragma once
// A small school for the student page: two teaching types of the school
// (Primaria, ESO) and one of another school (Bachillerato).
//   1º Primaria (11) promotes directly: sections 111 "A" (25 places) and 112 "B".
//   2º Primaria (12) promotes by grades: 121 "A" (20 places), 122 "B" (20).
//   1º d'ESO (21): 211 "A" (20 places). 2º ESO (22): 221 "B", 222 "Ñ",
//   223 "O", 224 "N" (Spanish order B, N, Ñ, O). Bachillerato 1º (31): 311.
// Students (id: section, OrdenSeccion):
//   111: 1003 (1), 1001 (2), 1002 (3)           all promoted by default
//   121: 1201 no grades (Repite), 1202 promoted (Promociona), 1203 not (Repite)
//   211: 2101; 1299 left (121, not listed)
// Activities: 5 with 1202 and 2101; 6 with 1202.
#include "EscuelaPrueba.h"
#include "FilasPrueba.h"
#include "platform/Reloj.h"

namespace ncc::pruebas {

class EscuelaAlumnos : public ConEscuela {
protected:
    EscuelaAlumnos() {
        Reloj::fijarHoy(QDate(2026, 6, 30));
        for (const char* s : {
                 "INSERT INTO TipoEnsenanza (IDTipoEnsenanza, Nombre, Orden) VALUES (1, 'Primaria', 1), (2, 'ESO', 2), "
                 "(3, 'Bachillerato', 3)",
                 "INSERT INTO Centro_TipoEnsenanza (CodCentro, CodTipoEnsenanza) VALUES (1, 2), (1, 1), (2, 3)",
                 "INSERT INTO Curso (IDCurso, Descripcion, CodTipoEnsenanza, Orden, Promocion) VALUES (12, '2º', 1, 2, 1), "
                 "(11, '1º', 1, 1, 0), (21, '1º d''ESO', 2, 1, 1), (22, '2º', 2, 2, 1), (31, '1º', 3, 1, 1)",
                 "INSERT INTO Seccion (IDSeccion, Descripcion, CodCurso, NumPlazas) VALUES (112, 'B', 11, 25), (111, 'A', 11, 25), "
                 "(121, 'A', 12, 20), (122, 'B', 12, 20), (211, 'A', 21, 20), (221, 'B', 22, 30), (222, 'Ñ', 22, 30), "
                 "(223, 'O', 22, 30), (224, 'N', 22, 30), (311, 'A', 31, 30)",
             })
            EscuelaPrueba::sql(con(), QString::fromUtf8(s));
        alumno(1001, 111, 11, 1, 2);
        alumno(1002, 111, 11, 1, 3);
        alumno(1003, 111, 11, 1, 1);
        alumno(1201, 121, 12, 1, 1);
        alumno(1202, 121, 12, 1, 2);
        alumno(1203, 121, 12, 1, 3);
        alumno(1299, 121, 12, 1, 4, QStringLiteral("2026/01/10"));
        alumno(2101, 211, 21, 2, 1);
        evaluacion(1202, 0);
        evaluacion(1202, 1);
        evaluacion(1202, QVariant());
        evaluacion(1203, 0);
        evaluacion(1203, QVariant());
        miembro(5, 1202);
        miembro(6, 1202);
        miembro(5, 2101);
    }
    ~EscuelaAlumnos() override { Reloj::fijarHoy(QDate()); }

    Conexion& con() { return escuela.centro(); }

    void alumno(int id, int seccion, int curso, int tipo, int orden, const QString& baja = {}) {
        filas::alumno(con(), id, seccion, curso, tipo, orden, 1, baja, QVariant());
    }
    void evaluacion(int alumno, const QVariant& promocion) { filas::evaluacion(con(), ++numEvaluacion, alumno, promocion); }
    void miembro(int actividad, int alumno) {
        EscuelaPrueba::sql(con(), QStringLiteral("INSERT INTO Alumno_Actividad_Miembro (CodActividad, CodAlumno) "
                                                 "VALUES (%1, %2)")
                                      .arg(actividad)
                                      .arg(alumno));
    }
    long long contar(const QString& tabla) {
        return con().Abrir(QStringLiteral("SELECT COUNT(*) AS N FROM ") + tabla).entero(QStringLiteral("N"));
    }

    int numEvaluacion = 0;
};

}  // namespace ncc::pruebas
