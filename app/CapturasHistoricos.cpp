// Pictures of the historic side: the chooser with a year, type and course
// chosen, its new-year dialog, the grade transfer form before and during a
// transfer, its new-year dialog, and their messages. Nothing is saved and
// no transfer runs: the progress display is filled by hand.
#include "app/Capturas.h"
#include "history/PasoNotasHistorico.h"
#include "history/frmHistorico.h"
#include "history/frmHistoricoCurso.h"
#include "history/frmNCHistorico.h"
#include "history/frmNCursoEscolar.h"
#include "platform/Textos.h"
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>

namespace ncc::app {

namespace {

Mensaje aviso(const QString& texto, Icono icono) {
    return Mensaje{texto, icono, Botones::Aceptar, Respuesta::Aceptar, Texto(TituloProducto)};
}

template <typename T>
T* hijo(QWidget* w, const char* nombre) {
    return w->findChild<T*>(QLatin1String(nombre));
}

// The first item, or the one at `i` when the list is that long.
void elegir(QWidget* w, const char* combo, int i = 0) {
    if (auto* c = hijo<QComboBox>(w, combo); c && c->count() > 0) c->setCurrentIndex(std::min(i, c->count() - 1));
}

void capturarSelector(Capturador& c) {
    frmHistoricoCurso selector;
    elegir(&selector, "cboCursoEscolar");
    elegir(&selector, "cboTipoEnsenanza", 1);
    elegir(&selector, "cboCurso", 1);
    selector.show();
    c.guardar(&selector, QStringLiteral("frmHistoricoCurso"));

    frmNCursoEscolar nuevo(&selector);
    if (auto* t = hijo<QLineEdit>(&nuevo, "txtCurso")) t->setText(QStringLiteral("Expedientes de traslado 2025/2026"));
    c.guardar(&nuevo, QStringLiteral("frmNCursoEscolar"));
    selector.hide();

    const QString p = QStringLiteral("frmHistoricoCurso_");
    c.guardarMensaje(aviso(Texto(6051), Icono::Informacion), p + QStringLiteral("6051"));
    c.guardarMensaje(aviso(Texto(11031), Icono::Informacion), p + QStringLiteral("11031"));
}

void capturarPaso(Capturador& c) {
    frmHistorico paso;
    // The most recent of the school's other years, into the last historic
    // year: what a secretary passes after a closing.
    if (auto* o = hijo<QComboBox>(&paso, "cboOrigen")) o->setCurrentIndex(o->count() - 1);
    if (auto* d = hijo<QComboBox>(&paso, "cboDestino")) d->setCurrentIndex(d->count() - 1);
    paso.show();
    c.guardar(&paso, QStringLiteral("frmHistorico"));

    frmNCHistorico nuevo(&paso);
    if (auto* t = hijo<QLineEdit>(&nuevo, "txtCurEscHis")) t->setText(QStringLiteral("2025/2026"));
    c.guardar(&nuevo, QStringLiteral("frmNCHistorico"));

    // In the middle of a transfer, as the form shows it.
    if (auto* marco = hijo<QGroupBox>(&paso, "fraProgreso")) marco->show();
    if (auto* barra = hijo<QProgressBar>(&paso, "prgAlumno")) {
        barra->setRange(0, 13);
        barra->setValue(7);
    }
    if (auto* l = hijo<QLabel>(&paso, "Label3")) l->setText(QStringLiteral("Evolución: 7 / 13"));
    for (const char* b : {"cmdAceptar", "cmdCancelar", "cmdNCEscHis"})
        if (auto* boton = hijo<QPushButton>(&paso, b)) boton->setEnabled(false);
    c.guardar(&paso, QStringLiteral("frmHistorico_en_curso"));
    paso.hide();

    const QString p = QStringLiteral("frmHistorico_");
    c.guardarMensaje(aviso(QStringLiteral("Debe seleccionar un origen y destino"), Icono::Informacion),
                     p + QStringLiteral("sin_origen"));
    historicos::ResultadoPaso hecho;
    hecho.insertadas = 1155;
    hecho.existentes = 181;
    hecho.existentesPorHistorico.insert(2, 181);
    c.guardarMensaje(aviso(historicos::TextoFinalPaso(hecho, [](qint32) { return QStringLiteral("2024/2025"); }),
                           Icono::Informacion),
                     p + QStringLiteral("exito"));
    c.guardarMensaje(aviso(QStringLiteral("No se ha encontrado el curso escolar indicado"), Icono::Critico),
                     p + QStringLiteral("sin_curso"));
    c.guardarMensaje(aviso(QStringLiteral("Debe introducir el nombre"), Icono::Informacion),
                     QStringLiteral("frmNCHistorico_sin_nombre"));
}

const RegistroCaptura registroSelector({"frmHistoricoCurso", capturarSelector});
const RegistroCaptura registroPaso({"frmHistorico", capturarPaso});

}  // namespace

}  // namespace ncc::app
