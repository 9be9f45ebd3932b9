#pragma once
// "Ensayar cierre" of the wizard's pages runs the host's rehearsal: the
// wizard knows its decisions, the host how to copy the school's databases.
// Header-only so that the tests install the very same bridge.
#include "host/EnsayoCierre.h"
#include "wizard/ContextoAsistente.h"

namespace ncc::app {

inline void instalarEnsayoEnAsistente() {
    EnsayoDelAnfitrion() = [](const EnsayoAsistente& e) {
        host::DecisionesEnsayo d;
        d.arboles = {e.arboles.secciones, e.arboles.actividades};
        d.nuevoCurso = e.nuevoCurso;
        d.secciones = e.secciones;
        d.actividades = e.actividades;
        d.preparar = e.preparar;
        const host::ResultadoEnsayo r = host::ensayarCierre(d);
        return ResultadoEnsayoAsistente{r.correcto, r.texto(false), r.informe};
    };
}

}  // namespace ncc::app
