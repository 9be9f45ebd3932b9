#include "history/frmNCursoEscolar.h"
#include "history/CursosHistoricos.h"
#include "history/Ventanas.h"
#include "history/frmHistoricoCurso.h"
#include "platform/Textos.h"
#include "ui_frmNCursoEscolar.h"

namespace ncc {

namespace {
constexpr int MsgFaltaNombre = 11031;
}

frmNCursoEscolar::frmNCursoEscolar(frmHistoricoCurso* selector)
    : QDialog(selector), ui(std::make_unique<Ui::frmNCursoEscolar>()), selector_(selector) {
    ui->setupUi(this);
    connect(ui->cmdAceptar, &QPushButton::clicked, this, [this] { cmdAceptar_Click(); });
    connect(ui->cmdCancelar, &QPushButton::clicked, this, &QDialog::reject);
    historicos::prepararVentana(this);
}

frmNCursoEscolar::~frmNCursoEscolar() = default;

void frmNCursoEscolar::cmdAceptar_Click() {
    historicos::atrapar([this] {
        const QString nombre = ui->txtCurso->text();
        const QString problema = historicos::ProblemaNombreHistorico(nombre, Texto(MsgFaltaNombre));
        if (!problema.isEmpty()) {
            avisarTexto(problema, Icono::Informacion);
            ui->txtCurso->setFocus();
            return;
        }
        const qint32 id = historicos::CrearCursoEscolarHistorico(historicos::centroSesion(), nombre, false);
        if (selector_) selector_->AgregarCursoHistorico(id, nombre);
        accept();
    });
}

}  // namespace ncc
