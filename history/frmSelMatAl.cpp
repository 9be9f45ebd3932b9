#include "history/frmSelMatAl.h"
#include "entry/cConfiguracion.h"
#include "entry/gui/cIInterface.h"
#include "history/Listas.h"
#include "history/frmEditarHistorico.h"
#include "history/frmPropAlumno.h"
#include "platform/Mensajes.h"
#include "ui_frmSelMatAl.h"
#include <algorithm>

namespace ncc {

frmSelMatAl::frmSelMatAl(frmPropAlumno& propiedades, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmSelMatAl>()), propiedades_(propiedades), alumno_(propiedades.alumno()) {
    ui->setupUi(this);
    if (const cConfiguracion* c = ConfiguracionActual(); c && !c->RutaIcono().isEmpty())
        setWindowIcon(QIcon(c->RutaIcono()));
    cIInterface().CargarTextos(this);
    setWindowTitle(QStringLiteral("Materias de ") + alumno_.Nombre());
    EdicionHistorico::copiar_coleccion_materias(*alumno_.Materias(), copia_);

    QList<std::shared_ptr<cMateria>> propias;
    for (const auto& m : *alumno_.Materias())
        if (m->Actual() != 2) propias.append(m);
    std::stable_sort(propias.begin(), propias.end(), [](const auto& x, const auto& y) { return x->Orden() < y->Orden(); });
    for (const auto& m : propias) listas::agregar(ui->lstSeleccionadas, m->IDMateria(), m->Nombre());
    for (const auto& m : propiedades_.editor().edicion().colMaterias()) {
        if (m->Actual() >= 2) continue;
        const auto propia = alumno_.Materias()->buscar(Coleccion<cMateria>::clave(m->IDMateria()));
        if (!propia || propia->Actual() == 2) listas::agregar(ui->lstDisponibles, m->IDMateria(), m->Nombre());
    }

    connect(ui->cmdAniadirUno, &QPushButton::clicked, this, [this] {
        if (auto* i = ui->lstDisponibles->currentItem()) agregar(qint16(listas::idDe(i)));
    });
    connect(ui->lstDisponibles, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* i) { agregar(qint16(listas::idDe(i))); });
    connect(ui->cmdAniadirTodos, &QPushButton::clicked, this, [this] {
        for (qint32 id : listas::ids(ui->lstDisponibles)) agregar(qint16(id));
    });
    connect(ui->cmdQuitarUno, &QPushButton::clicked, this, [this] {
        if (auto* i = ui->lstSeleccionadas->currentItem()) quitar(qint16(listas::idDe(i)), true);
    });
    connect(ui->lstSeleccionadas, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* i) { quitar(qint16(listas::idDe(i)), true); });
    connect(ui->cmdQuitarTodos, &QPushButton::clicked, this, &frmSelMatAl::quitarTodas);
    connect(ui->cmdAceptar, &QPushButton::clicked, this, &frmSelMatAl::aceptar);
    connect(ui->cmdCancelar, &QPushButton::clicked, this, &frmSelMatAl::reject);
}

frmSelMatAl::~frmSelMatAl() = default;

quint8 frmSelMatAl::ultimoOrden() const {
    quint8 ultimo = 0;
    for (const auto& m : *alumno_.Materias())
        if (m->Actual() != 2) ultimo = std::max(ultimo, m->Orden());
    return ultimo;
}

void frmSelMatAl::agregar(qint16 idMateria) {
    const QString clave = Coleccion<cMateria>::clave(idMateria);
    const quint8 orden = quint8(ultimoOrden() + 1);
    if (const auto propia = alumno_.Materias()->buscar(clave)) {
        // Back at the end of the student's list: a row of the course is
        // rewritten with its new order, a new one inserted.
        propia->setOrden(orden);
        propia->setActual(propia->Anterior() == 0 ? 3 : 1);
    } else {
        const auto curso = propiedades_.editor().edicion().colMaterias().buscar(clave);
        if (!curso) return;
        QString nombre = curso->Nombre();
        if (curso->Optativa()) nombre.remove(QStringLiteral(" (Optativa)"));
        auto m = std::make_shared<cMateria>();
        m->setIDMateria(idMateria);
        m->setNombre(nombre);
        m->setOptativa(curso->Optativa());
        m->setOrden(orden);
        m->setActual(1);
        m->setAnterior(1);
        m->setConfirmar(true);
        alumno_.Materias()->Add(m, clave);
    }
    listas::mover(ui->lstDisponibles, ui->lstSeleccionadas, idMateria);
}

bool frmSelMatAl::quitar(qint16 idMateria, bool preguntarSiEvaluada) {
    const auto m = alumno_.Materias()->buscar(Coleccion<cMateria>::clave(idMateria));
    if (!m) return false;
    if (preguntarSiEvaluada && m->IDNota() != 0 &&
        !preguntarTexto(QStringLiteral("¿Desea eliminar la materia ") + m->Nombre() + QStringLiteral(" del alumno?")))
        return false;
    const quint8 orden = m->Orden();
    m->setActual(2);
    // The following subjects close the gap; rows of the course keep the
    // new order only when rewritten.
    for (const auto& otra : *alumno_.Materias()) {
        if (otra->Actual() == 2 || otra->Orden() <= orden) continue;
        otra->setOrden(quint8(otra->Orden() - 1));
        if (otra->Actual() == 0) otra->setActual(3);
    }
    listas::mover(ui->lstSeleccionadas, ui->lstDisponibles, idMateria);
    return true;
}

void frmSelMatAl::quitarTodas() {
    const QList<qint32> ids = listas::ids(ui->lstSeleccionadas);
    bool evaluadas = false;
    for (qint32 id : ids) {
        const auto m = alumno_.Materias()->buscar(Coleccion<cMateria>::clave(qint16(id)));
        evaluadas = evaluadas || (m && m->IDNota() != 0);
    }
    if (evaluadas && !preguntar(9050)) return;
    for (qint32 id : ids) quitar(qint16(id), false);
}

void frmSelMatAl::aceptar() {
    propiedades_.Cargar_materias_alumno();
    QDialog::accept();
}

void frmSelMatAl::reject() {
    alumno_.Materias()->Clear();
    EdicionHistorico::copiar_coleccion_materias(copia_, *alumno_.Materias());
    propiedades_.Cargar_materias_alumno();
    QDialog::reject();
}

}  // namespace ncc
