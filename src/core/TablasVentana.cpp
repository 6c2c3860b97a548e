#include "core/TablasVentana.h"

namespace trasvelo::core {

// The working directory is written "c:\vtemp" on the components; here it is
// whatever folder the caller maps it to.
TablasVentana::TablasVentana(const std::filesystem::path& trabajo,
                             const std::filesystem::path& programa)
    : wwTableNomAsg(trabajo, "ASIGNOMT"),
      wwTableNomAsg_2(trabajo, "ASIGNOMT2"),
      wwTableProfesor(trabajo, "PROFT"),
      wwTableTramos(trabajo, "DIASHORAST"),
      wwTableAulas(trabajo, "AULAT"),
      wwTableGrupos(trabajo, "GRUPOST"),
      wwTableAsig(trabajo, "ASIGT"),
      wwTableSoluc(trabajo, "SOLUC"),
      wwTableCursos(trabajo, "CURSOST"),
      wwTableNIVELEX(programa, "NIVELLARI.dbf") {}

void TablasVentana::CerrarTodas() noexcept {
  for (platform::Table* t :
       {&wwTableNomAsg, &wwTableNomAsg_2, &wwTableProfesor, &wwTableTramos, &wwTableAulas,
        &wwTableGrupos, &wwTableAsig, &wwTableSoluc, &wwTableCursos, &wwTableNIVELEX}) {
    try {
      t->Close();
    } catch (...) {
      // Closing after a failure must not hide the failure being reported.
    }
  }
}

}  // namespace trasvelo::core
