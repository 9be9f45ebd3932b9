// The first page of the closing report, the rehearsal's result as the
// wizard shows it, and the question that offers the report. A capture
// changes nothing of the school, so the closing behind them is a rehearsal:
// the default plan run on throw-away copies of the school, whose report is
// read before the copies go and drawn straight into the picture.
#include "app/Capturas.h"
#include "app/Comandos.h"
#include "entry/cAsignarDatos.h"
#include "entry/cConfiguracion.h"
#include "host/EnsayoCierre.h"
#include "host/InformeCierre.h"
#include "host/InformePdf.h"
#include "host/Plan.h"
#include "platform/Textos.h"
#include "wizard/ContextoAsistente.h"
#include <QDir>

namespace ncc::app {

namespace {

void capturarInforme(Capturador& c) {
    cConfiguracion* conf = ConfiguracionActual();
    if (!conf || !conf->conLocalCentro()) return;
    host::Plan plan = host::planPorDefecto(*conf->conLocalCentro(), conf->intIDCentro());
    host::encajarEnCentro(plan, *conf->conLocalCentro(), conf->intIDCentro());
    host::sincronizarActividades(plan, *conf->conLocalCentro());
    host::DecisionesEnsayo d;
    d.arboles = plan.arboles;
    const QString nuevo = cursoSiguiente(conf->CursoEscolar());
    d.nuevoCurso = nuevo.isEmpty() ? conf->CursoEscolar() + QStringLiteral(" (nuevo)") : nuevo;
    d.informe = false;  // no rehearsal report is left beside the school
    host::DatosInforme datos;
    // The report as a real closing writes it, without the rehearsal's banner.
    const host::ResultadoEnsayo r =
        host::ensayarCierre(d, [&datos](const motor::EstadoMotor& e, const host::ResumenCierre& resumen) {
            datos = host::leerInforme(e, false, &resumen);
        });
    const QString titulo = Texto(TituloProducto);
    c.guardarMensaje(Mensaje{r.texto(false), r.correcto ? Icono::Informacion : Icono::Critico, Botones::Aceptar,
                             Respuesta::Aceptar, titulo},
                     QStringLiteral("Ensayo_resultado"));
    if (!r.correcto) return;
    c.guardarImagen(host::paginaInforme(datos, 1), QStringLiteral("InformeCierre"));
    const QString ruta = QDir(host::carpetaInforme(*conf)).filePath(host::nombreInforme(conf->CursoEscolar(), false));
    c.guardarMensaje(Mensaje{PreguntaAbrirInforme(ruta), Icono::Pregunta, Botones::SiNo, Respuesta::Si, titulo},
                     QStringLiteral("frmProceso_informe"));
}

const RegistroCaptura registro({"InformeCierre", capturarInforme});

}  // namespace

}  // namespace ncc::app
