#pragma once
// A closed year's school database and its copy for the new year (and the
// new year's database of removed rows), both with the suite's schema, and
// the engine's working state over them; what the steps say and report is
// kept. The purge, activities, students and history steps run here one by
// one.
#include "EscuelaPrueba.h"
#include "GrabadorAvisos.h"
#include "Lectura.h"
#include "engine/EstadoMotor.h"
#include "engine/Pasos.h"
#include "suite/Esquema.h"

namespace ncc::pruebas {

class PasoSobreEscuela : public ConEscuela {
protected:
    explicit PasoSobreEscuela(qint16 curso = 3, const QString& nombreCurso = QStringLiteral("2025/2026"))
        : ConEscuela(1, curso, nombreCurso) {
        e.conf = &escuela.conf();
        e.avisos = &avisos;
        e.conNuevoCentro.setConnectionString(ctx.cadena(QStringLiteral("N1")));
        e.conNuevoBorradoCentro.setConnectionString(ctx.cadena(QStringLiteral("N2")));
        for (Conexion* c : {&e.conNuevoCentro, &e.conNuevoBorradoCentro}) {
            c->Open();
            suite::crearEsquema(*c, suite::TipoBase::Centro);
        }
    }

    Conexion& local() { return escuela.centro(); }
    Conexion& nuevo() { return e.conNuevoCentro; }

    // A row of the closed year; the new year's database starts as its copy.
    void ambas(const QString& sql, const QVariantList& v = {}) {
        EscuelaPrueba::sql(local(), sql, v);
        EscuelaPrueba::sql(nuevo(), sql, v);
    }

    GrabadorAvisos avisos;
    motor::EstadoMotor e;
};

}  // namespace ncc::pruebas
