#include "support/TableDump.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "platform/Table.h"
#include "platform/Text1252.h"
#include "support/TempDir.h"

namespace trasvelo::test {

namespace {

std::string Escapar(std::string_view texto) {
  std::string salida;
  for (char c : texto) {
    switch (c) {
      case '|':
        salida += "\\|";
        break;
      case '\\':
        salida += "\\\\";
        break;
      case '\n':
        salida += "\\n";
        break;
      case '\r':
        salida += "\\r";
        break;
      default:
        salida += c;
    }
  }
  return salida;
}

std::string Numero(double valor) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.15g", valor);
  return buffer;
}

std::string Valor(const platform::Table& tabla, const platform::FieldInfo& campo) {
  if (tabla.IsBlank(campo.name)) {
    return "";
  }
  switch (campo.type) {
    case 'C':
    case 'M':
      return Escapar(platform::Cp1252ToUtf8(tabla.AsString(campo.name)));
    case 'L':
      return tabla.AsString(campo.name);
    case 'N':
    case 'F':
    case 'I':
    case 'O':
    case 'B':
      return Numero(tabla.AsFloat(campo.name));
    default:
      return Escapar(platform::Cp1252ToUtf8(tabla.AsString(campo.name)));
  }
}

std::vector<std::string> Lineas(const std::string& texto) {
  std::vector<std::string> lineas;
  std::istringstream entrada(texto);
  for (std::string linea; std::getline(entrada, linea);) {
    lineas.push_back(linea);
  }
  return lineas;
}

}  // namespace

std::string VolcarTabla(const std::filesystem::path& dir, std::string_view nombre) {
  platform::Table tabla(dir, std::string(nombre));
  tabla.Open(platform::OpenMode::Shared);
  std::string salida;
  const auto& campos = tabla.Fields();
  for (size_t i = 0; i < campos.size(); ++i) {
    salida += (i ? "|" : "") + campos[i].name + ":" + campos[i].type + ":" +
              std::to_string(campos[i].width);
  }
  salida += '\n';
  for (tabla.First(); !tabla.Eof(); tabla.Next()) {
    for (size_t i = 0; i < campos.size(); ++i) {
      salida += (i ? "|" : "") + Valor(tabla, campos[i]);
    }
    salida += '\n';
  }
  tabla.Close();
  return salida;
}

::testing::AssertionResult IgualAlArchivo(const std::string& volcado,
                                          const std::filesystem::path& esperado) {
  const char* actualizar = std::getenv("TRASVELO_ACTUALIZAR_ESPERADOS");
  if (actualizar != nullptr && std::string(actualizar) == "1") {
    WriteFile(esperado, volcado);
    return ::testing::AssertionSuccess() << "rewritten " << esperado;
  }
  if (!std::filesystem::exists(esperado)) {
    return ::testing::AssertionFailure() << "missing " << esperado;
  }
  const std::string contenido = ReadFile(esperado);
  if (contenido == volcado) {
    return ::testing::AssertionSuccess();
  }
  const auto real = Lineas(volcado);
  const auto previsto = Lineas(contenido);
  size_t n = 0;
  while (n < real.size() && n < previsto.size() && real[n] == previsto[n]) {
    ++n;
  }
  const auto copia = std::filesystem::temp_directory_path() /
                     (esperado.stem().string() + ".actual" + esperado.extension().string());
  WriteFile(copia, volcado);
  auto fallo = ::testing::AssertionFailure();
  fallo << esperado.filename() << " differs at line " << (n + 1)
        << "\n  expected: " << (n < previsto.size() ? previsto[n] : "<end of file>")
        << "\n  actual:   " << (n < real.size() ? real[n] : "<end of table>")
        << "\n  whole dump written to " << copia;
  return fallo;
}

}  // namespace trasvelo::test
