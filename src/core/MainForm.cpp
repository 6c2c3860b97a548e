#include "core/MainForm.h"

#include "platform/Error.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "platform/Text1252.h"

namespace trasvelo::core {

Arranque FormCreate(EstadoPrograma& estado, const std::vector<std::string>& argumentos) {
  estado.ListaCod.clear();
  estado.ListaCodLargo.clear();
  estado.ListaNombre.clear();
  estado.ListaCodLargoNombre.clear();
  estado.resultado = 0;
  Arranque arranque;
  if (argumentos.size() != 2) {
    return arranque;
  }
  try {
    arranque.ventanaAnfitriona = platform::HexToInt(argumentos[1]);
  } catch (const platform::ConversionError& e) {
    // Not embedded, border kept, run mode stays 0; start-up goes on.
    arranque.error = e.what();
    return arranque;
  }
  estado.modoEjecucion = kModoHospedado;
  return arranque;
}

void FormShow(EstadoPrograma& estado, InterfazUsuario& ui,
              const std::vector<std::string>& argumentos) {
  if (argumentos.size() != 2) {
    return;
  }
  const std::string direccion = platform::LowerAscii(argumentos[0]);
  if (direccion == "importar") {
    BImportarClick(estado, ui);
  } else if (direccion == "exportar") {
    BExportarClick(estado, ui);
  }
}

void FormClose(const EstadoPrograma& estado) {
  if (estado.modoEjecucion != kModoHospedado) {
    return;
  }
  const auto ini = platform::ResolveIgnoreCase(estado.directorios.programa, "Velmora.ini");
  try {
    platform::WriteIniInteger(ini, "Transformadores", "Transformado", estado.resultado);
  } catch (const platform::FileError& e) {
    throw platform::FileError("No se pudo comunicar el resultado (" +
                                  std::to_string(estado.resultado) +
                                  ") al programa de horarios: " + e.what(),
                              e.place());
  }
}

}  // namespace trasvelo::core
