// From a real closing to the historic store: the sample school closes its
// year, and from the next year's session the secretary passes the closed
// year's grades into its historic year with the transfer form. The closing
// has already passed them, so nothing new goes in and nothing goes out,
// the leavers' history included; once they are removed, the transfer puts
// back the same grades.
#include "historicos/Historicos.h"
#include "history/frmHistorico.h"

using namespace ncc;
using namespace ncc::pruebas;

namespace {

class PasoTrasCierre : public ConMuestra {};

// One text per grade of the closed year: student, subject, type, course,
// period, grade and whether it is a pending subject.
QStringList notasDelAnio(Conexion& con, int anio) {
    QStringList r;
    for (Recordset rs = con.Abrir(QStringLiteral(
             "SELECT codAlumno, codMateria, codTipoEnsenanza, codCurso, codNumEvaluacion, codNota, MateriaPendiente "
             "FROM EvaluacionHistorica WHERE codCursoEscolar=%1 AND codAlumno IN (SELECT IDAlumno FROM Alumno)")
                                    .arg(anio));
         !rs.eof(); rs.MoveNext()) {
        QStringList c;
        for (int i = 0; i < rs.numeroCampos(); ++i) c << (rs.campo(i).isNull() ? QStringLiteral("-") : QString::number(rs.campo(i).toLongLong()));
        r << c.join(QLatin1Char('|'));
    }
    r.sort();
    return r;
}

// The transfer form from `origen` into `destino`, by their names.
void pasarConElFormulario(const QString& origen, const QString& destino) {
    frmHistorico f;
    elegir(hijo<QComboBox>(&f, "cboOrigen"), origen);
    elegir(hijo<QComboBox>(&f, "cboDestino"), destino);
    hijo<QPushButton>(&f, "cmdAceptar")->click();
    EXPECT_EQ(f.result(), QDialog::Accepted);
}

TEST_P(PasoTrasCierre, ElAnioCerradoPasaASuHistoricoSinDuplicarLoQueElCierreYaPaso) {
    muestra = crearMuestra(ctx, QStringLiteral("escuela"), 60);
    ASSERT_FALSE(cerrarMuestra(muestra).nuevo.isEmpty());
    MensajesGuion guion;
    ServicioMensajesInstalado instalado(guion);

    // The next year's session: the closed year is an origin, its historic
    // year (made by the closing) a destination.
    SesionAbierta s(muestra);
    ASSERT_EQ(s.sesion->IDCursoescolar(), 4);
    Conexion& centro = s.sesion->centro();
    const QStringList delCierre = notasDelAnio(centro, 3);
    ASSERT_GT(delCierre.size(), 50);
    {
        frmHistorico f;
        auto* origenes = hijo<QComboBox>(&f, "cboOrigen");
        QStringList nombres;
        for (int i = 0; i < origenes->count(); ++i) nombres << origenes->itemText(i);
        EXPECT_EQ(nombres, (QStringList{QStringLiteral("2023/2024"), QStringLiteral("2024/2025"), QStringLiteral("2025/2026")}));
        EXPECT_GE(hijo<QComboBox>(&f, "cboDestino")->findText(QStringLiteral("2025/2026")), 0);
    }
    // Everything stays, the history of the students who left included:
    // the transfer passes nothing and removes nothing it did not write.
    const QStringList antes = EscuelaPrueba::instantanea(centro);
    ASSERT_GT(contar(centro, QStringLiteral("SELECT COUNT(*) FROM EvaluacionHistorica WHERE codAlumno NOT IN "
                                            "(SELECT IDAlumno FROM Alumno)")), 0);

    guion.olvidarMostrados();
    pasarConElFormulario(QStringLiteral("2025/2026"), QStringLiteral("2025/2026"));
    ASSERT_EQ(guion.textos().size(), 1);
    EXPECT_TRUE(guion.textos().first().contains(u8("Notas pasadas: 0\r\n")) &&
                guion.textos().first().contains(u8("(en \"2025/2026\")")))
        << guion.textos().first().toStdString();
    EXPECT_EQ(EscuelaPrueba::instantanea(centro), antes);

    // Without the closing's rows, the transfer writes the same grades.
    EscuelaPrueba::sql(centro, QStringLiteral("DELETE FROM EvaluacionHistorica WHERE codCursoEscolar=3"));
    guion.olvidarMostrados();
    pasarConElFormulario(QStringLiteral("2025/2026"), QStringLiteral("2024/2025"));
    ASSERT_EQ(guion.textos().size(), 1);
    EXPECT_TRUE(guion.textos().first().startsWith(u8("Proceso finalizado con éxito"))) << guion.textos().first().toStdString();
    EXPECT_EQ(notasDelAnio(centro, 3), delCierre);
    EXPECT_EQ(contar(centro, QStringLiteral("SELECT COUNT(*) FROM EvaluacionHistorica WHERE codCursoEscolar=3 AND "
                                            "(Orden=0 OR codCursoEscolarHistorico<>2)")), 0);
    EXPECT_TRUE(guion.sinPreguntasInesperadas());
}

NCC_AMBOS_FONDOS(PasoTrasCierre);

}  // namespace
