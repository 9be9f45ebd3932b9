// The history's Orden: each student's rows of the closed year are numbered
// 1, 2... his grades before his pending subjects, each kind in id order;
// a row the history already held without a number (Orden 0) for that
// student and year is numbered with his new ones, as one set.
#include "Muestra.h"

using namespace ncc;
using namespace ncc::pruebas;

namespace {

class OrdenHistorico : public ConMuestra {};

struct Fila {
    qint64 id, alumno, orden;
    bool pendiente;
};

// The closed year's history rows of the new year, in the order that
// numbers them.
QList<Fila> filasDelCurso(Conexion& con, int curso) {
    QList<Fila> r;
    for (Recordset rs = con.Abrir(QStringLiteral("SELECT IDEvaluacionHistorica, CodAlumno, Orden, MateriaPendiente "
                                                 "FROM EvaluacionHistorica WHERE CodCursoEscolar=%1 "
                                                 "ORDER BY CodAlumno, MateriaPendiente DESC, IDEvaluacionHistorica")
                                      .arg(curso));
         !rs.eof(); rs.MoveNext())
        r.append({rs.campo(0).toLongLong(), rs.campo(1).toLongLong(), rs.campo(2).toLongLong(), rs.campo(3).toInt() != 0});
    return r;
}

// Closes with the default plan; the new year's school database.
QString cerrar(SesionAbierta& s) {
    MensajesGuion guion;
    guion.responderA(2187, Respuesta::Si).responderA(710, Respuesta::Si);
    ServicioMensajesInstalado instalado(guion);
    const host::Plan plan = s.planPorDefecto();
    ProgresoEnMemoria barra;
    cIFunciones motor;
    prepararMotor(motor, plan, &barra);
    EXPECT_TRUE(motor.TransferirDatos()) << guion.textos().join(QLatin1Char('\n')).toStdString();
    return motor.estado().conNuevoCentro.ConnectionString();
}

TEST_P(OrdenHistorico, CadaAlumnoNumeradoDesdeUnoYUnaFilaSinNumeroEntraEnSuCuenta) {
    muestra = crearMuestra(ctx, QStringLiteral("orden"), 80);
    auto s = std::make_unique<SesionAbierta>(muestra);
    const int curso = int(s->sesion->IDCursoescolar());
    Conexion& viejo = s->sesion->centro();
    // A student of a teaching type whose grades go to the history, who
    // stays in his type (a student who changes type loses his history),
    // with a pending subject already in the history of this year but not
    // numbered.
    qint64 alumno = 0, tipo = 0, cursoAlumno = 0;
    const host::Plan plan = s->planPorDefecto();
    for (const auto& sec : *plan.arboles.secciones)
        for (const auto& a : *sec->Alumnos())
            if (!alumno && sec->Promocionada() && (a->Promociona() || a->Repite()) && a->IDTipoEnsenanza() > 2 &&
                a->IDTipoEnsenanza() == a->NIDTipoEnsenanza()) {
                alumno = a->IDAlumno();
                tipo = a->IDTipoEnsenanza();
                cursoAlumno = a->IDCurso();
            }
    ASSERT_NE(alumno, 0);
    const qint64 sinNumero = contar(viejo, QStringLiteral("SELECT COALESCE(MAX(IDEvaluacionHistorica), 0) + 1000 "
                                                          "FROM EvaluacionHistorica"));
    viejo.Execute(QStringLiteral("INSERT INTO EvaluacionHistorica VALUES (?,?,1,?,?,?,0,0,0,0,0,'2026/06/30',-1,0,0,0,0)"),
                  {sinNumero, alumno, curso, tipo, cursoAlumno});
    const QString cadenaNueva = cerrar(*s);
    ASSERT_FALSE(HasFailure());
    s.reset();

    Conexion nueva(cadenaNueva);
    nueva.Open();
    const QList<Fila> filas = filasDelCurso(nueva, curso);
    ASSERT_FALSE(filas.isEmpty());
    QHash<qint64, qint64> ultimo;
    QHash<qint64, int> pendientes, notas;
    for (const Fila& f : filas) {
        EXPECT_EQ(f.orden, ultimo.value(f.alumno) + 1) << "alumno " << f.alumno << ", fila " << f.id;
        ultimo[f.alumno] = f.orden;
        ++(f.pendiente ? pendientes : notas)[f.alumno];
    }
    // The chosen student had grades and the row without a number comes
    // right after them, before his pending subjects of the year.
    ASSERT_GT(notas.value(alumno), 0);
    qint64 ordenSinNumero = 0;
    for (const Fila& f : filas)
        if (f.id == sinNumero) ordenSinNumero = f.orden;
    EXPECT_EQ(ordenSinNumero, notas.value(alumno) + 1);
}

}  // namespace

NCC_AMBOS_FONDOS(OrdenHistorico);
