#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "PasosFixture.h"
#include "core/PasosImportacion.h"

namespace trasvelo::test {
namespace {

using core::TransformarDependencias;
using Filas = std::vector<std::vector<std::string>>;

class DependenciasTest : public PasosTest {
 protected:
  void Importar(const std::vector<Valores>& aulas) {
    Cargar({{"DEPENDENCIAS", aulas}});
    TransformarDependencias(estado);
  }
};

TEST_F(DependenciasTest, TableHasItsLayout) {
  Importar({});
  EXPECT_EQ(Campos("AULAT"), (std::vector<Campo>{{"ABREV", 'C', 10},
                                                 {"NOMBRE", 'C', 80},
                                                 {"EDIFICIO", 'C', 1},
                                                 {"MAXALUM", 'N', 11},
                                                 {"DEPCENTRO", 'C', 10}}));
  EXPECT_TRUE(Leer("AULAT", {"ABREV"}).empty());
}

TEST_F(DependenciasTest, RoomCodes) {
  Importar({
      {"4711AB", "Aula 1"},
      {"101", "Aula 101"},
      {"", "Laboratorio"},
      {"101", "Aula 101 (desdoble)"},  // the same key: numbered
      {"", "Aula 1A"},
      {"", "Aula 1B"},
      {"", "Aula 1C"},
      {"A7", "Seminario"},
      {"a7", "Seminario 2"},  // case is ignored
      {"X100A5", "Desdoble norte"},
      {"Y200A5", "Desdoble sur"},  // ABREV repeats: the code as a whole is unique
      {"999"},                     // a single value takes no code
      {" 999 ", "  Gimnasio "},
      {"ABCDEFGHIJKL", std::string(90, 'g')},
      {"", ""},
      {"", ""},
  });
  EXPECT_EQ(Leer("AULAT", {"ABREV", "NOMBRE", "EDIFICIO", "DEPCENTRO"}),
            (Filas{{"11AB", "Aula 1", "", "4711AB"},
                   {"101", "Aula 101", "", "101"},
                   {"bora", "Laboratorio", "", ""},
                   {"1011", "Aula 101 (desdoble)", "", "101"},
                   {"la 1", "Aula 1A", "", ""},
                   {"a 11", "Aula 1B", "", ""},
                   {"a 12", "Aula 1C", "", ""},
                   {"A7", "Seminario", "", "A7"},
                   {"a71", "Seminario 2", "", "a7"},
                   {"00A5", "Desdoble norte", "", "X100A5"},
                   {"00A5", "Desdoble sur", "", "Y200A5"},
                   {"999", "Gimnasio", "", "999"},
                   {"IJKL", std::string(80, 'g'), "", "ABCDEFGHIJ"},
                   {"", "", "", ""},
                   {"1", "", "", ""}}));
}

}  // namespace
}  // namespace trasvelo::test
