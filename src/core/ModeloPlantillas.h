#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/InterfazUsuario.h"
#include "platform/XmlDom.h"

// What the time-frame chooser knows, without widgets: it reads its own copy
// of the exchange document, lists the frames, tells what to show for the
// current frame and judges the selection when the dialog closes. The Qt
// dialog TPlantillas and the batch command's --marcos both use it.
namespace trasvelo::core {

struct VistaMarco {
  std::string nombre = "-";  // LabelNombre
  std::string fecha1 = "-";  // LabelPlanFec1
  std::string fecha2 = "-";  // LabelPlanFec2
  // The slot list's new lines; nothing when the list keeps its lines (the
  // document holds fewer than two slot records).
  std::optional<std::vector<std::string>> tramos;
};

struct Validacion {
  EleccionMarcos eleccion;
  std::string mensaje;  // shown while the dialog is still on screen; empty when valid
};

class ModeloPlantillas {
 public:
  // FormActivate's load. Values are used untrimmed, as the document holds
  // them. Throws platform::Error naming the file when the document cannot
  // offer a choice (it does not parse, or holds fewer than two time frames):
  // no selection could ever be valid.
  void Cargar(const std::filesystem::path& archivo);

  // The frame list's lines (frame codes in document order).
  const std::vector<std::string>& Lineas() const { return lineas_; }

  // ComboBoxPlantillaChange for the frame whose code is `actual`.
  VistaMarco Mostrar(const std::string& actual) const;

  // FormClose with these lines of the frame list selected (indices into
  // Lineas(), in any order; the choice text follows list order).
  Validacion Validar(std::vector<size_t> seleccionadas) const;

 private:
  std::unique_ptr<platform::XmlDocument> documento_;
  std::vector<std::string> lineas_;
};

// The code of a frame as the choice text carries it: followed by ten blanks
// and cut to ten characters.
std::string CodigoDiez(const std::string& codigo);

}  // namespace trasvelo::core
