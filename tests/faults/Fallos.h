#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/EstadoPrograma.h"
#include "support/InterfazGuionizada.h"
#include "support/TempDir.h"

// What the fault tests share: a working and a program directory of their
// own with the level table, the sample document, and the two directions run
// as the window runs them, with a scripted user.
namespace trasvelo::test {

namespace fs = std::filesystem;

// The working tables an import rebuilds, and those an export opens.
extern const std::vector<std::string> kTablasImportacion;
extern const std::vector<std::string> kTablasExportacion;

class FallosTest : public ::testing::Test {
 protected:
  FallosTest();

  // The import of `documento`, both frames chosen when it offers several.
  void Importar(const fs::path& documento);
  void Importar() { Importar(muestra); }
  // The export of the timetable in the working directory into `documento`.
  void Exportar(const fs::path& documento);
  void Exportar() { Exportar(muestra); }
  // The sample imported and its timetable solved: ready for an export.
  void Preparar();
  // The export's output for `documento`.
  static fs::path Salida(const fs::path& documento);

  // The run ended on an error that names `nombre`: no "Proceso finalizado",
  // run result unchanged, buttons enabled, cursor restored.
  void ComprobarFallo(const std::string& nombre);
  bool Completada() const;

  TempDir trabajo;
  TempDir programa;
  TempDir documentos;
  fs::path muestra;
  // The state of a window whose working directory is `dir`.
  void UsarTrabajo(const fs::path& dir);
  std::unique_ptr<core::EstadoPrograma> estado;
  InterfazGuionizada ui;
};

// Every .DBF file of `dir` opened and read to its end, each field of each
// record; the errors met, one per table.
std::vector<std::string> ErroresDeLectura(const fs::path& dir);

// The document's text with the export's date masked.
std::string SinFecha(const std::string& documento);

// A small file system of its own, mounted at `punto` (which must exist)
// until the object goes. Needs root; Montado() tells whether it worked.
class Montaje {
 public:
  explicit Montaje(fs::path punto);
  ~Montaje();
  Montaje(const Montaje&) = delete;
  Montaje& operator=(const Montaje&) = delete;
  bool Montado() const { return montado_; }
  // From now on nothing on it can be written.
  bool SoloLectura();

 private:
  fs::path punto_;
  bool montado_ = false;
};

}  // namespace trasvelo::test
