#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "core/Informe.h"

// The only way the runs reach the user. The Qt window, the batch command and
// the tests each implement it. Messages are UTF-8, like every exception's
// what(); data from documents and tables (Windows-1252) is converted with
// platform::Cp1252ToUtf8 before it enters a message.
namespace trasvelo::core {

// The file-open dialog OpenDialogXML.
struct DialogoArchivo {
  std::string titulo = "Archivo XML";
  std::string filtro = "*.xml";  // label and pattern alike
  std::string extension = "xml";
};

// What one time-frame chooser hands back when it closes.
struct EleccionMarcos {
  bool SeleccionValida = false;
  std::string MarcosSeleccionados;  // 10 or 20 characters when valid
};

class InterfazUsuario {
 public:
  virtual ~InterfazUsuario() = default;

  // The chosen file's full path, or nothing when the user cancels.
  virtual std::optional<std::filesystem::path> ElegirArchivo(const DialogoArchivo& dialogo) = 0;
  // A message box; returns when the user dismisses it.
  virtual void MostrarMensaje(const std::string& texto) = 0;
  // The message of a completed run together with its report, which the user
  // can read on demand (a message box's details). Called instead of
  // MostrarMensaje only when the report holds something.
  virtual void MostrarInforme(const std::string& texto, const Informe& informe) {
    (void)informe;
    MostrarMensaje(texto);
  }
  // The error box of the platform, with the error's message.
  virtual void MostrarError(const std::string& texto) = 0;
  // Hour-glass cursor for the whole application on or off.
  virtual void CursorEspera(bool activo) = 0;
  // Shows one time-frame chooser modally over the document at `archivoXML`
  // and returns its outcome. Throws when the chooser cannot offer any valid
  // choice (its own load of the file failed).
  virtual EleccionMarcos ElegirMarcos(const std::filesystem::path& archivoXML) = 0;
  // Disables BExportar and BImportar.
  virtual void DesactivarBotones() = 0;
  // Closes the main window (FormClose then reports to the host).
  virtual void CerrarVentana() = 0;
};

}  // namespace trasvelo::core
