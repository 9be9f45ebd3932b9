#pragma once
// The closing report in a process of its own (`ncc informe`), for the
// commands that close a year or settle one.
#include "host/Sesion.h"
#include <QString>
#include <optional>

namespace ncc::app {

// Runs `ncc informe` on the session of `op` and returns the report's path,
// or nothing when the report could not be written (the process said why on
// stderr, or died). Whatever happens in it, this process goes on.
std::optional<QString> informeEnProceso(const host::OpcionesSesion& op);

// At the start of a command: a closing that was done (by its run or by a
// recovery) and still owes its report gets it now; the note of a closing
// that was undone goes.
void saldarInformeDebido(const host::OpcionesSesion& op);

}  // namespace ncc::app
