#include "wizard/frmPrecioActividad.h"
#include "ui_frmPrecioActividad.h"
#include "entry/cConfiguracion.h"
#include "platform/Ajustes.h"
#include "platform/Mensajes.h"
#include "platform/Textos.h"
#include "wizard/Moneda.h"
#include <QEvent>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QRegularExpressionValidator>
#include <QTimer>

namespace ncc {

namespace {

const QString kSeccionAnchos = QStringLiteral("PrecioActividades");
// Widths are kept in twips, as the suite kept them.
constexpr int TwipsPorPixel = 15;

QString nombreCentro() {
    const cConfiguracion* c = ConfiguracionActual();
    return c ? c->NombreCentro() : QString();
}

}  // namespace

frmPrecioActividad::frmPrecioActividad(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmPrecioActividad>()) {
    ui->setupUi(this);
    for (int tipo : {0, 1}) {
        QTableWidget* r = rejilla(tipo);
        r->setColumnCount(3);
        const int titulos[] = {tipo == 0 ? 4170 : 4171, 4172, 4173};
        for (int c = 0; c < 3; ++c) {
            auto* cabecera = new QTableWidgetItem(Texto(titulos[c]));
            cabecera->setData(Qt::UserRole, titulos[c]);
            r->setHorizontalHeaderItem(c, cabecera);
        }
        r->verticalHeader()->hide();
        r->setEditTriggers(QAbstractItemView::NoEditTriggers);
        r->setSelectionMode(QAbstractItemView::NoSelection);
        r->setFocusPolicy(Qt::StrongFocus);
        r->horizontalHeader()->setStretchLastSection(true);
        connect(r, &QTableWidget::cellClicked, this, [this](int fila, int) { alternarFila(fila); });
        r->installEventFilter(this);
    }
    connect(ui->optOpcion_0, &QRadioButton::clicked, this, [this] { elegirTipo(0); });
    connect(ui->optOpcion_1, &QRadioButton::clicked, this, [this] { elegirTipo(1); });
    connect(ui->txtPrecio, &QLineEdit::textChanged, this, &frmPrecioActividad::cambiarPrecio);
    connect(ui->cmdAceptar, &QPushButton::clicked, this, &frmPrecioActividad::aplicar);
    connect(ui->cmdLimpiar, &QPushButton::clicked, this, &frmPrecioActividad::limpiar);
    connect(ui->cmdSeleccionar_0, &QPushButton::clicked, this, [this] { marcarTodas(true); });
    connect(ui->cmdSeleccionar_1, &QPushButton::clicked, this, [this] { marcarTodas(false); });
    connect(ui->cmdPrecioActividad_0, &QPushButton::clicked, this, &frmPrecioActividad::aceptar);
    connect(ui->cmdPrecioActividad_1, &QPushButton::clicked, this, &QDialog::reject);
    ui->txtPrecio->installEventFilter(this);
    ui->cmdAceptar->setEnabled(false);
    ui->cmdLimpiar->setEnabled(false);
}

frmPrecioActividad::~frmPrecioActividad() = default;

QTableWidget* frmPrecioActividad::rejilla(int tipo) const { return tipo == 0 ? ui->msgPrecio_0 : ui->msgPrecio_1; }

bool frmPrecioActividad::enPesetas() const {
    const cConfiguracion* c = ConfiguracionActual();
    return c && c->Pesetas();
}

void frmPrecioActividad::setPreciosActividad(bool precios, bool noTipos, bool noCursos) {
    Precios_ = precios;
    NoTipos_ = noTipos;
    NoCursos_ = noCursos;
}

void frmPrecioActividad::cargar() {
    Mostrar_ = false;
    try {
        if (const cConfiguracion* c = ConfiguracionActual(); c && !c->RutaIcono().isEmpty())
            setWindowIcon(QIcon(c->RutaIcono()));
        interfaz_.CargarTextos(this);
        if (!Precios_) return;
        ui->optOpcion_0->setEnabled(!NoTipos_);
        ui->optOpcion_1->setEnabled(!NoCursos_);
        const int tipo = NoTipos_ ? 1 : 0;
        (tipo == 0 ? ui->optOpcion_0 : ui->optOpcion_1)->setChecked(true);

        // The amount is typed in the session's currency: whole pesetas, or
        // euros with at most four whole digits and two decimals after a comma.
        ui->txtPrecio->setMaxLength(LongitudPrecio);
        const QRegularExpression patron(enPesetas() ? QStringLiteral("\\d*")
                                                    : QStringLiteral("\\d{0,%1}(,\\d{0,2})?").arg(DigitosEnterosEuros));
        ui->txtPrecio->setValidator(new QRegularExpressionValidator(patron, ui->txtPrecio));
        ui->lblDato_0->setText(Texto(enPesetas() ? 4175 : 4174));
        ui->lblDato_1->setText(Texto(enPesetas() ? 4174 : 4175));
        ui->txtPrecio->setText(QStringLiteral("0"));
        cambiarPrecio();

        llenarRejilla(0);
        llenarRejilla(1);
        elegirTipo(tipo);
        Mostrar_ = true;
    } catch (const Error& e) {
        mostrarError(e);
    }
}

void frmPrecioActividad::elegirTipo(int tipo) {
    tipo_ = tipo;
    rejilla(0)->setVisible(tipo == 0);
    rejilla(1)->setVisible(tipo == 1);
    ui->cmdAceptar->setEnabled(haySeleccion());
    ui->cmdLimpiar->setEnabled(haySeleccion());
}

bool frmPrecioActividad::haySeleccion() const {
    for (const auto& p : *precios(tipo_))
        if (p->Visible() && p->Seleccionado()) return true;
    return false;
}

void frmPrecioActividad::leerAnchos(int tipo) {
    QTableWidget* r = rejilla(tipo);
    const QString primera = tipo == 0 ? QStringLiteral("TipoAlumno") : QStringLiteral("Curso");
    const int defecto = r->rowCount() >= 7 ? 3292 : 3532;
    const int anchos[] = {Ajustes::leer(nombreCentro(), kSeccionAnchos, primera, defecto).toInt(),
                          Ajustes::leer(nombreCentro(), kSeccionAnchos, QStringLiteral("Euros"), 1000).toInt(),
                          Ajustes::leer(nombreCentro(), kSeccionAnchos, QStringLiteral("Pesetas"), 1000).toInt()};
    r->horizontalHeader()->setStretchLastSection(false);
    for (int c = 0; c < 3; ++c) r->setColumnWidth(c, qMax(20, anchos[c] / TwipsPorPixel));
    anchosLeidos_[tipo] = true;
}

void frmPrecioActividad::guardarAnchos() {
    // Each grid whose widths were read and that has rows in use.
    for (int tipo : {0, 1}) {
        QTableWidget* r = rejilla(tipo);
        if (!anchosLeidos_[tipo] || r->rowCount() == 0) continue;
        const QString primera = tipo == 0 ? QStringLiteral("TipoAlumno") : QStringLiteral("Curso");
        Ajustes::escribir(nombreCentro(), kSeccionAnchos, primera, r->columnWidth(0) * TwipsPorPixel);
        if (tipo != tipo_) continue;  // Euros and Pesetas are shared: the grid in view says them
        Ajustes::escribir(nombreCentro(), kSeccionAnchos, QStringLiteral("Euros"), r->columnWidth(1) * TwipsPorPixel);
        Ajustes::escribir(nombreCentro(), kSeccionAnchos, QStringLiteral("Pesetas"), r->columnWidth(2) * TwipsPorPixel);
    }
}

void frmPrecioActividad::llenarRejilla(int tipo) {
    QTableWidget* r = rejilla(tipo);
    llenando_ = true;
    r->setUpdatesEnabled(false);
    r->setRowCount(0);
    for (const auto& p : *precios(tipo)) {
        p->setSeleccionado(false);
        if (!p->Visible()) continue;
        const int fila = r->rowCount();
        r->insertRow(fila);
        const QString textos[] = {p->Nombre(), p->Euros(), p->Pesetas()};
        for (int c = 0; c < 3; ++c) {
            auto* celda = new QTableWidgetItem(textos[c]);
            if (c > 0) celda->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            r->setItem(fila, c, celda);
        }
        r->item(fila, 0)->setData(Qt::UserRole, int(p->ID()));
        pintarFila(r, fila, false);
    }
    leerAnchos(tipo);
    r->setUpdatesEnabled(true);
    llenando_ = false;
    if (tipo == tipo_) {
        ui->cmdAceptar->setEnabled(false);
        ui->cmdLimpiar->setEnabled(false);
    }
}

void frmPrecioActividad::pintarFila(QTableWidget* r, int fila, bool marcada) {
    const QPalette& pal = r->palette();
    for (int c = 0; c < r->columnCount(); ++c)
        if (QTableWidgetItem* celda = r->item(fila, c)) {
            celda->setBackground(marcada ? pal.highlight() : pal.base());
            celda->setForeground(marcada ? pal.highlightedText() : pal.text());
        }
}

void frmPrecioActividad::alternarFila(int fila) {
    if (llenando_) return;
    QTableWidget* r = rejilla(tipo_);
    if (fila < 0 || fila >= r->rowCount()) return;
    const auto p = precios(tipo_)->buscar(QString::number(r->item(fila, 0)->data(Qt::UserRole).toInt()));
    if (!p) return;
    p->setSeleccionado(!p->Seleccionado());
    pintarFila(r, fila, p->Seleccionado());
    ui->cmdAceptar->setEnabled(haySeleccion());
    ui->cmdLimpiar->setEnabled(haySeleccion());
}

void frmPrecioActividad::marcarTodas(bool marcar) {
    QTableWidget* r = rejilla(tipo_);
    r->setUpdatesEnabled(false);
    for (int fila = 0; fila < r->rowCount(); ++fila) {
        const auto p = precios(tipo_)->buscar(QString::number(r->item(fila, 0)->data(Qt::UserRole).toInt()));
        if (p && p->Seleccionado() != marcar) alternarFila(fila);
    }
    r->setUpdatesEnabled(true);
}

void frmPrecioActividad::cambiarPrecio() {
    if (ui->txtPrecio->text().isEmpty()) {
        ui->txtPrecio->setText(QStringLiteral("0"));
        ui->txtPrecio->selectAll();
        return;  // the change of text comes back here
    }
    const QString t = ui->txtPrecio->text();
    if (enPesetas()) {
        const auto p = leerPesetas(t);
        ui->lblPrecioAux->setText(p ? AEuros(*p) : QString());
    } else {
        const auto e = leerEuros(t);
        ui->lblPrecioAux->setText(e ? APesetas(*e) : QString());
    }
}

void frmPrecioActividad::aplicar() {
    // The amount as the session's currency reads it; the stored texts are
    // those of the amount, never what happened to be in the box.
    QString euros, pesetas;
    if (enPesetas()) {
        const auto p = leerPesetas(ui->txtPrecio->text());
        if (!p) {
            avisarTexto(QStringLiteral("El precio «%1» no es un importe válido en pesetas: escriba solo cifras, "
                                       "sin decimales ni puntos.")
                            .arg(ui->txtPrecio->text()),
                        Icono::Exclamacion);
            ui->txtPrecio->setFocus();
            return;
        }
        pesetas = QString::number(*p);
        euros = AEuros(*p);
    } else {
        const auto e = leerEuros(ui->txtPrecio->text());
        if (!e) {
            avisarTexto(QStringLiteral("El precio «%1» no es un importe válido en euros: escriba hasta cuatro cifras "
                                       "enteras y, tras una coma, hasta dos decimales (por ejemplo 35,50).")
                            .arg(ui->txtPrecio->text()),
                        Icono::Exclamacion);
            ui->txtPrecio->setFocus();
            return;
        }
        euros = textoEuros(*e);
        pesetas = APesetas(*e);
    }
    for (const auto& p : *precios(tipo_))
        if (p->Visible() && p->Seleccionado()) {
            p->setEuros(euros);
            p->setPesetas(pesetas);
        }
    guardarAnchos();
    llenarRejilla(tipo_);
}

void frmPrecioActividad::limpiar() {
    for (const auto& p : *precios(tipo_))
        if (p->Visible() && p->Seleccionado()) {
            p->setEuros(QString());
            p->setPesetas(QString());
        }
    guardarAnchos();
    llenarRejilla(tipo_);
}

void frmPrecioActividad::aceptar() {
    // Every row that has a price reaches every member of its course or
    // type, shown or not; a row never priced leaves the members' prices
    // alone instead of blanking them.
    if (Alumnos_) {
        for (const auto& p : *precios(tipo_)) {
            if (p->Euros().isEmpty() && p->Pesetas().isEmpty()) continue;
            for (const auto& m : *Alumnos_) {
                const int clave = tipo_ == 1 ? int(m->IDCurso()) : int(m->IDTipoAlumno());
                if (clave != p->ID()) continue;
                m->setEuros(p->Euros());
                m->setPesetas(p->Pesetas());
            }
        }
    }
    Actualizar_ = true;
    accept();
}

void frmPrecioActividad::done(int resultado) {
    guardarAnchos();
    QDialog::done(resultado);
}

bool frmPrecioActividad::eventFilter(QObject* o, QEvent* e) {
    if (o == ui->txtPrecio && e->type() == QEvent::FocusIn)
        QTimer::singleShot(0, ui->txtPrecio, &QLineEdit::selectAll);
    if ((o == ui->msgPrecio_0 || o == ui->msgPrecio_1) && e->type() == QEvent::KeyPress) {
        auto* tecla = static_cast<QKeyEvent*>(e);
        if (tecla->key() == Qt::Key_Space) {
            alternarFila(rejilla(tipo_)->currentRow());
            return true;
        }
    }
    return QDialog::eventFilter(o, e);
}

}  // namespace ncc
