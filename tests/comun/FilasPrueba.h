#pragma once
// Fixture rows that several test areas write into a school's centre
// database: a student in his section, a final evaluation, an activity member.
#include "EscuelaPrueba.h"
#include "entry/cAlumno.h"

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

// A student's decision as "decision tipo/curso/seccion" and the destination's
// texts (joined by `entre`), then his leaving date and " sin asignar" when
// he is.
inline QString decision(const std::shared_ptr<cAlumno>& a, QChar entre) {
    if (!a) return QStringLiteral("(no está)");
    const QString d = a->Promociona() ? QStringLiteral("Promociona")
                      : a->Repite()   ? QStringLiteral("Repite")
                      : a->Baja()     ? QStringLiteral("Baja")
                                      : QStringLiteral("?");
    return QStringLiteral("%1 %2/%3/%4 %5 %6%7")
        .arg(d)
        .arg(a->NIDTipoEnsenanza())
        .arg(a->NIDCurso())
        .arg(a->NIDSeccion())
        .arg(QStringList{a->NTipoEnsenanza(), a->NCurso(), a->NSeccion()}.join(entre), a->FechaBaja())
        .arg(a->SinAsignar() ? QStringLiteral(" sin asignar") : QString());
}

}  // namespace ncc::pruebas::filas
