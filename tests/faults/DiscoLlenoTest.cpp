// The disk fills while a run writes: a write past the child's file-size
// limit fails with EFBIG, as on a full disk.
#include <gmock/gmock.h>

#include <cstdio>

#include "Fallos.h"
#include "core/MainForm.h"
#include "platform/Error.h"
#include "support/Child.h"

namespace trasvelo::test {
namespace {

using ::testing::IsEmpty;

// Exit statuses of the child runs.
constexpr int kFalloClaro = 0;
constexpr int kCompletada = 20;

// Limits from nothing at all to one that the largest table passes.
const long kLimites[] = {0, 100, 1000, 4096, 20000, 60000, 1 << 22};

TEST_F(FallosTest, AFullDiskStopsTheImportWithAClearError) {
  int fallos = 0;
  for (long limite : kLimites) {
    SCOPED_TRACE("limit " + std::to_string(limite));
    // Tables from a complete run, to be replaced.
    Importar();
    ASSERT_TRUE(Completada());
    const int resultado = RunWithFileSizeLimit(limite, [&] {
      estado->resultado = 0;
      Importar();
      if (Completada()) {
        return kCompletada;
      }
      const auto errores = ui.Errores();
      if (errores.size() != 1 || estado->resultado != 0 || ui.Veces("DesactivarBotones") != 0) {
        std::fprintf(stderr, "unexpected calls: %s\n",
                     ::testing::PrintToString(ui.llamadas).c_str());
        return 10;
      }
      // It says what could not be written.
      if (errores[0].find(trabajo.path().string()) == std::string::npos) {
        std::fprintf(stderr, "the error names no file: %s\n", errores[0].c_str());
        return 11;
      }
      return kFalloClaro;
    });
    ASSERT_TRUE(resultado == kFalloClaro || resultado == kCompletada) << "child: " << resultado;
    fallos += resultado == kFalloClaro;
    // What the run left behind is whole: every table opens and reads.
    EXPECT_THAT(ErroresDeLectura(trabajo.path()), IsEmpty());
  }
  EXPECT_GE(fallos, 5);
}

// The report to the host is written whole or not at all.
TEST_F(FallosTest, AFullDiskLeavesTheHostReportWholeOrUntouched) {
  const fs::path ini = programa / "Velmora.ini";
  const std::string viejo =
      "[Otros]\r\nClave=un valor largo que ocupa sitio en el archivo\r\n"
      "[Transformadores]\r\nTransformado=0\r\n";
  for (long limite : {0L, 10L, 60L, 100L, 4096L}) {
    SCOPED_TRACE("limit " + std::to_string(limite));
    WriteFile(ini, viejo);
    estado->modoEjecucion = core::kModoHospedado;
    estado->resultado = 1;
    const int resultado = RunWithFileSizeLimit(limite, [&] {
      try {
        core::FormClose(*estado);
        return kCompletada;
      } catch (const platform::FileError& e) {
        return std::string(e.what()).find("Velmora.ini") != std::string::npos ? kFalloClaro : 10;
      }
    });
    ASSERT_TRUE(resultado == kFalloClaro || resultado == kCompletada) << "child: " << resultado;
    const std::string ahora = ReadFile(ini);
    if (resultado == kFalloClaro) {
      EXPECT_EQ(ahora, viejo);
    } else {
      EXPECT_NE(ahora.find("Transformado=1"), std::string::npos) << ahora;
      EXPECT_NE(ahora.find("Clave=un valor largo"), std::string::npos) << ahora;
    }
    std::vector<std::string> archivos;
    for (const auto& e : fs::directory_iterator(programa.path())) {
      archivos.push_back(e.path().filename().string());
    }
    EXPECT_THAT(archivos, ::testing::UnorderedElementsAre("NIVELLARI.dbf", "Velmora.ini"));
  }
}

// The export's save fails: the older output stays, no temporary file is
// left; the working tables are only read.
TEST_F(FallosTest, AFullDiskLeavesTheOlderExportOutput) {
  Preparar();
  const std::string viejo = "<viejo/>";
  int fallos = 0;
  for (long limite : {0L, 1000L, 100000L, 1L << 24}) {
    SCOPED_TRACE("limit " + std::to_string(limite));
    WriteFile(Salida(muestra), viejo);
    const Instantanea antes = Fotografiar(trabajo.path());
    const int resultado = RunWithFileSizeLimit(limite, [&] {
      Exportar();
      if (Completada()) {
        return kCompletada;
      }
      const auto errores = ui.Errores();
      return errores.size() == 1 && errores[0].find(Salida(muestra).string()) != std::string::npos
                 ? kFalloClaro
                 : 10;
    });
    ASSERT_TRUE(resultado == kFalloClaro || resultado == kCompletada) << "child: " << resultado;
    fallos += resultado == kFalloClaro;
    if (resultado == kFalloClaro) {
      EXPECT_EQ(ReadFile(Salida(muestra)), viejo);
    }
    EXPECT_EQ(Fotografiar(trabajo.path()), antes);
    std::vector<std::string> archivos;
    for (const auto& e : fs::directory_iterator(documentos.path())) {
      archivos.push_back(e.path().filename().string());
    }
    EXPECT_THAT(archivos,
                ::testing::UnorderedElementsAre("centro.xml", "ResultadoVelmoscentro.xml"));
  }
  EXPECT_EQ(fallos, 3);
}

}  // namespace
}  // namespace trasvelo::test
