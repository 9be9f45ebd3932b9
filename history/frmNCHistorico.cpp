#include "history/frmNCHistorico.h"
#include "history/CursosHistoricos.h"
#include "history/Ventanas.h"
#include "history/frmHistorico.h"
#include "ui_frmNCHistorico.h"

namespace ncc {

frmNCHistorico::frmNCHistorico(frmHistorico* paso)
    : QDialog(paso), ui(std::make_unique<Ui::frmNCHistorico>()), paso_(paso) {
    ui->setupUi(this);
    connect(ui->cmdAceptar, &QPushButton::clicked, this, [this] { cmdAceptar_Click(); });
    connect(ui->cmdCancelar, &QPushButton::clicked, this, &QDialog::reject);
    historicos::prepararVentana(this);
}

frmNCHistorico::~frmNCHistorico() = default;

void frmNCHistorico::cmdAceptar_Click() {
    historicos::atrapar([this] {
        const QString nombre = ui->txtCurEscHis->text();
        const QString problema =
            historicos::ProblemaNombreHistorico(nombre, QStringLiteral("Debe introducir el nombre"));
        if (!problema.isEmpty()) {
            avisarTexto(problema, Icono::Informacion);
            ui->txtCurEscHis->setFocus();
            return;
        }
        const qint32 id = historicos::CrearCursoEscolarHistorico(historicos::centroSesion(), nombre, true);
        if (paso_) paso_->AgregarDestino(id, nombre);
        accept();
    });
}

}  // namespace ncc
