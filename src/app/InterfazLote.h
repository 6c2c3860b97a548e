#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/InterfazUsuario.h"

// The batch command's user interface: the file comes from the command line,
// messages go to standard output ("Proceso finalizado") or standard error
// (every failure, and each notice of the run report, one per line), the
// time frames come from --marcos. It never prompts.
namespace trasvelo::app {

class InterfazLote : public core::InterfazUsuario {
 public:
  InterfazLote(std::filesystem::path archivo, std::optional<std::vector<std::string>> marcos);

  std::optional<std::filesystem::path> ElegirArchivo(const core::DialogoArchivo&) override;
  void MostrarMensaje(const std::string& texto) override;
  void MostrarInforme(const std::string& texto, const core::Informe& informe) override;
  void MostrarError(const std::string& texto) override;
  // Each notice of the report on standard error, one per line.
  void MostrarAvisos(const core::Informe& informe);
  void CursorEspera(bool) override {}
  core::EleccionMarcos ElegirMarcos(const std::filesystem::path& archivoXML) override;
  void DesactivarBotones() override {}
  void CerrarVentana() override {}

 private:
  std::filesystem::path archivo_;
  std::optional<std::vector<std::string>> marcos_;
};

}  // namespace trasvelo::app
