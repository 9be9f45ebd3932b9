#pragma once
// The sample school on the test's back end with its historic grades, the
// editor's course opened on it, and what the tests need to drive its windows.
#include "Controles.h"
#include "cierre/Muestra.h"
#include "history/EdicionHistorico.h"
#include "history/frmEditarHistorico.h"
#include <functional>

namespace ncc::pruebas {

// Courses of the sample school's historic year "2024/2025" (id 2).
constexpr qint16 AnioHistorico = 2;
constexpr quint8 TipoESO = 3;
constexpr qint16 Segundo = 11;    // 2º ESO: Orden 2, programmes offered
constexpr qint16 Cuarto = 13;     // 4º ESO: Orden 4
constexpr quint8 TipoBach = 4;
constexpr qint16 PrimeroBach = 14;  // no special measures

class EscuelaHistorica : public testing::TestWithParam<Proveedor> {
protected:
    void SetUp() override {
        ctx = std::make_unique<ContextoBD>(GetParam());
        muestra = crearMuestra(*ctx, QStringLiteral("h"), 300, suite::OpcionesDemo{}.semilla);
        con = std::make_unique<Conexion>(muestra.cadena(QStringLiteral("A1C3")));
        con->Open();
        instalado = std::make_unique<ServicioMensajesInstalado>(guion);
    }
    void TearDown() override {
        instalado.reset();
        con.reset();
        muestra.borrar();
    }

    CursoHistorico curso(qint16 c = Segundo, bool soloLectura = false, quint8 tipo = TipoESO) const {
        return {AnioHistorico, tipo, c, soloLectura};
    }

    // Takes the lock as the chooser does and gives the callback that frees it.
    std::function<void()> bloqueo(const CursoHistorico& c) {
        if (!c.blnSoloLectura)
            con->Execute(QStringLiteral("INSERT INTO bloqueohistorico VALUES(%1,%2,%3,1)")
                             .arg(c.intCursoEscHistorico).arg(c.intTipoEnsenanza).arg(c.intCurso));
        return [this, c] {
            ++liberaciones;
            if (!c.blnSoloLectura)
                con->Execute(QStringLiteral("DELETE FROM bloqueohistorico WHERE codcursoescolarhistorico=%1 AND "
                                            "codtipoensenanza=%2 AND codcurso=%3 AND codusuario=1")
                                 .arg(c.intCursoEscHistorico).arg(c.intTipoEnsenanza).arg(c.intCurso));
        };
    }
    long long numero(const QString& sql) {
        Recordset r = con->Abrir(sql);
        return r.eof() ? -1 : r.entero(r.nombreCampo(0));
    }
    long long bloqueos() { return numero(QStringLiteral("SELECT COUNT(*) FROM bloqueohistorico")); }

    // Every historic grade, one text per row, in id order.
    QStringList historicas() {
        return leerFilas(*con, QStringLiteral("SELECT * FROM EvaluacionHistorica ORDER BY IDEvaluacionHistorica"));
    }

    std::unique_ptr<ContextoBD> ctx;
    Muestra muestra;
    std::unique_ptr<Conexion> con;
    MensajesGuion guion;
    std::unique_ptr<ServicioMensajesInstalado> instalado;
    int liberaciones = 0;
};

// A fingerprint of the editor's records, every state and value.
inline QString huellaRegistros(EdicionHistorico& e) {
    QStringList l;
    for (const auto& m : e.colMaterias())
        l << QStringLiteral("M%1:%2:%3:%4:%5").arg(m->IDMateria()).arg(m->Anterior()).arg(m->Actual()).arg(m->Confirmar()).arg(m->Nombre());
    for (const auto& a : e.colAlumnos()) {
        l << QStringLiteral("A%1:%2:%3:%4:%5:%6:%7:%8:%9")
                 .arg(a->IDAlumno()).arg(a->Anterior()).arg(a->Actual()).arg(a->Confirmar()).arg(a->Repite())
                 .arg(a->Pendiente()).arg(a->PromocionPCPI()).arg(a->PromocionDiversificacion()).arg(a->Promocion());
        for (const auto& m : *a->Materias())
            l << QStringLiteral("  %1:%2:%3:%4:%5:%6:%7:%8").arg(m->IDMateria()).arg(m->Anterior()).arg(m->Actual())
                     .arg(m->Orden()).arg(m->IDNota()).arg(m->IDReacdiv()).arg(m->FechaEvaluacion()).arg(m->NumEvaluacion());
    }
    return l.join(QLatin1Char('\n'));
}

}  // namespace ncc::pruebas
