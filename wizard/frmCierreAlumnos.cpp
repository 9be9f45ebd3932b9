#include "wizard/frmCierreAlumnos.h"
#include "entry/SoloLectura.h"
#include "entry/cConfiguracion.h"
#include "platform/Error.h"
#include "platform/Mensajes.h"
#include "platform/Reloj.h"
#include "platform/Textos.h"
#include "platform/gui/Ayuda.h"
#include "platform/gui/CampoFecha.h"
#include "platform/gui/Rejilla.h"
#include "ui_frmCierreAlumnos.h"
#include "wizard/ContextoAsistente.h"
#include "wizard/SeleccionAlumnos.h"
#include "wizard/frmCierreActividades.h"
#include "wizard/frmCierreCursoE.h"
#include "wizard/modCierreCurso.h"
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QScrollBar>
#include <QSignalBlocker>
#include <utility>

namespace ncc {

namespace {

const QString kAnchosAlumnos = QStringLiteral("CierreAlumnos");
const QStringList kNombresAnchos{QStringLiteral("Nombre"), QStringLiteral("Promoción"), QStringLiteral("FechaBaja"),
                                 QStringLiteral("NuevoCurso")};

// Rows of the button table handed to cIInterface::Activar.
enum FilaBoton { BotonAyuda = 0, BotonCancelar, BotonAnterior, BotonSiguiente, BotonFinalizar, BotonPromocionar,
                 BotonDeshacer, BotonGuardar, BotonCargar };

// The hourglass while something runs.
class Reloj_ {
public:
    Reloj_() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~Reloj_() { QApplication::restoreOverrideCursor(); }
};

int decisionDe(const cAlumno& a) { return a.Promociona() ? 1 : a.Repite() ? 2 : a.Baja() ? 3 : 0; }

QString textoDecision(int decision) {
    switch (decision) {
    case 1: return Texto(2173);
    case 2: return Texto(2174);
    case 3: return Texto(2175);
    default: return {};
    }
}

}  // namespace

frmCierreAlumnos::frmCierreAlumnos(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmCierreAlumnos>()) {
    ui->setupUi(this);
    rejSecciones_ = new Rejilla(ui->msgSecciones);
    rejAlumnos_ = new Rejilla(ui->msgAlumnos);
    ui->msgSecciones->horizontalHeader()->setStretchLastSection(true);
    ui->msgAlumnos->horizontalHeader()->setStretchLastSection(true);
    connect(ui->msgSecciones->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &frmCierreAlumnos::alDesplazarSecciones);
    ui->msgSecciones->setMinimumWidth(Rejilla::twipsAPixeles(2315, this) + 20);
    // The list is disabled while a section is edited, yet stays readable:
    // grey text on the yellow of the confirmed sections could not be read.
    QPalette paleta = ui->msgSecciones->palette();
    for (const QPalette::ColorRole rol : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
        paleta.setColor(QPalette::Disabled, rol, paleta.color(QPalette::Active, rol));
    ui->msgSecciones->setPalette(paleta);
    setMinimumSize(Rejilla::twipsAPixeles(9630, this), Rejilla::twipsAPixeles(7260, this));
    setSizeGripEnabled(true);

    connect(rejSecciones_, &Rejilla::filaCambiada, this, &frmCierreAlumnos::alCambiarFilaSeccion);
    connect(rejAlumnos_, &Rejilla::marcaCambiada, this, &frmCierreAlumnos::alMarcarAlumno);
    for (QRadioButton* o : {ui->optOpcion_0, ui->optOpcion_1, ui->optOpcion_2})
        connect(o, &QRadioButton::clicked, this, &frmCierreAlumnos::alElegirOpcion);
    const QList<QComboBox*> listas{ui->cboActas_0, ui->cboActas_1, ui->cboActas_2};
    for (int i = 0; i < listas.size(); ++i)
        connect(listas.at(i), &QComboBox::currentIndexChanged, this, [this, i] { alCambiarLista(i); });
    connect(ui->cmdSeleccionar_0, &QPushButton::clicked, this, [this] { MarcarTodos(true); });
    connect(ui->cmdSeleccionar_1, &QPushButton::clicked, this, [this] { MarcarTodos(false); });
    connect(ui->cmdAceptar, &QPushButton::clicked, this, &frmCierreAlumnos::Aplicar);
    connect(ui->cmdProponer, &QPushButton::clicked, this, &frmCierreAlumnos::ProponerTodo);
    connect(ui->cmdPromocionar_0, &QPushButton::clicked, this, &frmCierreAlumnos::Promocionar);
    connect(ui->cmdPromocionar_1, &QPushButton::clicked, this, &frmCierreAlumnos::DeshacerCambios);
    connect(ui->cmdGuardar_0, &QPushButton::clicked, this, [this] {
        if (PuedeEscribir() && preguntar(2194)) GuardarDatosAlumnos();
    });
    connect(ui->cmdGuardar_1, &QPushButton::clicked, this, [this] {
        if (preguntar(2195)) CargarDatosAlumnos();
    });
    connect(ui->cmdCierreAlumnos_0, &QPushButton::clicked, this, &frmCierreAlumnos::Ayuda);
    connect(ui->cmdCierreAlumnos_1, &QPushButton::clicked, this, &frmCierreAlumnos::Cancelar);
    connect(ui->cmdCierreAlumnos_2, &QPushButton::clicked, this, &frmCierreAlumnos::Anterior);
    connect(ui->cmdCierreAlumnos_3, &QPushButton::clicked, this, &frmCierreAlumnos::Siguiente);
    connect(ui->cmdCierreAlumnos_4, &QPushButton::clicked, this, &frmCierreAlumnos::Finalizar);
    EnlazarEnsayo(ui->cmdEnsayar, ui->cmdCierreAlumnos_4);
    prepararCampoFecha(ui->dtpFechaBaja);
}

frmCierreAlumnos::~frmCierreAlumnos() = default;

std::shared_ptr<Coleccion<cCurso>> frmCierreAlumnos::Secciones() const {
    return datos_ ? datos_->Secciones() : std::make_shared<Coleccion<cCurso>>();
}

long frmCierreAlumnos::ColoresEstado(int decision) {
    switch (decision) {
    case 1: return 16711680;  // blue
    case 2: return 255;       // red
    case 3: return 33023;     // orange
    default: return 0;
    }
}

// ---------------------------------------------------------------------------
// Load

void frmCierreAlumnos::CrearModelo() {
    cConfiguracion* conf = ConfiguracionActual();
    if (!conf || !conf->conLocalCentro())
        throw Error(errores::ConexionCerrada, QStringLiteral("No hay conexión con la base de datos del centro"));
    datos_ = std::make_unique<SeleccionAlumnos>(*conf->conLocalCentro(), conf->intIDCentro());
    datos_->Cargar();
}

void frmCierreAlumnos::PrepararBotones() {
    Botones_ = ConjuntoBotones{ui->cmdCierreAlumnos_0, ui->cmdCierreAlumnos_1, ui->cmdCierreAlumnos_2,
                               ui->cmdCierreAlumnos_3, ui->cmdCierreAlumnos_4, ui->cmdPromocionar_0,
                               ui->cmdPromocionar_1,   ui->cmdGuardar_0,       ui->cmdGuardar_1};
}

bool frmCierreAlumnos::cargar() {
    Mostrar_ = false;
    try {
        CrearModelo();
        if (!LlenarGridSecciones()) {
            // No section of the school has active students: there is nothing
            // to decide on this page.
            avisar(2185, Icono::Informacion);
            return false;
        }
        LlenarCombo(ui->cboActas_0, datos_->TiposEnsenanza());
        const bool hayGuardados = datos_->HayDatosGuardados();

        const cConfiguracion* conf = ConfiguracionActual();
        if (conf && !conf->RutaIcono().isEmpty() && QFileInfo::exists(conf->RutaIcono()))
            setWindowIcon(QIcon(conf->RutaIcono()));
        PrepararBotones();
        interfaz_.CargarTextos(this);
        interfaz_.Activar(Botones_,
                          QList<bool>{true, true, true, inicioActividades(), true, true, false, false, hayGuardados},
                          1);
        ui->dtpFechaBaja->setDate(Reloj::hoy());
        setEstado(1);
        // Current row on the first section: opens it.
        rejSecciones_->fijarFilaActual(1);
        cargada_ = true;
        Mostrar_ = true;
    } catch (const Error& e) {
        mostrarError(e);
    }
    return Mostrar_;
}

bool frmCierreAlumnos::LlenarGridSecciones() {
    const QList<FilaSeccion> filas = datos_->FilasSecciones();
    const QSignalBlocker llenando(rejSecciones_);
    rejSecciones_->redibujar(false);
    rejSecciones_->fijarColumnasPorTexto({2170});
    for (const FilaSeccion& f : filas) {
        if (f.encabezado) {
            rejSecciones_->agregarEncabezado(f.texto, 0);
            continue;
        }
        const int fila = rejSecciones_->agregarFila({f.texto}, f.idSeccion);
        if (const auto s = datos_->Seccion(f.idSeccion); s && s->Promocionada()) PintarSeccion(fila, true);
    }
    rejSecciones_->fijarFilaActual(-1);
    rejSecciones_->redibujar(true);
    return !filas.isEmpty();
}

void frmCierreAlumnos::LlenarCombo(QComboBox* lista, const QList<OpcionLista>& opciones) {
    {
        const QSignalBlocker b(lista);
        lista->clear();
        for (const OpcionLista& o : opciones) lista->addItem(o.texto, o.id);
        lista->setCurrentIndex(-1);
    }
    if (!opciones.isEmpty()) lista->setCurrentIndex(0);
}

// ---------------------------------------------------------------------------
// Sections

std::shared_ptr<cCurso> frmCierreAlumnos::SeccionActual() const {
    const int fila = rejSecciones_->filaActual();
    if (fila < 0 || rejSecciones_->esEncabezado(fila) || !datos_) return nullptr;
    return datos_->Seccion(rejSecciones_->datoFila(fila).toInt());
}

void frmCierreAlumnos::alCambiarFilaSeccion(int actual, int anterior) {
    FilaAnterior_ = anterior;
    if (actual < 0) return;
    if (rejSecciones_->esEncabezado(actual)) {
        // The current row never rests on a heading: it goes on in the
        // direction of travel (back to the first section at the top).
        const int ultima = rejSecciones_->filas() - 1;
        int destino;
        if (actual > anterior) destino = actual < ultima ? actual + 1 : anterior;
        else destino = actual > 0 ? actual - 1 : 1;
        if (destino < 0 || destino > ultima || rejSecciones_->esEncabezado(destino)) return;
        if (destino == 1) rejSecciones_->fijarFilaSuperior(0);
        rejSecciones_->fijarFilaActual(destino);
        // Going down past a heading keeps the heading in sight.
        if (destino > actual && rejSecciones_->filaSuperior() > actual) rejSecciones_->fijarFilaSuperior(actual);
        return;
    }
    SeccionRefrescar_ = false;
    try {
        AbrirSeccion();
    } catch (const Error& e) {
        mostrarError(e);
    }
}

// While the section grid scrolls, a heading never rests on its edges: at
// the top, with rows above it, the row above shows too; as the last row in
// view, the first section under it comes into view.
void frmCierreAlumnos::alDesplazarSecciones(int superior) {
    const int anterior = std::exchange(SuperiorAnterior_, superior);
    const int filas = rejSecciones_->filas();
    if (superior < anterior) {
        if (superior >= 1 && superior < filas && rejSecciones_->esEncabezado(superior))
            rejSecciones_->fijarFilaSuperior(superior - 1);
    } else if (superior > anterior) {
        const int ultimaVisible = superior + rejSecciones_->filasVisibles() - 1;
        if (ultimaVisible < filas - 1 && rejSecciones_->esEncabezado(ultimaVisible) &&
            superior < ui->msgSecciones->verticalScrollBar()->maximum())
            rejSecciones_->fijarFilaSuperior(superior + 1);
    }
}

void frmCierreAlumnos::PintarSeccion(int fila, bool promocionada) {
    PintarFilaDecidida(*rejSecciones_, fila, promocionada,
                       Propuestas_.contains(qint16(rejSecciones_->datoFila(fila).toInt())));
}

void frmCierreAlumnos::ProponerTodo() {
    if (!datos_ || Estado_ == 2) return;
    Reloj_ r;
    try {
        const QList<qint16> propuestas = datos_->ProponerSecciones();
        for (qint16 id : propuestas) {
            Propuestas_.insert(id);
            if (actividadesCargadas()) SincronizarActividades(*datos_->Seccion(id)->Alumnos());
        }
        RepintarSecciones();
        // The open section shows what it now holds.
        if (const auto s = SeccionActual(); s && propuestas.contains(s->IDSeccion())) {
            LlenarGridAlumnos(*s->Alumnos(), true);
            AlumnosSeccion_ = SeleccionAlumnos::CopiarAlumnos(*s->Alumnos());
            SeccionRefrescar_ = false;
        }
        ui->cmdGuardar_0->setEnabled(datos_->HaySeccionesPromocionadas());
    } catch (const Error& e) {
        mostrarError(e);
    }
    ActualizarProponer();
}

void frmCierreAlumnos::ActualizarProponer() {
    bool pendiente = false;
    if (datos_)
        for (const auto& s : *datos_->Secciones()) pendiente = pendiente || (s->Visible() && !s->Promocionada());
    ui->cmdProponer->setEnabled(Estado_ != 2 && pendiente);
}

void frmCierreAlumnos::AbrirSeccion() {
    const auto s = SeccionActual();
    if (!s) return;
    if (s->Promocionada()) {
        // A proposed section opens on its proposal without a question: the
        // user looks at it and changes only what differs.
        if (!Propuestas_.contains(s->IDSeccion()) &&
            preguntarTexto(Texto(2184) + QLatin1Char('\n') + Texto(2188) + QLatin1Char('\n') + Texto(2189))) {
            datos_->LiberarPlazas(*s);
            SeleccionAlumnos::DesmarcarSeccion(*s);
            PintarSeccion(rejSecciones_->filaActual(), false);
            CargarAlumnosSeccion();
            ui->cmdGuardar_0->setEnabled(datos_->HaySeccionesPromocionadas());
            ActualizarProponer();
            if (actividadesCargadas()) SincronizarActividades(*AlumnosSeccion_);
        } else {
            LlenarGridAlumnos(*s->Alumnos(), true);
            AlumnosSeccion_ = SeleccionAlumnos::CopiarAlumnos(*s->Alumnos());
        }
        return;
    }
    CargarAlumnosSeccion();
}

void frmCierreAlumnos::CargarAlumnosSeccion() {
    const auto s = SeccionActual();
    if (!s) return;
    AlumnosSeccion_ = datos_->CargarAlumnosSeccion(s->IDSeccion(), inicioActividades());
    LlenarGridAlumnos(*AlumnosSeccion_, false);
}

void frmCierreAlumnos::RepintarSecciones() {
    for (int f = 0; f < rejSecciones_->filas(); ++f) {
        if (rejSecciones_->esEncabezado(f)) continue;
        const auto s = datos_->Seccion(rejSecciones_->datoFila(f).toInt());
        PintarSeccion(f, s && s->Promocionada());
    }
}

// ---------------------------------------------------------------------------
// Students

void frmCierreAlumnos::GuardarAnchos() const {
    if (!cargada_ || rejAlumnos_->columnas() < 4) return;
    rejAlumnos_->guardarAnchos(NombreCentroActual(), kAnchosAlumnos, kNombresAnchos);
}

void frmCierreAlumnos::LlenarGridAlumnos(const Coleccion<cAlumno>& alumnos, bool mantenerDesplazamiento) {
    GuardarAnchos();
    AlumnosSeleccionados_.clear();
    const int superior = rejAlumnos_->filaSuperior();
    const QSignalBlocker llenando(rejAlumnos_);
    rejAlumnos_->redibujar(false);
    rejAlumnos_->fijarColumnaFija(true);
    rejAlumnos_->fijarColumnasPorTexto({2172, 2171, 2176, 2170});
    for (const auto& a : alumnos) {
        QStringList destino;
        for (const QString& t : {a->NTipoEnsenanza(), a->NCurso(), a->NSeccion()})
            if (!t.isEmpty()) destino << t;
        const int decision = decisionDe(*a);
        // A missing second surname leaves no gap before the comma.
        const QString apellidos = (a->Apellido1() + QLatin1Char(' ') + a->Apellido2()).trimmed();
        const qint64 color = ColoresEstado(decision);
        rejAlumnos_->agregarFila({apellidos + QStringLiteral(", ") + a->Nombre(), textoDecision(decision),
                                  a->FechaBaja(), destino.join(QLatin1Char(' '))},
                                 a->IDAlumno(), {-1, color, color, color});
        a->setSeleccionado(false);
    }
    // Read once the rows are in: a default width also fits the texts shown.
    const bool muchos = alumnos.Count() >= 8;
    rejAlumnos_->leerAnchos(NombreCentroActual(), kAnchosAlumnos,
                            {{kNombresAnchos.at(0), muchos ? 3200 : 3495},
                             {kNombresAnchos.at(1), muchos ? 995 : 990},
                             {kNombresAnchos.at(2), muchos ? 995 : 990},
                             {kNombresAnchos.at(3), 2000}});
    rejAlumnos_->fijarFilaActual(-1);
    rejAlumnos_->fijarFilaSuperior(mantenerDesplazamiento ? superior : 0);
    rejAlumnos_->redibujar(true);
    ui->cmdAceptar->setEnabled(false);
}

void frmCierreAlumnos::alMarcarAlumno(int fila, bool marcado) {
    if (Estado_ != 2 || !AlumnosSeccion_) {
        rejAlumnos_->marcar(fila, false);
        return;
    }
    const qint32 id = rejAlumnos_->datoFila(fila).toInt();
    const auto a = AlumnosSeccion_->buscar(QString::number(id));
    if (!a) return;
    a->setSeleccionado(marcado);
    if (marcado) AlumnosSeleccionados_.insert(id);
    else AlumnosSeleccionados_.remove(id);
    ui->cmdAceptar->setEnabled(!AlumnosSeleccionados_.isEmpty());
}

void frmCierreAlumnos::MarcarTodos(bool marcar) {
    if (Estado_ != 2) return;
    rejAlumnos_->redibujar(false);
    for (int f = 0; f < rejAlumnos_->filas(); ++f) {
        rejAlumnos_->marcar(f, marcar);
        alMarcarAlumno(f, marcar);
    }
    rejAlumnos_->redibujar(true);
}

void frmCierreAlumnos::DesmarcarTodos() {
    rejAlumnos_->redibujar(false);
    for (int f = 0; f < rejAlumnos_->filas(); ++f) rejAlumnos_->marcar(f, false);
    rejAlumnos_->redibujar(true);
    if (AlumnosSeccion_)
        for (const auto& a : *AlumnosSeccion_) a->setSeleccionado(false);
    AlumnosSeleccionados_.clear();
    ui->cmdAceptar->setEnabled(false);
}

// ---------------------------------------------------------------------------
// Options and destinations

void frmCierreAlumnos::alElegirOpcion() {
    ui->fraBloqueo_1->setEnabled(false);
    ui->fraBloqueo_2->setEnabled(false);
    if (ui->optOpcion_0->isChecked()) {
        ui->fraBloqueo_1->setEnabled(true);
        ui->fraNuevoCurso->setTitle(Texto(2130));
    } else if (ui->optOpcion_1->isChecked()) {
        ui->fraBloqueo_1->setEnabled(true);
        ui->fraNuevoCurso->setTitle(Texto(2131));
        SeleccionarSeccionActual();
    } else if (ui->optOpcion_2->isChecked()) {
        ui->fraBloqueo_2->setEnabled(true);
    }
}

void frmCierreAlumnos::alCambiarLista(int indice) {
    if (!datos_) return;
    const QList<QComboBox*> listas{ui->cboActas_0, ui->cboActas_1, ui->cboActas_2};
    for (int j = indice + 1; j < listas.size(); ++j) {
        const QSignalBlocker b(listas.at(j));
        listas.at(j)->clear();
        listas.at(j)->addItem(QString(), 0);
        listas.at(j)->setCurrentIndex(0);
    }
    if (indice == 2) return;
    const int id = listas.at(indice)->currentData().toInt();
    if (indice == 1 && id == 0) return;
    try {
        const QList<OpcionLista> opciones = indice == 0 ? datos_->CursosDe(id) : datos_->SeccionesDe(id);
        QComboBox* siguiente = listas.at(indice + 1);
        const QSignalBlocker b(siguiente);
        siguiente->clear();
        siguiente->addItem(QString(), 0);
        for (const OpcionLista& o : opciones) siguiente->addItem(o.texto, o.id);
        siguiente->setCurrentIndex(0);
    } catch (const Error& e) {
        mostrarError(e);
    }
}

void frmCierreAlumnos::SeleccionarSeccionActual() {
    if (const auto s = SeccionActual()) SeleccionarEnListas(s->IDTipoEnsenanza(), s->IDCurso(), s->IDSeccion());
}

// A proposed or decided section opens with the lists on where its promoted
// students go: moving one of them to another section of the same course
// then takes the section's list alone.
void frmCierreAlumnos::SeleccionarDestinoPropuesto() {
    if (!AlumnosSeccion_) return;
    for (const auto& a : *AlumnosSeccion_)
        if (a->Promociona() && a->NIDSeccion() != 0) {
            SeleccionarEnListas(a->NIDTipoEnsenanza(), a->NIDCurso(), a->NIDSeccion());
            return;
        }
}

void frmCierreAlumnos::SeleccionarEnListas(int tipoEnsenanza, int idCurso, int idSeccion) {
    // Each choice reloads the next list before it is searched.
    const int tipo = ui->cboActas_0->findData(tipoEnsenanza);
    if (tipo < 0) return;
    if (ui->cboActas_0->currentIndex() == tipo) alCambiarLista(0);
    else ui->cboActas_0->setCurrentIndex(tipo);
    const int curso = ui->cboActas_1->findData(idCurso);
    if (curso < 0) return;
    ui->cboActas_1->setCurrentIndex(curso);
    const int seccion = ui->cboActas_2->findData(idSeccion);
    if (seccion >= 0) ui->cboActas_2->setCurrentIndex(seccion);
}

void frmCierreAlumnos::Aplicar() {
    if (!AlumnosSeccion_ || !datos_) return;
    const int decision = ui->optOpcion_0->isChecked() ? 1 : ui->optOpcion_1->isChecked() ? 2 : 3;
    const int tipo = ui->cboActas_0->currentData().toInt();
    const int curso = ui->cboActas_1->currentData().toInt();
    const int seccion = ui->cboActas_2->currentData().toInt();
    if (decision != 3) {
        switch (datos_->ComprobarPlazas(*AlumnosSeccion_, curso, seccion)) {
        case ResultadoPlazas::Bien: break;
        case ResultadoPlazas::Preguntar:
            if (!preguntar(2190)) return;
            break;
        case ResultadoPlazas::Rechazar: avisar(2196, Icono::Exclamacion); return;
        }
    }
    const QString fecha = ui->dtpFechaBaja->text();
    for (const auto& a : *AlumnosSeccion_) {
        if (!a->Seleccionado()) continue;
        a->setSinAsignar(false);
        a->setPromociona(decision == 1);
        a->setRepite(decision == 2);
        a->setBaja(decision == 3);
        if (decision == 3) {
            a->setNIDTipoEnsenanza(0);
            a->setNIDCurso(0);
            a->setNIDSeccion(0);
            a->setNTipoEnsenanza(QString());
            a->setNCurso(QString());
            a->setNSeccion(QString());
            a->setFechaBaja(fecha);
        } else {
            a->setNIDTipoEnsenanza(quint8(tipo));
            a->setNIDCurso(quint8(curso));
            a->setNIDSeccion(qint16(seccion));
            a->setNTipoEnsenanza(tipo ? ui->cboActas_0->currentText() : QString());
            a->setNCurso(curso ? ui->cboActas_1->currentText() : QString());
            a->setNSeccion(seccion ? ui->cboActas_2->currentText() : QString());
            a->setFechaBaja(QString());
        }
    }
    // From the keyboard the next student is one arrow away: the grid keeps
    // its row and takes the focus back.
    const int fila = rejAlumnos_->filaActual();
    LlenarGridAlumnos(*AlumnosSeccion_, true);
    rejAlumnos_->fijarFilaActual(fila);
    ui->msgAlumnos->setFocus();
}

// ---------------------------------------------------------------------------
// Confirmation

void frmCierreAlumnos::setEstado(quint8 estado) {
    if (estado == 1) BloquearSecciones(false);
    else if (estado == 2) BloquearSecciones(true);
    Estado_ = estado;
    ActualizarProponer();
}

void frmCierreAlumnos::BloquearSecciones(bool bloquear) {
    DesmarcarTodos();
    ui->msgSecciones->setEnabled(!bloquear);
    ui->fraBloqueo_0->setEnabled(bloquear);
    ui->cmdSeleccionar_0->setEnabled(bloquear);
    ui->cmdSeleccionar_1->setEnabled(bloquear);
    ui->optOpcion_0->setChecked(true);
    rejAlumnos_->fijarMarcadoAlPulsar(bloquear);
    // The students' grid shows only the page's own marks, never the table's
    // selection.
    ui->msgAlumnos->setSelectionMode(QAbstractItemView::NoSelection);
    if (bloquear) {
        alElegirOpcion();
        SeleccionarDestinoPropuesto();
        QList<bool> estados(Botones_.filas(), false);
        if (Botones_.filas() > BotonDeshacer) estados[BotonPromocionar] = estados[BotonDeshacer] = true;
        interfaz_.Activar(Botones_, estados);
        PonerTexto(ui->cmdPromocionar_0, Texto(337));
        ui->msgAlumnos->setFocus();
    } else {
        ui->fraBloqueo_1->setEnabled(false);
        ui->fraBloqueo_2->setEnabled(false);
        ui->fraNuevoCurso->setTitle(Texto(2130));
        if (Estado_ == 2) interfaz_.Activar(Botones_, 2);
        PonerTexto(ui->cmdPromocionar_0, Texto(330));
        // Done with a section, the keyboard goes back to the list of them.
        ui->msgSecciones->setFocus();
    }
}

void frmCierreAlumnos::Promocionar() {
    Reloj_ r;
    try {
        if (Estado_ != 2) {
            if (SeccionRefrescar_) AbrirSeccion();
            if (!SeccionActual()) return;
            setEstado(2);
            return;
        }
        if (!ComprobarAsignados()) return;
        ConfirmarSeccion();
        setEstado(1);
        ui->cmdGuardar_0->setEnabled(true);
    } catch (const Error& e) {
        mostrarError(e);
    }
}

void frmCierreAlumnos::DeshacerCambios() {
    try {
        setEstado(1);
        const auto s = SeccionActual();
        if (!s) return;
        if (s->Promocionada()) {
            LlenarGridAlumnos(*s->Alumnos(), true);
            AlumnosSeccion_ = SeleccionAlumnos::CopiarAlumnos(*s->Alumnos());
        } else {
            CargarAlumnosSeccion();
        }
    } catch (const Error& e) {
        mostrarError(e);
    }
}

bool frmCierreAlumnos::ComprobarAsignados() {
    if (AlumnosSeccion_)
        for (const auto& a : *AlumnosSeccion_)
            if (a->SinAsignar()) return preguntar(2191);
    return true;
}

void frmCierreAlumnos::ConfirmarSeccion() {
    const auto s = SeccionActual();
    if (!s || !AlumnosSeccion_) return;
    DesmarcarTodos();
    datos_->ConfirmarSeccion(*s, *AlumnosSeccion_);
    Propuestas_.remove(s->IDSeccion());
    PintarSeccion(rejSecciones_->filaActual(), true);
    SeccionRefrescar_ = true;
    if (actividadesCargadas()) SincronizarActividades(*AlumnosSeccion_);
}

void frmCierreAlumnos::SincronizarActividades(const Coleccion<cAlumno>& alumnos, bool refrescar) {
    // The activity page exists only once it has been shown; until then
    // there is nothing to carry over.
    frmCierreActividades* pagina = Asistente().CierreActividades.data();
    if (!pagina) return;
    ncc::SincronizarActividades(alumnos, *pagina->Actividades());
    if (refrescar) pagina->RefrescarGrid();
}

// ---------------------------------------------------------------------------
// The stored set

void frmCierreAlumnos::GuardarDatosAlumnos() {
    Reloj_ r;
    interfaz_.Activar(Botones_, 0);
    ui->fraBloqueoTotal->setEnabled(false);
    try {
        datos_->GuardarDatosAlumnos();
    } catch (const Error& e) {
        mostrarError(e);
    }
    ui->fraBloqueoTotal->setEnabled(true);
    interfaz_.Activar(Botones_, 2);
    ui->cmdGuardar_1->setEnabled(true);
}

void frmCierreAlumnos::CargarDatosAlumnos() {
    Reloj_ r;
    interfaz_.Activar(Botones_, 0);
    ui->fraBloqueoTotal->setEnabled(false);
    try {
        // The page is read again from the school and the stored set laid
        // over it; the decisions in memory go only once that succeeded.
        cConfiguracion* conf = ConfiguracionActual();
        if (!conf || !conf->conLocalCentro())
            throw Error(errores::ConexionCerrada, QStringLiteral("No hay conexión con la base de datos del centro"));
        auto nuevos = std::make_unique<SeleccionAlumnos>(*conf->conLocalCentro(), conf->intIDCentro());
        nuevos->Cargar();
        // The activity page's grid is refreshed once the loaded set is the
        // page's: read before, it would show the decisions that go.
        nuevos->CargarDatosAlumnos(inicioActividades(), [this](cCurso& s) {
            if (actividadesCargadas() && s.Alumnos()) SincronizarActividades(*s.Alumnos(), false);
        });
        const int idActual = SeccionActual() ? SeccionActual()->IDSeccion() : 0;
        GuardarAnchos();
        datos_ = std::move(nuevos);
        Propuestas_.clear();
        setEstado(1);
        LlenarGridSecciones();
        LlenarCombo(ui->cboActas_0, datos_->TiposEnsenanza());
        int fila = rejSecciones_->buscarFila(idActual);
        if (fila < 0) fila = rejSecciones_->filas() > 1 ? 1 : -1;
        {
            const QSignalBlocker b(rejSecciones_);
            rejSecciones_->fijarFilaActual(fila);
        }
        RepintarSecciones();
        SeccionRefrescar_ = false;
        if (const auto s = SeccionActual(); s && s->Promocionada()) {
            SeccionRefrescar_ = true;
            LlenarGridAlumnos(*s->Alumnos(), true);
            AlumnosSeccion_ = SeleccionAlumnos::CopiarAlumnos(*s->Alumnos());
        } else {
            CargarAlumnosSeccion();
        }
        if (actividadesCargadas())
            if (frmCierreActividades* pagina = Asistente().CierreActividades.data()) pagina->RefrescarGrid();
    } catch (const Error& e) {
        mostrarError(e);
    }
    ui->fraBloqueoTotal->setEnabled(true);
    interfaz_.Activar(Botones_,
                      QList<bool>{true, true, true, inicioActividades(), true, true, false, true, true}, 1);
}

// ---------------------------------------------------------------------------
// Wizard buttons

void frmCierreAlumnos::Ayuda() {
    interfaz_.Activar(Botones_, 0);
    // The host answers F1 with its help file.
    PedirAyuda(this);
    interfaz_.Activar(Botones_, 2);
}

void frmCierreAlumnos::Cancelar() {
    if (preguntar(2180)) cerrarAsistente();
}

void frmCierreAlumnos::Anterior() { hide(); }

void frmCierreAlumnos::Siguiente() {
    // The activity page shows the hourglass while it loads, not while the
    // user works on it.
    interfaz_.Activar(Botones_, 0);
    cargarFormularioActividades();
    if (!cerrandoAsistente()) interfaz_.Activar(Botones_, 2);
}

void frmCierreAlumnos::Finalizar() {
    // Refused before any question when the closing could not be written.
    if (!PuedeEscribir()) return;
    {
        Reloj_ r;
        if (HayAlumnosSinDestino(*Secciones())) {
            QApplication::restoreOverrideCursor();
            const bool seguir = preguntarTexto(QStringLiteral(
                "¡Atención! Existen alumnos promocionados o que repiten que no tienen asignado ningún curso o "
                "sección, si continúa el programa no pasará a estos alumnos al curso siguiente. ¿Desea continuar?"));
            QApplication::setOverrideCursor(Qt::WaitCursor);
            if (!seguir) return;
        }
    }
    cerrarCursoEscolar();
}

void frmCierreAlumnos::closeEvent(QCloseEvent* e) {
    if (cerrandoAsistente()) {
        e->accept();
        return;
    }
    e->ignore();
    Anterior();
}

void frmCierreAlumnos::hideEvent(QHideEvent* e) {
    GuardarAnchos();
    QDialog::hideEvent(e);
}

// ---------------------------------------------------------------------------
// The start page

// Without a start page (the page on its own, as the tests open it) there are
// no activities and nothing to close.

bool frmCierreAlumnos::inicioActividades() const {
    const auto& inicio = Asistente().CierreCursoE;
    return inicio && inicio->Actividades();
}

bool frmCierreAlumnos::actividadesCargadas() const {
    const auto& inicio = Asistente().CierreCursoE;
    return inicio && inicio->ActividadesCargadas();
}

bool frmCierreAlumnos::cerrandoAsistente() const {
    const auto& inicio = Asistente().CierreCursoE;
    return inicio && inicio->CerrandoAsistente();
}

void frmCierreAlumnos::cerrarAsistente() {
    if (const QPointer<frmCierreCursoE> inicio = Asistente().CierreCursoE) inicio->CerrarAsistente();
}

void frmCierreAlumnos::cargarFormularioActividades() {
    if (const QPointer<frmCierreCursoE> inicio = Asistente().CierreCursoE) inicio->CargarFormularioActividades();
}

void frmCierreAlumnos::cerrarCursoEscolar() {
    if (const QPointer<frmCierreCursoE> inicio = Asistente().CierreCursoE) inicio->CerrarCursoEscolar();
}

}  // namespace ncc
