#include "support/DocumentoPrueba.h"

namespace trasvelo::test {

namespace {

std::string Escapar(const std::string& texto) {
  std::string salida;
  for (char c : texto) {
    switch (c) {
      case '<':
        salida += "&lt;";
        break;
      case '>':
        salida += "&gt;";
        break;
      case '&':
        salida += "&amp;";
        break;
      default:
        salida += c;
    }
  }
  return salida;
}

}  // namespace

std::string DocumentoXml(const std::vector<GrupoPrueba>& grupos) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SERVICIO><BLOQUE_DATOS>";
  for (const auto& grupo : grupos) {
    xml += "<grupo_datos seq=\"" + grupo.seq + "\">";
    for (const auto& registro : grupo.registros) {
      xml += "<grupo_datos>";
      for (size_t i = 0; i < registro.size(); ++i) {
        xml +=
            "<dato nombre_dato=\"V" + std::to_string(i) + "\">" + Escapar(registro[i]) + "</dato>";
      }
      xml += "</grupo_datos>";
    }
    xml += "</grupo_datos>";
  }
  return xml + "</BLOQUE_DATOS></SERVICIO>\n";
}

}  // namespace trasvelo::test
