#pragma once

#include <string>
#include <vector>

// Exchange documents for tests, built from a few values.
namespace trasvelo::test {

// One record: its values in order.
using Valores = std::vector<std::string>;

struct GrupoPrueba {
  std::string seq;
  std::vector<Valores> registros;
};

// The XML text of an exchange document holding these groups.
std::string DocumentoXml(const std::vector<GrupoPrueba>& grupos);

}  // namespace trasvelo::test
