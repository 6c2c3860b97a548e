#pragma once

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "core/EstadoPrograma.h"
#include "support/DocumentoPrueba.h"
#include "support/TempDir.h"

// What the import steps' tests share: a working and a program directory of
// their own, an exchange document built from a few values, and the tables
// read back as text. Values and table text are written in UTF-8 here and
// cross into program text (Windows-1252) at the edges.
namespace trasvelo::test {

// A field of a table as created: name, dBase type letter, width.
using Campo = std::tuple<std::string, char, int>;

struct Nivel {
  int clave;
  std::string abrev;
  std::string estudio;
};

class PasosTest : public ::testing::Test {
 protected:
  PasosTest();

  // Loads a document with these groups into DocumentoXML.
  void Cargar(const std::vector<GrupoPrueba>& grupos);
  // Writes NIVELLARI.dbf into the program directory.
  void CrearNiveles(const std::vector<Nivel>& niveles);

  // The fields of a working table, in table order.
  std::vector<Campo> Campos(const std::string& tabla) const;
  // The named fields of every record of a working table, as text (UTF-8);
  // numbers in their shortest decimal form, blank ones as empty text.
  std::vector<std::vector<std::string>> Leer(const std::string& tabla,
                                             const std::vector<std::string>& campos) const;
  // One field of every record.
  std::vector<std::string> Columna(const std::string& tabla, const std::string& campo) const;
  bool Existe(const std::string& tabla) const;

  TempDir trabajo;
  TempDir programa;
  core::EstadoPrograma estado;
};

}  // namespace trasvelo::test
