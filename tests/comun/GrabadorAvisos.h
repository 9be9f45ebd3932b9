#pragma once
// The engine's progress reports, kept for the step tests to look at.
#include "engine/EstadoMotor.h"
#include <QStringList>

namespace ncc::pruebas {

// What the steps report, in order: "Iniciar <max> <texto>", "Aumentar",
// "Cerrar", "Avanzar".
class GrabadorAvisos : public motor::AvisosMotor {
public:
    void IniciarProgreso(long& lngValorMax, QString& strTexto) override {
        eventos << QStringLiteral("Iniciar %1 %2").arg(lngValorMax).arg(strTexto);
    }
    void AumentarProgreso() override { eventos << QStringLiteral("Aumentar"); }
    void CerrarProgreso() override { eventos << QStringLiteral("Cerrar"); }
    void AvanzarProgreso() override { eventos << QStringLiteral("Avanzar"); }
    QStringList eventos;
};

}  // namespace ncc::pruebas
