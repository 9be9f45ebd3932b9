// Pictures of the closing wizard's start page, runner and rehearsal bar,
// and of the messages of the start checks and of the start of the closing.
#include "app/Capturas.h"
#include "engine/ComprobacionesCierre.h"
#include "entry/cConfiguracion.h"
#include "platform/Textos.h"
#include "wizard/ContextoAsistente.h"
#include "wizard/ProgresoEnsayo.h"
#include "wizard/frmCierreCursoE.h"
#include "wizard/frmProceso.h"
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRegularExpression>

namespace ncc::app {

namespace {

Mensaje pregunta(const QString& texto, Icono icono = Icono::Pregunta, Respuesta defecto = Respuesta::No) {
    return Mensaje{texto, icono, Botones::SiNo, defecto, Texto(TituloProducto)};
}

Mensaje aviso(int id, Icono icono) { return Mensaje{Texto(id), icono, Botones::Aceptar, Respuesta::Aceptar, Texto(TituloProducto)}; }

// The year after "2025/2026", as a secretary would type it.
QString siguiente(const QString& actual) {
    static const QRegularExpression re(QStringLiteral("^(\\d{4})/(\\d{4})$"));
    const auto m = re.match(actual.trimmed());
    if (!m.hasMatch()) return QStringLiteral("2026/2027");
    return QStringLiteral("%1/%2").arg(m.captured(1).toInt() + 1).arg(m.captured(2).toInt() + 1);
}

void capturarInicio(Capturador& c) {
    ReiniciarAsistente();
    // The checks of the load run on the school; their questions become
    // pictures and are answered Yes.
    frmCierreCursoE inicio;
    Asistente().CierreCursoE = &inicio;
    inicio.cargar();
    if (auto* txt = inicio.findChild<QLineEdit*>(QStringLiteral("txtCursoPromocion")))
        txt->setText(siguiente(ConfiguracionActual()->CursoEscolar()));
    inicio.show();
    c.guardar(&inicio, QStringLiteral("frmCierreCursoE"));
    inicio.hide();

    // The messages that this school did not give.
    const QString p = QStringLiteral("frmCierreCursoE_");
    c.guardarMensaje(aviso(2193, Icono::Informacion), p + QStringLiteral("2193"));
    c.guardarMensaje(pregunta(Texto(1183), Icono::Critico, Respuesta::Si), p + QStringLiteral("1183"));
    c.guardarMensaje(pregunta(Texto(1182)), p + QStringLiteral("1182"));
    c.guardarMensaje(pregunta(Texto(1180)), p + QStringLiteral("1180"));
    c.guardarMensaje(aviso(1181, Icono::Informacion), p + QStringLiteral("1181"));
    c.guardarMensaje(pregunta(Texto(2180)), p + QStringLiteral("2180"));
    c.guardarMensaje(pregunta(Texto(1185)), p + QStringLiteral("1185"));
    c.guardarMensaje(pregunta(Texto(1186)), p + QStringLiteral("1186"));
    c.guardarMensaje(pregunta(PreguntaCierreParcial()), p + QStringLiteral("parcial"));

    // The runner in the middle of a run, never shown: showing it would
    // start the closing.
    frmProceso proceso(&inicio);
    proceso.cargar();
    proceso.findChild<QProgressBar*>(QStringLiteral("pgrProgreso"))->setRange(0, 15);
    proceso.findChild<QProgressBar*>(QStringLiteral("pgrProgreso"))->setValue(7);
    proceso.findChild<QLabel*>(QStringLiteral("lblProgreso"))->setText(QStringLiteral("46%"));
    proceso.IniciarProgreso(12, QStringLiteral("Proceso de Paso de Datos a Histórico"));
    for (int i = 0; i < 4; ++i) proceso.AumentarProgreso();
    c.guardar(&proceso, QStringLiteral("frmProceso"));
    const QString q = QStringLiteral("frmProceso_");
    c.guardarMensaje(Mensaje{Texto(2181), Icono::Critico, Botones::Aceptar, Respuesta::Aceptar, Texto(TituloProducto)},
                     q + QStringLiteral("2181"));
    c.guardarMensaje(aviso(2182, Icono::Informacion), q + QStringLiteral("2182"));

    // The rehearsal's bar over the page, half way through its run.
    ProgresoEnsayo ensayo(&inicio);
    ensayo.setValue(7);
    c.guardar(ensayo.ventana(), QStringLiteral("frmEnsayo"));
    Asistente().CierreCursoE.clear();
}

const RegistroCaptura registro({"frmCierreCursoE", capturarInicio});

}  // namespace

}  // namespace ncc::app
