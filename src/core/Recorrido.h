#pragma once

#include <functional>

#include "core/EstadoPrograma.h"
#include "core/InterfazUsuario.h"

// What both directions do around their work: choose the file, run under the
// hour-glass cursor, report the end.
namespace trasvelo::core {

// Shows OpenDialogXML; a confirmed file becomes ArchivoXML, a cancel keeps
// it. With no file at ArchivoXML: "No existe archivo", and hosted the run
// result -1 and the window closes. True when there is a file to work on.
bool ElegirDocumento(EstadoPrograma& estado, InterfazUsuario& ui);

// Runs `trabajo` under the hour-glass cursor. Whatever ends it, the cursor is
// restored and every table component is closed; an error is shown in the
// error box and false returned (run result and buttons untouched).
bool EjecutarPasos(EstadoPrograma& estado, InterfazUsuario& ui,
                   const std::function<void()>& trabajo);

// A completed run: run result 1, "Proceso finalizado" (with the run's report
// when it holds something), both direction
// buttons disabled, and hosted the window closes.
void Completar(EstadoPrograma& estado, InterfazUsuario& ui);

}  // namespace trasvelo::core
