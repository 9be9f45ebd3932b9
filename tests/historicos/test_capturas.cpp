// Pictures of the historic side's windows on the sample school, for a
// person to look at: written only when NCC_CAPTURAS names a folder.
#include "Historicos.h"
#include "history/frmHistorico.h"
#include "history/frmHistoricoCurso.h"
#include "platform/Textos.h"
#include "platform/gui/MensajesQt.h"
#include <QMessageBox>

using namespace ncc;
using namespace ncc::pruebas;

namespace {

QString carpetaCapturas() { return QString::fromLocal8Bit(qgetenv("NCC_CAPTURAS")); }

void guardar(QWidget* w, const QString& nombre) {
    w->adjustSize();
    EXPECT_TRUE(w->grab().save(QDir(carpetaCapturas()).filePath(nombre + QStringLiteral(".png"))));
}

TEST(Capturas, VentanasDelHistorico) {
    if (carpetaCapturas().isEmpty()) GTEST_SKIP() << "NCC_CAPTURAS no indica carpeta";
    QDir().mkpath(carpetaCapturas());
    ContextoBD ctx(Proveedor::SQLite);
    EscuelaMuestra escuela(ctx);
    // A year before the current one, whose database is the current one's.
    EscuelaPrueba::sql(escuela.appEntrada(), QStringLiteral("UPDATE CursoEscolar SET BD=(SELECT BD FROM CursoEscolar "
                                                            "WHERE IDCursoEscolar=3) WHERE IDCursoEscolar=2"));
    MensajesGuion guion;
    ServicioMensajesInstalado instalado(guion);

    frmHistoricoCurso selector;
    selector.show();
    elegir(hijo<QComboBox>(&selector, "cboCursoEscolar"), QStringLiteral("2024/2025"));
    elegir(hijo<QComboBox>(&selector, "cboTipoEnsenanza"), u8("Educación Secundaria Obligatoria"));
    hijo<QComboBox>(&selector, "cboCurso")->setCurrentIndex(1);
    guardar(&selector, QStringLiteral("frmHistoricoCurso"));

    alAbrirse(QStringLiteral("frmNCursoEscolar"), [](QDialog& d) {
        hijo<QLineEdit>(&d, "txtCurso")->setText(QStringLiteral("Traslados d'O Grove"));
        guardar(&d, QStringLiteral("frmNCursoEscolar"));
        d.reject();
    });
    hijo<QPushButton>(&selector, "cmdNuevoCurso")->click();

    {
        MensajesQt qt;
        Mensaje m;
        m.texto = Texto(6051);
        m.titulo = Texto(100);
        m.icono = Icono::Informacion;
        auto* t = new QTimer;
        t->setInterval(10);
        QObject::connect(t, &QTimer::timeout, [t] {
            if (auto* caja = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                t->stop();
                t->deleteLater();
                guardar(caja, QStringLiteral("mensaje_6051_solo_lectura"));
                caja->accept();
            }
        });
        t->start();
        qt.mostrar(m);
    }

    frmHistorico paso;
    paso.show();
    alAbrirse(QStringLiteral("frmNCHistorico"), [](QDialog& d) {
        hijo<QLineEdit>(&d, "txtCurEscHis")->setText(QStringLiteral("Notes de l'any 2024/2025"));
        guardar(&d, QStringLiteral("frmNCHistorico"));
        d.reject();
    });
    hijo<QPushButton>(&paso, "cmdNCEscHis")->click();
    elegir(hijo<QComboBox>(&paso, "cboOrigen"), QStringLiteral("2024/2025"));
    hijo<QComboBox>(&paso, "cboDestino")->setCurrentIndex(2);
    guardar(&paso, QStringLiteral("frmHistorico"));
    bool hecha = false;
    QObject::connect(&paso, &frmHistorico::progresoMostrado, [&](long v, long m) {
        if (!hecha && v * 2 >= m && v > 0) {
            hecha = true;
            guardar(&paso, QStringLiteral("frmHistorico_en_curso"));
        }
    });
    hijo<QPushButton>(&paso, "cmdAceptar")->click();
    EXPECT_TRUE(hecha);
}

}  // namespace
