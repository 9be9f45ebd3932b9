#include "wizard/frmCierreActividades.h"
#include "ui_frmCierreActividades.h"
#include "engine/PurgaFechas.h"
#include "entry/cConfiguracion.h"
#include "entry/cPrecioActividad.h"
#include "platform/Ajustes.h"
#include "platform/Conexion.h"
#include "platform/Mensajes.h"
#include "platform/Reloj.h"
#include "platform/Textos.h"
#include "wizard/DatosActividades.h"
#include "wizard/LecturaActividades.h"
#include "wizard/frmPrecioActividad.h"
#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QScrollBar>

namespace ncc {

namespace {

const QString kSeccionAnchos = QStringLiteral("CierreActividades");
constexpr int TwipsPorPixel = 15;
const QColor kAmarillo(255, 255, 0);

// Rows of the button table.
enum FilaBoton { Ayuda, Cancelar, Anterior, Finalizar, Promocionar, Deshacer, Guardar, Cargar, PreciosBoton };

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

QString nombreCentro() {
    const cConfiguracion* c = ConfiguracionActual();
    return c ? c->NombreCentro() : QString();
}

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

    auto* ra = ui->msgActividades;
    ra->setColumnCount(1);
    auto* titulo = new QTableWidgetItem(Texto(3170));
    titulo->setData(Qt::UserRole, 3170);
    ra->setHorizontalHeaderItem(0, titulo);
    ra->horizontalHeader()->setStretchLastSection(true);
    ra->verticalHeader()->hide();
    ra->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ra->setSelectionBehavior(QAbstractItemView::SelectRows);
    ra->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(ra, &QTableWidget::currentCellChanged, this,
            [this](int fila, int, int, int) { elegirActividad(fila); });

    auto* rm = ui->msgAlumnos;
    rm->setColumnCount(6);
    for (int c = 0; c < 6; ++c) {
        auto* t = new QTableWidgetItem(Texto(kColumnas[c].titulo));
        t->setData(Qt::UserRole, kColumnas[c].titulo);
        rm->setHorizontalHeaderItem(c, t);
    }
    rm->verticalHeader()->hide();
    rm->setEditTriggers(QAbstractItemView::NoEditTriggers);
    rm->setSelectionMode(QAbstractItemView::NoSelection);
    connect(rm, &QTableWidget::cellClicked, this, [this](int fila, int) { alternarMiembro(fila); });
    rm->installEventFilter(this);

    ui->fraCursos->setMaximumWidth(260);
    ui->dtpFechaInicio->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    ui->dtpFechaFin->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    connect(ui->chkFecha, &QCheckBox::toggled, this, [this](bool sinFecha) {
        ui->dtpFechaInicio->setEnabled(!sinFecha);
        ui->dtpFechaFin->setEnabled(!sinFecha);
    });
    connect(ui->cmdAceptar, &QPushButton::clicked, this, &frmCierreActividades::aplicar);
    connect(ui->cmdSeleccionar_0, &QPushButton::clicked, this, [this] { marcarTodos(true); });
    connect(ui->cmdSeleccionar_1, &QPushButton::clicked, this, [this] { marcarTodos(false); });
    connect(ui->cmdPrecios, &QPushButton::clicked, this, &frmCierreActividades::establecerPrecios);
    connect(ui->cmdPromocionar_0, &QPushButton::clicked, this, &frmCierreActividades::promocionar);
    connect(ui->cmdPromocionar_1, &QPushButton::clicked, this, &frmCierreActividades::deshacer);
    connect(ui->cmdGuardar_0, &QPushButton::clicked, this, &frmCierreActividades::guardar);
    connect(ui->cmdGuardar_1, &QPushButton::clicked, this, &frmCierreActividades::cargarGuardados);
    connect(ui->cmdCierreActividades_0, &QPushButton::clicked, this, &frmCierreActividades::ayuda);
    connect(ui->cmdCierreActividades_1, &QPushButton::clicked, this, &frmCierreActividades::cancelar);
    connect(ui->cmdCierreActividades_2, &QPushButton::clicked, this, &frmCierreActividades::anterior);
    connect(ui->cmdCierreActividades_3, &QPushButton::clicked, this, &frmCierreActividades::finalizar);
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
    return secciones_ ? secciones_() : nullptr;
}

qint32 frmCierreActividades::IDActividad() const {
    const int fila = ui->msgActividades->currentRow();
    if (fila < 0 || !ui->msgActividades->item(fila, 0)) return 0;
    return ui->msgActividades->item(fila, 0)->data(Qt::UserRole).toInt();
}

std::shared_ptr<cActividad> frmCierreActividades::actividadActual() const {
    return Actividades_->buscar(Coleccion<cActividad>::clave(IDActividad()));
}

QColor frmCierreActividades::ColoresEstado(int codigo) {
    switch (codigo) {
    case 1: return QColor(0, 0, 255);
    case 2: return QColor(255, 0, 0);
    default: return QColor(0, 0, 0);
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
    auto* r = ui->msgActividades;
    llenandoActividades_ = true;
    r->setRowCount(0);
    for (const auto& a : *Actividades_) {
        const int fila = r->rowCount();
        r->insertRow(fila);
        auto* celda = new QTableWidgetItem(nombres_.value(a->IDActividad()));
        celda->setData(Qt::UserRole, a->IDActividad());
        r->setItem(fila, 0, celda);
        pintarActividad(fila);
    }
    llenandoActividades_ = false;
    // The first activity opens at once.
    filaActual_ = -1;
    if (r->rowCount() > 0) {
        r->setCurrentCell(0, 0);
        if (filaActual_ != 0) elegirActividad(0);
    }
}

void frmCierreActividades::pintarActividad(int fila) {
    QTableWidgetItem* celda = ui->msgActividades->item(fila, 0);
    if (!celda) return;
    const auto a = Actividades_->buscar(Coleccion<cActividad>::clave(celda->data(Qt::UserRole).toInt()));
    celda->setBackground(a && a->Promocionada() ? QBrush(kAmarillo) : ui->msgActividades->palette().base());
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
        if (preguntarTexto(Texto(2184) + QLatin1Char('\n') + Texto(2188) + QLatin1Char('\n') + Texto(2189))) {
            for (const auto& precios : {a->TipoAlumnos(), a->Cursos()})
                for (const auto& p : *precios) {
                    p->setEuros(QString());
                    p->setPesetas(QString());
                    p->setVisible(false);
                }
            desmarcarActividad(*a);
            fechasDesdeBase();
            cargarMiembros();
            actualizarGuardar();
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
    for (int c = 0; c < 6; ++c) {
        const int defecto = muchos ? kColumnas[c].defectoMuchos : kColumnas[c].defectoPocos;
        const int twips =
            Ajustes::leer(nombreCentro(), kSeccionAnchos, QString::fromLatin1(kColumnas[c].nombre), defecto).toInt();
        ui->msgAlumnos->setColumnWidth(c, qMax(20, twips / TwipsPorPixel));
    }
    anchosLeidos_ = true;
}

void frmCierreActividades::guardarAnchos() {
    if (!anchosLeidos_) return;
    for (int c = 0; c < 6; ++c)
        Ajustes::escribir(nombreCentro(), kSeccionAnchos, QString::fromLatin1(kColumnas[c].nombre),
                          ui->msgAlumnos->columnWidth(c) * TwipsPorPixel);
}

void frmCierreActividades::llenarGridMiembros(const Coleccion<cAlumnoActividad>& miembros, bool mantenerScroll) {
    auto* r = ui->msgAlumnos;
    const int scroll = r->verticalScrollBar()->value();
    guardarAnchos();
    llenandoMiembros_ = true;
    r->setUpdatesEnabled(false);

    // The price rows in use are those of the members shown.
    bool noTipos = true, noCursos = true;
    if (const auto a = actividadActual()) {
        const auto uso = actividades::marcarPreciosEnUso(*a, miembros);
        noTipos = uso.noTipos;
        noCursos = uso.noCursos;
    }

    int visibles = 0;
    for (const auto& m : miembros) visibles += m->Visible() ? 1 : 0;
    r->setRowCount(0);
    r->setRowCount(visibles);
    leerAnchos(visibles);
    int fila = 0;
    for (const auto& m : miembros) {
        if (!m->Visible()) continue;
        m->setSeleccionado(false);
        const QString textos[] = {m->Apellido1() + QLatin1Char(' ') + m->Apellido2() + QStringLiteral(", ") + m->Nombre(),
                                  m->TipoAlumno(),
                                  textoUnido({m->TipoEnsenanza(), m->Curso(), m->Seccion()}),
                                  Texto(m->Pasar() ? 3179 : 3180),
                                  m->Euros(),
                                  m->Pesetas()};
        for (int c = 0; c < 6; ++c) {
            auto* celda = new QTableWidgetItem(textos[c]);
            if (c >= 4) celda->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (c == ColumnaPasar) celda->setTextAlignment(Qt::AlignCenter);
            r->setItem(fila, c, celda);
        }
        r->item(fila, 0)->setData(Qt::UserRole, m->IDAlumno());
        pintarMiembro(fila, *m);
        ++fila;
    }
    r->setCurrentCell(-1, -1);
    if (mantenerScroll) r->verticalScrollBar()->setValue(scroll);
    else r->scrollToTop();
    r->setUpdatesEnabled(true);
    llenandoMiembros_ = false;

    NoCursos_ = noCursos;
    NoTipos_ = noTipos;
    setPrecios(!(NoTipos_ && NoCursos_));
    ui->cmdAceptar->setEnabled(false);
}

void frmCierreActividades::pintarMiembro(int fila, const cAlumnoActividad& m) {
    auto* r = ui->msgAlumnos;
    const QPalette& pal = r->palette();
    for (int c = 0; c < 6; ++c) {
        QTableWidgetItem* celda = r->item(fila, c);
        if (!celda) continue;
        if (m.Seleccionado()) {
            celda->setBackground(pal.highlight());
            celda->setForeground(pal.highlightedText());
        } else {
            celda->setBackground(pal.base());
            celda->setForeground(c == ColumnaPasar ? QBrush(ColoresEstado(m.Pasar() ? 1 : 2)) : pal.text());
        }
    }
}

void frmCierreActividades::alternarMiembro(int fila) {
    if (llenandoMiembros_ || Estado_ != 2) return;
    QTableWidgetItem* celda = ui->msgAlumnos->item(fila, 0);
    if (!celda) return;
    const auto m = MiembrosActividad_->buscar(Coleccion<cAlumnoActividad>::clave(celda->data(Qt::UserRole).toInt()));
    if (!m) return;
    m->setSeleccionado(!m->Seleccionado());
    pintarMiembro(fila, *m);
    bool alguno = false;
    for (const auto& x : *MiembrosActividad_) alguno = alguno || (x->Visible() && x->Seleccionado());
    ui->cmdAceptar->setEnabled(alguno);
}

void frmCierreActividades::marcarTodos(bool marcar) {
    auto* r = ui->msgAlumnos;
    r->setUpdatesEnabled(false);
    for (int fila = 0; fila < r->rowCount(); ++fila) {
        const auto m =
            MiembrosActividad_->buscar(Coleccion<cAlumnoActividad>::clave(r->item(fila, 0)->data(Qt::UserRole).toInt()));
        if (m && m->Seleccionado() != marcar) alternarMiembro(fila);
    }
    r->setUpdatesEnabled(true);
}

void frmCierreActividades::desmarcarTodos() {
    for (const auto& m : *MiembrosActividad_) m->setSeleccionado(false);
    auto* r = ui->msgAlumnos;
    for (int fila = 0; fila < r->rowCount(); ++fila) {
        const auto m =
            MiembrosActividad_->buscar(Coleccion<cAlumnoActividad>::clave(r->item(fila, 0)->data(Qt::UserRole).toInt()));
        if (m) pintarMiembro(fila, *m);
    }
    ui->cmdAceptar->setEnabled(false);
}

void frmCierreActividades::aplicar() {
    const bool pasar = ui->optOpcion_0->isChecked();
    for (const auto& m : *MiembrosActividad_)
        if (m->Seleccionado()) m->setPasar(pasar);
    desmarcarTodos();
    llenarGridMiembros(*MiembrosActividad_, true);
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
    if (estado == 1) bloquearActividades(false);
    else if (estado == 2) bloquearActividades(true);
}

void frmCierreActividades::bloquearActividades(bool bloquear) {
    ui->optOpcion_0->setChecked(true);
    if (bloquear) {
        ui->msgActividades->setEnabled(false);
        ui->fraBloqueo->setEnabled(true);
        interfaz_.Activar(Botones_, QList<bool>{false, false, false, false, true, true, false, false, Precios_});
        ui->cmdPromocionar_0->setText(Texto(337));
        ui->cmdAceptar->setEnabled(false);
    } else {
        ui->msgActividades->setEnabled(true);
        ui->fraBloqueo->setEnabled(false);
        interfaz_.Activar(Botones_, 2);
        ui->cmdPrecios->setEnabled(Precios_);
        ui->cmdPromocionar_0->setText(Texto(330));
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
    for (const auto& m : *MiembrosActividad_) {
        m->setSeleccionado(false);
        a->Alumnos()->Add(actividades::copiarMiembro(*m), Coleccion<cAlumnoActividad>::clave(m->IDAlumno()));
    }
    a->setPromocionada(true);
    pintarActividad(ui->msgActividades->currentRow());
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
    for (int fila = 0; fila < ui->msgActividades->rowCount(); ++fila)
        if (ui->msgActividades->item(fila, 0)->data(Qt::UserRole).toInt() == a.IDActividad()) pintarActividad(fila);
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
    precios.setAlumnos(MiembrosActividad_);
    precios.setTipoAlumnos(a->TipoAlumnos());
    precios.setCursos(a->Cursos());
    precios.setPreciosActividad(Precios_, NoTipos_, NoCursos_);
    precios.cargar();
    if (!precios.Mostrar()) return;
    precios.exec();
    if (precios.Actualizar()) llenarGridMiembros(*MiembrosActividad_, true);
}

// ---------------------------------------------------------------------------
// The student page

void frmCierreActividades::SincronizarMiembros(const Coleccion<cAlumnoActividad>& miembros) {
    if (const auto s = secciones()) actividades::sincronizarMiembros(miembros, *s);
}

void frmCierreActividades::SincronizarAlumnos(const Coleccion<cAlumno>& alumnos) {
    QList<std::shared_ptr<cActividad>> tocadas;
    for (const auto& al : alumnos) {
        const QStringList ids = al->Actividades().split(QLatin1Char(','), Qt::SkipEmptyParts);
        for (const QString& id : ids) {
            const auto a = Actividades_->buscar(id.trimmed());
            if (!a || !a->Promocionada()) continue;
            const auto m = a->Alumnos()->buscar(Coleccion<cAlumnoActividad>::clave(al->IDAlumno()));
            if (!m) continue;
            m->setTipoEnsenanza(al->NTipoEnsenanza());
            m->setIDCurso(al->NIDCurso());
            m->setCurso(al->NCurso());
            m->setSeccion(al->NSeccion());
            m->setVisible(!al->Baja());
            if (!tocadas.contains(a)) tocadas << a;
        }
    }
    for (const auto& a : tocadas) actividades::marcarPreciosEnUso(*a, *a->Alumnos());
}

void frmCierreActividades::RefrescarGrid() {
    const auto a = actividadActual();
    if (!a) return;
    try {
        if (a->Promocionada()) llenarGridMiembros(*a->Alumnos(), true);
        else cargarMiembros();
    } catch (const Error& e) {
        mostrarError(e);
    }
}

// ---------------------------------------------------------------------------
// Stored choices

void frmCierreActividades::guardar() {
    if (!preguntar(3193)) return;
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
    const int fila = ui->msgActividades->currentRow();
    try {
        // The page starts again from the database; every decision in
        // memory gives way to the stored ones.
        Estado_ = 0;
        leerActividades();
        const auto s = secciones();
        actividades::cargarDatosActividades(centro(), *Actividades_, s.get());
        llenandoActividades_ = true;
        for (int f = 0; f < ui->msgActividades->rowCount(); ++f) pintarActividad(f);
        if (s)
            for (const auto& a : *Actividades_)
                if (a->Promocionada()) actividades::sincronizarMiembros(*a->Alumnos(), *s);
        if (fila >= 0 && fila < ui->msgActividades->rowCount()) ui->msgActividades->setCurrentCell(fila, 0);
        llenandoActividades_ = false;
        filaActual_ = ui->msgActividades->currentRow();
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
    ui->cmdPromocionar_0->setText(Texto(330));
    Estado_ = 1;
    interfaz_.Activar(Botones_, QList<bool>{true, true, true, true, true, false, true, true, Precios_}, QVariant(true));
}

// ---------------------------------------------------------------------------
// Wizard buttons

void frmCierreActividades::ayuda() {
    interfaz_.Activar(Botones_, 0);
    QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QApplication::sendEvent(this, &f1);
    interfaz_.Activar(Botones_, 2);
}

void frmCierreActividades::cancelar() {
    if (!preguntar(2180)) return;
    if (cerrarAsistente_) cerrarAsistente_();
    else reject();
}

void frmCierreActividades::anterior() {
    guardarAnchos();
    hide();
}

bool frmCierreActividades::hayAlumnosSinDestino() const {
    const auto s = secciones();
    if (!s) return false;
    for (const auto& seccion : *s) {
        if (!seccion->Promocionada()) continue;
        for (const auto& al : *seccion->Alumnos())
            if ((al->Promociona() || al->Repite()) && al->NIDTipoEnsenanza() == 0 && al->NIDCurso() == 0 &&
                al->NIDSeccion() == 0)
                return true;
    }
    return false;
}

void frmCierreActividades::finalizar() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool sinDestino = hayAlumnosSinDestino();
    QApplication::restoreOverrideCursor();
    if (sinDestino &&
        !preguntarTexto(QStringLiteral("¡Atención! Existen alumnos promocionados o que repiten que no tienen asignado "
                                       "ningún curso o sección, si continúa el programa no pasará a estos alumnos al "
                                       "curso siguiente. ¿Desea continuar?")))
        return;
    guardarAnchos();
    if (finalizar_) finalizar_();
    else accept();
}

void frmCierreActividades::closeEvent(QCloseEvent* e) {
    if (cerrandoAsistente_ && cerrandoAsistente_()) {
        guardarAnchos();
        e->accept();
        return;
    }
    // The close box goes back to the previous page.
    e->ignore();
    anterior();
}

bool frmCierreActividades::eventFilter(QObject* o, QEvent* e) {
    if (o == ui->msgAlumnos && e->type() == QEvent::KeyPress) {
        auto* tecla = static_cast<QKeyEvent*>(e);
        if (tecla->key() == Qt::Key_Space) {
            alternarMiembro(ui->msgAlumnos->currentRow());
            return true;
        }
    }
    return QDialog::eventFilter(o, e);
}

}  // namespace ncc
