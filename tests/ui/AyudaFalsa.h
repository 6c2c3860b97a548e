#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ui/Ayuda.h"

namespace trasvelo::test {

// Records what the window asks of the help service.
class AyudaFalsa : public ui::Ayuda {
 public:
  struct Peticion {
    std::string archivo;
    std::optional<int> tema;  // none: the table of contents
    bool operator==(const Peticion&) const = default;
  };
  void AbrirIndiceAyuda(const std::string& archivo) override {
    peticiones.push_back({archivo, std::nullopt});
  }
  void AbrirTemaAyuda(const std::string& archivo, int tema) override {
    peticiones.push_back({archivo, tema});
  }
  std::vector<Peticion> peticiones;
};

}  // namespace trasvelo::test
