// Pictures of the student page: the sections, a section being decided with
// students of the three decisions and some marked, the destination chosen,
// the proposal of "Proponer todo", the page after a load of stored choices,
// and its messages.
#include "app/Capturas.h"
#include "app/ManejoVentanas.h"
#include "entry/cConfiguracion.h"
#include "platform/Conexion.h"
#include "platform/Textos.h"
#include "platform/gui/Rejilla.h"
#include "wizard/ContextoAsistente.h"
#include "wizard/SeleccionAlumnos.h"
#include "wizard/frmCierreAlumnos.h"
#include <QComboBox>
#include <QDateEdit>
#include <QHash>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>

namespace ncc::app {

namespace {

Mensaje pregunta(const QString& texto) {
    return Mensaje{texto, Icono::Pregunta, Botones::SiNo, Respuesta::No, Texto(TituloProducto)};
}

// The first section row of the grid with at least `minimo` students, else
// the first one.
int seccionConAlumnos(frmCierreAlumnos& p, int minimo) {
    auto* grid = p.findChild<QTableWidget*>(QStringLiteral("msgSecciones"));
    auto* rejilla = grid->findChild<Rejilla*>();
    int primera = -1;
    for (int f = 0; f < rejilla->filas(); ++f) {
        if (rejilla->esEncabezado(f)) continue;
        if (primera < 0) primera = f;
        const auto s = p.Secciones()->buscar(rejilla->datoFila(f).toString());
        if (!s) continue;
        rejilla->fijarFilaActual(f);
        if (p.AlumnosSeccion() && p.AlumnosSeccion()->Count() >= minimo) return f;
    }
    rejilla->fijarFilaActual(primera);
    return primera;
}

void marcar(QTableWidget* alumnos, const QList<int>& filas) {
    auto* rejilla = alumnos->findChild<Rejilla*>();
    for (int f : filas)
        if (f < rejilla->filas()) {
            alumnos->setCurrentCell(f, 0);
            rejilla->marcar(f, true);
            emit rejilla->marcaCambiada(f, true);
        }
}

void capturarAlumnos(Capturador& c) {
    cConfiguracion* conf = ConfiguracionActual();
    if (!conf || !conf->conLocalCentro()) return;
    ReiniciarAsistente();
    c.fijarPrefijo(QStringLiteral("frmCierreAlumnos"));

    frmCierreAlumnos pagina;
    if (!pagina.cargar()) return;
    pagina.resize(980, 660);
    pagina.show();
    c.guardar(&pagina, QStringLiteral("frmCierreAlumnos"));

    // A section of some size being decided: some repeat, one leaves, the
    // rest are promoted to the next course; two are marked.
    seccionConAlumnos(pagina, 10);
    auto* alumnos = pagina.findChild<QTableWidget*>(QStringLiteral("msgAlumnos"));
    pulsar(&pagina, "cmdPromocionar_0");
    marcar(alumnos, {1, 4});
    pagina.findChild<QRadioButton*>(QStringLiteral("optOpcion_1"))->click();
    pulsar(&pagina, "cmdAceptar");
    marcar(alumnos, {2});
    pagina.findChild<QRadioButton*>(QStringLiteral("optOpcion_2"))->click();
    pulsar(&pagina, "cmdAceptar");
    QList<int> resto;
    for (int f = 0; f < alumnos->rowCount(); ++f)
        if (f != 1 && f != 4 && f != 2) resto << f;
    marcar(alumnos, resto);
    pagina.findChild<QRadioButton*>(QStringLiteral("optOpcion_0"))->click();
    auto* tipos = pagina.findChild<QComboBox*>(QStringLiteral("cboActas_0"));
    auto* cursos = pagina.findChild<QComboBox*>(QStringLiteral("cboActas_1"));
    auto* secciones = pagina.findChild<QComboBox*>(QStringLiteral("cboActas_2"));
    // The course after the section's own: its own selected by Repite, then
    // one further down the list.
    pagina.findChild<QRadioButton*>(QStringLiteral("optOpcion_1"))->click();
    pagina.findChild<QRadioButton*>(QStringLiteral("optOpcion_0"))->click();
    if (cursos->currentIndex() + 1 < cursos->count()) cursos->setCurrentIndex(cursos->currentIndex() + 1);
    else if (tipos->currentIndex() + 1 < tipos->count()) {
        tipos->setCurrentIndex(tipos->currentIndex() + 1);
        if (cursos->count() > 1) cursos->setCurrentIndex(1);
    }
    if (secciones->count() > 1) secciones->setCurrentIndex(1);
    c.guardar(&pagina, QStringLiteral("frmCierreAlumnos_destino"));
    pulsar(&pagina, "cmdAceptar");
    marcar(alumnos, {0, 3});
    c.guardar(&pagina, QStringLiteral("frmCierreAlumnos_seccion"));
    pulsar(&pagina, "cmdPromocionar_1");

    // "Proponer todo", then one proposed section looked at and confirmed:
    // the list tells the proposed sections from the confirmed one.
    pulsar(&pagina, "cmdProponer");
    seccionConAlumnos(pagina, 2);
    pulsar(&pagina, "cmdPromocionar_0");
    pulsar(&pagina, "cmdPromocionar_0");
    c.guardar(&pagina, QStringLiteral("frmCierreAlumnos_propuesta"));

    // The messages of the page.
    const QString p = QStringLiteral("frmCierreAlumnos_");
    c.guardarMensaje(pregunta(Texto(2190)), p + QStringLiteral("2190"));
    c.guardarMensaje(Mensaje{Texto(2196), Icono::Exclamacion, Botones::Aceptar, Respuesta::Aceptar, Texto(TituloProducto)},
                     p + QStringLiteral("2196"));
    c.guardarMensaje(pregunta(Texto(2184) + QLatin1Char('\n') + Texto(2188) + QLatin1Char('\n') + Texto(2189)),
                     p + QStringLiteral("2184"));
    c.guardarMensaje(pregunta(Texto(2191)), p + QStringLiteral("2191"));
    c.guardarMensaje(pregunta(Texto(2194)), p + QStringLiteral("2194"));
    c.guardarMensaje(pregunta(Texto(2195)), p + QStringLiteral("2195"));
    c.guardarMensaje(pregunta(QStringLiteral(
                         "¡Atención! Existen alumnos promocionados o que repiten que no tienen asignado ningún curso o "
                         "sección, si continúa el programa no pasará a estos alumnos al curso siguiente. ¿Desea continuar?")),
                     p + QStringLiteral("sin_destino"));
    c.guardarMensaje(Mensaje{Texto(2185), Icono::Informacion, Botones::Aceptar, Respuesta::Aceptar, Texto(TituloProducto)},
                     p + QStringLiteral("2185"));
    pagina.hide();

    // The page after "Cargar datos alumnos", taken only when the school
    // already holds a stored set: the pictures never write to the school.
    Conexion& centro = *conf->conLocalCentro();
    SeleccionAlumnos datos(centro, conf->intIDCentro());
    datos.Cargar();
    if (!datos.HayDatosGuardados()) return;
    frmCierreAlumnos cargada;
    if (cargada.cargar()) {
        cargada.resize(980, 660);
        cargada.show();
        cargada.CargarDatosAlumnos();
        c.guardar(&cargada, QStringLiteral("frmCierreAlumnos_cargada"));
        cargada.hide();
    }
}

const RegistroCaptura registro({"frmCierreAlumnos", capturarAlumnos});

}  // namespace

}  // namespace ncc::app
