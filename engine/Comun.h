#pragma once
// Small helpers every step of the closing shares.
#include "platform/BucleMensajes.h"
#include "platform/Conexion.h"
#include "platform/Error.h"

namespace ncc::motor {

// A student who has not left: no date of leaving.
inline const QString AlumnoActivo = QStringLiteral("(Alumno.FechaBaja IS NULL OR Alumno.FechaBaja='')");

// Runs a statement and lets the interface breathe, as every step does after
// each of its statements.
inline void ejecutar(Conexion& con, const QString& sql, const QVariantList& valores = {}) {
    con.Execute(sql, valores);
    ceder();
}

[[noreturn]] inline void desbordamiento() { throw Error(errores::Desbordamiento, QStringLiteral("Desbordamiento")); }

// The suite's small fields: a teaching type, course or seat count is a byte,
// a section id or a free-seat count a 16-bit integer; a value outside that
// range is an overflow, as it always was.
inline quint8 aByte(long long v) {
    if (v < 0 || v > 255) desbordamiento();
    return quint8(v);
}

inline qint16 aEntero16(long long v) {
    if (v < -32768 || v > 32767) desbordamiento();
    return qint16(v);
}

}  // namespace ncc::motor
