// ncc capturas writes a readable picture of each window and message of the
// wizard's start and of the closing report's first page on the sample
// school, and leaves the school as it was.
#include "EscuelaCarpeta.h"
#include <QCryptographicHash>
#include <QDir>
#include <QImage>
#include <gtest/gtest.h>

namespace ncc::pruebas {

TEST(Capturas, UnaImagenPorVentanaYMensajeSinTocarLaEscuela) {
    QTemporaryDir modelo, salida;
    crearEscuelaCarpeta(modelo.path(), 20);
    auto huella = [&] {
        QCryptographicHash h(QCryptographicHash::Sha256);
        for (const QString& f : QDir(modelo.path()).entryList({QStringLiteral("*.db")}, QDir::Files, QDir::Name)) {
            QFile a(QDir(modelo.path()).filePath(f));
            if (a.open(QIODevice::ReadOnly)) h.addData(&a);
        }
        return h.result();
    };
    const QByteArray antes = huella();
    const QStringList archivos = QDir(modelo.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    const SalidaNcc r = ejecutarNcc({QStringLiteral("capturas"), salida.path(), QStringLiteral("--datos"), modelo.path()});
    ASSERT_EQ(r.salida, 0) << r.error.toStdString();
    for (const char* nombre : {"frmCierreCursoE", "frmProceso", "frmCierreCursoE_1183", "frmCierreCursoE_2193",
                               "frmCierreCursoE_1182", "frmCierreCursoE_1180", "frmCierreCursoE_1181",
                               "frmCierreCursoE_2180", "frmCierreCursoE_1185", "frmCierreCursoE_parcial",
                               "frmProceso_2181", "frmProceso_2182", "frmEnsayo", "InformeCierre", "Ensayo_resultado",
                               "frmProceso_informe"}) {
        const QImage img(QDir(salida.path()).filePath(QString::fromLatin1(nombre) + QStringLiteral(".png")));
        EXPECT_FALSE(img.isNull()) << nombre;
        EXPECT_GT(img.width(), 150) << nombre;
        EXPECT_GT(img.height(), 60) << nombre;
    }
    EXPECT_EQ(huella(), antes);
    // The report's page comes from a closing of a copy: nothing is left
    // beside the school, no report, journal or lock.
    EXPECT_EQ(QDir(modelo.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), archivos);
}

}  // namespace ncc::pruebas
