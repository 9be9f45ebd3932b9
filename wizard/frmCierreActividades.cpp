#include "wizard/frmCierreActividades.h"
#include "ui_frmCierreActividades.h"
#include "engine/PurgaFechas.h"
#include "entry/SoloLectura.h"
#include "wizard/DelegadoEuros.h"
#include "entry/cConfiguracion.h"
#include "entry/cPrecioActividad.h"
#include "platform/Ajustes.h"
#include "platform/Conexion.h"
#include "platform/Mensajes.h"
#include "platform/Reloj.h"
#include "platform/Textos.h"
#include "platform/gui/Ayuda.h"
#include "platform/gui/CampoFecha.h"
#include "platform/gui/Rejilla.h"
#include "wizard/DatosActividades.h"
#include "wizard/ContextoAsistente.h"
#include "wizard/LecturaActividades.h"
#include "wizard/frmCierreAlumnos.h"
#include "wizard/frmCierreCursoE.h"
#include "wizard/modCierreCurso.h"
#include "wizard/frmPrecioActividad.h"
#include <QApplication>
#include <algorithm>
#include <QCloseEvent>
#include <QHeaderView>
#include <QIcon>
#include <QLayout>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>

namespace ncc {

namespace {

const QString kAnchosActividades = QStringLiteral("CierreActividades");

// Rows of the button table.
enum FilaBotonActividades { Ayuda, Cancelar, Anterior, Finalizar, Promocionar, Deshacer, Guardar, Cargar, PreciosBoton };

// Columns of the member grid, their titles and their width names.
struct Columna {
    int titulo;
    const char* nombre;
    int defectoMuchos, defectoPocos;
};
constexpr Columna kColumnas[] = {{3173, "Alumno", 3080, 3200}, {3174, "TipoAlumno", 1000, 1000},
                                 {3175, "Curso", 2110, 2230},   {3176, "Pasar", 540, 540},
                                 {3177, "Euros", 680, 680},     {3178, "Pesetas", 680, 680}};
constexpr int ColumnaPasar = 3;

// The hourglass while something runs.
class CursorEspera {
public:
    CursorEspera() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~CursorEspera() { QApplication::restoreOverrideCursor(); }
};

QString textoUnido(std::initializer_list<QString> partes) {
    QString r;
    for (const QString& p : partes)
        if (!p.isEmpty()) r += (r.isEmpty() ? QString() : QStringLiteral(" ")) + p;
    return r;
}

}  // namespace

frmCierreActividades::frmCierreActividades(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmCierreActividades>()) {
    ui->setupUi(this);

    rejActividades_ = new Rejilla(ui->msgActividades);
    rejActividades_->fijarColumnasPorTexto({3170});
    ui->msgActividades->horizontalHeader()->setStretchLastSection(true);
    connect(rejActividades_, &Rejilla::filaCambiada, this, [this](int fila, int) { elegirActividad(fila); });

    rejAlumnos_ = new Rejilla(ui->msgAlumnos);
    rejAlumnos_->fijarColumnasPorTexto({3173, 3174, 3175, 3176, 3177, 3178});
    rejAlumnos_->fijarColumnaFija(true);
    rejAlumnos_->fijarAlineacion(ColumnaPasar, Qt::AlignCenter);
    for (int c : {4, 5}) rejAlumnos_->fijarAlineacion(c, Qt::AlignRight | Qt::AlignVCenter);
    ui->msgAlumnos->setItemDelegateForColumn(4, new DelegadoEuros(ui->msgAlumnos));
    connect(rejAlumnos_, &Rejilla::marcaCambiada, this, &frmCierreActividades::alMarcarMiembro);

    ui->fraCursos->setMaximumWidth(260);
    prepararCampoFecha(ui->dtpFechaInicio);
    prepararCampoFecha(ui->dtpFechaFin);
    connect(ui->chkFecha, &QCheckBox::toggled, this, [this](bool sinFecha) {
        ui->dtpFechaInicio->setEnabled(!sinFecha);
        ui->dtpFechaFin->setEnabled(!sinFecha);
    });
    connect(ui->cmdAceptar, &QPushButton::clicked, this, &frmCierreActividades::aplicar);
    connect(ui->cmdSeleccionar_0, &QPushButton::clicked, this, [this] { marcarTodos(true); });
    connect(ui->cmdSeleccionar_1, &QPushButton::clicked, this, [this] { marcarTodos(false); });
    connect(ui->cmdPrecios, &QPushButton::clicked, this, &frmCierreActividades::establecerPrecios);
    connect(ui->cmdProponer, &QPushButton::clicked, this, &frmCierreActividades::proponerTodo);
    connect(ui->cmdPromocionar_0, &QPushButton::clicked, this, &frmCierreActividades::promocionar);
    connect(ui->cmdPromocionar_1, &QPushButton::clicked, this, &frmCierreActividades::deshacer);
    connect(ui->cmdGuardar_0, &QPushButton::clicked, this, &frmCierreActividades::guardar);
    connect(ui->cmdGuardar_1, &QPushButton::clicked, this, &frmCierreActividades::cargarGuardados);
    connect(ui->cmdCierreActividades_0, &QPushButton::clicked, this, &frmCierreActividades::ayuda);
    connect(ui->cmdCierreActividades_1, &QPushButton::clicked, this, &frmCierreActividades::cancelar);
    connect(ui->cmdCierreActividades_2, &QPushButton::clicked, this, &frmCierreActividades::anterior);
    connect(ui->cmdCierreActividades_3, &QPushButton::clicked, this, &frmCierreActividades::finalizar);
    EnlazarEnsayo(ui->cmdEnsayar, ui->cmdCierreActividades_3);
    // The button reads "Promocionar" or "Efectuar cambios": room for both.
    ui->cmdPromocionar_0->setMinimumWidth(
        std::max(ui->cmdPromocionar_0->fontMetrics().horizontalAdvance(Texto(337)),
                 ui->cmdPromocionar_0->fontMetrics().horizontalAdvance(Texto(330))) + 28);
    // Enter in a grid or a date never presses a button of the wizard.
    for (QPushButton* b : findChildren<QPushButton*>()) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
}

frmCierreActividades::~frmCierreActividades() = default;

Conexion& frmCierreActividades::centro() const {
    const cConfiguracion* c = ConfiguracionActual();
    if (!c || !c->conLocalCentro())
        throw Error(errores::ConexionCerrada, QStringLiteral("No hay conexión con la base de datos del centro"));
    return *c->conLocalCentro();
}

std::shared_ptr<Coleccion<cCurso>> frmCierreActividades::secciones() const {
    if (secciones_) return secciones_();
    // The student page's decisions count once it has been shown.
    const ContextoAsistente& a = Asistente();
    if (a.CierreCursoE && a.CierreCursoE->SeccionesCargadas() && a.CierreAlumnos) return a.CierreAlumnos->Secciones();
    return nullptr;
}

qint32 frmCierreActividades::IDActividad() const {
    const int fila = rejActividades_->filaActual();
    return fila < 0 ? 0 : rejActividades_->datoFila(fila).toInt();
}

std::shared_ptr<cActividad> frmCierreActividades::actividadActual() const {
    return Actividades_->buscar(Coleccion<cActividad>::clave(IDActividad()));
}

long frmCierreActividades::ColoresEstado(int codigo) {
    switch (codigo) {
    case 1: return 16711680;  // blue
    case 2: return 255;       // red
    default: return 0;
    }
}

// ---------------------------------------------------------------------------
// Load

void frmCierreActividades::cargar() {
    Mostrar_ = false;
    try {
        leerActividades();
        const bool hayGuardados = actividades::hayDatosActividades(centro());

        if (const cConfiguracion* c = ConfiguracionActual(); c && !c->RutaIcono().isEmpty())
            setWindowIcon(QIcon(c->RutaIcono()));
        Botones_ = ConjuntoBotones{ui->cmdCierreActividades_0, ui->cmdCierreActividades_1, ui->cmdCierreActividades_2,
                                   ui->cmdCierreActividades_3, ui->cmdPromocionar_0,      ui->cmdPromocionar_1,
                                   ui->cmdGuardar_0,           ui->cmdGuardar_1,          ui->cmdPrecios};
        interfaz_.CargarTextos(this);
        interfaz_.Activar(Botones_, QList<bool>{true, true, true, true, true, false, false, hayGuardados, Precios_},
                          QVariant(true));
        setEstado(1);
        AnchoParaColumnas();
        Mostrar_ = true;
    } catch (const Error& e) {
        mostrarError(e);
    }
}

void frmCierreActividades::leerActividades() {
    auto carga = actividades::leerActividades(centro(), ConfiguracionActual()->intIDCentro());
    Actividades_ = carga.actividades;
    nombres_ = carga.nombres;
    NoTipos_ = carga.noTipos;
    NoCursos_ = carga.noCursos;
    llenarGridActividades();
}

void frmCierreActividades::llenarGridActividades() {
    llenandoActividades_ = true;
    rejActividades_->vaciar();
    for (const auto& a : *Actividades_) {
        const int fila = rejActividades_->agregarFila({nombres_.value(a->IDActividad())}, a->IDActividad());
        pintarActividad(fila);
    }
    llenandoActividades_ = false;
    // The first activity opens at once.
    filaActual_ = -1;
    if (rejActividades_->filas() > 0) {
        rejActividades_->fijarFilaActual(0);
        if (filaActual_ != 0) elegirActividad(0);
    }
}

void frmCierreActividades::pintarActividad(int fila) {
    if (fila < 0 || fila >= rejActividades_->filas()) return;
    const auto a = Actividades_->buscar(Coleccion<cActividad>::clave(rejActividades_->datoFila(fila).toInt()));
    PintarFilaDecidida(*rejActividades_, fila, a && a->Promocionada(), a && propuestas_.contains(a->IDActividad()));
}

// The page opens wide enough for every column of the members: at its
// designed width "Pasar", "Euros" and "Pesetas" were out of sight, and
// scrolling to them hid the names. Never wider than the screen.
void frmCierreActividades::AnchoParaColumnas() {
    if (layout()) layout()->activate();
    const QTableWidget* t = ui->msgAlumnos;
    int columnas = 0;
    for (int c = 0; c < t->columnCount(); ++c) columnas += t->columnWidth(c);
    const int falta = columnas + t->verticalScrollBar()->sizeHint().width() + 2 * t->frameWidth() - t->width();
    if (falta <= 0) return;
    int ancho = width() + falta;
    if (const QScreen* pantalla = screen()) ancho = std::min(ancho, pantalla->availableGeometry().width());
    resize(ancho, height());
}

// ---------------------------------------------------------------------------
// Opening an activity

void frmCierreActividades::elegirActividad(int fila) {
    if (llenandoActividades_ || fila < 0 || fila == filaActual_) return;
    filaActual_ = fila;
    ActividadRefrescar_ = false;
    abrirActividad();
}

void frmCierreActividades::abrirActividad() {
    const auto a = actividadActual();
    if (!a) return;
    try {
        if (!a->Promocionada()) {
            fechasDesdeBase();
            cargarMiembros();
            return;
        }
        // A proposed activity opens on its proposal without a question.
        if (!propuestas_.contains(a->IDActividad()) &&
            preguntarTexto(Texto(2184) + QLatin1Char('\n') + Texto(2188) + QLatin1Char('\n') + Texto(2189))) {
            // Started again: the prices as the school has them.
            actividades::reponerPrecios(centro(), *a);
            desmarcarActividad(*a);
            fechasDesdeBase();
            cargarMiembros();
            actualizarGuardar();
            actualizarProponer();
        } else {
            fechasDesdeActividad();
            llenarGridMiembros(*a->Alumnos(), true);
            copiarEnTrabajo(*a->Alumnos());
        }
    } catch (const Error& e) {
        mostrarError(e);
    }
}

// The activity of the current row as it stands, without asking: its
// confirmed members when promoted, else those of the database.
void frmCierreActividades::mostrarActividadActual() {
    const auto a = actividadActual();
    if (!a) return;
    if (a->Promocionada()) {
        ActividadRefrescar_ = true;
        fechasDesdeActividad();
        llenarGridMiembros(*a->Alumnos(), true);
        copiarEnTrabajo(*a->Alumnos());
    } else {
        fechasDesdeBase();
        cargarMiembros();
    }
}

void frmCierreActividades::fechasDesdeBase() {
    const auto a = actividadActual();
    if (!a) return;
    const auto f = actividades::fechasDeBase(centro(), a->IDActividad());
    if (f.validas()) {
        const QDate inicio = actividades::unAnoDespues(f.inicio), fin = actividades::unAnoDespues(f.fin);
        a->setFechaInicio(actividades::textoPantalla(inicio));
        a->setFechaFin(actividades::textoPantalla(fin));
        ui->chkFecha->setChecked(false);
        ui->dtpFechaInicio->setDate(inicio);
        ui->dtpFechaFin->setDate(fin);
    } else {
        ui->chkFecha->setChecked(true);
        ui->dtpFechaInicio->setDate(Reloj::hoy());
        ui->dtpFechaFin->setDate(Reloj::hoy());
    }
}

void frmCierreActividades::fechasDesdeActividad() {
    const auto a = actividadActual();
    if (!a) return;
    const QDate inicio = motor::fechaDeTexto(a->FechaInicio()), fin = motor::fechaDeTexto(a->FechaFin());
    const bool validas = inicio.isValid() && fin.isValid();
    // A promoted activity without dates was confirmed "Sin fecha".
    ui->chkFecha->setChecked(!validas);
    ui->dtpFechaInicio->setDate(validas ? inicio : Reloj::hoy());
    ui->dtpFechaFin->setDate(validas ? fin : Reloj::hoy());
}

void frmCierreActividades::cargarMiembros() {
    const auto a = actividadActual();
    if (!a) return;
    const auto s = secciones();
    MiembrosActividad_ = actividades::leerMiembros(centro(), a->IDActividad(), s.get());
    llenarGridMiembros(*MiembrosActividad_, false);
}

// ---------------------------------------------------------------------------
// The member grid

void frmCierreActividades::leerAnchos(int visibles) {
    const bool muchos = visibles >= 8;
    QList<AnchoColumna> anchos;
    for (const Columna& c : kColumnas)
        anchos.append({QString::fromLatin1(c.nombre), muchos ? c.defectoMuchos : c.defectoPocos});
    rejAlumnos_->leerAnchos(NombreCentroActual(), kAnchosActividades, anchos);
    anchosLeidos_ = true;
}

void frmCierreActividades::guardarAnchos() {
    if (!anchosLeidos_) return;
    QStringList nombres;
    for (const Columna& c : kColumnas) nombres << QString::fromLatin1(c.nombre);
    rejAlumnos_->guardarAnchos(NombreCentroActual(), kAnchosActividades, nombres);
}

void frmCierreActividades::llenarGridMiembros(const Coleccion<cAlumnoActividad>& miembros, bool mantenerScroll) {
    const int superior = rejAlumnos_->filaSuperior();
    guardarAnchos();
    llenandoMiembros_ = true;
    rejAlumnos_->redibujar(false);

    // The price rows in use are those of the members shown.
    bool noTipos = true, noCursos = true;
    if (const auto a = actividadActual()) {
        const auto uso = actividades::marcarPreciosEnUso(*a, miembros);
        noTipos = uso.noTipos;
        noCursos = uso.noCursos;
    }

    int visibles = 0;
    for (const auto& m : miembros) visibles += m->Visible() ? 1 : 0;
    rejAlumnos_->vaciar();
    for (const auto& m : miembros) {
        if (!m->Visible()) continue;
        m->setSeleccionado(false);
        QList<qint64> colores(ColumnaPasar + 1, -1);
        colores[ColumnaPasar] = ColoresEstado(m->Pasar() ? 1 : 2);
        rejAlumnos_->agregarFila(
            {(m->Apellido1() + QLatin1Char(' ') + m->Apellido2()).trimmed() + QStringLiteral(", ") + m->Nombre(),
             m->TipoAlumno(),
             textoUnido({m->TipoEnsenanza(), m->Curso(), m->Seccion()}), Texto(m->Pasar() ? 3179 : 3180), m->Euros(),
             m->Pesetas()},
            m->IDAlumno(), colores);
    }
    // Read once the rows are in: a default width also fits the texts shown.
    leerAnchos(visibles);
    {
        const QSignalBlocker bloqueo(rejAlumnos_);
        rejAlumnos_->fijarFilaActual(-1);
    }
    rejAlumnos_->fijarFilaSuperior(mantenerScroll ? superior : 0);
    rejAlumnos_->redibujar(true);
    llenandoMiembros_ = false;

    NoCursos_ = noCursos;
    NoTipos_ = noTipos;
    setPrecios(!(NoTipos_ && NoCursos_));
    ui->cmdAceptar->setEnabled(false);
}


void frmCierreActividades::alMarcarMiembro(int fila, bool marcada) {
    if (llenandoMiembros_) return;
    const auto m = MiembrosActividad_->buscar(Coleccion<cAlumnoActividad>::clave(rejAlumnos_->datoFila(fila).toInt()));
    if (m) m->setSeleccionado(marcada);
    ui->cmdAceptar->setEnabled(rejAlumnos_->hayMarcadas());
}

void frmCierreActividades::marcarTodos(bool marcar) {
    rejAlumnos_->redibujar(false);
    for (int fila = 0; fila < rejAlumnos_->filas(); ++fila) {
        rejAlumnos_->marcar(fila, marcar);
        alMarcarMiembro(fila, marcar);
    }
    rejAlumnos_->redibujar(true);
}

void frmCierreActividades::desmarcarTodos() {
    for (const auto& m : *MiembrosActividad_) m->setSeleccionado(false);
    for (int fila = 0; fila < rejAlumnos_->filas(); ++fila) rejAlumnos_->marcar(fila, false);
    ui->cmdAceptar->setEnabled(false);
}

void frmCierreActividades::aplicar() {
    const bool pasar = ui->optOpcion_0->isChecked();
    // The grid is filled again, its marks with it: only the members'
    // selection is cleared here.
    for (const auto& m : *MiembrosActividad_) {
        if (m->Seleccionado()) m->setPasar(pasar);
        m->setSeleccionado(false);
    }
    // As on the student page: the keyboard stays on the member it was on.
    const int fila = rejAlumnos_->filaActual();
    llenarGridMiembros(*MiembrosActividad_, true);
    rejAlumnos_->fijarFilaActual(fila);
    ui->msgAlumnos->setFocus();
}

// ---------------------------------------------------------------------------
// States

void frmCierreActividades::setNoTipos(bool valor) {
    NoTipos_ = valor;
    setPrecios(!(NoTipos_ && NoCursos_));
}

void frmCierreActividades::setNoCursos(bool valor) {
    NoCursos_ = valor;
    setPrecios(!(NoTipos_ && NoCursos_));
}

void frmCierreActividades::setPrecios(bool valor) {
    Precios_ = valor;
    ui->cmdPrecios->setEnabled(valor);
}

void frmCierreActividades::setEstado(int estado) {
    Estado_ = estado;
    // Members are marked only while the activity is being edited.
    rejAlumnos_->fijarMarcadoAlPulsar(estado == 2);
    if (estado == 1) bloquearActividades(false);
    else if (estado == 2) bloquearActividades(true);
    actualizarProponer();
}

void frmCierreActividades::actualizarProponer() {
    bool pendiente = false;
    for (const auto& a : *Actividades_) pendiente = pendiente || !a->Promocionada();
    ui->cmdProponer->setEnabled(Estado_ != 2 && pendiente);
}

void frmCierreActividades::proponerTodo() {
    if (Estado_ == 2) return;
    CursorEspera reloj;
    try {
        const auto s = secciones();
        for (qint32 id : actividades::proponerPendientes(centro(), ConfiguracionActual()->intIDCentro(), *Actividades_,
                                                         s.get()))
            propuestas_.insert(id);
        for (int f = 0; f < rejActividades_->filas(); ++f) pintarActividad(f);
        mostrarActividadActual();
        actualizarGuardar();
    } catch (const Error& e) {
        mostrarError(e);
    }
    actualizarProponer();
}

void frmCierreActividades::bloquearActividades(bool bloquear) {
    ui->optOpcion_0->setChecked(true);
    if (bloquear) {
        ui->msgActividades->setEnabled(false);
        ui->fraBloqueo->setEnabled(true);
        interfaz_.Activar(Botones_, QList<bool>{false, false, false, false, true, true, false, false, Precios_});
        PonerTexto(ui->cmdPromocionar_0, Texto(337));
        ui->cmdAceptar->setEnabled(false);
        ui->msgAlumnos->setFocus();
    } else {
        ui->msgActividades->setEnabled(true);
        ui->fraBloqueo->setEnabled(false);
        interfaz_.Activar(Botones_, 2);
        ui->cmdPrecios->setEnabled(Precios_);
        PonerTexto(ui->cmdPromocionar_0, Texto(330));
        ui->msgActividades->setFocus();
    }
}

void frmCierreActividades::actualizarGuardar() {
    bool alguna = false;
    for (const auto& a : *Actividades_) alguna = alguna || a->Promocionada();
    ui->cmdGuardar_0->setEnabled(alguna);
}

// ---------------------------------------------------------------------------
// Promoting, confirming and undoing

void frmCierreActividades::promocionar() {
    CursorEspera reloj;
    try {
        if (Estado_ == 1) {
            if (ActividadRefrescar_) {
                ActividadRefrescar_ = false;
                abrirActividad();
            }
            setEstado(2);
            return;
        }
        if (!confirmarActividad()) return;
        setEstado(1);
        ui->cmdGuardar_0->setEnabled(true);
    } catch (const Error& e) {
        mostrarError(e);
    }
}

bool frmCierreActividades::confirmarActividad() {
    const auto a = actividadActual();
    if (!a) return false;
    // The months of the new year are counted from start to end: an end
    // before the start cannot be closed.
    const bool sinFecha = ui->chkFecha->isChecked();
    if (!sinFecha && ui->dtpFechaFin->date() < ui->dtpFechaInicio->date()) {
        QApplication::restoreOverrideCursor();
        avisarTexto(QStringLiteral("La fecha de fin de la actividad no puede ser anterior a la fecha de inicio."),
                    Icono::Exclamacion);
        QApplication::setOverrideCursor(Qt::WaitCursor);
        return false;
    }
    desmarcarTodos();
    a->setFechaInicio(sinFecha ? QString() : motor::textoFechaBase(ui->dtpFechaInicio->date()));
    a->setFechaFin(sinFecha ? QString() : motor::textoFechaBase(ui->dtpFechaFin->date()));
    if (a->Promocionada()) desmarcarActividad(*a);
    propuestas_.remove(a->IDActividad());
    for (const auto& m : *MiembrosActividad_) {
        m->setSeleccionado(false);
        a->Alumnos()->Add(actividades::copiarMiembro(*m), Coleccion<cAlumnoActividad>::clave(m->IDAlumno()));
    }
    a->setPromocionada(true);
    pintarActividad(rejActividades_->filaActual());
    ActividadRefrescar_ = true;
    return true;
}

void frmCierreActividades::deshacer() {
    CursorEspera reloj;
    try {
        setEstado(1);
        desmarcarTodos();
        const auto a = actividadActual();
        if (!a) return;
        if (a->Promocionada()) {
            // The edits are dropped: the working copy is the confirmed one
            // again, so that a later edit starts from it.
            fechasDesdeActividad();
            llenarGridMiembros(*a->Alumnos(), true);
            copiarEnTrabajo(*a->Alumnos());
        } else {
            fechasDesdeBase();
            cargarMiembros();
        }
    } catch (const Error& e) {
        mostrarError(e);
    }
}

void frmCierreActividades::desmarcarActividad(cActividad& a) {
    a.setAlumnos(std::make_shared<Coleccion<cAlumnoActividad>>());
    a.setPromocionada(false);
    pintarActividad(rejActividades_->buscarFila(a.IDActividad()));
}

void frmCierreActividades::copiarEnTrabajo(const Coleccion<cAlumnoActividad>& miembros) {
    auto copia = std::make_shared<Coleccion<cAlumnoActividad>>();
    for (const auto& m : miembros) copia->Add(actividades::copiarMiembro(*m), Coleccion<cAlumnoActividad>::clave(m->IDAlumno()));
    MiembrosActividad_ = copia;
}

// ---------------------------------------------------------------------------
// Prices

void frmCierreActividades::establecerPrecios() {
    const auto a = actividadActual();
    if (!a) return;
    frmPrecioActividad precios(this);
    Asistente().PrecioActividad = &precios;
    precios.setAlumnos(MiembrosActividad_);
    precios.setTipoAlumnos(a->TipoAlumnos());
    precios.setCursos(a->Cursos());
    precios.setPreciosActividad(Precios_, NoTipos_, NoCursos_);
    precios.cargar();
    if (!precios.Mostrar()) {
        Asistente().PrecioActividad.clear();
        return;
    }
    precios.exec();
    Asistente().PrecioActividad.clear();
    if (precios.Actualizar()) llenarGridMiembros(*MiembrosActividad_, true);
}

// ---------------------------------------------------------------------------
// The student page

void frmCierreActividades::SincronizarMiembros(const Coleccion<cAlumnoActividad>& miembros) {
    if (const auto s = secciones()) actividades::sincronizarMiembros(miembros, *s);
}


void frmCierreActividades::RefrescarGrid() {
    const auto a = actividadActual();
    if (!a) return;
    try {
        // The working members too: "Promocionar" edits what the grid shows.
        if (a->Promocionada()) {
            llenarGridMiembros(*a->Alumnos(), true);
            copiarEnTrabajo(*a->Alumnos());
        } else {
            cargarMiembros();
        }
    } catch (const Error& e) {
        mostrarError(e);
    }
}

// ---------------------------------------------------------------------------
// Stored choices

void frmCierreActividades::guardar() {
    if (!PuedeEscribir() || !preguntar(3193)) return;
    CursorEspera reloj;
    interfaz_.Activar(Botones_, 0);
    ui->fraBloqueoTotal->setEnabled(false);
    try {
        actividades::guardarDatosActividades(centro(), *Actividades_);
    } catch (const Error& e) {
        QApplication::restoreOverrideCursor();
        mostrarError(e);
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ui->fraBloqueoTotal->setEnabled(true);
    interfaz_.Activar(Botones_, 2);
    ui->cmdGuardar_1->setEnabled(actividades::hayDatosActividades(centro()));
}

void frmCierreActividades::cargarGuardados() {
    if (!preguntar(3194)) return;
    CursorEspera reloj;
    interfaz_.Activar(Botones_, 0);
    ui->fraBloqueoTotal->setEnabled(false);
    const int fila = rejActividades_->filaActual();
    try {
        // The page starts again from the database; every decision in
        // memory gives way to the stored ones.
        Estado_ = 0;
        propuestas_.clear();
        leerActividades();
        const auto s = secciones();
        actividades::cargarDatosActividades(centro(), *Actividades_, s.get());
        llenandoActividades_ = true;
        for (int f = 0; f < rejActividades_->filas(); ++f) pintarActividad(f);
        if (s)
            for (const auto& a : *Actividades_)
                if (a->Promocionada()) actividades::sincronizarMiembros(*a->Alumnos(), *s);
        if (fila >= 0 && fila < rejActividades_->filas()) rejActividades_->fijarFilaActual(fila);
        llenandoActividades_ = false;
        filaActual_ = rejActividades_->filaActual();
        mostrarActividadActual();
    } catch (const Error& e) {
        llenandoActividades_ = false;
        QApplication::restoreOverrideCursor();
        mostrarError(e);
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ui->fraBloqueoTotal->setEnabled(true);
    ui->msgActividades->setEnabled(true);
    ui->fraBloqueo->setEnabled(false);
    ui->optOpcion_0->setChecked(true);
    PonerTexto(ui->cmdPromocionar_0, Texto(330));
    Estado_ = 1;
    interfaz_.Activar(Botones_, QList<bool>{true, true, true, true, true, false, true, true, Precios_}, QVariant(true));
    actualizarProponer();
}

// ---------------------------------------------------------------------------
// Wizard buttons

void frmCierreActividades::ayuda() {
    interfaz_.Activar(Botones_, 0);
    PedirAyuda(this);
    interfaz_.Activar(Botones_, 2);
}

void frmCierreActividades::cancelar() {
    if (!preguntar(2180)) return;
    if (cerrarAsistente_) cerrarAsistente_();
    else if (Asistente().CierreCursoE) Asistente().CierreCursoE->CerrarAsistente();
    else reject();
}

void frmCierreActividades::anterior() {
    guardarAnchos();
    hide();
}

bool frmCierreActividades::cerrandoAsistente() const {
    if (cerrandoAsistente_) return cerrandoAsistente_();
    const ContextoAsistente& a = Asistente();
    return a.CierreCursoE && a.CierreCursoE->CerrandoAsistente();
}

void frmCierreActividades::finalizar() {
    // Refused before any question when the closing could not be written.
    if (!PuedeEscribir()) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto s = secciones();
    const bool sinDestino = s && HayAlumnosSinDestino(*s);
    QApplication::restoreOverrideCursor();
    if (sinDestino &&
        !preguntarTexto(QStringLiteral("¡Atención! Existen alumnos promocionados o que repiten que no tienen asignado "
                                       "ningún curso o sección, si continúa el programa no pasará a estos alumnos al "
                                       "curso siguiente. ¿Desea continuar?")))
        return;
    guardarAnchos();
    if (finalizar_) finalizar_();
    else if (Asistente().CierreCursoE) Asistente().CierreCursoE->CerrarCursoEscolar();
    else accept();
}

void frmCierreActividades::closeEvent(QCloseEvent* e) {
    if (cerrandoAsistente()) {
        guardarAnchos();
        e->accept();
        return;
    }
    // The close box goes back to the previous page.
    e->ignore();
    anterior();
}


}  // namespace ncc
