#include "history/frmHistoricoCurso.h"
#include "history/AbrirEditorHistorico.h"
#include "entry/SoloLectura.h"
#include "history/BloqueoHistorico.h"
#include "history/Ventanas.h"
#include "history/frmNCursoEscolar.h"
#include "platform/Textos.h"
#include "ui_frmHistoricoCurso.h"
#include <QCloseEvent>
#include <QPointer>

namespace ncc {

namespace {

constexpr int TextoHistoricoAplicacion = 6030;
constexpr int TextoHistoricoUsuario = 6031;

QPointer<frmHistoricoCurso>& elAbierto() {
    static QPointer<frmHistoricoCurso> f;
    return f;
}

// Each item carries its row id as item data; the list starts with nothing
// chosen.
void llenarSinAvisar(QComboBox* combo, Recordset rs, const QString& texto, const QString& id) {
    const QSignalBlocker bloqueo(combo);
    combo->clear();
    for (; !rs.eof(); rs.MoveNext()) combo->addItem(rs.texto(texto), rs.entero(id));
    combo->setCurrentIndex(-1);
}

}  // namespace

using historicos::atrapar;

frmHistoricoCurso::frmHistoricoCurso(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::frmHistoricoCurso>()) {
    ui->setupUi(this);
    elAbierto() = this;
    connect(ui->cboCursoEscolar, &QComboBox::currentIndexChanged, this, [this] { cboCursoEscolar_Click(); });
    connect(ui->cboTipoEnsenanza, &QComboBox::currentIndexChanged, this, [this] { cboTipoEnsenanza_Click(); });
    connect(ui->cboCurso, &QComboBox::currentIndexChanged, this, [this] { cboCurso_Click(); });
    connect(ui->cmdNuevoCurso, &QPushButton::clicked, this, [this] { cmdNuevoCurso_Click(); });
    connect(ui->cmdSiguiente, &QPushButton::clicked, this, [this] { cmdSiguiente_Click(); });
    connect(ui->cmdSalir, &QPushButton::clicked, this, &QDialog::close);
    historicos::prepararVentana(this);
    atrapar([this] { cargar(); });
}

frmHistoricoCurso::~frmHistoricoCurso() {
    // A lock still held here was not released by the editor's way out.
    if (bloqueoTomado_) LiberarBloqueo();
}

frmHistoricoCurso* frmHistoricoCurso::abierto() { return elAbierto(); }

void frmHistoricoCurso::closeEvent(QCloseEvent* e) {
    if (bloqueoTomado_) LiberarBloqueo();
    QDialog::closeEvent(e);
}

void frmHistoricoCurso::cargar() {
    llenarSinAvisar(ui->cboCursoEscolar,
           historicos::centroSesion().Abrir(QStringLiteral(
               "SELECT IDCursoEscolarHistorico, Nombre, HistoricoAplicacion FROM CursoEscolarHistorico "
               "ORDER BY IDCursoEscolarHistorico")),
           QStringLiteral("Nombre"), QStringLiteral("IDCursoEscolarHistorico"));
}

void frmHistoricoCurso::cboCursoEscolar_Click() {
    if (ui->cboCursoEscolar->currentIndex() < 0) return;
    atrapar([this] {
        Conexion& con = historicos::centroSesion();
        elegido_.intCursoEscHistorico = qint16(ui->cboCursoEscolar->currentData().toInt());
        elegido_.strCursoEscHistorico = ui->cboCursoEscolar->currentText();
        Recordset rs = con.Abrir(QStringLiteral("SELECT HistoricoAplicacion FROM CursoEscolarHistorico "
                                                "WHERE IDCursoEscolarHistorico=%1")
                                     .arg(elegido_.intCursoEscHistorico));
        const bool aplicacion = !rs.eof() && rs.booleano(QStringLiteral("HistoricoAplicacion"));
        ui->lblTipoHistorico->setText(Texto(aplicacion ? TextoHistoricoAplicacion : TextoHistoricoUsuario));
        bytCursoElegido_ = 1;

        // The school's teaching types but type 1, which keeps no history.
        ui->cboTipoEnsenanza->setEnabled(true);
        llenarSinAvisar(ui->cboTipoEnsenanza,
               con.Abrir(QStringLiteral("SELECT idtipoensenanza, nombre, orden FROM tipoensenanza WHERE "
                                        "idtipoensenanza IN (SELECT idtipoensenanza FROM Centro_TipoEnsenanza "
                                        "WHERE codcentro=%1) AND idtipoensenanza<>1 ORDER BY orden, idtipoensenanza")
                             .arg(historicos::sesion().intIDCentro())),
               QStringLiteral("nombre"), QStringLiteral("idtipoensenanza"));
        elegido_.intTipoEnsenanza = 0;
        elegido_.strTipoEnsenanza.clear();
        {
            const QSignalBlocker bloqueo(ui->cboCurso);
            ui->cboCurso->clear();
        }
        ui->cboCurso->setEnabled(false);
        elegido_.intCurso = 0;
        elegido_.strCurso.clear();
        actualizarSiguiente();
    });
}

void frmHistoricoCurso::cboTipoEnsenanza_Click() {
    if (ui->cboTipoEnsenanza->currentIndex() < 0) {
        ui->cboCurso->setEnabled(false);
        actualizarSiguiente();
        return;
    }
    atrapar([this] {
        ui->cboCurso->setEnabled(true);
        elegido_.intTipoEnsenanza = qint16(ui->cboTipoEnsenanza->currentData().toInt());
        elegido_.strTipoEnsenanza = ui->cboTipoEnsenanza->currentText();
        llenarSinAvisar(ui->cboCurso,
               historicos::centroSesion().Abrir(QStringLiteral("SELECT idcurso, descripcion, orden FROM curso "
                                                               "WHERE codtipoensenanza=%1 ORDER BY orden, idcurso")
                                                    .arg(elegido_.intTipoEnsenanza)),
               QStringLiteral("descripcion"), QStringLiteral("idcurso"));
        elegido_.intCurso = 0;
        elegido_.strCurso.clear();
        actualizarSiguiente();
    });
}

void frmHistoricoCurso::cboCurso_Click() {
    if (ui->cboCurso->currentIndex() >= 0) {
        elegido_.intCurso = qint16(ui->cboCurso->currentData().toInt());
        elegido_.strCurso = ui->cboCurso->currentText();
    }
    actualizarSiguiente();
}

void frmHistoricoCurso::actualizarSiguiente() {
    ui->cmdSiguiente->setEnabled(ui->cboCursoEscolar->currentIndex() >= 0 &&
                                 ui->cboTipoEnsenanza->currentIndex() >= 0 && ui->cboCurso->currentIndex() >= 0);
}

void frmHistoricoCurso::cmdNuevoCurso_Click() {
    if (!PuedeEscribir()) return;
    frmNCursoEscolar dialogo(this);
    dialogo.exec();
}

void frmHistoricoCurso::AgregarCursoHistorico(qint32 id, const QString& nombre) {
    ui->cboCursoEscolar->addItem(nombre, id);
    ui->lblTipoHistorico->setText(QStringLiteral("Histórico Usuario"));
    const int i = ui->cboCursoEscolar->findData(id);
    if (i >= 0) ui->cboCursoEscolar->setCurrentIndex(i);
}

void frmHistoricoCurso::cmdSiguiente_Click() {
    if (bytCursoElegido_ == 0) return;
    const bool tomado = atrapar([this] {
        historicos::TomarBloqueo(historicos::centroSesion(), elegido_, historicos::sesion().intIDUsuario());
        bloqueoTomado_ = !elegido_.blnSoloLectura;
    });
    if (!tomado) return;
    historicos::AbrirEditorHistorico(*this);
}

void frmHistoricoCurso::LiberarBloqueo() {
    atrapar([this] {
        if (!bloqueoTomado_) elegido_.blnSoloLectura = true;  // nothing of ours to delete
        historicos::LiberarBloqueo(historicos::centroSesion(), elegido_, historicos::sesion().intIDUsuario());
        bloqueoTomado_ = false;
    });
}

}  // namespace ncc
