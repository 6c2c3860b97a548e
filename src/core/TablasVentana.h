#pragma once

#include <filesystem>

#include "platform/Table.h"

// The main window's table components: nine working tables named without
// extension, opened for exclusive use, and the level table, opened shared
// from the program directory.
namespace trasvelo::core {

struct TablasVentana {
  TablasVentana(const std::filesystem::path& trabajo, const std::filesystem::path& programa);

  platform::Table wwTableNomAsg;    // ASIGNOMT
  platform::Table wwTableNomAsg_2;  // ASIGNOMT2
  platform::Table wwTableProfesor;  // PROFT
  platform::Table wwTableTramos;    // DIASHORAST
  platform::Table wwTableAulas;     // AULAT
  platform::Table wwTableGrupos;    // GRUPOST
  platform::Table wwTableAsig;      // ASIGT
  platform::Table wwTableSoluc;     // SOLUC
  platform::Table wwTableCursos;    // CURSOST
  platform::Table wwTableNIVELEX;   // NIVELLARI.dbf, program directory, shared

  // Closes every component that is open; never throws.
  void CerrarTodas() noexcept;
};

}  // namespace trasvelo::core
