#include "wizard/ContextoAsistente.h"
#include "wizard/frmCierreActividades.h"
#include "wizard/frmCierreAlumnos.h"
#include "wizard/frmCierreCursoE.h"
#include "platform/Mensajes.h"
#include "platform/Textos.h"
#include <QDesktopServices>
#include <QDir>
#include <QUrl>

namespace ncc {

ContextoAsistente& Asistente() {
    static ContextoAsistente c;
    return c;
}

void ReiniciarAsistente() {
    ContextoAsistente& c = Asistente();
    c.CierreParcial = false;
    c.CierreCursoE.clear();
    c.CierreAlumnos.clear();
    c.CierreActividades.clear();
    c.PrecioActividad.clear();
    c.Proceso.clear();
    c.Provisionales = {};
    c.PaginasAbiertas.clear();
}

std::function<ArbolesCierre()>& FuenteArbolesPorDefecto() {
    static std::function<ArbolesCierre()> f;
    return f;
}

std::function<QString(const motor::EstadoMotor&)>& InformeTrasCierre() {
    static std::function<QString(const motor::EstadoMotor&)> f;
    return f;
}

std::function<void(const motor::EstadoMotor&)>& AnotarAntesDelCierre() {
    static std::function<void(const motor::EstadoMotor&)> f;
    return f;
}

std::function<ResultadoEnsayoAsistente(const EnsayoAsistente&)>& EnsayoDelAnfitrion() {
    static std::function<ResultadoEnsayoAsistente(const EnsayoAsistente&)> f;
    return f;
}

namespace {

class EspejoHabilitado : public QObject {
public:
    EspejoHabilitado(QWidget* origen, QWidget* copia) : QObject(origen), copia_(copia) {
        copia_->setEnabled(origen->isEnabled());
        origen->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::EnabledChange && copia_) copia_->setEnabled(static_cast<QWidget*>(o)->isEnabled());
        return false;
    }

private:
    QPointer<QWidget> copia_;
};

}  // namespace

void EnlazarEnsayo(QPushButton* ensayar, QPushButton* finalizar) {
    QObject::connect(ensayar, &QPushButton::clicked, ensayar, [] {
        if (const QPointer<frmCierreCursoE> inicio = Asistente().CierreCursoE) inicio->EnsayarCierre();
    });
    new EspejoHabilitado(finalizar, ensayar);
}

QString PreguntaAbrirInforme(const QString& ruta) {
    return Texto(16001) + QStringLiteral("\n") + QDir::toNativeSeparators(ruta) + QStringLiteral("\n\n") + Texto(16002);
}

void OfrecerAbrirInforme(const QString& ruta) {
    if (ruta.isEmpty()) return;
    if (preguntarTexto(PreguntaAbrirInforme(ruta), Icono::Pregunta, Respuesta::Si) &&
        !QDesktopServices::openUrl(QUrl::fromLocalFile(ruta)))
        // No program of the desktop opens it: she still learns where it is.
        avisarTexto(TextoInformeSinVisor(ruta), Icono::Informacion);
}

QString TextoInformeSinVisor(const QString& ruta) {
    return Texto(17504) + QStringLiteral("\n") + QDir::toNativeSeparators(ruta);
}

// The student and activity pages plug in here: once they exist, these
// read their Secciones() and Actividades() when their page was shown.
std::shared_ptr<Coleccion<cCurso>> SeccionesDelAsistente() {
    const ContextoAsistente& a = Asistente();
    if (a.CierreAlumnos && a.CierreCursoE && a.CierreCursoE->SeccionesCargadas()) return a.CierreAlumnos->Secciones();
    return a.Provisionales.secciones;
}

std::shared_ptr<Coleccion<cActividad>> ActividadesDelAsistente() {
    const ContextoAsistente& a = Asistente();
    if (a.CierreActividades && a.CierreCursoE && a.CierreCursoE->ActividadesCargadas())
        return a.CierreActividades->Actividades();
    return a.Provisionales.actividades;
}

}  // namespace ncc

namespace ncc {

void TerminarPaginas() {
    QList<QPointer<QDialog>>& paginas = Asistente().PaginasAbiertas;
    for (qsizetype i = paginas.size() - 1; i >= 0; --i) {
        QPointer<QDialog> p = paginas.at(i);
        if (!p) continue;
        if (p->isVisible()) p->done(QDialog::Rejected);
        else delete p.data();
    }
    paginas.clear();
}

}  // namespace ncc
