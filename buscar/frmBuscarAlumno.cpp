#include "buscar/frmBuscarAlumno.h"
#include "platform/OrdenEspanol.h"
#include "platform/Conexion.h"
#include "platform/Mensajes.h"
#include "ui_frmBuscarAlumno.h"
#include <QKeyEvent>
#include <QLocale>
#include <QTimer>
#include <algorithm>

namespace ncbuscar {

frmBuscarAlumno::frmBuscarAlumno(ncc::Conexion& centro, const QString& excluidos, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmBuscarAlumno>()), centro_(centro) {
    ui->setupUi(this);
    for (const QString& t : excluidos.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const qint32 id = t.trimmed().toInt(&ok);
        if (ok) excluidos_.insert(id);
    }
    // Searching as the user types, a moment after the last key.
    auto* espera = new QTimer(this);
    espera->setSingleShot(true);
    espera->setInterval(200);
    connect(espera, &QTimer::timeout, this, &frmBuscarAlumno::buscar);
    connect(ui->txtBuscar, &QLineEdit::textEdited, espera, qOverload<>(&QTimer::start));
    connect(ui->txtBuscar, &QLineEdit::returnPressed, this, [this, espera] {
        espera->stop();
        buscar();
        if (ui->lstResultados->count() > 0) {
            ui->lstResultados->setFocus();
            if (ui->lstResultados->selectedItems().isEmpty()) ui->lstResultados->setCurrentRow(0);
        }
    });
    connect(ui->lstResultados, &QListWidget::itemDoubleClicked, this, &frmBuscarAlumno::aceptar);
    connect(ui->lstResultados, &QListWidget::itemSelectionChanged, this,
            [this] { ui->cmdAceptar->setEnabled(!ui->lstResultados->selectedItems().isEmpty()); });
    connect(ui->cmdAceptar, &QPushButton::clicked, this, &frmBuscarAlumno::aceptar);
    connect(ui->cmdCancelar, &QPushButton::clicked, this, &QDialog::reject);
    ui->txtBuscar->installEventFilter(this);
    ui->lstResultados->installEventFilter(this);
    ui->cmdAceptar->setEnabled(false);
    ui->txtBuscar->setFocus();
    buscar();
}

frmBuscarAlumno::~frmBuscarAlumno() = default;

bool frmBuscarAlumno::eventFilter(QObject* objeto, QEvent* evento) {
    if (evento->type() == QEvent::KeyPress) {
        const int tecla = static_cast<QKeyEvent*>(evento)->key();
        if (objeto == ui->txtBuscar && tecla == Qt::Key_Down && ui->lstResultados->count() > 0) {
            ui->lstResultados->setFocus();
            if (ui->lstResultados->selectedItems().isEmpty()) ui->lstResultados->setCurrentRow(0);
            return true;
        }
        if (objeto == ui->lstResultados && (tecla == Qt::Key_Return || tecla == Qt::Key_Enter)) {
            aceptar();
            return true;
        }
    }
    return QDialog::eventFilter(objeto, evento);
}

void frmBuscarAlumno::leerAlumnos() {
    if (leidos_) return;
    for (ncc::Recordset r = centro_.Abrir(QStringLiteral("SELECT IDAlumno, Apellido_1, Apellido_2, Nombre FROM Alumno"));
         !r.eof(); r.MoveNext()) {
        const qint32 id = qint32(r.entero(QStringLiteral("IDAlumno")));
        if (excluidos_.contains(id)) continue;
        Alumno a{id, r.texto(QStringLiteral("Apellido_1")) + QLatin1Char(' ') + r.texto(QStringLiteral("Apellido_2")) +
                         QStringLiteral(", ") + r.texto(QStringLiteral("Nombre")),
                 {}};
        a.plegado = ncc::orden::claveEspanol(a.nombre);
        alumnos_.append(a);
    }
    // The suite's Spanish order, as every other list of students.
    std::stable_sort(alumnos_.begin(), alumnos_.end(), [](const Alumno& a, const Alumno& b) {
        const int c = ncc::orden::compararConClaves(a.plegado, a.nombre, b.plegado, b.nombre);
        return c != 0 ? c < 0 : a.id < b.id;
    });
    leidos_ = true;
}

void frmBuscarAlumno::buscar() {
    const QString texto = ui->txtBuscar->text().simplified();
    ui->lstResultados->clear();
    try {
        leerAlumnos();
    } catch (const ncc::Error& e) {
        ncc::mostrarError(e);
        return;
    }
    // A number is the student's; words are searched as Spanish readers
    // search, case and accents folded as the Spanish order folds them: every
    // word must appear in the surnames or the name.
    bool esNumero = false;
    const qint32 numero = texto.toInt(&esNumero);
    QStringList palabras;
    for (const QString& p : texto.split(QLatin1Char(' '), Qt::SkipEmptyParts)) palabras << ncc::orden::claveEspanol(p);
    QList<const Alumno*> filas;
    for (const Alumno& a : alumnos_) {
        bool coincide = esNumero ? a.id == numero : true;
        for (int i = 0; !esNumero && coincide && i < palabras.size(); ++i) coincide = a.plegado.contains(palabras.at(i));
        if (coincide) filas << &a;
    }
    const int total = int(filas.size());
    for (int i = 0; i < std::min(total, MaximoResultados); ++i) {
        auto* item = new QListWidgetItem(QStringLiteral("%1  (%2)").arg(filas[i]->nombre).arg(filas[i]->id));
        item->setData(Qt::UserRole, filas[i]->id);
        ui->lstResultados->addItem(item);
    }
    // The one student found is already chosen: Enter takes him.
    if (total == 1 && !texto.isEmpty()) ui->lstResultados->item(0)->setSelected(true);
    if (total == 0) ui->lblEstado->setText(QStringLiteral("Ningún alumno coincide con la búsqueda."));
    else if (total > MaximoResultados)
        ui->lblEstado->setText(QStringLiteral("%1 alumnos coinciden; se muestran los %2 primeros. Escriba más letras para afinar.")
                                   .arg(total).arg(MaximoResultados));
    else ui->lblEstado->setText(total == 1 ? QStringLiteral("1 alumno") : QStringLiteral("%1 alumnos").arg(total));
}

void frmBuscarAlumno::aceptar() {
    if (ui->lstResultados->selectedItems().isEmpty()) return;
    accept();
}

QString frmBuscarAlumno::seleccion() const {
    QStringList ids;
    for (int i = 0; i < ui->lstResultados->count(); ++i)
        if (ui->lstResultados->item(i)->isSelected())
            ids << QString::number(ui->lstResultados->item(i)->data(Qt::UserRole).toInt());
    return ids.join(QLatin1Char(','));
}

}  // namespace ncbuscar
