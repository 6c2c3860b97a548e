// Another program holds a working table while a run needs it.
#include <gmock/gmock.h>

#include "Fallos.h"
#include "support/TablaRetenida.h"

namespace trasvelo::test {
namespace {

using platform::OpenMode;

struct Retencion {
  const char* nombre;
  OpenMode modo;
};
const Retencion kRetenciones[] = {{"exclusive", OpenMode::Exclusive}, {"shared", OpenMode::Shared}};

// The import rebuilds every table, so a table held in any way stops it.
TEST_F(FallosTest, ATableHeldByAnotherProgramStopsTheImport) {
  for (const Retencion& r : kRetenciones) {
    for (const std::string& tabla : kTablasImportacion) {
      SCOPED_TRACE(tabla + " held " + r.nombre);
      // A stopped import leaves the tables it had not rebuilt yet dropped.
      Importar();
      ASSERT_TRUE(Completada());
      TablaRetenida otro(trabajo.path(), tabla + ".DBF", r.modo);
      ASSERT_TRUE(otro.Abierta());
      estado->resultado = 0;
      Importar();
      ComprobarFallo(tabla);
    }
  }
  // Released, the next import completes.
  Importar();
  EXPECT_TRUE(Completada());
}

// The level table is only read: another reader does not stop the import, a
// writer does.
TEST_F(FallosTest, TheLevelTableMayBeReadButNotWrittenByAnotherProgram) {
  {
    TablaRetenida lector(programa.path(), "NIVELLARI.dbf", OpenMode::Shared);
    ASSERT_TRUE(lector.Abierta());
    Importar();
    EXPECT_TRUE(Completada()) << ::testing::PrintToString(ui.llamadas);
  }
  TablaRetenida escritor(programa.path(), "NIVELLARI.dbf", OpenMode::Exclusive);
  ASSERT_TRUE(escritor.Abierta());
  estado->resultado = 0;
  Importar();
  ComprobarFallo("NIVELLARI");
}

// The export needs its nine tables for itself: a reader stops it as a
// writer does, and nothing is written.
TEST_F(FallosTest, ATableHeldByAnotherProgramStopsTheExport) {
  Preparar();
  for (const Retencion& r : kRetenciones) {
    for (const std::string& tabla : kTablasExportacion) {
      SCOPED_TRACE(tabla + " held " + r.nombre);
      TablaRetenida otro(trabajo.path(), tabla + ".DBF", r.modo);
      ASSERT_TRUE(otro.Abierta());
      Exportar();
      ComprobarFallo(tabla);
      EXPECT_FALSE(fs::exists(Salida(muestra)));
    }
  }
  Exportar();
  EXPECT_TRUE(Completada());
  EXPECT_TRUE(fs::exists(Salida(muestra)));
}

}  // namespace
}  // namespace trasvelo::test
