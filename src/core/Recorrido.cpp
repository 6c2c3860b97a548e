#include "core/Recorrido.h"

#include <exception>
#include <filesystem>
#include <system_error>

#include "core/Mensajes.h"

namespace trasvelo::core {

bool ElegirDocumento(EstadoPrograma& estado, InterfazUsuario& ui) {
  if (auto elegido = ui.ElegirArchivo(DialogoArchivo{})) {
    estado.ArchivoXML = std::filesystem::absolute(*elegido);
  }
  std::error_code ec;
  if (estado.ArchivoXML.empty() || !std::filesystem::is_regular_file(estado.ArchivoXML, ec)) {
    ui.MostrarMensaje(mensajes::kNoExisteArchivo);
    if (estado.modoEjecucion == kModoHospedado) {
      estado.resultado = -1;
      ui.CerrarVentana();
    }
    return false;
  }
  return true;
}

bool EjecutarPasos(EstadoPrograma& estado, InterfazUsuario& ui,
                   const std::function<void()>& trabajo) {
  ui.CursorEspera(true);
  try {
    trabajo();
  } catch (const std::exception& e) {
    estado.tablas.CerrarTodas();
    ui.CursorEspera(false);
    ui.MostrarError(e.what());
    return false;
  }
  estado.tablas.CerrarTodas();
  ui.CursorEspera(false);
  return true;
}

void Completar(EstadoPrograma& estado, InterfazUsuario& ui) {
  estado.resultado = 1;
  if (estado.informe.Vacio()) {
    ui.MostrarMensaje(mensajes::kProcesoFinalizado);
  } else {
    ui.MostrarInforme(mensajes::kProcesoFinalizado, estado.informe);
  }
  ui.DesactivarBotones();
  if (estado.modoEjecucion == kModoHospedado) {
    ui.CerrarVentana();
  }
}

}  // namespace trasvelo::core
