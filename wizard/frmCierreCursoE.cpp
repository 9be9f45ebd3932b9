#include "wizard/frmCierreCursoE.h"
#include "ui_frmCierreCursoE.h"
#include "engine/ComprobacionesCierre.h"
#include "entry/SoloLectura.h"
#include "engine/ValidacionDecisiones.h"
#include "engine/cIFunciones.h"
#include "entry/cConfiguracion.h"
#include "platform/Error.h"
#include "platform/Mensajes.h"
#include "platform/Textos.h"
#include "platform/gui/Ayuda.h"
#include "wizard/ContextoAsistente.h"
#include "wizard/frmCierreActividades.h"
#include "wizard/frmCierreAlumnos.h"
#include "wizard/ProgresoEnsayo.h"
#include "wizard/frmProceso.h"
#include <QApplication>
#include <QIcon>
#include <QPointer>
#include <QScopeGuard>

namespace ncc {

namespace {

constexpr int NombreObligatorio = 1181;
constexpr int AbandonarAsistente = 2180;

const cConfiguracion& configuracion() {
    const cConfiguracion* c = ConfiguracionActual();
    if (!c) throw Error(errores::PropiedadNoEncontrada, QStringLiteral("No hay una sesión del centro"));
    return *c;
}

Conexion& conexionCentro() {
    Conexion* c = configuracion().conLocalCentro();
    if (!c) throw Error(errores::ConexionCerrada, QStringLiteral("No hay conexión con la base de datos del centro"));
    return *c;
}

}  // namespace

frmCierreCursoE::frmCierreCursoE(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::frmCierreCursoE>()) {
    ui_->setupUi(this);
    ui_->txtCursoPromocion->setMaxLength(LongitudNombreCurso);
    connect(ui_->cmdCierreCursoE_0, &QPushButton::clicked, this, &frmCierreCursoE::Ayuda);
    connect(ui_->cmdCierreCursoE_1, &QPushButton::clicked, this, &frmCierreCursoE::Siguiente);
    connect(ui_->cmdCierreCursoE_2, &QPushButton::clicked, this, &frmCierreCursoE::Salir);
    // The name is taken when the box loses the focus, as the other pages read it.
    connect(ui_->txtCursoPromocion, &QLineEdit::editingFinished, this,
            [this] { NuevoCursoEscolar_ = ui_->txtCursoPromocion->text().trimmed(); });
}

frmCierreCursoE::~frmCierreCursoE() = default;

void frmCierreCursoE::PrepararBotones() {
    Botones_ = ConjuntoBotones();
    Botones_.poner(0, ui_->cmdCierreCursoE_0);
    Botones_.poner(1, ui_->cmdCierreCursoE_1);
    Botones_.poner(2, ui_->cmdCierreCursoE_2);
}

void frmCierreCursoE::cargar() {
    Mostrar_ = false;
    try {
        PrepararBotones();
        const cConfiguracion& conf = configuracion();
        if (!conf.RutaIcono().isEmpty()) setWindowIcon(QIcon(conf.RutaIcono()));
        interfaz_.Activar(Botones_, 1, 1);
        interfaz_.CargarTextos(this);
        ui_->lblEtiqueta_2->setText(QStringLiteral("(*) ") + ui_->lblEtiqueta_2->text());

        const InicioCierre inicio = ComprobarInicioCierre(conf);
        Secciones_ = inicio.Secciones;
        Actividades_ = inicio.Actividades;
        if (!inicio.Mostrar) return;

        ui_->lblCentro->setText(conf.NombreCentro());
        ui_->lblCursoActual->setText(conf.CursoEscolar());
        Mostrar_ = true;
    } catch (const Error& e) {
        Mostrar_ = false;
        mostrarError(e);
    }
}

void frmCierreCursoE::Ayuda() {
    interfaz_.Activar(Botones_, 0);
    PedirAyuda(this);
    interfaz_.Activar(Botones_, 1);
}

void frmCierreCursoE::Siguiente() {
    const QString nombre = ui_->txtCursoPromocion->text().trimmed();
    if (nombre.isEmpty()) {
        avisar(NombreObligatorio, Icono::Informacion);
        ui_->txtCursoPromocion->setFocus();
        return;
    }
    // Said here, where the name is typed, not after every page.
    try {
        const cConfiguracion& conf = configuracion();
        if (conf.conLocalAppEntrada() && NombreCursoUsado(*conf.conLocalAppEntrada(), conf.intIDCentro(), nombre)) {
            avisarTexto(TextoNombreCursoUsado(nombre), Icono::Exclamacion);
            ui_->txtCursoPromocion->setFocus();
            ui_->txtCursoPromocion->selectAll();
            return;
        }
    } catch (const Error& e) {
        mostrarError(e);
        return;
    }
    NuevoCursoEscolar_ = nombre;
    interfaz_.Activar(Botones_, 0);
    if (Secciones_) CargarFormularioSecciones();
    else if (Actividades_) CargarFormularioActividades();
    if (!CerrandoAsistente_) {
        interfaz_.Activar(Botones_, 1);
        return;
    }
    done(QDialog::Accepted);
    Asistente().CierreCursoE.clear();
}

void frmCierreCursoE::Salir() {
    if (Mostrar_ && !preguntar(AbandonarAsistente)) return;
    CerrarAsistente();
    done(QDialog::Rejected);
    Asistente().CierreCursoE.clear();
}

void frmCierreCursoE::reject() {
    if (CerrandoAsistente_) QDialog::reject();
    else Salir();
}

void frmCierreCursoE::CargarFormularioSecciones() {
    MostrarPagina(Asistente().CierreAlumnos, [this] { setSeccionesCargadas(true); });
}

void frmCierreCursoE::CargarFormularioActividades() {
    MostrarPagina(Asistente().CierreActividades, [this] { setActividadesCargadas(true); });
}

void frmCierreCursoE::CerrarConArbolesPorDefecto() {
    const auto& fuente = FuenteArbolesPorDefecto();
    if (!fuente) {
        avisarTexto(QStringLiteral("Las páginas de selección de alumnos y de actividades no están disponibles."),
                    Icono::Informacion);
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        Asistente().Provisionales = fuente();
        QApplication::restoreOverrideCursor();
    } catch (const Error& e) {
        QApplication::restoreOverrideCursor();
        mostrarError(e);
        return;
    }
    // The default plan decides for every section and every activity.
    setSeccionesCargadas(Secciones_);
    setActividadesCargadas(Actividades_);
    CerrarCursoEscolar();
}

void frmCierreCursoE::CerrarAsistente() {
    CerrandoAsistente_ = true;
    ContextoAsistente& a = Asistente();
    if (ActividadesCargadas_) {
        a.PrecioActividad.clear();
        a.CierreActividades.clear();
    }
    if (SeccionesCargadas_) a.CierreAlumnos.clear();
    TerminarPaginas();
}

// The decisions of the pages pass the check that those of a plan or of the
// saved choices pass, before the last questions: what no secretary could
// have decided on the pages is never written into the new year.
bool frmCierreCursoE::DecisionesValidas(bool preguntarSinAsignar) {
    const auto secciones = SeccionesDelAsistente();
    // A student still without a decision leaves at the closing. The student
    // page asks 2191 when it confirms a section holding one; a saved set
    // loaded after he was enrolled confirms no section, so it is asked here.
    if (preguntarSinAsignar && Secciones_ && secciones && motor::HayAlumnosSinAsignar(*secciones) && !preguntar(2191))
        return false;
    motor::AlcanceValidacion alcance;
    alcance.secciones = Secciones_;
    alcance.actividades = ActividadesCargadas_;
    alcance.admiteSinAsignar = true;
    const QStringList problemas = motor::problemasDecisiones(secciones.get(), ActividadesDelAsistente().get(),
                                                             conexionCentro(), configuracion().intIDCentro(), alcance);
    if (problemas.isEmpty()) return true;
    constexpr int Mostrados = 15;
    QString texto = QStringLiteral("No se puede cerrar el curso con estas decisiones:\n\n") +
                    problemas.mid(0, Mostrados).join(QLatin1Char('\n'));
    if (problemas.size() > Mostrados) texto += QStringLiteral("\n… y %1 más").arg(problemas.size() - Mostrados);
    avisarTexto(texto, Icono::Critico);
    return false;
}

void frmCierreCursoE::CerrarCursoEscolar() {
    if (!PuedeEscribir()) return;
    try {
        if (!DecisionesValidas(true)) return;
        if (!ConfirmarInicioProceso(conexionCentro(), Actividades_, ActividadesCargadas_)) return;
    } catch (const Error& e) {
        mostrarError(e);
        return;
    }
    ContextoAsistente& a = Asistente();
    QWidget* encima = QApplication::activeModalWidget();
    QPointer<frmProceso> proceso = new frmProceso(encima ? encima : this);
    a.Proceso = proceso;
    proceso->cargar();
    if (!proceso->Mostrar()) {
        delete proceso.data();
        a.Proceso.clear();
        return;
    }
    proceso->exec();
    const bool cerrar = proceso && proceso->CerrarAsistente();
    delete proceso.data();
    a.Proceso.clear();
    if (cerrar) CerrarAsistente();
}

void frmCierreCursoE::EnsayarCierre() {
    const auto& ensayar = EnsayoDelAnfitrion();
    if (!ensayar) {
        avisar(15037, Icono::Informacion);
        return;
    }
    // The rehearsal takes the closing's lock and leaves its report beside
    // the databases.
    if (!PuedeEscribir()) return;
    // A rehearsal tries what "Finalizar" would run: the same decisions pass
    // the same check first. It asks nothing: whoever has no decision is
    // listed among the leavers of its result.
    try {
        if (!DecisionesValidas(false)) return;
    } catch (const Error& err) {
        mostrarError(err);
        return;
    }
    // The same trees and switches the runner hands to the engine.
    EnsayoAsistente e;
    if (SeccionesCargadas_) e.arboles.secciones = SeccionesDelAsistente();
    if (ActividadesCargadas_) e.arboles.actividades = ActividadesDelAsistente();
    e.nuevoCurso = NuevoCursoEscolar_;
    e.secciones = Secciones_;
    e.actividades = ActividadesCargadas_;
    QWidget* encima = QApplication::activeModalWidget();
    e.preparar = [encima](cIFunciones& motor) -> std::unique_ptr<QObject> {
        auto barra = std::make_unique<ProgresoEnsayo>(encima);
        motor.setProgreso(barra.get());
        return barra;
    };
    // The run yields to the message loop: nothing on the page may be
    // pressed meanwhile.
    ResultadoEnsayoAsistente r;
    {
        const QPointer<QWidget> pagina = encima;
        if (pagina) pagina->setEnabled(false);
        QApplication::setOverrideCursor(Qt::WaitCursor);
        // Whatever the run throws, the page is usable again.
        const auto devolver = qScopeGuard([pagina] {
            QApplication::restoreOverrideCursor();
            if (pagina) pagina->setEnabled(true);
        });
        try {
            r = ensayar(e);
        } catch (const Error& err) {
            r.texto = err.descripcion();
        }
    }
    avisarTexto(r.texto, r.correcto ? Icono::Informacion : Icono::Critico);
    OfrecerAbrirInforme(r.informe);
}

}  // namespace ncc
