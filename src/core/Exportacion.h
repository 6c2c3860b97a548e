#pragma once

#include <optional>

#include "core/EstadoPrograma.h"
#include "core/InterfazUsuario.h"

// The export (BImportarClick, declared in MainForm.h) in two halves: the
// document is built in DocumentoXML, then saved. A trial builds it only.
namespace trasvelo::core {

// What an export document holds.
struct ResumenExportacion {
  long profesores = 0;   // teacher groups
  long actividades = 0;  // activity groups, over all teachers
};

// The export up to its document, exactly as BImportarClick runs it (the file
// dialog, the tables, the messages, the run report), but nothing is saved:
// no file is written, the run result and the buttons stay as they are. The
// built document stays in DocumentoXML. Nothing when the export ended before
// its document was built (a message or an error has been shown).
std::optional<ResumenExportacion> ProbarExportacion(EstadoPrograma& estado, InterfazUsuario& ui);

}  // namespace trasvelo::core
