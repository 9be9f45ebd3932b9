#include "history/frmPropAlumno.h"
#include "entry/cConfiguracion.h"
#include "entry/gui/cIInterface.h"
#include "history/frmEditarHistorico.h"
#include "history/frmPropMatAl.h"
#include "history/frmSelMatAl.h"
#include "platform/Textos.h"
#include "platform/gui/Rejilla.h"
#include "ui_frmPropAlumno.h"
#include <QFileInfo>
#include <algorithm>
#include <QHeaderView>
#include <QStyle>
#include <algorithm>

namespace ncc {

namespace {

// The subjects of a student that are not removed, in their order.
QList<std::shared_ptr<cMateria>> materiasEnOrden(const cAlumnoHistorico& a) {
    QList<std::shared_ptr<cMateria>> l;
    for (const auto& m : *a.Materias())
        if (m->Actual() != 2) l.append(m);
    std::stable_sort(l.begin(), l.end(), [](const auto& x, const auto& y) { return x->Orden() < y->Orden(); });
    return l;
}

QIcon flecha(const QString& archivo, QStyle::StandardPixmap alternativa, const QWidget* w) {
    const cConfiguracion* c = ConfiguracionActual();
    if (c && !c->RutaIcono().isEmpty()) {
        const QString ruta = QFileInfo(c->RutaIcono()).absolutePath() + QLatin1Char('/') + archivo;
        if (QFileInfo::exists(ruta)) return QIcon(ruta);
    }
    return w->style()->standardIcon(alternativa);
}

}  // namespace

frmPropAlumno::frmPropAlumno(frmEditarHistorico& editor, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmPropAlumno>()), editor_(editor) {
    ui->setupUi(this);
    formarRejilla();
    EdicionHistorico& e = editor_.edicion();
    alumno_ = e.colAlumnos().Item(Coleccion<cAlumnoHistorico>::clave(editor_.lngIDAlumno));
    soloLectura_ = e.soloLectura();
    if (soloLectura_) {
        for (QWidget* w : std::initializer_list<QWidget*>{ui->cmdPropiedades, ui->cmdListar, ui->chkPromocion,
                                                           ui->chkPromocionPCPI, ui->chkPromocionDiversificacion,
                                                           ui->chkPendiente, ui->chkRepite, ui->cmdArriba, ui->cmdAbajo})
            w->setEnabled(false);
    }
    const int orden = e.ordenCurso();
    const bool programas = orden == 2 || orden == 3;
    ui->chkPromocionPCPI->setVisible(programas);
    ui->chkPromocionDiversificacion->setVisible(programas);

    if (const cConfiguracion* c = ConfiguracionActual(); c && !c->RutaIcono().isEmpty())
        setWindowIcon(QIcon(c->RutaIcono()));
    ui->cmdArriba->setIcon(flecha(QStringLiteral("FlechaArriba.ico"), QStyle::SP_ArrowUp, this));
    ui->cmdAbajo->setIcon(flecha(QStringLiteral("FlechaAbajo.ico"), QStyle::SP_ArrowDown, this));
    cIInterface().CargarTextos(this);
    ui->fraPromocion->setTitle(QString());

    QString nombre = e.nombreAlumno(alumno_->IDAlumno());
    if (nombre.isEmpty()) nombre = alumno_->Nombre();
    ui->lblNombreAlumno->setText(nombre);
    setWindowTitle(Texto(13053) + nombre + QStringLiteral(". Curso Histórico ") + e.nombreCursoEscolarHistorico());

    copia_ = EdicionHistorico::copiarAlumno(*alumno_);

    connect(ui->chkPromocion, &QCheckBox::clicked, this, &frmPropAlumno::clickPromocion);
    connect(ui->chkPromocionPCPI, &QCheckBox::clicked, this, [this](bool b) {
        alumno_->setPromocionPCPI(b);
        marcarCambiadas();
    });
    connect(ui->chkPromocionDiversificacion, &QCheckBox::clicked, this, [this](bool b) {
        alumno_->setPromocionDiversificacion(b);
        marcarCambiadas();
    });
    connect(ui->chkPendiente, &QCheckBox::clicked, this, [this](bool b) {
        alumno_->setPendiente(b);
        marcarCambiadas();
    });
    connect(ui->chkRepite, &QCheckBox::clicked, this, [this](bool b) {
        alumno_->setRepite(b);
        marcarCambiadas();
    });
    connect(ui->cmdArriba, &QToolButton::clicked, this, [this] { mover(-1); });
    connect(ui->cmdAbajo, &QToolButton::clicked, this, [this] { mover(+1); });
    connect(ui->cmdPropiedades, &QPushButton::clicked, this, &frmPropAlumno::abrirNota);
    connect(ui->msgMaterias, &QTableWidget::cellDoubleClicked, this, [this] {
        if (!soloLectura_) abrirNota();
    });
    connect(ui->cmdListar, &QPushButton::clicked, this, &frmPropAlumno::listar);
    connect(ui->cmdAceptar, &QPushButton::clicked, this, &frmPropAlumno::aceptar);
    connect(ui->cmdCancelar, &QPushButton::clicked, this, &frmPropAlumno::reject);

    Cargar_materias_alumno();
    if (rejilla_->filas() > 0) rejilla_->fijarFilaActual(0);
}

frmPropAlumno::~frmPropAlumno() = default;

namespace {
// Wide enough for most subject names, narrow enough for the other columns.
constexpr int AnchoMaximoMateria = 380;
// The narrowest screen of a school's computer, which the window must fit.
constexpr int AnchoPantalla = 1024;
}  // namespace

void frmPropAlumno::Cargar_materias_alumno() {
    const qint16 seleccionada = materiaSeleccionada();
    EdicionHistorico& e = editor_.edicion();
    rejilla_->vaciar();

    // The flags only follow the student: their handlers react to clicks.
    ui->chkPromocion->setChecked(alumno_->Promocion() == 1);
    ui->chkPromocionPCPI->setChecked(alumno_->PromocionPCPI());
    ui->chkPromocionDiversificacion->setChecked(alumno_->PromocionDiversificacion());
    ui->chkPendiente->setChecked(alumno_->Pendiente());
    ui->chkRepite->setChecked(alumno_->Repite());
    if (!soloLectura_) {
        ui->chkPromocionPCPI->setEnabled(alumno_->Promocion() == 1);
        ui->chkPromocionDiversificacion->setEnabled(alumno_->Promocion() == 1);
    }

    for (const auto& materia : materiasEnOrden(*alumno_)) {
        const cMateria& m = *materia;
        const int fila = rejilla_->agregarFila(
            {QString::number(m.IDMateria()), m.Nombre(), e.descripcionNota(m.IDNota()),
             EdicionHistorico::textoReacdiv(m.IDReacdiv()), m.FechaEvaluacion(),
             m.NumEvaluacion() ? e.descripcionNumEvaluacion(m.NumEvaluacion()) : QString()},
            int(m.IDMateria()));
        // A long subject name is cut by its column: the whole name shows on hover.
        if (auto* celda = ui->msgMaterias->item(fila, 1)) celda->setToolTip(m.Nombre());
    }
    // The column grows for long names, up to a width that still leaves the
    // grade and the evaluation in view.
    const int antes = ui->msgMaterias->columnWidth(1);
    ui->msgMaterias->resizeColumnToContents(1);
    int ancho = std::clamp(ui->msgMaterias->columnWidth(1), antes, std::max(antes, AnchoMaximoMateria));
    // Before it opens, the table (and so the window) grows by as much, so
    // that the evaluation column is not cut instead: no further than the
    // narrowest screen holds the window.
    if (ancho > antes && !isVisible()) {
        ensurePolished();
        layout()->activate();
        ancho = antes + std::clamp(AnchoPantalla - minimumSizeHint().width(), 0, ancho - antes);
        ui->msgMaterias->setMinimumWidth(ui->msgMaterias->minimumWidth() + ancho - antes);
    }
    ui->msgMaterias->setColumnWidth(1, ancho);
    if (seleccionada) seleccionarMateria(seleccionada);
}

qint16 frmPropAlumno::materiaSeleccionada() const {
    const QItemSelectionModel* seleccion = ui->msgMaterias->selectionModel();
    const auto filas = seleccion ? seleccion->selectedRows() : QModelIndexList();
    return filas.isEmpty() ? 0 : qint16(rejilla_->datoFila(filas.first().row()).toInt());
}

void frmPropAlumno::seleccionarMateria(qint16 idMateria) {
    if (const int fila = rejilla_->buscarFila(int(idMateria)); fila >= 0) rejilla_->fijarFilaActual(fila);
}

// The subjects' grid: the subject id in a hidden first column (also the
// row's data), then name, grade, kind, date and evaluation.
void frmPropAlumno::formarRejilla() {
    rejilla_ = new Rejilla(ui->msgMaterias);
    const QList<int> cabeceras = {0, 13051, 13052, 12012, 12013, 12014};
    QStringList titulos;
    for (int id : cabeceras) titulos << (id ? Texto(id) : QString());
    rejilla_->fijarColumnas(titulos);
    // Each heading keeps its text id, so CargarTextos can fill it again.
    for (int c = 1; c < cabeceras.size(); ++c)
        ui->msgMaterias->horizontalHeaderItem(c)->setData(Qt::UserRole, cabeceras[c]);
    ui->msgMaterias->setColumnHidden(0, true);
    // The widths of the suite's grid (2700 and 2000 twips) at 15 twips a
    // pixel, a little wider for the date heading.
    ui->msgMaterias->setColumnWidth(1, 240);
    ui->msgMaterias->setColumnWidth(2, 135);
    ui->msgMaterias->setColumnWidth(3, 150);
    ui->msgMaterias->setColumnWidth(4, 150);
    ui->msgMaterias->horizontalHeader()->setStretchLastSection(true);
}

void frmPropAlumno::marcarCambiadas() {
    // The flags are written on every row of the student: each subject is
    // rewritten by the save.
    for (const auto& m : *alumno_->Materias())
        if (m->Actual() != 2) m->setActual(3);
}

void frmPropAlumno::clickPromocion(bool marcado) {
    alumno_->setPromocion(marcado ? 1 : 0);
    if (!marcado) {
        ui->chkPromocionPCPI->setChecked(false);
        ui->chkPromocionDiversificacion->setChecked(false);
        alumno_->setPromocionPCPI(false);
        alumno_->setPromocionDiversificacion(false);
    }
    ui->chkPromocionPCPI->setEnabled(marcado);
    ui->chkPromocionDiversificacion->setEnabled(marcado);
    marcarCambiadas();
}

void frmPropAlumno::mover(int sentido) {
    if (soloLectura_) return;
    const qint16 id = materiaSeleccionada();
    if (!id) return;
    const auto materias = materiasEnOrden(*alumno_);
    int i = 0;
    while (i < materias.size() && materias[i]->IDMateria() != id) ++i;
    const int j = i + sentido;
    if (i >= materias.size() || j < 0 || j >= materias.size()) return;
    // The neighbour in the list, whatever gap its Orden leaves: both swap
    // their orders and are rewritten.
    cMateria& a = *materias[i];
    cMateria& b = *materias[j];
    quint8 oa = a.Orden(), ob = b.Orden();
    if (oa == ob) ob = quint8(oa + sentido);
    a.setOrden(ob);
    b.setOrden(oa);
    if (a.Actual() == 0) a.setActual(3);
    if (b.Actual() == 0) b.setActual(3);
    Cargar_materias_alumno();
    seleccionarMateria(id);
}

void frmPropAlumno::abrirNota() {
    if (soloLectura_) return;
    const qint16 id = materiaSeleccionada();
    if (!id) return;
    frmPropMatAl f(*this, id, this);
    f.exec();
}

void frmPropAlumno::listar() {
    if (soloLectura_) return;
    frmSelMatAl f(*this, this);
    f.exec();
}

void frmPropAlumno::aceptar() {
    QDialog::accept();
}

void frmPropAlumno::reject() {
    alumno_->setPromocion(copia_->Promocion());
    alumno_->setPromocionPCPI(copia_->PromocionPCPI());
    alumno_->setPromocionDiversificacion(copia_->PromocionDiversificacion());
    alumno_->setPendiente(copia_->Pendiente());
    alumno_->setRepite(copia_->Repite());
    alumno_->Materias()->Clear();
    EdicionHistorico::copiar_coleccion_materias(*copia_->Materias(), *alumno_->Materias());
    QDialog::reject();
}

}  // namespace ncc
