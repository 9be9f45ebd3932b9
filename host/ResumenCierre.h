#pragma once
// What a closing did, in the figures a secretary can check: read from the
// plan's trees and from the closing year's and the new year's databases.
#include "engine/EstadoMotor.h"
#include "host/Plan.h"
#include <QHash>
#include <QList>
#include <QString>
#include <utility>

namespace ncc::host {

// The rows of `tabla` (a table, or a table with its WHERE clause).
long contarFilas(Conexion& con, const QString& tabla);

struct ResumenCierre {
    long promocionan = 0, repiten = 0, bajas = 0;
    long sinPromocionar = 0;  // archived with their unpromoted section
    long bajasArchivadas = 0;
    long seccionesCorregidas = 0, plazasAnadidas = 0;
    long filasHistorico = 0, materiasPendientes = 0;
    long actividadesAntes = 0, actividadesDespues = 0;
    long familias = 0, direcciones = 0, cuentas = 0, fotos = 0;  // purged
    QString nuevaCentro, nuevaBorrado;

    // Figures of the closing year before the run.
    static ResumenCierre leerAntes(const cConfiguracion& conf, const Arboles& arboles);
    // The same summary once the run has succeeded.
    ResumenCierre completar(const motor::EstadoMotor& e) const;
    // The whole summary read after a successful run alone, for a caller that
    // took no figures before it: the closing year's database keeps what it
    // had, but for the leavers the run archived in it.
    static ResumenCierre trasCierre(const motor::EstadoMotor& e);
    // The figures with their labels, in the order every summary lists them:
    // the command line's, the rehearsal's and the report's.
    QList<std::pair<QString, long>> lineas() const;
    // `enColumnas`: the figures lined up for a terminal.
    QString texto(double segundos, bool enColumnas = true) const;

private:
    void contarDecision(const cAlumno& a);

    long ultimoHistoricoAntes_ = 0, bajasAntes_ = 0;
    long familiasAntes_ = 0, direccionesAntes_ = 0, cuentasAntes_ = 0, fotosAntes_ = 0;
    QHash<qint64, long> plazasAntes_;
};

}  // namespace ncc::host
