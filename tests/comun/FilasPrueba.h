#pragma once
// Fixture rows that several test areas write into a school's centre
// database: a student in his section, a final evaluation, an activity member.
#include "EscuelaPrueba.h"

namespace ncc::pruebas::filas {

// An active student (a leaver when `baja` is a date) listed in his section.
inline void alumno(Conexion& con, int id, int seccion, int curso, int tipo, int orden, int tipoAlumno,
                   const QString& baja, const QVariant& apellido2) {
    EscuelaPrueba::sql(con,
                       QStringLiteral("INSERT INTO Alumno (IDAlumno, Nombre, Apellido_1, Apellido_2, FechaBaja, "
                                      "CodTipoEnsenanza, CodCurso, CodSeccion, OrdenSeccion, CodTipoAlumno) "
                                      "VALUES (%1, ?, ?, ?, ?, %2, %3, %4, %5, %6)")
                           .arg(id)
                           .arg(tipo)
                           .arg(curso)
                           .arg(seccion)
                           .arg(orden)
                           .arg(tipoAlumno),
                       {QStringLiteral("N%1").arg(id), QStringLiteral("Ap%1").arg(id), apellido2,
                        baja.isEmpty() ? QVariant() : QVariant(baja)});
    EscuelaPrueba::sql(con, QStringLiteral("INSERT INTO Seccion_Alumno (CodSeccion, CodAlumno) VALUES (%1, %2)")
                                .arg(seccion)
                                .arg(id));
}

// The student's evaluation `id` in period 1, with `promocion` (Null when invalid).
inline void evaluacion(Conexion& con, int id, int alumno, const QVariant& promocion) {
    EscuelaPrueba::sql(con,
                       QStringLiteral("INSERT INTO Alumno_NumEvaluacion (IDAlumno_NumEvaluacion, CodAlumno, "
                                      "CodNumEvaluacion, Promocion) VALUES (%1, %2, 1, ?)")
                           .arg(id)
                           .arg(alumno),
                       {promocion.isValid() ? promocion : QVariant(QMetaType(QMetaType::Int))});
}

}  // namespace ncc::pruebas::filas
