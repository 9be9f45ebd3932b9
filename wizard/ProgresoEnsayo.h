#pragma once
// The rehearsal's bar: the run's steps in a small window over the page that
// asked for it ("Ensayo del cierre de curso escolar"), without a cancel
// button: a rehearsal runs to its end and changes nothing.
#include "engine/Progreso.h"
#include <QObject>
#include <QProgressDialog>

namespace ncc {

class ProgresoEnsayo : public QObject, public Progreso {
public:
    explicit ProgresoEnsayo(QWidget* pagina);
    void setMin(float v) override;
    float Max() const override;
    void setMax(float v) override;
    float Value() const override { return valor_; }
    void setValue(float v) override;
    QProgressDialog* ventana() { return &dialogo_; }

private:
    QProgressDialog dialogo_;
    float valor_ = 0;
};

}  // namespace ncc
