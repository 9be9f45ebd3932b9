#include "wizard/frmProceso.h"
#include "ui_frmProceso.h"
#include "entry/cConfiguracion.h"
#include "platform/Error.h"
#include "platform/Mensajes.h"
#include "platform/Textos.h"
#include "wizard/ContextoAsistente.h"
#include "wizard/frmCierreCursoE.h"
#include <QApplication>
#include <QIcon>
#include <QMetaProperty>
#include <algorithm>
#include <cmath>

namespace ncc {

namespace {
constexpr int ErrorCrearCurso = 2181;
constexpr int ProcesoRealizado = 2182;
// The host's sign that the school year changed.
constexpr int CursoCambiado = -100;
}  // namespace

// The engine's bar on a Qt progress bar. The engine may set the value
// before the maximum; the bar keeps the numbers and shows them clamped.
class frmProceso::Barra : public Progreso {
public:
    explicit Barra(QProgressBar* b) : b_(b) {}
    void setMin(float v) override { min_ = v; pintar(); }
    float Max() const override { return max_; }
    void setMax(float v) override { max_ = v; pintar(); }
    float Value() const override { return valor_; }
    void setValue(float v) override { valor_ = v; pintar(); }

private:
    void pintar() {
        const int minimo = int(std::lround(min_));
        const int maximo = std::max(minimo, int(std::lround(max_)));
        b_->setRange(minimo, maximo);
        b_->setValue(std::clamp(int(std::lround(valor_)), minimo, maximo));
    }
    QProgressBar* b_;
    float min_ = 0, max_ = 100, valor_ = 0;
};

class frmProceso::Etiqueta : public Porcentaje {
public:
    explicit Etiqueta(QLabel* l) : l_(l) {}
    void setCaption(const QString& t) override { l_->setText(t); }

private:
    QLabel* l_;
};

frmProceso::frmProceso(QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::frmProceso>()) {
    ui_->setupUi(this);
    barra_ = std::make_unique<Barra>(ui_->pgrProgreso);
    etiqueta_ = std::make_unique<Etiqueta>(ui_->lblProgreso);
    // The frame of the inner loops comes and goes without the window
    // changing its size.
    QSizePolicy sp = ui_->fraHistorico->sizePolicy();
    sp.setRetainSizeWhenHidden(true);
    ui_->fraHistorico->setSizePolicy(sp);
    ui_->fraHistorico->hide();
    // No close box: the closing cannot be left half done.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    connect(&mobjCierreCurso_, &cIFunciones::IniciarProgreso, this,
            [this](long& max, QString& texto) { IniciarProgreso(max, texto); });
    connect(&mobjCierreCurso_, &cIFunciones::AumentarProgreso, this, &frmProceso::AumentarProgreso);
    connect(&mobjCierreCurso_, &cIFunciones::CerrarProgreso, this, &frmProceso::CerrarProgreso);
}

frmProceso::~frmProceso() = default;

void frmProceso::cargar() {
    Mostrar_ = false;
    try {
        const cConfiguracion* conf = ConfiguracionActual();
        if (!conf) throw Error(errores::PropiedadNoEncontrada, QStringLiteral("No hay una sesión del centro"));
        frmCierreCursoE* inicio = Asistente().CierreCursoE;
        if (!inicio)
            throw Error(errores::PropiedadNoEncontrada, QStringLiteral("El asistente de cierre no está abierto"));
        if (!conf->RutaIcono().isEmpty()) setWindowIcon(QIcon(conf->RutaIcono()));
        cIInterface().CargarTextos(this);
        setWindowTitle(windowTitle() + QLatin1Char(' ') + conf->CursoEscolar());

        if (inicio->SeccionesCargadas())
            if (auto s = SeccionesDelAsistente()) mobjCierreCurso_.setColSecciones(s);
        if (inicio->ActividadesCargadas())
            if (auto a = ActividadesDelAsistente()) mobjCierreCurso_.setcolActividades(a);
        mobjCierreCurso_.setProgreso(barra_.get());
        mobjCierreCurso_.setPorcentaje(etiqueta_.get());
        mobjCierreCurso_.setNuevoCursoEscolar(inicio->NuevoCursoEscolar());
        mobjCierreCurso_.setProcesarActividades(inicio->ActividadesCargadas());
        mobjCierreCurso_.setProcesarSecciones(inicio->Secciones());
        mobjCierreCurso_.setAntesDeCambiar(AnotarAntesDelCierre());
        Mostrar_ = true;
    } catch (const Error& e) {
        mostrarError(e);
    }
}

void frmProceso::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (iniciado_) return;
    iniciado_ = true;
    // The run starts once the window is on the screen.
    QMetaObject::invokeMethod(this, &frmProceso::Ejecutar, Qt::QueuedConnection);
}

void frmProceso::reject() {
    if (terminado_) QDialog::reject();
}

void frmProceso::Ejecutar() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    repaint();
    const bool correcto = mobjCierreCurso_.TransferirDatos();
    QApplication::restoreOverrideCursor();
    if (!correcto) {
        if (!mobjCierreCurso_.Cancelado()) {
            avisar(ErrorCrearCurso, Icono::Critico);
            ui_->lblProgreso->setText(QStringLiteral("0%"));
        }
        CerrarAsistente_ = false;
    } else {
        // Registered, but its backups still there: the closing is not done
        // until the next start removes them, and must not say it is.
        if (mobjCierreCurso_.Pendiente())
            avisarTexto(QStringLiteral("El nuevo curso está registrado, pero el cierre no ha podido borrar sus copias "
                                       "de seguridad; terminará la próxima vez que se abra el programa."),
                        Icono::Exclamacion);
        else
            avisar(ProcesoRealizado, Icono::Informacion);
        OfrecerInforme();
        AvisarAlAnfitrion();
        // The closing is done whatever the host said.
        CerrarAsistente_ = true;
    }
    terminado_ = true;
    done(correcto ? QDialog::Accepted : QDialog::Rejected);
}

void frmProceso::OfrecerInforme() {
    const auto& escribir = InformeTrasCierre();
    if (!escribir) return;
    QString ruta;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        ruta = escribir(mobjCierreCurso_.estado());
    } catch (const Error& e) {
        QApplication::restoreOverrideCursor();
        mostrarError(e);
        return;
    } catch (const std::exception& e) {
        // The closing stands; only its report is missing.
        QApplication::restoreOverrideCursor();
        mostrarError(errores::Archivo, QString::fromLocal8Bit(e.what()));
        return;
    }
    QApplication::restoreOverrideCursor();
    OfrecerAbrirInforme(ruta);
}

void frmProceso::AvisarAlAnfitrion() {
    try {
        const cConfiguracion* conf = ConfiguracionActual();
        QObject* sesion = conf ? conf->DatosSesion() : nullptr;
        if (!sesion) throw Error(91, QStringLiteral("Variable de objeto no establecida: no hay sesión"));
        const int indice = sesion->metaObject()->indexOfProperty("lngRowData");
        if (indice < 0 || !sesion->metaObject()->property(indice).write(sesion, QVariant(CursoCambiado)))
            throw Error(errores::PropiedadNoEncontrada,
                        QStringLiteral("El objeto de sesión no admite la propiedad lngRowData"));
    } catch (const Error& e) {
        mostrarError(e);
    } catch (const std::exception& e) {
        mostrarError(errores::PropiedadNoEncontrada, QString::fromLocal8Bit(e.what()));
    }
}

void frmProceso::IniciarProgreso(long lngValorMax, const QString& strTexto) {
    ui_->fraHistorico->setTitle(strTexto);
    ui_->lblHistorico->setText(QStringLiteral("1/") + QString::number(lngValorMax));
    ui_->prgHistorico->setRange(0, int(std::max(1L, lngValorMax)));
    ui_->prgHistorico->setValue(int(std::min(1L, lngValorMax)));
    ui_->fraHistorico->show();
    repaint();
}

void frmProceso::AumentarProgreso() {
    QProgressBar* b = ui_->prgHistorico;
    if (b->value() + 1 > b->maximum()) return;
    b->setValue(b->value() + 1);
    ui_->lblHistorico->setText(QString::number(b->value()) + QLatin1Char('/') + QString::number(b->maximum()));
    ui_->fraHistorico->show();
    ui_->fraHistorico->raise();
    repaint();
}

void frmProceso::CerrarProgreso() { ui_->fraHistorico->hide(); }

}  // namespace ncc
