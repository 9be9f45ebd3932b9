#include "wizard/ProgresoEnsayo.h"
#include "platform/Textos.h"
#include <algorithm>

namespace ncc {

namespace {
constexpr int TituloEnsayo = 15002;
}  // namespace

ProgresoEnsayo::ProgresoEnsayo(QWidget* pagina) : dialogo_(Texto(TituloEnsayo), QString(), 0, 15, pagina) {
    dialogo_.setObjectName(QStringLiteral("frmEnsayo"));
    dialogo_.setWindowTitle(Texto(TituloProducto));
    // Wide enough for its title on the desktop's title bar, beside the
    // window's buttons.
    dialogo_.setMinimumWidth(std::max(360, dialogo_.fontMetrics().horizontalAdvance(Texto(TituloProducto)) * 3 / 2 + 96));
    dialogo_.setCancelButton(nullptr);
    dialogo_.setWindowModality(Qt::WindowModal);
    dialogo_.setMinimumDuration(0);
    dialogo_.setAutoClose(false);
    dialogo_.setValue(0);
}

void ProgresoEnsayo::setMin(float v) { dialogo_.setMinimum(int(v)); }
float ProgresoEnsayo::Max() const { return float(dialogo_.maximum()); }
void ProgresoEnsayo::setMax(float v) { dialogo_.setMaximum(int(v)); }

void ProgresoEnsayo::setValue(float v) {
    valor_ = v;
    dialogo_.setValue(std::clamp(int(v), dialogo_.minimum(), dialogo_.maximum()));
}

}  // namespace ncc
