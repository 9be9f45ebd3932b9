// Pictures of the activity page (an activity being edited, and the page
// after a load of stored choices when the school has them) and of the price
// page in euros and in pesetas. Nothing of the school changes.
#include "app/Capturas.h"
#include "app/ManejoVentanas.h"
#include "entry/cConfiguracion.h"
#include "platform/Conexion.h"
#include "platform/gui/Rejilla.h"
#include "wizard/ContextoAsistente.h"
#include "wizard/DatosActividades.h"
#include "wizard/frmCierreActividades.h"
#include "wizard/frmPrecioActividad.h"
#include <QAbstractButton>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableWidget>

namespace ncc::app {

namespace {

// The activity of the page with the most members, opened.
void abrirLaMayor(frmCierreActividades& pagina) {
    Rejilla* actividades = rejilla(&pagina, "msgActividades");
    actividades->fijarFilaActual(filaDeLaMayorActividad(actividades, rejilla(&pagina, "msgAlumnos")));
}

void capturarPrecios(Capturador& c, frmCierreActividades& pagina, bool enPesetas) {
    cConfiguracion* conf = ConfiguracionActual();
    const bool antes = conf->Pesetas();
    conf->setPesetas(enPesetas);
    const auto a = pagina.Actividades()->Item(QString::number(pagina.IDActividad()));
    frmPrecioActividad precios(&pagina);
    precios.setAlumnos(a->Alumnos());
    precios.setTipoAlumnos(a->TipoAlumnos());
    precios.setCursos(a->Cursos());
    precios.setPreciosActividad(pagina.Precios(), pagina.NoTipos(), pagina.NoCursos());
    precios.cargar();
    if (precios.Mostrar()) {
        // One price applied to the first row, another typed and not yet applied.
        auto* importe = precios.findChild<QLineEdit*>(QStringLiteral("txtPrecio"));
        Rejilla* filas = rejilla(&precios, "msgPrecio_0");
        if (filas && filas->filas() > 0) {
            importe->setText(enPesetas ? QStringLiteral("5907") : QStringLiteral("35,5"));
            filas->fijarFilaActual(0);
            emit filas->marcaCambiada(0, true);
            filas->marcar(0, true);
            pulsar(&precios, "cmdAceptar");
            if (filas->filas() > 1) {
                filas->marcar(1, true);
                emit filas->marcaCambiada(1, true);
            }
        }
        importe->setText(enPesetas ? QStringLiteral("4160") : QStringLiteral("25"));
        precios.resize(560, 420);
        precios.show();
        c.guardar(&precios, enPesetas ? QStringLiteral("frmPrecioActividad_pesetas") : QStringLiteral("frmPrecioActividad_euros"));
        precios.hide();
    }
    conf->setPesetas(antes);
}

void capturarActividades(Capturador& c) {
    ReiniciarAsistente();
    Conexion* centro = ConfiguracionActual()->conLocalCentro();
    if (!centro) return;
    c.fijarPrefijo(QStringLiteral("frmCierreActividades"));
    {
        frmCierreActividades pagina;
        pagina.cargar();
        if (!pagina.Mostrar()) return;
        pagina.resize(1000, 620);
        pagina.show();
        abrirLaMayor(pagina);
        // Editing it: everybody passes but the first two, who are marked.
        pulsar(&pagina, "cmdPromocionar_0");
        pulsar(&pagina, "cmdSeleccionar_0");
        pulsar(&pagina, "cmdAceptar");
        Rejilla* alumnos = rejilla(&pagina, "msgAlumnos");
        for (int f = 0; f < 2 && f < alumnos->filas(); ++f) {
            alumnos->marcar(f, true);
            emit alumnos->marcaCambiada(f, true);
        }
        if (auto* baja = pagina.findChild<QRadioButton*>(QStringLiteral("optOpcion_1"))) baja->setChecked(true);
        c.guardar(&pagina, QStringLiteral("frmCierreActividades"));
        pulsar(&pagina, "cmdAceptar");
        pulsar(&pagina, "cmdPromocionar_0");

        capturarPrecios(c, pagina, false);
        capturarPrecios(c, pagina, true);

        // "Proponer todo": the other activities proposed, the one above
        // confirmed.
        pulsar(&pagina, "cmdProponer");
        c.guardar(&pagina, QStringLiteral("frmCierreActividades_propuesta"));

        // The page after "Cargar datos actividades", when the school has a
        // stored set: the capture writes nothing to the school.
        if (actividades::hayDatosActividades(*centro)) {
            if (auto* cargar = pagina.findChild<QAbstractButton*>(QStringLiteral("cmdGuardar_1"))) cargar->setEnabled(true);
            pulsar(&pagina, "cmdGuardar_1");
            c.guardar(&pagina, QStringLiteral("frmCierreActividades_cargado"));
        }
        pagina.hide();
    }
    ReiniciarAsistente();
}

const RegistroCaptura registro({"frmCierreActividades", capturarActividades});

}  // namespace

}  // namespace ncc::app
