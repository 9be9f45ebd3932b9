#include "app/Anfitrion.h"
#include "app/OrdenInforme.h"
#include "entry/cConfiguracion.h"
#include "host/InformeDebido.h"
#include "host/Plan.h"
#include "platform/Error.h"
#include "platform/Mensajes.h"
#include "platform/Textos.h"
#include "platform/gui/Ayuda.h"
#include "wizard/ContextoAsistente.h"
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace ncc::app {

namespace {

struct Nodo {
    const char* texto;
    quint8 valor;
};
const Nodo nodos[] = {{"Cierre de curso escolar", 1},
                      {"Cursos escolares históricos", 2},
                      {"Paso de notas al histórico", 3}};

}  // namespace

VentanaAnfitrion::VentanaAnfitrion(host::OpcionesSesion opciones, std::unique_ptr<host::Sesion> sesion,
                                   QWidget* parent)
    : QMainWindow(parent), opciones_(std::move(opciones)), sesion_(std::move(sesion)) {
    setObjectName(QStringLiteral("frmAnfitrion"));
    entrada_.ObtenerDatos(sesion_.get());

    arbol_ = new QTreeWidget(this);
    arbol_->setObjectName(QStringLiteral("arbNodos"));
    arbol_->setHeaderHidden(true);
    arbol_->setRootIsDecorated(false);
    for (const Nodo& n : nodos) {
        auto* item = new QTreeWidgetItem(arbol_, {QString::fromUtf8(n.texto)});
        item->setData(0, Qt::UserRole, n.valor);
    }
    arbol_->setCurrentItem(arbol_->topLevelItem(0));
    connect(arbol_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        activarNodo(quint8(item->data(0, Qt::UserRole).toUInt()));
    });

    auto* centro = new QWidget(this);
    auto* lyt = new QVBoxLayout(centro);
    auto* ayuda = new QLabel(QStringLiteral("Elija una opción y pulse Intro o haga doble clic sobre ella."), centro);
    ayuda->setWordWrap(true);
    lyt->addWidget(ayuda);
    lyt->addWidget(arbol_);
    setCentralWidget(centro);
    resize(560, 360);
    ponerTitulo();
}

VentanaAnfitrion::~VentanaAnfitrion() = default;

void VentanaAnfitrion::ponerTitulo() {
    setWindowTitle(Texto(TituloProducto) + QStringLiteral(" - ") + sesion_->NombreCentro() +
                   QStringLiteral(" - ") + sesion_->ValorCursoEscolar());
    statusBar()->showMessage(QStringLiteral("Curso escolar actual: ") + sesion_->ValorCursoEscolar());
}

void VentanaAnfitrion::activarNodo(quint8 nodo) {
    sesion_->setlngRowData(0);
    try {
        entrada_.ActivarFormulario(nodo);
    } catch (const Error& e) {
        mostrarError(e);
    }
    // The component has closed its forms: now the session may change.
    if (sesion_->lngRowData() == -100) reabrirSesion();
}

void VentanaAnfitrion::reabrirSesion() {
    try {
        auto nueva = host::abrirSesion(opciones_);
        entrada_.ObtenerDatos(nueva.get());
        sesion_ = std::move(nueva);
        ponerTitulo();
    } catch (const Error& e) {
        mostrarError(e);
    }
}

// ---------------------------------------------------------------------------
// Help

namespace {

class FiltroAyuda : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* objeto, QEvent* e) override {
        if (e->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(e)->key() != Qt::Key_F1) return false;
        auto* w = qobject_cast<QWidget*>(objeto);
        if (!w || abierta_) return false;
        mostrar(w->window());
        return true;
    }

private:
    void mostrar(QWidget* ventana) {
        abierta_ = true;
        QDialog d(ventana);
        d.setObjectName(QStringLiteral("frmAyuda"));
        d.setWindowTitle(Texto(331) + QStringLiteral(" - ") + Texto(TituloProducto));
        auto* lyt = new QVBoxLayout(&d);
        auto* texto = new QTextBrowser(&d);
        texto->setObjectName(QStringLiteral("txtAyuda"));
        texto->setHtml(PaginaAyuda(ventana->objectName()));
        lyt->addWidget(texto);
        auto* botones = new QDialogButtonBox(QDialogButtonBox::Close, &d);
        botones->button(QDialogButtonBox::Close)->setText(QStringLiteral("Cerrar"));
        QObject::connect(botones, &QDialogButtonBox::rejected, &d, &QDialog::reject);
        lyt->addWidget(botones);
        d.resize(480, 360);
        d.exec();
        abierta_ = false;
    }
    bool abierta_ = false;
};

}  // namespace

void instalarAyudaAnfitrion() {
    static FiltroAyuda* filtro = nullptr;
    if (filtro || !qApp) return;
    filtro = new FiltroAyuda(qApp);
    qApp->installEventFilter(filtro);
}

void instalarPlanPorDefectoEnAsistente() {
    FuenteArbolesPorDefecto() = [] {
        const cConfiguracion* conf = ConfiguracionActual();
        if (!conf || !conf->conLocalCentro())
            throw Error(errores::ConexionCerrada, QStringLiteral("No hay conexión con la base de datos del centro"));
        host::Plan plan = host::planPorDefecto(*conf->conLocalCentro(), conf->intIDCentro());
        host::encajarEnCentro(plan, *conf->conLocalCentro(), conf->intIDCentro());
        return ArbolesCierre{plan.arboles.secciones, plan.arboles.actividades};
    };
}

void instalarInformeEnAsistente() {
    // The report is drawn by a process of its own, which nothing that
    // happens while drawing can take the host down with.
    AnotarAntesDelCierre() = host::anotarInformeAntesDelCierre;
    InformeTrasCierre() = [](const motor::EstadoMotor& e) {
        if (const auto ruta = informeEnProceso(host::opcionesDe(*e.conf))) return *ruta;
        throw Error(errores::Proceso, QStringLiteral("El informe no se ha podido escribir; se escribirá al abrir de nuevo el "
                                                     "programa sobre estas bases de datos o con ncc informe."));
    };
}

}  // namespace ncc::app
