#include "PasosFixture.h"

#include <cstdio>

#include "platform/Paths.h"
#include "platform/Table.h"
#include "platform/Text1252.h"
#include "platform/XmlDom.h"

namespace trasvelo::test {

PasosTest::PasosTest() : estado(core::Directorios{trabajo.path(), programa.path()}) {}

void PasosTest::Cargar(const std::vector<GrupoPrueba>& grupos) {
  estado.DocumentoXML = std::make_unique<platform::XmlDocument>();
  ASSERT_TRUE(estado.DocumentoXML->LoadFromMemory(DocumentoXml(grupos)))
      << estado.DocumentoXML->LoadError();
}

void PasosTest::CrearNiveles(const std::vector<Nivel>& niveles) {
  platform::CreateTable(programa.path(), "NIVELLARI.dbf",
                        {{"X_OFERTAMATRIG", platform::FieldType::Integer, 0},
                         {"NIVEL_ABREV", platform::FieldType::Text, 5},
                         {"ESTUDIO", platform::FieldType::Text, 80}});
  platform::Table tabla(programa.path(), "NIVELLARI.dbf");
  tabla.Open(platform::OpenMode::Exclusive);
  for (const auto& nivel : niveles) {
    tabla.Append();
    tabla.SetInteger("X_OFERTAMATRIG", nivel.clave);
    tabla.SetString("NIVEL_ABREV", platform::Utf8To1252(nivel.abrev));
    tabla.SetString("ESTUDIO", platform::Utf8To1252(nivel.estudio));
    tabla.Post();
  }
  tabla.Close();
}

std::vector<Campo> PasosTest::Campos(const std::string& nombre) const {
  platform::Table tabla(trabajo.path(), nombre);
  tabla.Open(platform::OpenMode::Shared);
  std::vector<Campo> campos;
  for (const auto& campo : tabla.Fields()) {
    campos.emplace_back(campo.name, campo.type, campo.width);
  }
  return campos;
}

std::vector<std::vector<std::string>> PasosTest::Leer(
    const std::string& nombre, const std::vector<std::string>& campos) const {
  platform::Table tabla(trabajo.path(), nombre);
  tabla.Open(platform::OpenMode::Shared);
  std::vector<std::vector<std::string>> filas;
  std::vector<char> tipos;
  for (const auto& campo : campos) {
    char tipo = 'C';
    for (const auto& info : tabla.Fields()) {
      if (info.name == campo) {
        tipo = info.type;
      }
    }
    tipos.push_back(tipo);
  }
  for (tabla.First(); !tabla.Eof(); tabla.Next()) {
    std::vector<std::string> fila;
    for (size_t i = 0; i < campos.size(); ++i) {
      if ((tipos[i] == 'N' || tipos[i] == 'F' || tipos[i] == 'I') && !tabla.IsBlank(campos[i])) {
        char numero[64];
        std::snprintf(numero, sizeof numero, "%.15g", tabla.AsFloat(campos[i]));
        fila.push_back(numero);
      } else {
        fila.push_back(platform::Cp1252ToUtf8(tabla.AsString(campos[i])));
      }
    }
    filas.push_back(std::move(fila));
  }
  return filas;
}

std::vector<std::string> PasosTest::Columna(const std::string& tabla,
                                            const std::string& campo) const {
  std::vector<std::string> columna;
  for (auto& fila : Leer(tabla, {campo})) {
    columna.push_back(std::move(fila.front()));
  }
  return columna;
}

bool PasosTest::Existe(const std::string& tabla) const {
  return platform::FindIgnoreCase(trabajo.path(), tabla + ".DBF").has_value();
}

}  // namespace trasvelo::test
