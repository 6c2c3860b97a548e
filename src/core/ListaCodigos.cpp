#include "core/ListaCodigos.h"

#include "platform/Text1252.h"

namespace trasvelo::core {

std::string AcortarCodigo(const std::string& codigo) {
  if (codigo.size() <= 10) {
    return codigo;
  }
  return codigo.substr(0, 8) + codigo.substr(codigo.size() - 2);
}

ListaCodigos::ListaCodigos(Comparacion comparacion, bool acortar)
    : comparacion_(comparacion), acortar_(acortar), codigos_(&propio_) {}

ListaCodigos::ListaCodigos(ConjuntoTexto& conjunto, bool acortar)
    : comparacion_(Comparacion::Exacta), acortar_(acortar), codigos_(&conjunto) {}

std::string ListaCodigos::Clave(std::string_view codigo) const {
  if (comparacion_ == Comparacion::SinMayusculas) {
    return platform::FoldCase1252(codigo);
  }
  return std::string(codigo);
}

std::string ListaCodigos::Forma(std::string codigo) const {
  return acortar_ ? AcortarCodigo(codigo) : codigo;
}

std::string ListaCodigos::Candidato(const std::string& base, unsigned long contador) const {
  const std::string numero = std::to_string(contador);
  if (!acortar_ || contador < kContadorMaximoForma) {
    return Forma(base + numero);
  }
  // Past this counter the shortened form repeats codes it gave before (a
  // ten-character base has only 110 of them), and a search for a free one
  // would never end. The counter then replaces the end of the base instead;
  // while no shortening is needed the two forms are the same text.
  return base.substr(0, numero.size() < 10 ? 10 - numero.size() : 0) + numero;
}

bool ListaCodigos::Contiene(std::string_view codigo) const {
  return codigos_->contains(Clave(codigo));
}

std::string ListaCodigos::Asignar(const std::string& base) {
  std::string candidato = Forma(base);
  numerado_ = Contiene(candidato);
  if (numerado_) {
    unsigned long& contador = siguiente_[Clave(base)];
    if (contador == 0) {
      contador = 1;
    }
    for (;; ++contador) {
      candidato = Candidato(base, contador);
      if (!Contiene(candidato)) {
        break;
      }
    }
    ++contador;
  }
  codigos_->insert(Clave(candidato));
  return candidato;
}

}  // namespace trasvelo::core
