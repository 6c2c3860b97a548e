// Copies of the working tables: made before an import drops any, the last
// ten kept, put back byte for byte, and never half-done.
#include "core/CopiasSeguridad.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "PasosFixture.h"
#include "core/MainForm.h"
#include "platform/Error.h"
#include "platform/Table.h"
#include "support/Child.h"
#include "support/InterfazGuionizada.h"

namespace trasvelo::test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using namespace std::chrono_literals;

std::vector<GrupoPrueba> Centro(int profesores) {
  std::vector<Valores> empleados;
  for (int i = 0; i < profesores; ++i)
    empleados.push_back({"E" + std::to_string(i), "01/09/2020", "", "Pérez", "López", "Ana"});
  return {{"MATERIAS", {{"101", "M1", "Matemáticas"}}},
          {"EMPLEADOS", empleados},
          {"JORNADAS_ESCOLARES", {{"JM", "Mañana", "15/09/2026", "23/06/2027"}}},
          {"TRAMOS_HORARIOS", {{"1", "1ª", "480", "535", "JM"}}}};
}

// The names of the files of a folder.
std::vector<std::string> Nombres(const fs::path& carpeta) {
  std::vector<std::string> nombres;
  for (const auto& [nombre, contenido] : Fotografiar(carpeta))
    nombres.push_back(nombre);
  return nombres;
}

// The files of a folder with their bytes only.
std::map<std::string, std::string> Bytes(const fs::path& carpeta) {
  std::map<std::string, std::string> bytes;
  for (const auto& [nombre, contenido] : Fotografiar(carpeta))
    bytes[nombre] = contenido.second;
  return bytes;
}

class CopiasTest : public PasosTest {
 protected:
  CopiasTest() { CrearNiveles({{101, "1ESO", "ESO"}}); }

  // An import of `grupos`, with copies under `copias`.
  void Importar(const std::vector<GrupoPrueba>& grupos) {
    WriteFile(documentos / "centro.xml", DocumentoXml(grupos));
    ui = InterfazGuionizada();
    ui.archivos.push_back(documentos / "centro.xml");
    estado.directorios.copias = copias;
    core::BExportarClick(estado, ui);
  }

  TempDir documentos;
  TempDir datos;
  fs::path copias = datos / "trasvelo/copias";
  InterfazGuionizada ui;
};

TEST_F(CopiasTest, AnImportCopiesWhatItWillReplaceBeforeDroppingIt) {
  // Nothing to replace yet: no copy.
  Importar(Centro(1));
  ASSERT_EQ(ui.Mensajes(), std::vector<std::string>{"Proceso finalizado"});
  EXPECT_THAT(core::ListarCopias(copias), IsEmpty());

  // Beside the tables: the host's solution (not the import's), a time-frame
  // table the import removes, an index in another spelling.
  WriteFile(trabajo / "SOLUC.DBF", "solución");
  WriteFile(trabajo / "JORNADAS.DBF", "jornadas");
  WriteFile(trabajo / "proft.mdx", "índice");
  std::map<std::string, std::string> antes = Bytes(trabajo.path());
  antes.erase("SOLUC.DBF");

  Importar(Centro(3));
  ASSERT_EQ(ui.Mensajes(), std::vector<std::string>{"Proceso finalizado"});
  const auto hechas = core::ListarCopias(copias);
  ASSERT_EQ(hechas.size(), 1u);
  EXPECT_EQ(Bytes(hechas[0]), antes);
  EXPECT_THAT(Nombres(hechas[0]),
              ElementsAre("ASIGNOMT.DBF", "ASIGNOMT2.DBF", "ASIGT.DBF", "AULAT.DBF", "CURSOST.DBF",
                          "DIASHORAST.DBF", "DIASHORAST2.DBF", "DIASHORAST2.MDX", "GRUPOST.DBF",
                          "JORNADAS.DBF", "PERIODOS.DBF", "PROFT.DBF", "proft.mdx"));
  EXPECT_EQ(Columna("PROFT", "ABREV").size(), 3u);  // the import went on
  // Only the finished folder is there.
  EXPECT_EQ(std::distance(fs::directory_iterator(copias), fs::directory_iterator()), 1);
}

TEST_F(CopiasTest, TheLastTenAreKeptInTheOrderOfTheirTimes) {
  Importar(Centro(1));
  fs::create_directories(copias);
  WriteFile(copias / "notas.txt", "del usuario");
  fs::create_directories(copias / "otra");
  const auto t0 = std::chrono::system_clock::now();
  std::vector<std::string> nombres;
  for (int i = 0; i < 12; ++i) {
    // Two copies in the same second take a number; -10 sorts after -9.
    const auto cuando = t0 + std::chrono::seconds(i < 11 ? 0 : 1);
    auto carpeta = core::CopiarTablas(copias, trabajo.path(), cuando);
    ASSERT_TRUE(carpeta.has_value());
    nombres.push_back(carpeta->filename().string());
  }
  EXPECT_EQ(nombres[1], nombres[0] + "-2");
  EXPECT_EQ(nombres[10], nombres[0] + "-11");
  std::vector<std::string> quedan;
  for (const auto& carpeta : core::ListarCopias(copias))
    quedan.push_back(carpeta.filename().string());
  EXPECT_EQ(quedan, std::vector<std::string>(nombres.begin() + 2, nombres.end()));
  EXPECT_TRUE(fs::exists(copias / "notas.txt"));
  EXPECT_TRUE(fs::exists(copias / "otra"));
}

TEST_F(CopiasTest, RestoringPutsBackTheExactBytesAndNothingElse) {
  Importar(Centro(2));
  WriteFile(trabajo / "JORNADAS.DBF", "jornadas");
  const auto antes = Bytes(trabajo.path());
  Importar(Centro(5));
  const auto hechas = core::ListarCopias(copias);
  ASSERT_EQ(hechas.size(), 1u);
  // Since the copy: an index the copy has not, and a table in another spelling.
  WriteFile(trabajo / "PROFT.MDX", "índice de otra tabla");
  fs::rename(trabajo / "AULAT.DBF", trabajo / "aulat.dbf");
  WriteFile(trabajo / "SOLUC.DBF", "no es de la importación");

  const auto restaurados = core::RestaurarCopia(hechas[0], trabajo.path());
  EXPECT_EQ(restaurados.size(), Nombres(hechas[0]).size());
  auto esperado = antes;
  esperado["SOLUC.DBF"] = "no es de la importación";
  EXPECT_EQ(Bytes(trabajo.path()), esperado);
  EXPECT_EQ(Columna("PROFT", "ABREV").size(), 2u);
}

TEST_F(CopiasTest, RestoringRefusesWhileATableIsInUseAndChangesNothing) {
  Importar(Centro(2));
  Importar(Centro(5));
  const auto hechas = core::ListarCopias(copias);
  ASSERT_EQ(hechas.size(), 1u);
  const auto antes = Fotografiar(trabajo.path());

  // Another process holds PROFT open, as the timetabler does.
  int listo[2], seguir[2];
  ASSERT_EQ(pipe(listo), 0);
  ASSERT_EQ(pipe(seguir), 0);
  const pid_t hijo = fork();
  ASSERT_GE(hijo, 0);
  if (hijo == 0) {
    platform::Table proft(trabajo.path(), "PROFT");
    proft.Open(platform::OpenMode::Shared);
    char c = 'x';
    (void)!write(listo[1], &c, 1);
    (void)!read(seguir[0], &c, 1);
    _exit(0);
  }
  char c;
  ASSERT_EQ(read(listo[0], &c, 1), 1);
  try {
    core::RestaurarCopia(hechas[0], trabajo.path());
    ADD_FAILURE() << "restored while PROFT was in use";
  } catch (const platform::TableError& e) {
    EXPECT_THAT(e.what(), HasSubstr("La tabla PROFT"));
    EXPECT_THAT(e.what(), HasSubstr("en uso"));
  }
  (void)!write(seguir[1], &c, 1);
  int estadoHijo = 0;
  waitpid(hijo, &estadoHijo, 0);
  EXPECT_EQ(Fotografiar(trabajo.path()), antes);

  // Once it is closed, the copy goes back.
  core::RestaurarCopia(hechas[0], trabajo.path());
  EXPECT_EQ(Columna("PROFT", "ABREV").size(), 2u);
}

TEST_F(CopiasTest, AFailedCopyStopsTheImportBeforeAnyTableIsDropped) {
  Importar(Centro(400));  // a PROFT of some 100 KB
  ASSERT_EQ(estado.resultado, 1);
  const auto antes = Fotografiar(trabajo.path());

  struct Caso {
    const char* nombre;
    std::function<void()> preparar;
    long limite;  // file size limit of the import; 0: none
  };
  const std::vector<Caso> casos = {
      {"the folder cannot be created",
       [&] {
         fs::create_directories(datos / "trasvelo");
         WriteFile(copias, "un archivo donde iría la carpeta");
       },
       0},
      {"the disk fills", [&] { fs::remove(copias); }, 64 * 1024},
  };
  for (const Caso& caso : casos) {
    SCOPED_TRACE(caso.nombre);
    caso.preparar();
    estado.resultado = 0;
    auto importar = [&] {
      Importar(Centro(1));
      const auto errores = ui.Errores();
      const bool bien = errores.size() == 1 &&
                        errores[0].find(copias.string()) != std::string::npos &&
                        errores[0].find("no se ha importado nada") != std::string::npos &&
                        ui.Veces("DesactivarBotones") == 0 && estado.resultado == 0;
      if (!bien)
        std::fprintf(stderr, "%s\n", errores.empty() ? "(sin error)" : errores[0].c_str());
      return bien ? 0 : 1;
    };
    EXPECT_EQ(caso.limite ? RunWithFileSizeLimit(caso.limite, importar) : importar(), 0);
    EXPECT_EQ(Fotografiar(trabajo.path()), antes);
    EXPECT_THAT(core::ListarCopias(copias), IsEmpty());
    if (fs::is_directory(copias)) {
      EXPECT_EQ(fs::directory_iterator(copias), fs::directory_iterator());  // no half copy
    }
  }
}

}  // namespace
}  // namespace trasvelo::test
