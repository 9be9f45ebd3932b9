#include "history/frmSelMateria.h"
#include "entry/cConfiguracion.h"
#include "entry/gui/cIInterface.h"
#include "history/Listas.h"
#include "history/frmEditarHistorico.h"
#include "platform/Mensajes.h"
#include "platform/Textos.h"
#include "ui_frmSelMateria.h"

namespace ncc {

frmSelMateria::frmSelMateria(frmEditarHistorico& editor, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmSelMateria>()), editor_(editor) {
    ui->setupUi(this);
    if (const cConfiguracion* c = ConfiguracionActual(); c && !c->RutaIcono().isEmpty())
        setWindowIcon(QIcon(c->RutaIcono()));
    cIInterface().CargarTextos(this);
    EdicionHistorico& e = editor_.edicion();
    copiar_coleccion_materias(e.colMaterias(), copia_);
    // The students' subjects change with the course's: their copies undo
    // a removal too.
    for (const auto& a : e.colAlumnos()) {
        auto c = std::make_shared<Coleccion<cMateria>>();
        copiar_coleccion_materias(*a->Materias(), *c);
        copiasAlumnos_.insert(a->IDAlumno(), c);
    }
    for (const auto& m : e.colMaterias())
        listas::agregar(m->Actual() < 2 ? ui->lstSeleccionadas : ui->lstDisponibles, m->IDMateria(), m->Nombre());

    connect(ui->cmdAgregar, &QPushButton::clicked, this, [this] {
        if (auto* i = ui->lstDisponibles->currentItem()) agregar(qint16(listas::idDe(i)));
    });
    connect(ui->lstDisponibles, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* i) { agregar(qint16(listas::idDe(i))); });
    connect(ui->cmdQuitar, &QPushButton::clicked, this, [this] {
        if (auto* i = ui->lstSeleccionadas->currentItem()) quitar(qint16(listas::idDe(i)));
    });
    connect(ui->lstSeleccionadas, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* i) { quitar(qint16(listas::idDe(i))); });
    connect(ui->cmdAniadirTodos, &QPushButton::clicked, this, &frmSelMateria::agregarTodas);
    connect(ui->cmdQuitarTodos, &QPushButton::clicked, this, &frmSelMateria::quitarTodas);
    connect(ui->cmdAceptar, &QPushButton::clicked, this, &frmSelMateria::aceptar);
    connect(ui->cmdCancelar, &QPushButton::clicked, this, &frmSelMateria::reject);
}

frmSelMateria::~frmSelMateria() = default;

void frmSelMateria::copiar_coleccion_materias(const Coleccion<cMateria>& origen, Coleccion<cMateria>& destino) {
    EdicionHistorico::copiar_coleccion_materias(origen, destino);
}

std::shared_ptr<cMateria> frmSelMateria::materia(qint16 id) const {
    return editor_.edicion().colMaterias().buscar(Coleccion<cMateria>::clave(id));
}

bool frmSelMateria::evaluadaPorAlguien(qint16 idMateria) const {
    const QString clave = Coleccion<cMateria>::clave(idMateria);
    for (const auto& a : editor_.edicion().colAlumnos()) {
        if (a->Actual() >= 2) continue;
        const auto m = a->Materias()->buscar(clave);
        if (m && m->Actual() != 2 && m->IDNota() != 0) return true;
    }
    return false;
}

void frmSelMateria::marcarQuitadaEnAlumnos(qint16 idMateria) {
    const QString clave = Coleccion<cMateria>::clave(idMateria);
    for (const auto& a : editor_.edicion().colAlumnos())
        if (const auto m = a->Materias()->buscar(clave)) m->setActual(2);
}

void frmSelMateria::agregar(qint16 idMateria) {
    const auto m = materia(idMateria);
    if (!m) return;
    if (m->Anterior() == 0) {
        // A subject of the course taken out and put back in this dialog:
        // the course and its students return to what they were.
        m->setActual(0);
        const QString clave = Coleccion<cMateria>::clave(idMateria);
        for (const auto& a : editor_.edicion().colAlumnos()) {
            const auto antes = copiasAlumnos_.value(a->IDAlumno());
            const auto ahora = a->Materias()->buscar(clave);
            const auto previa = antes ? antes->buscar(clave) : nullptr;
            if (ahora && previa) ahora->setActual(previa->Actual());
        }
    } else {
        m->setActual(1);
    }
    listas::mover(ui->lstDisponibles, ui->lstSeleccionadas, idMateria);
}

void frmSelMateria::quitar(qint16 idMateria) {
    const auto m = materia(idMateria);
    if (!m) return;
    if (evaluadaPorAlguien(idMateria) && !preguntar(8055)) return;
    m->setActual(2);
    marcarQuitadaEnAlumnos(idMateria);
    listas::mover(ui->lstSeleccionadas, ui->lstDisponibles, idMateria);
}

void frmSelMateria::agregarTodas() {
    for (qint32 id : listas::ids(ui->lstDisponibles)) agregar(qint16(id));
}

void frmSelMateria::quitarTodas() {
    const QList<qint32> ids = listas::ids(ui->lstSeleccionadas);
    bool evaluadas = false;
    for (qint32 id : ids) evaluadas = evaluadas || evaluadaPorAlguien(qint16(id));
    if (evaluadas && !preguntar(8056)) return;
    for (qint32 id : ids) {
        if (const auto m = materia(qint16(id))) m->setActual(2);
        marcarQuitadaEnAlumnos(qint16(id));
        listas::mover(ui->lstSeleccionadas, ui->lstDisponibles, id);
    }
}

void frmSelMateria::aceptar() {
    EdicionHistorico& e = editor_.edicion();
    for (const auto& m : e.colMaterias()) {
        if (m->Actual() == 2) {
            if (!preguntarTexto(Texto(8053) + m->Nombre() + Texto(8054), Icono::Exclamacion)) return;
            m->setActual(3);
            m->setConfirmar(false);
            marcarQuitadaEnAlumnos(m->IDMateria());
        } else if (m->Actual() == 1 && !m->Confirmar()) {
            if (!preguntarTexto(Texto(8051) + m->Nombre() + Texto(8052))) continue;
            const QString clave = Coleccion<cMateria>::clave(m->IDMateria());
            QString nombre = m->Nombre();
            if (m->Optativa()) nombre.remove(QStringLiteral(" (Optativa)"));
            for (const auto& a : e.colAlumnos()) {
                if (a->Actual() >= 2) continue;
                if (const auto propia = a->Materias()->buscar(clave)) {
                    if (propia->Actual() == 2) propia->setActual(propia->Anterior() == 0 ? 3 : 1);
                    continue;
                }
                quint8 ultimo = 0;
                for (const auto& otra : *a->Materias())
                    if (otra->Actual() != 2) ultimo = std::max(ultimo, otra->Orden());
                // A new row: Anterior 1 is what makes the save insert it.
                auto nueva = std::make_shared<cMateria>();
                nueva->setIDMateria(m->IDMateria());
                nueva->setNombre(nombre);
                nueva->setOptativa(m->Optativa());
                nueva->setOrden(quint8(ultimo + 1));
                nueva->setActual(1);
                nueva->setAnterior(1);
                nueva->setConfirmar(true);
                a->Materias()->Add(nueva, clave);
            }
            m->setConfirmar(true);
        }
    }
    editor_.Llenar_grid_Materias();
    QDialog::accept();
}

void frmSelMateria::reject() {
    EdicionHistorico& e = editor_.edicion();
    e.colMaterias().Clear();
    copiar_coleccion_materias(copia_, e.colMaterias());
    for (const auto& a : e.colAlumnos()) {
        const auto c = copiasAlumnos_.value(a->IDAlumno());
        if (!c) continue;
        a->Materias()->Clear();
        copiar_coleccion_materias(*c, *a->Materias());
    }
    editor_.Llenar_grid_Materias();
    QDialog::reject();
}

}  // namespace ncc
