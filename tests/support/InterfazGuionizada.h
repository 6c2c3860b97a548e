#pragma once

#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/InterfazUsuario.h"

// A user interface that follows a script: the file dialog and the
// time-frame chooser answer from queues, and every call is recorded in
// order as one line of text, so a test can check what the user saw and in
// which order.
namespace trasvelo::test {

class InterfazGuionizada : public core::InterfazUsuario {
 public:
  // Answers of the file dialog, taken in order; nothing means "cancel".
  std::deque<std::optional<std::filesystem::path>> archivos;
  // Answers of the chooser, taken in order. A chooser called with the queue
  // empty fails the test and throws, since the run would otherwise show it
  // again without end.
  std::deque<core::EleccionMarcos> marcos;
  // When not empty, the chooser fails with this message instead, as one that
  // finds nothing to offer in the file.
  std::string falloMarcos;

  // One line per call: "ElegirArchivo", "Mensaje: <texto>", "Error: <texto>",
  // "Cursor: 1" / "Cursor: 0", "ElegirMarcos: <ruta>", "DesactivarBotones",
  // "CerrarVentana".
  std::vector<std::string> llamadas;
  // The reports shown with a message (MostrarInforme), in order; the message
  // itself is recorded in `llamadas` as any other "Mensaje: <texto>".
  std::vector<core::Informe> informes;
  // The file dialogs shown, as the run configured them.
  std::vector<core::DialogoArchivo> dialogos;

  // The texts of MostrarMensaje and MostrarError, in order.
  std::vector<std::string> Mensajes() const;
  std::vector<std::string> Errores() const;
  int Veces(const std::string& llamada) const;

  std::optional<std::filesystem::path> ElegirArchivo(const core::DialogoArchivo& dialogo) override;
  void MostrarMensaje(const std::string& texto) override;
  void MostrarInforme(const std::string& texto, const core::Informe& informe) override;
  void MostrarError(const std::string& texto) override;
  void CursorEspera(bool activo) override;
  core::EleccionMarcos ElegirMarcos(const std::filesystem::path& archivoXML) override;
  void DesactivarBotones() override;
  void CerrarVentana() override;
};

// A valid choice of one or two frames, as the chooser hands it back.
core::EleccionMarcos Eleccion(const std::string& marcosSeleccionados, bool valida = true);

}  // namespace trasvelo::test
