#pragma once

#include <string>

// The help service of the windows: the table of contents or one topic of a
// compiled help file, given by bare file name (found in the program
// directory). AyudaChm (ui/VisorAyuda.h) is the program's own.
namespace trasvelo::ui {

class Ayuda {
 public:
  virtual ~Ayuda() = default;
  virtual void AbrirIndiceAyuda(const std::string& archivo) = 0;
  virtual void AbrirTemaAyuda(const std::string& archivo, int tema) = 0;
};

// The help file of the application.
inline constexpr const char* kArchivoAyuda = "RACIMA.chm";
// The topic of the main window, its panels and its buttons.
inline constexpr int kTemaVentanaPrincipal = 3;

}  // namespace trasvelo::ui
