#include "core/Informe.h"

#include <utility>

namespace trasvelo::core {
namespace {

std::string EnUnaLinea(const std::string& texto) {
  std::string linea = texto;
  for (char& c : linea) {
    if (c == '\n' || c == '\r' || c == '\t')
      c = ' ';
  }
  return linea;
}

std::string CampoCsv(const std::string& valor) {
  if (valor.find_first_of(",\"\r\n") == std::string::npos)
    return valor;
  std::string campo = "\"";
  for (char c : valor) {
    if (c == '"')
      campo += '"';
    campo += c;
  }
  return campo + "\"";
}

}  // namespace

void Informe::Anotar(std::string origen, int registro, std::string clave, std::string motivo) {
  avisos_.push_back(Aviso{std::move(origen), registro, std::move(clave), std::move(motivo)});
}

std::string Informe::Linea(const Aviso& aviso) {
  std::string linea = EnUnaLinea(aviso.origen);
  if (aviso.registro > 0)
    linea += ", registro " + std::to_string(aviso.registro);
  if (!aviso.clave.empty())
    linea += ", clave '" + EnUnaLinea(aviso.clave) + "'";
  return linea + ": " + EnUnaLinea(aviso.motivo);
}

std::string Informe::Texto() const {
  std::string texto;
  for (const Aviso& aviso : avisos_)
    texto += Linea(aviso) + "\n";
  return texto;
}

std::string Informe::Csv() const {
  std::string csv = "origen,registro,clave,motivo\r\n";
  for (const Aviso& aviso : avisos_) {
    csv += CampoCsv(aviso.origen) + "," +
           (aviso.registro > 0 ? std::to_string(aviso.registro) : std::string()) + "," +
           CampoCsv(aviso.clave) + "," + CampoCsv(aviso.motivo) + "\r\n";
  }
  return csv;
}

}  // namespace trasvelo::core
