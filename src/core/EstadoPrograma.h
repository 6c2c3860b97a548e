#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <unordered_set>

#include "core/Informe.h"
#include "core/TablasVentana.h"
#include "platform/XmlDom.h"

// The state that both directions share, owned by the main window.
namespace trasvelo::core {

struct Directorios {
  std::filesystem::path trabajo;   // C:\VTEMP
  std::filesystem::path programa;  // beside the executable: NIVELLARI.dbf, Velmora.ini
  // Where an import copies the working tables it will replace, one folder
  // per import; empty: no copies are made.
  std::filesystem::path copias = {};
};

// Run mode: 0 interactive, 2 hosted.
inline constexpr int kModoInteractivo = 0;
inline constexpr int kModoHospedado = 2;

using ConjuntoTexto = std::unordered_set<std::string>;  // exact, case-sensitive

struct EstadoPrograma {
  explicit EstadoPrograma(Directorios dirs);

  Directorios directorios;
  int modoEjecucion = kModoInteractivo;
  // 0 nothing completed; 1 a run completed; -1 hosted run without a file.
  int resultado = 0;
  // The exchange document last chosen in OpenDialogXML.
  std::filesystem::path ArchivoXML;
  // The document of the current run; each run replaces it.
  std::unique_ptr<platform::XmlDocument> DocumentoXML;

  // The subjects step's sets.
  ConjuntoTexto ListaCod;
  ConjuntoTexto ListaCodLargo;
  ConjuntoTexto ListaNombre;
  ConjuntoTexto ListaCodLargoNombre;

  TablasVentana tablas;

  // What the current run did not carry over or changed; emptied when a run
  // of either direction starts.
  Informe informe;
};

}  // namespace trasvelo::core
