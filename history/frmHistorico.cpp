#include "history/frmHistorico.h"
#include "entry/SoloLectura.h"
#include "history/PasoNotasHistorico.h"
#include "history/Ventanas.h"
#include "history/frmNCHistorico.h"
#include "ui_frmHistorico.h"
#include <QApplication>
#include <QScopeGuard>
#include <algorithm>

namespace ncc {

using historicos::atrapar;

namespace {

void llenar(QComboBox* combo, Recordset rs, const QString& texto, const QString& id) {
    combo->clear();
    for (; !rs.eof(); rs.MoveNext()) combo->addItem(rs.texto(texto), rs.entero(id));
    combo->setCurrentIndex(-1);
}

// The pointer goes back to normal before any message, and after the run.
class RelojDeArena {
public:
    RelojDeArena() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~RelojDeArena() { quitar(); }
    void quitar() {
        if (puesto_) QApplication::restoreOverrideCursor();
        puesto_ = false;
    }

private:
    bool puesto_ = true;
};

}  // namespace

frmHistorico::frmHistorico(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::frmHistorico>()) {
    ui->setupUi(this);
    ui->fraProgreso->hide();
    connect(ui->cmdAceptar, &QPushButton::clicked, this, [this] { cmdAceptar_Click(); });
    connect(ui->cmdNCEscHis, &QPushButton::clicked, this, [this] { cmdNCEscHis_Click(); });
    connect(ui->cmdCancelar, &QPushButton::clicked, this, &QDialog::reject);
    historicos::prepararVentana(this);
    atrapar([this] { cargar(); });
}

frmHistorico::~frmHistorico() = default;

void frmHistorico::cargar() {
    cConfiguracion& conf = historicos::sesion();
    llenar(ui->cboDestino,
           historicos::centroSesion().Abrir(QStringLiteral(
               "SELECT IDCursoEscolarHistorico, Nombre FROM CursoEscolarHistorico ORDER BY IDCursoEscolarHistorico")),
           QStringLiteral("Nombre"), QStringLiteral("IDCursoEscolarHistorico"));

    // The school's other school years. The host's connection is left as it
    // was found: opened here only when it was closed, and then closed again.
    Conexion* app = conf.conLocalAppEntrada();
    if (!app) throw Error(91, QStringLiteral("Variable de objeto no establecida: la sesión no tiene la base de datos de entrada"));
    const bool abrirAqui = app->State() != 1;
    if (abrirAqui) app->Open();
    try {
        llenar(ui->cboOrigen,
               app->Abrir(QStringLiteral("SELECT IDCursoEscolar, Nombre FROM CursoEscolar WHERE IDCursoEscolar<>%1 "
                                         "AND CodCentro=%2 ORDER BY IDCursoEscolar")
                              .arg(conf.intIDCursoEscolar())
                              .arg(conf.intIDCentro())),
               QStringLiteral("Nombre"), QStringLiteral("IDCursoEscolar"));
    } catch (...) {
        if (abrirAqui) app->Close();
        throw;
    }
    if (abrirAqui) app->Close();
}

void frmHistorico::AgregarDestino(qint32 id, const QString& nombre) {
    ui->cboDestino->addItem(nombre, id);
    ui->cboDestino->setCurrentIndex(ui->cboDestino->count() - 1);
}

void frmHistorico::reject() {
    if (!enCurso_) QDialog::reject();
}

void frmHistorico::cmdNCEscHis_Click() {
    if (!PuedeEscribir()) return;
    frmNCHistorico dialogo(this);
    dialogo.exec();
}

void frmHistorico::mostrarProgreso(long valor, long maximo) {
    ui->prgAlumno->setMaximum(int(maximo));
    ui->prgAlumno->setValue(int(std::min(valor, maximo)));
    ui->Label3->setText(QStringLiteral("Evolución: %1 / %2").arg(valor).arg(maximo));
    emit progresoMostrado(valor, maximo);
}

void frmHistorico::cmdAceptar_Click() {
    if (!PuedeEscribir()) return;
    if (ui->cboOrigen->currentIndex() < 0 || ui->cboDestino->currentIndex() < 0) {
        avisarTexto(QStringLiteral("Debe seleccionar un origen y destino"), Icono::Informacion);
        return;
    }
    historicos::ResultadoPaso r;
    atrapar([this, &r] {
        cConfiguracion& conf = historicos::sesion();
        Conexion* app = conf.conLocalAppEntrada();
        if (!app) throw Error(91, QStringLiteral("Variable de objeto no establecida: la sesión no tiene la base de datos de entrada"));
        historicos::PasoNotasHistorico paso(historicos::centroSesion(), *app, conf.RutaBD());
        paso.progreso = [this](long v, long m) { mostrarProgreso(v, m); };
        ui->cmdAceptar->setEnabled(false);
        ui->cmdCancelar->setEnabled(false);
        ui->cmdNCEscHis->setEnabled(false);
        ui->fraProgreso->show();
        RelojDeArena reloj;
        enCurso_ = true;
        const auto fin = qScopeGuard([this] { enCurso_ = false; });
        r = paso.PasarNotasHistorico(ui->cboOrigen->currentData().toInt(), ui->cboDestino->currentData().toInt());
        reloj.quitar();
        ui->fraProgreso->hide();
    });
    historicos::MostrarResultado(r);
    accept();
}

}  // namespace ncc
