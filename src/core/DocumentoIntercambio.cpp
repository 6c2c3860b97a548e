#include "core/DocumentoIntercambio.h"

#include "platform/Error.h"

namespace trasvelo::core {

Registro::Registro(platform::XmlNode nodo) : nodo_(nodo), datos_(nodo_.SelectNodes("dato")) {}

std::string Registro::Valor(size_t k) const {
  platform::XmlNode dato = datos_.Item(k);
  return dato ? dato.Text() : std::string();
}

std::string RutaGrupo(std::string_view seq) {
  // An XPath literal cannot escape its quote: take the quote the name lacks.
  const char comilla = seq.find('"') == std::string_view::npos ? '"' : '\'';
  if (seq.find(comilla) != std::string_view::npos) {
    throw platform::XmlError("El nombre de grupo " + std::string(seq) +
                             " no puede usarse en una ruta XML");
  }
  std::string ruta = "/SERVICIO/BLOQUE_DATOS/grupo_datos[@seq=";
  ruta += comilla;
  ruta += seq;
  ruta += comilla;
  ruta += "]/grupo_datos";
  return ruta;
}

std::vector<Registro> RegistrosDeGrupo(const platform::XmlDocument& documento,
                                       std::string_view seq) {
  const platform::XmlNodeList nodos = documento.SelectNodes(RutaGrupo(seq));
  std::vector<Registro> registros;
  registros.reserve(nodos.Length());
  for (size_t i = 0; i < nodos.Length(); ++i) {
    registros.emplace_back(nodos.Item(i));
  }
  return registros;
}

}  // namespace trasvelo::core
