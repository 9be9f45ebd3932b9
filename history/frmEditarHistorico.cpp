#include "history/frmEditarHistorico.h"
#include "entry/SoloLectura.h"
#include "entry/cConfiguracion.h"
#include "entry/gui/cIInterface.h"
#include "history/frmPropAlumno.h"
#include "history/frmSelHAlumno.h"
#include "history/frmSelMateria.h"
#include "platform/Mensajes.h"
#include "platform/Textos.h"
#include "platform/gui/Rejilla.h"
#include "ui_frmEditarHistorico.h"
#include <QHeaderView>
#include <QIcon>
#include <QTimer>

namespace ncc {

namespace {
constexpr int TextoMateria = 7010;
constexpr int TextoAlumno = 3173;
constexpr int PreguntaGuardarSalir = 7052;

// A list grid of the editor: the id in a hidden first column (also the
// row's data), then the text under one heading.
Rejilla* rejillaLista(QTableWidget* tabla, int idCabecera) {
    auto* rejilla = new Rejilla(tabla);
    rejilla->fijarColumnas({QString(), Texto(idCabecera)});
    // The heading keeps its text id, so CargarTextos can fill it again.
    tabla->horizontalHeaderItem(1)->setData(Qt::UserRole, idCabecera);
    tabla->setColumnHidden(0, true);
    tabla->horizontalHeader()->setStretchLastSection(true);
    return rejilla;
}

// The id of the selected row; 0 when no row is selected.
qint32 idSeleccionado(const Rejilla& rejilla) {
    const QItemSelectionModel* seleccion = rejilla.tabla()->selectionModel();
    const auto filas = seleccion ? seleccion->selectedRows() : QModelIndexList();
    return filas.isEmpty() ? 0 : rejilla.datoFila(filas.first().row()).toInt();
}

// Refills a list grid keeping the selected id selected.
void llenarLista(Rejilla& rejilla, const QList<QPair<qint32, QString>>& filas) {
    const qint32 seleccionado = idSeleccionado(rejilla);
    rejilla.vaciar();
    for (const auto& [id, texto] : filas) {
        const int fila = rejilla.agregarFila({QString::number(id), texto}, id);
        if (id == seleccionado) rejilla.fijarFilaActual(fila);
    }
}

}  // namespace

frmEditarHistorico::frmEditarHistorico(Conexion& con, const CursoHistorico& curso, std::function<void()> liberarBloqueo,
                                       QWidget* parent)
    : QDialog(parent),
      ui(std::make_unique<Ui::frmEditarHistorico>()),
      edicion_(con, curso),
      liberarBloqueo_(std::move(liberarBloqueo)) {
    ui->setupUi(this);
    rejillaMateria_ = rejillaLista(ui->msgMateria, TextoMateria);
    rejillaAlumno_ = rejillaLista(ui->msgAlumno, TextoAlumno);
    if (const cConfiguracion* c = ConfiguracionActual(); c && !c->RutaIcono().isEmpty())
        setWindowIcon(QIcon(c->RutaIcono()));
    ui->tabHistorico->addTab(QStringLiteral("Materias"));
    ui->tabHistorico->addTab(QStringLiteral("Alumnos"));
    ui->tabHistorico->setTabData(0, TextoMateria);
    ui->tabHistorico->setTabData(1, TextoAlumno);
    cIInterface().CargarTextos(this);
    // The tabs name lists of many: plural captions read better than the
    // column headings they share their ids with.
    ui->tabHistorico->setTabText(0, QStringLiteral("Materias"));
    ui->tabHistorico->setTabText(1, QStringLiteral("Alumnos"));

    connect(ui->tabHistorico, &QTabBar::currentChanged, this, &frmEditarHistorico::mostrarPestania);
    connect(ui->cmdListarMateria, &QPushButton::clicked, this, &frmEditarHistorico::listarMaterias);
    connect(ui->cmdListarAlumno, &QPushButton::clicked, this, &frmEditarHistorico::listarAlumnos);
    connect(ui->cmdPropAlumno, &QPushButton::clicked, this, &frmEditarHistorico::abrirPropiedades);
    connect(ui->msgAlumno, &QTableWidget::cellDoubleClicked, this, &frmEditarHistorico::abrirPropiedades);
    connect(ui->cmdAnterior, &QPushButton::clicked, this, [this] {
        if (guardarYVolver()) cerrar(QDialog::Accepted);
    });
    connect(ui->cmdSalir, &QPushButton::clicked, this, &frmEditarHistorico::salir);
    connect(ui->cmdCancelar, &QPushButton::clicked, this, [this] { cerrar(QDialog::Rejected); });

    try {
        edicion_.Cargar();
        cargado_ = true;
    } catch (const Error& e) {
        mostrarError(e);
    }
    Llenar_grid_Materias();
    Llenar_grid_alumnos();
    mostrarPestania(0);
    setWindowTitle(edicion_.nombreCursoEscolarHistorico() + QStringLiteral(" Curso histórico de ") + edicion_.nombreCurso() +
                   QStringLiteral(" de ") + edicion_.nombreTipoEnsenanza());
    if (soloLectura()) {
        // Why they are off, where she looks for it.
        const QString aviso = AvisoSoloLectura();
        for (QPushButton* b : {ui->cmdListarMateria, ui->cmdListarAlumno}) {
            b->setEnabled(false);
            b->setToolTip(aviso.isEmpty() ? Texto(6051) : aviso);
        }
    }
    // A course that could not be read is not offered for editing.
    if (!cargado_) QTimer::singleShot(0, this, [this] { cerrar(QDialog::Rejected); });
}

frmEditarHistorico::~frmEditarHistorico() { liberar(); }

void frmEditarHistorico::liberar() {
    if (!liberarBloqueo_) return;
    auto f = std::move(liberarBloqueo_);
    liberarBloqueo_ = nullptr;
    try {
        f();
    } catch (const Error& e) {
        mostrarError(e);
    }
}

void frmEditarHistorico::mostrarPestania(int indice) {
    if (ui->tabHistorico->currentIndex() != indice) ui->tabHistorico->setCurrentIndex(indice);
    ui->pilaHistorico->setCurrentWidget(indice == 0 ? ui->fraMateria : ui->fraalumno);
}

void frmEditarHistorico::Llenar_grid_Materias() {
    QList<QPair<qint32, QString>> filas;
    for (const auto& m : edicion_.colMaterias())
        if (m->Actual() < 2) filas.append({m->IDMateria(), m->Nombre()});
    llenarLista(*rejillaMateria_, filas);
}

void frmEditarHistorico::Llenar_grid_alumnos() {
    QList<QPair<qint32, QString>> filas;
    for (const auto& a : edicion_.colAlumnos())
        if (a->Actual() < 2) filas.append({a->IDAlumno(), a->Nombre()});
    llenarLista(*rejillaAlumno_, filas);
}

void frmEditarHistorico::abrirPropiedades() {
    const qint32 id = idSeleccionado(*rejillaAlumno_);
    if (id == 0) return;
    lngIDAlumno = id;
    frmPropAlumno f(*this, this);
    f.exec();
}

void frmEditarHistorico::listarMaterias() {
    if (soloLectura()) return;
    frmSelMateria f(*this, this);
    f.exec();
}

void frmEditarHistorico::listarAlumnos() {
    if (soloLectura()) return;
    frmSelHAlumno f(*this, this);
    f.exec();
}

bool frmEditarHistorico::guardarYVolver() {
    // A read-only editor holds nothing to write.
    if (soloLectura() || !cargado_) return true;
    if (bytRespuesta != 6 && !preguntarTexto(QStringLiteral("¿Desea guardar los cambios?"))) return true;
    return edicion_.Guardar();
}

bool frmEditarHistorico::puedeSalir() {
    if (soloLectura() || !cargado_) return true;
    mensajes().pitar();
    const Respuesta r = mensajes().mostrar(
        {Texto(PreguntaGuardarSalir), Icono::Pregunta, Botones::SiNoCancelar, Respuesta::No, Texto(TituloProducto)});
    if (r == Respuesta::Cancelar) return false;
    if (r == Respuesta::Si) {
        bytRespuesta = 6;
        return edicion_.Guardar();
    }
    return true;
}

void frmEditarHistorico::salir() {
    if (!puedeSalir()) return;
    cerrarSelector_ = true;
    cerrar(QDialog::Accepted);
}

void frmEditarHistorico::reject() {
    // The close box and Escape: the same question as "Salir", without
    // closing the chooser.
    if (cerrandoPorCodigo_) {
        QDialog::reject();
        return;
    }
    if (!puedeSalir()) return;
    cerrar(QDialog::Rejected);
}

void frmEditarHistorico::cerrar(int resultado) {
    cerrandoPorCodigo_ = true;
    done(resultado);
}

void frmEditarHistorico::done(int resultado) {
    liberar();
    QDialog::done(resultado);
}

}  // namespace ncc
