#include "support/InterfazGuionizada.h"

#include <algorithm>
#include <stdexcept>

#include <gtest/gtest.h>

#include "platform/Error.h"

namespace trasvelo::test {
namespace {

std::vector<std::string> ConPrefijo(const std::vector<std::string>& llamadas,
                                    const std::string& prefijo) {
  std::vector<std::string> textos;
  for (const auto& llamada : llamadas) {
    if (llamada.rfind(prefijo, 0) == 0)
      textos.push_back(llamada.substr(prefijo.size()));
  }
  return textos;
}

}  // namespace

std::vector<std::string> InterfazGuionizada::Mensajes() const {
  return ConPrefijo(llamadas, "Mensaje: ");
}

std::vector<std::string> InterfazGuionizada::Errores() const {
  return ConPrefijo(llamadas, "Error: ");
}

int InterfazGuionizada::Veces(const std::string& llamada) const {
  return static_cast<int>(std::count(llamadas.begin(), llamadas.end(), llamada));
}

std::optional<std::filesystem::path> InterfazGuionizada::ElegirArchivo(
    const core::DialogoArchivo& dialogo) {
  llamadas.push_back("ElegirArchivo");
  dialogos.push_back(dialogo);
  if (archivos.empty()) {
    ADD_FAILURE() << "file dialog shown more often than scripted";
    return std::nullopt;
  }
  auto respuesta = archivos.front();
  archivos.pop_front();
  return respuesta;
}

void InterfazGuionizada::MostrarMensaje(const std::string& texto) {
  llamadas.push_back("Mensaje: " + texto);
}

void InterfazGuionizada::MostrarInforme(const std::string& texto, const core::Informe& informe) {
  llamadas.push_back("Mensaje: " + texto);
  informes.push_back(informe);
}

void InterfazGuionizada::MostrarError(const std::string& texto) {
  llamadas.push_back("Error: " + texto);
}

void InterfazGuionizada::CursorEspera(bool activo) {
  llamadas.push_back(activo ? "Cursor: 1" : "Cursor: 0");
}

core::EleccionMarcos InterfazGuionizada::ElegirMarcos(const std::filesystem::path& archivoXML) {
  llamadas.push_back("ElegirMarcos: " + archivoXML.string());
  if (!falloMarcos.empty())
    throw platform::Error(falloMarcos);
  if (marcos.empty()) {
    // An unscripted chooser would be shown again without end.
    ADD_FAILURE() << "time-frame chooser shown more often than scripted";
    throw std::runtime_error("chooser not scripted");
  }
  auto respuesta = marcos.front();
  marcos.pop_front();
  return respuesta;
}

void InterfazGuionizada::DesactivarBotones() {
  llamadas.push_back("DesactivarBotones");
}

void InterfazGuionizada::CerrarVentana() {
  llamadas.push_back("CerrarVentana");
}

core::EleccionMarcos Eleccion(const std::string& marcosSeleccionados, bool valida) {
  return core::EleccionMarcos{valida, marcosSeleccionados};
}

}  // namespace trasvelo::test
