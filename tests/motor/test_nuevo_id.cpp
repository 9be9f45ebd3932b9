// The id of the new school year is one past the greatest of both application
// entries: a year deleted from the application entry lives on in its twin,
// and its id must never be given again.
#include "ContextoBD.h"
#include "EscuelaPrueba.h"
#include "engine/cIFunciones.h"
#include "platform/MensajesGuion.h"

using namespace ncc;
using namespace ncc::pruebas;

namespace {

class NuevoId : public testing::TestWithParam<Proveedor> {
protected:
    NuevoId() : ctx(GetParam()), escuela(ctx, 3, 7), instalado(guion) {}
    ContextoBD ctx;
    EscuelaPrueba escuela;
    MensajesGuion guion;
    ServicioMensajesInstalado instalado;
};

TEST_P(NuevoId, ElAnoBorradoDeIdMayorCuentaParaElNuevo) {
    EscuelaPrueba::sql(escuela.borradoAppEntrada(),
                       QStringLiteral("INSERT INTO CursoEscolar (IDCursoEscolar, Nombre, CodCentro) VALUES (9, 'Borrado', 3)"));
    cIFunciones motor;
    ProgresoEnMemoria barra;
    motor.setProgreso(&barra);
    motor.setNuevoCursoEscolar(QStringLiteral("2026/2027"));
    motor.setProcesarSecciones(true);
    motor.setProcesarActividades(true);
    ASSERT_TRUE(motor.TransferirDatos()) << guion.textos().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(motor.estado().lngIDNuevoCurso, 10);
    EXPECT_TRUE(escuela.existeCreada(QStringLiteral("A3C10")));
    Recordset rs = escuela.appEntrada().Abrir(QStringLiteral("SELECT Nombre FROM CursoEscolar WHERE IDCursoEscolar=10"));
    ASSERT_FALSE(rs.eof());
    EXPECT_EQ(rs.texto(QStringLiteral("Nombre")), QStringLiteral("2026/2027"));
}

}  // namespace

NCC_AMBOS_FONDOS(NuevoId);
