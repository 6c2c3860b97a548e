#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/XmlDom.h"

// Reading the exchange document: groups of records by their `seq`, values by
// position. SERVICIO / BLOQUE_DATOS / grupo_datos[@seq=NAME] / grupo_datos /
// dato.
namespace trasvelo::core {

// One record of a group: its direct `dato` children, by position.
class Registro {
 public:
  explicit Registro(platform::XmlNode nodo);
  size_t NumeroValores() const { return datos_.Length(); }
  // The text of value k (from 0) in program text; a position the record
  // lacks reads as empty text.
  std::string Valor(size_t k) const;
  const platform::XmlNode& Nodo() const { return nodo_; }

 private:
  platform::XmlNode nodo_;
  platform::XmlNodeList datos_;
};

// The path that selects the records of a group.
std::string RutaGrupo(std::string_view seq);

// The records of every group of that name, in document order.
std::vector<Registro> RegistrosDeGrupo(const platform::XmlDocument& documento,
                                       std::string_view seq);

}  // namespace trasvelo::core
