#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/EstadoPrograma.h"
#include "core/InterfazUsuario.h"

// The main window's handlers, free of any window toolkit: the Qt window
// TMForm and the batch command call these.
namespace trasvelo::core {

// What FormCreate leaves for the view to do.
struct Arranque {
  // Hosted start: the host window to embed into (an X11 window id here).
  std::optional<uint64_t> ventanaAnfitriona;
  // A second argument that is not hexadecimal: the conversion error to show
  // in the error box; start-up goes on unembedded in run mode 0.
  std::optional<std::string> error;
};

// `argumentos` excludes the program name. Empties the four subject sets,
// sets run result 0, and with exactly two arguments reads the second as a
// hexadecimal window handle and sets run mode 2.
Arranque FormCreate(EstadoPrograma& estado, const std::vector<std::string>& argumentos);

// With exactly two arguments, starts the direction that the first names
// ("importar" or "exportar", ASCII case ignored); any other word starts
// nothing.
void FormShow(EstadoPrograma& estado, InterfazUsuario& ui,
              const std::vector<std::string>& argumentos);

// For every way of closing: in run mode 2 writes the run result as
// Transformado under [Transformadores] in Velmora.ini in the program
// directory. Throws platform::FileError when the report cannot be written.
void FormClose(const EstadoPrograma& estado);

// The import run (Racima -> Velmora), button BExportar.
void BExportarClick(EstadoPrograma& estado, InterfazUsuario& ui);
// The export (Velmora -> Racima), button BImportar.
void BImportarClick(EstadoPrograma& estado, InterfazUsuario& ui);

}  // namespace trasvelo::core
