#pragma once
// A wizard test on one back end: the messages answered by a script, and
// afterwards the wizard and its hooks as they were, the sample school (with
// what a closing made of it on the server) gone.
#include "Conductor.h"
#include "cierre/Muestra.h"
#include "wizard/ContextoAsistente.h"

namespace ncc::pruebas {

template <class Guion = MensajesGuion>
class ConAsistente : public testing::TestWithParam<Proveedor> {
protected:
    void SetUp() override {
        ctx_ = std::make_unique<ContextoBD>(GetParam());
        if (ctx_->esServidor()) borrarLoDelCierreEnServidor();
        instalado_ = std::make_unique<ServicioMensajesInstalado>(guion_);
    }
    void TearDown() override {
        instalado_.reset();
        ReiniciarAsistente();
        FuenteArbolesPorDefecto() = nullptr;
        InformeTrasCierre() = nullptr;
        EnsayoDelAnfitrion() = nullptr;
        sesion_.reset();
        muestra_.borrar();
        if (ctx_->esServidor()) borrarLoDelCierreEnServidor();
        ctx_.reset();
    }

    // The sample school with a host session on it, as `ncc escritorio` opens it.
    void abrirMuestra(const QString& nombre, int alumnos = 24) {
        muestra_ = crearMuestra(*ctx_, nombre, alumnos);
        sesion_ = std::make_unique<SesionAbierta>(muestra_);
    }

    // Every check of the load answered Yes.
    void pasarComprobaciones() {
        guion_.responderA(1183, Respuesta::Si).responderA(1182, Respuesta::Si).responderA(1180, Respuesta::Si);
    }
    // The new year named on the start page and "Siguiente".
    static Conductor& nombrar(Conductor& c, const QString& nombre = QStringLiteral("2026/2027")) {
        return c.en(QStringLiteral("frmCierreCursoE"), [nombre](QWidget* w) {
            Conductor::escribir(w, QStringLiteral("txtCursoPromocion"), nombre);
            Conductor::teclear(w, QStringLiteral("cmdCierreCursoE_1"));
        });
    }

    std::unique_ptr<ContextoBD> ctx_;
    Guion guion_;
    std::unique_ptr<ServicioMensajesInstalado> instalado_;
    Muestra muestra_;
    std::unique_ptr<SesionAbierta> sesion_;
};

}  // namespace ncc::pruebas
