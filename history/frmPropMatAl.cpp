#include "history/frmPropMatAl.h"
#include "entry/cConfiguracion.h"
#include "entry/gui/cIInterface.h"
#include "history/frmEditarHistorico.h"
#include "history/frmPropAlumno.h"
#include "platform/Mensajes.h"
#include "platform/gui/CampoFecha.h"
#include "ui_frmPropMatAl.h"
#include <QDate>
#include <algorithm>

namespace ncc {

namespace {

void seleccionarDato(QComboBox* c, int dato) {
    c->setCurrentIndex(c->findData(dato));
}

}  // namespace

frmPropMatAl::frmPropMatAl(frmPropAlumno& propiedades, qint16 idMateria, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmPropMatAl>()), propiedades_(propiedades), alumno_(propiedades.alumno()) {
    ui->setupUi(this);
    EdicionHistorico& e = propiedades_.editor().edicion();
    if (const cConfiguracion* c = ConfiguracionActual(); c && !c->RutaIcono().isEmpty())
        setWindowIcon(QIcon(c->RutaIcono()));
    cIInterface().CargarTextos(this);
    setWindowTitle(QStringLiteral("Introducción de notas de ") + alumno_.Nombre());
    EdicionHistorico::copiar_coleccion_materias(*alumno_.Materias(), copia_);

    // The evaluation may have no date.
    prepararCampoFecha(ui->actpPrincipal, true);

    QList<std::shared_ptr<cMateria>> materias;
    for (const auto& m : *alumno_.Materias())
        if (m->Actual() != 2) materias.append(m);
    std::stable_sort(materias.begin(), materias.end(), [](const auto& x, const auto& y) { return x->Orden() < y->Orden(); });
    for (const auto& m : materias) ui->cboMateria->addItem(m->Nombre(), m->IDMateria());
    try {
        for (const auto& [id, texto] : e.notasMateria()) ui->cboNota->addItem(texto, id);
        for (const auto& [id, texto] : e.evaluacionesFinales()) ui->cboNumEvaluacion->addItem(texto, id);
    } catch (const Error& err) {
        mostrarError(err);
    }
    // No narrower than their longest item: a window made as small as it goes
    // still shows a subject's or an evaluation's whole name.
    for (QComboBox* c : {ui->cboMateria, ui->cboNota, ui->cboReacdiv, ui->cboNumEvaluacion})
        c->setMinimumWidth(std::max(c->minimumWidth(), c->minimumSizeHint().width()));

    // Only what the user does changes the subject, never the filling of
    // the controls.
    connect(ui->cboMateria, &QComboBox::activated, this,
            [this](int i) { mostrarMateria(qint16(ui->cboMateria->itemData(i).toInt())); });
    connect(ui->cboNota, &QComboBox::activated, this, [this](int i) {
        if (!actual_) return;
        actual_->setIDNota(ui->cboNota->itemData(i).toInt());
        cambiado();
        llenarReacdiv();
    });
    connect(ui->cboReacdiv, &QComboBox::activated, this, [this](int i) {
        if (!actual_) return;
        actual_->setIDReacdiv(quint8(ui->cboReacdiv->itemData(i).toInt()));
        cambiado();
    });
    connect(ui->cboNumEvaluacion, &QComboBox::activated, this, [this](int i) {
        if (!actual_) return;
        actual_->setNumEvaluacion(qint16(ui->cboNumEvaluacion->itemData(i).toInt()));
        cambiado();
    });
    connect(ui->actpPrincipal, &QDateEdit::dateChanged, this, &frmPropMatAl::fechaEditada);
    connect(ui->cmdAnterior, &QPushButton::clicked, this, [this] { moverA(-1); });
    connect(ui->cmdSiguiente, &QPushButton::clicked, this, [this] { moverA(+1); });
    connect(ui->cmdAceptar, &QPushButton::clicked, this, &frmPropMatAl::aceptar);
    connect(ui->cmdCancelar, &QPushButton::clicked, this, &frmPropMatAl::reject);

    mostrarMateria(idMateria);
}

frmPropMatAl::~frmPropMatAl() = default;

void frmPropMatAl::mostrarMateria(qint16 idMateria) {
    actual_ = alumno_.Materias()->buscar(Coleccion<cMateria>::clave(idMateria));
    if (!actual_) return;
    mostrando_ = true;
    seleccionarDato(ui->cboMateria, actual_->IDMateria());
    if (actual_->IDNota() == 0) ui->cboNota->setCurrentIndex(-1);
    else seleccionarDato(ui->cboNota, actual_->IDNota());
    seleccionarDato(ui->cboNumEvaluacion, actual_->NumEvaluacion());
    llenarReacdiv();
    const QDate fecha = QDate::fromString(actual_->FechaEvaluacion(), QStringLiteral("dd/MM/yyyy"));
    fijarFechaCampo(ui->actpPrincipal, fecha);
    mostrando_ = false;
}

void frmPropMatAl::llenarReacdiv() {
    const auto [reac, diversificacion] = propiedades_.editor().edicion().medidasCurso();
    const bool enMostrar = mostrando_;
    mostrando_ = true;
    ui->cboReacdiv->clear();
    if (!reac && !diversificacion) {
        if (!medidasOcultas_) {
            ui->lblReacdiv->hide();
            ui->cboReacdiv->hide();
            medidasOcultas_ = true;
            adjustSize();
        }
    } else if (actual_ && actual_->IDNota() != 0) {
        // The empty entry takes a measure off again.
        ui->cboReacdiv->addItem(QString(), 0);
        if (reac) {
            ui->cboReacdiv->addItem(QStringLiteral("Refuerzo educativo"), 1);
            ui->cboReacdiv->addItem(QStringLiteral("Adaptación curricular"), 2);
        }
        if (diversificacion) ui->cboReacdiv->addItem(QStringLiteral("Diversificación"), 3);
        seleccionarDato(ui->cboReacdiv, actual_->IDReacdiv());
    }
    mostrando_ = enMostrar;
}

void frmPropMatAl::cambiado() {
    if (actual_) actual_->setActual(3);
}

void frmPropMatAl::fechaEditada() {
    if (mostrando_ || !actual_) return;
    const QDate d = fechaCampo(ui->actpPrincipal);
    const QString texto = d.isValid() ? d.toString(QStringLiteral("dd/MM/yyyy")) : QString();
    // The picker only lets real days through; a text of another shape never
    // reaches the record.
    if (!EdicionHistorico::fechaValida(texto)) return;
    actual_->setFechaEvaluacion(texto);
    cambiado();
}

void frmPropMatAl::moverA(int sentido) {
    if (!actual_) return;
    QList<std::shared_ptr<cMateria>> materias;
    for (const auto& m : *alumno_.Materias())
        if (m->Actual() != 2) materias.append(m);
    std::stable_sort(materias.begin(), materias.end(), [](const auto& x, const auto& y) { return x->Orden() < y->Orden(); });
    int i = 0;
    while (i < materias.size() && materias[i] != actual_) ++i;
    const int j = i + sentido;
    if (i >= materias.size() || j < 0 || j >= materias.size()) return;
    mostrarMateria(materias[j]->IDMateria());
}

void frmPropMatAl::aceptar() {
    propiedades_.Cargar_materias_alumno();
    QDialog::accept();
}

void frmPropMatAl::reject() {
    alumno_.Materias()->Clear();
    EdicionHistorico::copiar_coleccion_materias(copia_, *alumno_.Materias());
    QDialog::reject();
}

}  // namespace ncc
