#include "Fallos.h"

#include <sys/mount.h>

#include <algorithm>
#include <cstdlib>
#include <regex>

#include "core/MainForm.h"
#include "core/Mensajes.h"
#include "platform/Error.h"
#include "platform/Paths.h"
#include "platform/Table.h"
#include "platform/Text1252.h"

namespace trasvelo::test {

const std::vector<std::string> kTablasImportacion = {
    "ASIGNOMT", "ASIGNOMT2", "PROFT",      "AULAT",       "CURSOST",
    "GRUPOST",  "ASIGT",     "DIASHORAST", "DIASHORAST2", "PERIODOS"};
const std::vector<std::string> kTablasExportacion = {"SOLUC",     "GRUPOST",    "CURSOST",
                                                     "PROFT",     "AULAT",      "ASIGNOMT",
                                                     "ASIGNOMT2", "DIASHORAST", "ASIGT"};

FallosTest::FallosTest() : muestra(documentos / "centro.xml") {
  UsarTrabajo(trabajo.path());
  fs::copy_file(platform::ProgramDirectory() / "NIVELLARI.dbf", programa / "NIVELLARI.dbf");
  fs::copy_file(SourceDir() / "data/muestra/centro.xml", muestra);
}

void FallosTest::UsarTrabajo(const fs::path& dir) {
  estado = std::make_unique<core::EstadoPrograma>(core::Directorios{dir, programa.path()});
}

void FallosTest::Importar(const fs::path& documento) {
  ui = InterfazGuionizada();
  ui.archivos.push_back(documento);
  ui.marcos.push_back(Eleccion("JM        JT        "));
  core::BExportarClick(*estado, ui);
}

void FallosTest::Exportar(const fs::path& documento) {
  ui = InterfazGuionizada();
  ui.archivos.push_back(documento);
  core::BImportarClick(*estado, ui);
}

void FallosTest::Preparar() {
  Importar();
  ASSERT_TRUE(Completada()) << ::testing::PrintToString(ui.llamadas);
  const std::string orden = std::string("'") + TRASVELO_RESOLVER + "' '" +
                            estado->directorios.trabajo.string() + "' >/dev/null";
  ASSERT_EQ(std::system(orden.c_str()), 0);
  estado->resultado = 0;
}

fs::path FallosTest::Salida(const fs::path& documento) {
  return documento.parent_path() / ("ResultadoVelmos" + documento.filename().string());
}

bool FallosTest::Completada() const {
  const auto mensajes = ui.Mensajes();
  return std::find(mensajes.begin(), mensajes.end(), core::mensajes::kProcesoFinalizado) !=
         mensajes.end();
}

void FallosTest::ComprobarFallo(const std::string& nombre) {
  const auto errores = ui.Errores();
  ASSERT_EQ(errores.size(), 1u) << ::testing::PrintToString(ui.llamadas);
  EXPECT_NE(errores[0].find(nombre), std::string::npos) << errores[0];
  EXPECT_FALSE(Completada());
  EXPECT_EQ(estado->resultado, 0);
  EXPECT_EQ(ui.Veces("DesactivarBotones"), 0);
  EXPECT_EQ(ui.Veces("Cursor: 1"), ui.Veces("Cursor: 0"));
}

std::vector<std::string> ErroresDeLectura(const fs::path& dir) {
  std::vector<std::string> errores;
  for (const auto& e : fs::directory_iterator(dir)) {
    if (platform::UpperAscii(e.path().extension().string()) != ".DBF") {
      continue;
    }
    try {
      platform::Table t(dir, e.path().filename().string());
      t.Open(platform::OpenMode::Shared);
      long filas = 0;
      for (t.First(); !t.Eof(); t.Next()) {
        for (const auto& campo : t.Fields()) {
          (void)t.AsString(campo.name);
        }
        ++filas;
      }
      if (filas != t.RecordCount()) {
        errores.push_back(e.path().filename().string() + ": " + std::to_string(filas) +
                          " records read, " + std::to_string(t.RecordCount()) + " counted");
      }
    } catch (const platform::Error& error) {
      errores.push_back(error.what());
    }
  }
  return errores;
}

std::string SinFecha(const std::string& documento) {
  static const std::regex fecha(R"(fecha="[^"]*")");
  return std::regex_replace(documento, fecha, "fecha=\"-\"");
}

Montaje::Montaje(fs::path punto) : punto_(std::move(punto)) {
  montado_ = ::mount("trasvelo-prueba", punto_.c_str(), "tmpfs", 0, "size=8m") == 0;
}

Montaje::~Montaje() {
  if (montado_) {
    ::umount2(punto_.c_str(), MNT_DETACH);
  }
}

bool Montaje::SoloLectura() {
  return montado_ &&
         ::mount("trasvelo-prueba", punto_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}

}  // namespace trasvelo::test
