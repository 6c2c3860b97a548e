#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "core/EstadoPrograma.h"
#include "core/PasosImportacion.h"
#include "platform/Paths.h"
#include "platform/XmlDom.h"
#include "support/TableDump.h"
#include "support/TempDir.h"

namespace trasvelo::test {
namespace {

// The sample school through the first six steps, in the run's order, with
// the level table that the build ships: every table is compared with its
// reviewed contents.
TEST(ImportacionMuestra, GivesTheReviewedTables) {
  TempDir trabajo;
  core::EstadoPrograma estado(core::Directorios{trabajo.path(), platform::ProgramDirectory()});
  estado.DocumentoXML = std::make_unique<platform::XmlDocument>();
  ASSERT_TRUE(estado.DocumentoXML->Load(SourceDir() / "data/muestra/centro.xml"))
      << estado.DocumentoXML->LoadError();

  core::TransformarMaterias(estado);
  core::TransformarActividades(estado);
  core::TransformarEmpleados(estado);
  core::TransformarDependencias(estado);
  core::TransformarCursosUnidades(estado);
  core::TransformarAsignaciones(estado);

  for (const std::string tabla :
       {"ASIGNOMT", "ASIGNOMT2", "PROFT", "AULAT", "CURSOST", "GRUPOST", "ASIGT"}) {
    EXPECT_TRUE(IgualAlArchivo(VolcarTabla(trabajo.path(), tabla),
                               SourceDir() / "tests/data/expected" / (tabla + ".txt")));
  }
}

}  // namespace
}  // namespace trasvelo::test
