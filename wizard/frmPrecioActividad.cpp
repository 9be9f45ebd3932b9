#include "wizard/frmPrecioActividad.h"
#include "wizard/DelegadoEuros.h"
#include "ui_frmPrecioActividad.h"
#include "entry/cConfiguracion.h"
#include "platform/Ajustes.h"
#include "platform/Mensajes.h"
#include "platform/Textos.h"
#include "platform/gui/Rejilla.h"
#include "entry/Moneda.h"
#include <QEvent>
#include <QIcon>
#include <QRegularExpressionValidator>
#include <QTimer>

namespace ncc {

namespace {

const QString kAnchosPrecios = QStringLiteral("PrecioActividades");

}  // namespace

frmPrecioActividad::frmPrecioActividad(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmPrecioActividad>()) {
    ui->setupUi(this);
    for (int tipo : {0, 1}) {
        auto* r = new Rejilla(tipo == 0 ? ui->msgPrecio_0 : ui->msgPrecio_1);
        rejillas_[tipo] = r;
        r->fijarColumnasPorTexto({tipo == 0 ? 4170 : 4171, 4172, 4173});
        r->tabla()->setItemDelegateForColumn(1, new DelegadoEuros(r->tabla()));
        r->fijarMarcadoAlPulsar(true);
        connect(r, &Rejilla::marcaCambiada, this, [this, tipo](int fila, bool marcada) { alMarcar(tipo, fila, marcada); });
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
    for (QPushButton* b : findChildren<QPushButton*>()) b->setAutoDefault(false);
}

frmPrecioActividad::~frmPrecioActividad() = default;

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
    rejilla(0)->tabla()->setVisible(tipo == 0);
    rejilla(1)->tabla()->setVisible(tipo == 1);
    ui->cmdAceptar->setEnabled(haySeleccion());
    ui->cmdLimpiar->setEnabled(haySeleccion());
}

bool frmPrecioActividad::haySeleccion() const {
    for (const auto& p : *precios(tipo_))
        if (p->Visible() && p->Seleccionado()) return true;
    return false;
}

void frmPrecioActividad::leerAnchos(int tipo) {
    Rejilla* r = rejilla(tipo);
    const QString primera = tipo == 0 ? QStringLiteral("TipoAlumno") : QStringLiteral("Curso");
    r->leerAnchos(NombreCentroActual(), kAnchosPrecios,
                  {{primera, r->filas() >= 7 ? 3292 : 3532}, {QStringLiteral("Euros"), 1000}, {QStringLiteral("Pesetas"), 1000}});
    anchosLeidos_[tipo] = true;
}

void frmPrecioActividad::guardarAnchos() {
    // Each grid whose widths were read and that has rows in use; Euros and
    // Pesetas are shared, so the grid in view says them last.
    for (int tipo : {1 - tipo_, tipo_}) {
        Rejilla* r = rejilla(tipo);
        if (!anchosLeidos_[tipo] || r->filas() == 0) continue;
        const QString primera = tipo == 0 ? QStringLiteral("TipoAlumno") : QStringLiteral("Curso");
        r->guardarAnchos(NombreCentroActual(), kAnchosPrecios, {primera, QStringLiteral("Euros"), QStringLiteral("Pesetas")});
    }
}

void frmPrecioActividad::llenarRejilla(int tipo) {
    Rejilla* r = rejilla(tipo);
    llenando_ = true;
    r->redibujar(false);
    r->vaciar();
    for (const auto& p : *precios(tipo)) {
        p->setSeleccionado(false);
        if (!p->Visible()) continue;
        const int fila = r->agregarFila({p->Nombre(), p->Euros(), p->Pesetas()}, int(p->ID()));
        for (int c : {1, 2}) r->tabla()->item(fila, c)->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    leerAnchos(tipo);
    r->redibujar(true);
    llenando_ = false;
    if (tipo == tipo_) {
        ui->cmdAceptar->setEnabled(false);
        ui->cmdLimpiar->setEnabled(false);
    }
}

void frmPrecioActividad::alMarcar(int tipo, int fila, bool marcada) {
    if (llenando_) return;
    const auto p = precios(tipo)->buscar(QString::number(rejilla(tipo)->datoFila(fila).toInt()));
    if (p) p->setSeleccionado(marcada);
    ui->cmdAceptar->setEnabled(haySeleccion());
    ui->cmdLimpiar->setEnabled(haySeleccion());
}

void frmPrecioActividad::marcarTodas(bool marcar) {
    Rejilla* r = rejilla(tipo_);
    r->redibujar(false);
    for (int fila = 0; fila < r->filas(); ++fila) {
        r->marcar(fila, marcar);
        alMarcar(tipo_, fila, marcar);
    }
    r->redibujar(true);
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
    ponerPrecio(euros, pesetas);
}

void frmPrecioActividad::limpiar() { ponerPrecio(QString(), QString()); }

void frmPrecioActividad::ponerPrecio(const QString& euros, const QString& pesetas) {
    for (const auto& p : *precios(tipo_))
        if (p->Visible() && p->Seleccionado()) {
            p->setEuros(euros);
            p->setPesetas(pesetas);
            p->setCambiado(true);
        }
    guardarAnchos();
    llenarRejilla(tipo_);
}

void frmPrecioActividad::aceptar() {
    // A row the secretary priced reaches every member of its course or
    // type, shown or not; one she cleared takes back what it gave. A row
    // left as the school had it gives nothing: members keep their own
    // prices.
    if (Alumnos_) {
        for (const auto& p : *precios(tipo_)) {
            if (!p->Cambiado()) continue;
            const bool quitado = p->Euros().isEmpty() && p->Pesetas().isEmpty();
            auto& anteriores = p->PreciosAnteriores();
            for (const auto& m : *Alumnos_) {
                const int clave = tipo_ == 1 ? int(m->IDCurso()) : int(m->IDTipoAlumno());
                if (clave != p->ID()) continue;
                if (quitado) {
                    if (const auto it = anteriores.constFind(m->IDAlumno()); it != anteriores.constEnd()) {
                        m->setEuros(it->first);
                        m->setPesetas(it->second);
                    }
                    continue;
                }
                if (!anteriores.contains(m->IDAlumno())) anteriores.insert(m->IDAlumno(), {m->Euros(), m->Pesetas()});
                m->setEuros(p->Euros());
                m->setPesetas(p->Pesetas());
            }
            if (quitado) anteriores.clear();
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
    // Entering the box selects the amount, so that typing replaces it.
    if (o == ui->txtPrecio && e->type() == QEvent::FocusIn)
        QTimer::singleShot(0, ui->txtPrecio, &QLineEdit::selectAll);
    return QDialog::eventFilter(o, e);
}

}  // namespace ncc
