// ncc capturas writes a readable picture of each window and message of the
// wizard's start, of the historic editor and of the closing report's first
// page on the sample school, and leaves the school as it was.
#include "EscuelaCarpeta.h"
#include <QDir>
#include <QImage>
#include <gtest/gtest.h>

namespace ncc::pruebas {

TEST(Capturas, UnaImagenPorVentanaYMensajeSinTocarLaEscuela) {
    QTemporaryDir salida;
    const auto escuela = escuelaCarpeta(20);
    const QString antes = huellaCarpeta(escuela->path());
    const SalidaNcc r = ejecutarNcc({QStringLiteral("capturas"), salida.path(), QStringLiteral("--datos"), escuela->path()});
    ASSERT_EQ(r.salida, 0) << r.error.toStdString();
    for (const char* nombre : {"frmCierreCursoE", "frmProceso", "frmCierreCursoE_1183", "frmCierreCursoE_2193",
                               "frmCierreCursoE_1182", "frmCierreCursoE_1180", "frmCierreCursoE_1181",
                               "frmCierreCursoE_2180", "frmCierreCursoE_1185", "frmCierreCursoE_parcial",
                               "frmProceso_2181", "frmProceso_2182", "frmEnsayo", "InformeCierre", "Ensayo_resultado",
                               "frmProceso_informe", "frmEditarHistorico_materias", "frmEditarHistorico_alumnos",
                               "frmPropAlumno", "frmPropMatAl", "frmSelMateria", "frmSelMatAl", "frmSelHAlumno",
                               "NCBuscar_frmBuscarAlumno"}) {
        const QImage img(QDir(salida.path()).filePath(QString::fromLatin1(nombre) + QStringLiteral(".png")));
        EXPECT_TRUE(!img.isNull() && img.width() > 150 && img.height() > 60) << nombre;
    }
    // The report's page comes from a closing of a copy: nothing changes
    // and nothing is left beside the school, no report, journal or lock.
    EXPECT_EQ(huellaCarpeta(escuela->path()), antes);
}

}  // namespace ncc::pruebas
