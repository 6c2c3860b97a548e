// Folders that are missing, read-only, or hold a folder where a table
// should be.
#include <gmock/gmock.h>

#include "Fallos.h"
#include "core/MainForm.h"
#include "platform/Error.h"

namespace trasvelo::test {
namespace {

TEST_F(FallosTest, AMissingWorkingDirectoryIsNamedInEitherDirection) {
  UsarTrabajo(trabajo / "VTEMP");
  Importar();
  ComprobarFallo(estado->directorios.trabajo.string());
  EXPECT_FALSE(fs::exists(estado->directorios.trabajo));
  Exportar();
  ComprobarFallo(estado->directorios.trabajo.string());
  EXPECT_FALSE(fs::exists(Salida(muestra)));
}

// A folder where a table should be: it cannot be dropped nor opened.
TEST_F(FallosTest, AFolderInPlaceOfATable) {
  Preparar();
  for (const char* tabla : {"ASIGT", "PERIODOS"}) {
    SCOPED_TRACE(tabla);
    Importar();
    ASSERT_TRUE(Completada());
    const fs::path archivo = trabajo / (std::string(tabla) + ".DBF");
    fs::remove(archivo);
    fs::create_directories(archivo / "dentro");
    estado->resultado = 0;
    Importar();
    ComprobarFallo(archivo.string());
    fs::remove_all(archivo);
  }
  Preparar();
  fs::remove(trabajo / "SOLUC.DBF");
  fs::create_directories(trabajo / "SOLUC.DBF" / "dentro");
  Exportar();
  ComprobarFallo((trabajo / "SOLUC.DBF").string());
  EXPECT_FALSE(fs::exists(Salida(muestra)));
}

// A working directory on a file system mounted read-only: the import stops
// at its first table with nothing changed, the export cannot take its tables
// for itself; a read-only document folder gets no output.
TEST_F(FallosTest, ReadOnlyFileSystems) {
  const fs::path punto = trabajo / "vtemp";
  fs::create_directories(punto);
  Montaje montaje(punto);
  if (!montaje.Montado()) {
    GTEST_SKIP() << "cannot mount a file system here";
  }
  UsarTrabajo(punto);
  Preparar();
  ASSERT_TRUE(montaje.SoloLectura());
  const Instantanea antes = Fotografiar(punto);

  Importar();
  ComprobarFallo(punto.string());
  Exportar();
  ComprobarFallo(punto.string());
  EXPECT_FALSE(fs::exists(Salida(muestra)));
  EXPECT_EQ(Fotografiar(punto), antes);
}

TEST_F(FallosTest, AReadOnlyDocumentFolderGetsNoOutput) {
  Preparar();
  const fs::path carpeta = documentos / "solo-lectura";
  fs::create_directories(carpeta);
  Montaje montaje(carpeta);
  if (!montaje.Montado()) {
    GTEST_SKIP() << "cannot mount a file system here";
  }
  const fs::path documento = carpeta / "centro.xml";
  fs::copy_file(muestra, documento);
  ASSERT_TRUE(montaje.SoloLectura());
  Exportar(documento);
  ComprobarFallo(Salida(documento).string());
  EXPECT_FALSE(fs::exists(Salida(documento)));
}

// The report to the host cannot be written: the window shows why.
TEST_F(FallosTest, TheHostReportCannotBeWritten) {
  estado->modoEjecucion = core::kModoHospedado;
  estado->resultado = 1;
  const auto falla = [&](const fs::path& programaDir) {
    estado->directorios.programa = programaDir;
    try {
      core::FormClose(*estado);
      return std::string("written");
    } catch (const platform::FileError& e) {
      return std::string(e.what());
    }
  };
  EXPECT_THAT(falla(programa / "no-existe"),
              ::testing::HasSubstr((programa / "no-existe" / "Velmora.ini").string()));

  const fs::path punto = programa / "ro";
  fs::create_directories(punto);
  Montaje montaje(punto);
  if (!montaje.Montado()) {
    GTEST_SKIP() << "cannot mount a file system here";
  }
  ASSERT_TRUE(montaje.SoloLectura());
  EXPECT_THAT(falla(punto), ::testing::HasSubstr((punto / "Velmora.ini").string()));
}

}  // namespace
}  // namespace trasvelo::test
