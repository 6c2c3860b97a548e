#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "PasosFixture.h"
#include "core/PasosImportacion.h"

namespace trasvelo::test {
namespace {

using core::TransformarMaterias;
using Filas = std::vector<std::vector<std::string>>;

class MateriasTest : public PasosTest {
 protected:
  void Importar(const std::vector<Valores>& materias) {
    Cargar({{"MATERIAS", materias}});
    TransformarMaterias(estado);
  }
};

TEST_F(MateriasTest, TablesHaveTheirLayouts) {
  Importar({});
  EXPECT_EQ(Campos("ASIGNOMT"), (std::vector<Campo>{{"COD", 'C', 10},
                                                    {"CODLARGO", 'C', 10},
                                                    {"NOMBRE", 'C', 80},
                                                    {"CODTAREA", 'C', 10},
                                                    {"ESTAREA", 'L', 1}}));
  EXPECT_EQ(Campos("ASIGNOMT2"), (std::vector<Campo>{{"COD", 'C', 10},
                                                     {"CODLARGO", 'C', 10},
                                                     {"NOMBRE", 'C', 80},
                                                     {"MATERIA", 'C', 20},
                                                     {"OFERTAMATRI", 'C', 20},
                                                     {"CODTAREA", 'C', 12},
                                                     {"ESTAREA", 'L', 1}}));
}

// Short and long codes of names that each come first under their code.
TEST_F(MateriasTest, CodesFromTheName) {
  struct Caso {
    std::string nombre, cod, codLargo;
  };
  const std::vector<Caso> casos = {
      {"Lengua Castellana y Literatura", "LCL", "Lengua Cas"},
      {"Matemáticas", "Matemá", "Matemá"},
      {"inglés", "inglés", "inglés"},
      {"lengua castellana y literatura", "lcyl", "lengua cas"},
      {"Física y Química", "FQ", "Física y Q"},
      {"1º ESO Tutoría", "1ESOT", "1ESOT"},
      {"EDUCACIÓN FÍSICA", "EDUCACINFS", "EDUCACINFS"},  // long code cut to the field
      {"Valores Éticos", "VÉ", "Valores Ét"},            // accented capitals are no capitals
      {"Ámbito Lingüístico y Social", "ÁLS", "Ámbito Lin"},
      {"Educación Física", "EF", "Educación"},  // the tenth character is a blank
      {"Matemáticas Aplicadas a las Ciencias Sociales II", "MACSII", "MACSII"},
      {"Tecnologías de la Información y la Comunicación I", "TICI", "Tecnología"},
      {"Comunicación empresarial y atención al cliente", "Ceyaac", "Ceyaac"},
      {"Latín", "Latín", "Latín"},
      {"x", "x", "x"},
  };
  std::vector<Valores> materias;
  Filas esperadas;
  for (size_t i = 0; i < casos.size(); ++i) {
    materias.push_back({"K" + std::to_string(i), "M" + std::to_string(i), casos[i].nombre});
    esperadas.push_back({casos[i].cod, casos[i].codLargo, casos[i].nombre});
  }
  Importar(materias);
  EXPECT_EQ(Leer("ASIGNOMT", {"COD", "CODLARGO", "NOMBRE"}), esperadas);
  EXPECT_EQ(Leer("ASIGNOMT2", {"COD", "CODLARGO", "NOMBRE"}), esperadas);
}

// Different names whose codes collide get distinct short codes, also where
// the numbered code has to be shortened.
TEST_F(MateriasTest, CollidingCodesAreNumbered) {
  Importar({{"1", "1", "Tecnología"},
            {"1", "2", "Tecnologías"},
            {"1", "3", "Tecnología Industrial"},
            {"1", "4", "Música"},
            {"1", "5", "MÚSICA"},
            {"1", "6", "EDUCACIÓN FÍSICA"},
            {"1", "7", "EDUCACIÓN FÍSICA Y DEPORTIVA"},
            {"1", "8", "EDUCACIÓN FÍSICA Y SALUD"},
            {"1", "9", "LENGUA CASTELLANA Y LITERATURA"},
            {"1", "10", "LENGUA CASTELLANA Y LITERATURA I"},
            {"1", "11", "LENGUA CASTELLANA Y LITERATURA II"},
            {"1", "12", "Cultura Científica"},
            {"1", "13", "Cultura Clásica"}});
  EXPECT_EQ(Columna("ASIGNOMT", "COD"),
            (std::vector<std::string>{"Tecnol", "Tecnol1", "TI", "Música", "MSICA", "EDUCACINFS",
                                      "EDUCACINS1", "EDUCACINS2", "LENGUACAST", "LENGUACAT1",
                                      "LENGUACAT2", "CC", "CC1"}));
}

TEST_F(MateriasTest, ARepeatedNameAddsOnlyItsSubjectAndCourse) {
  Importar({{"C1", "M1", "Lengua Castellana y Literatura"},
            {"C1", "M2", "Matemáticas"},
            {"C2", "M3", "Lengua Castellana y Literatura"},  // another course
            {"C2", "M3", "Lengua Castellana y Literatura"},  // the same record again
            {"C1", "M1", " Lengua Castellana y Literatura  "},
            {"C2", "M4", "Lengua Castellana y Literatura"}});  // another key, same course
  EXPECT_EQ(Leer("ASIGNOMT", {"COD", "NOMBRE", "CODTAREA", "ESTAREA"}),
            (Filas{{"LCL", "Lengua Castellana y Literatura", "", "F"},
                   {"Matemá", "Matemáticas", "", "F"}}));
  EXPECT_EQ(Leer("ASIGNOMT2", {"COD", "CODLARGO", "MATERIA", "OFERTAMATRI", "CODTAREA", "ESTAREA"}),
            (Filas{{"LCL", "Lengua Cas", "M1", "C1", "", "F"},
                   {"Matemá", "Matemá", "M2", "C1", "", "F"},
                   {"LCL", "Lengua Cas", "M3", "C2", "", "F"},
                   {"LCL", "Lengua Cas", "M4", "C2", "", "F"}}));
}

// Keys are stored cut to 20 characters and so are never found again: every
// repetition of such a subject adds a row.
TEST_F(MateriasTest, KeysLongerThanTheFieldRepeat) {
  const std::string largo = "123456789012345678901";
  Importar({{"C1", largo, "Música"},
            {"C1", largo, "Música"},
            {"C1", "M", "Música"},
            {"C1", "M", "Música"}});
  EXPECT_EQ(
      Leer("ASIGNOMT2", {"COD", "MATERIA"}),
      (Filas{{"Música", largo.substr(0, 20)}, {"Música", largo.substr(0, 20)}, {"Música", "M"}}));
}

TEST_F(MateriasTest, NamesAreCutToEightyCharacters) {
  const std::string nombre(85, 'a');
  Importar({{"C1", "M1", nombre}, {"C2", "M2", nombre}});
  EXPECT_EQ(Leer("ASIGNOMT", {"COD", "NOMBRE"}), (Filas{{"aaaaaa", nombre.substr(0, 80)}}));
  EXPECT_EQ(Columna("ASIGNOMT2", "COD"), (std::vector<std::string>{"aaaaaa", "aaaaaa"}));
}

TEST_F(MateriasTest, RecordsWithoutANameAreSkipped) {
  Importar({{"C1"},               // a single value
            {"C1", "M1"},         // no name
            {"C1", "M2", "   "},  // a blank name
            {"C1", "M3", ""},     // an empty name
            {"C1", "M4", "Química"}});
  EXPECT_EQ(Leer("ASIGNOMT2", {"COD", "MATERIA"}), (Filas{{"Químic", "M4"}}));
}

TEST_F(MateriasTest, BlankAndMissingKeysAreKept) {
  Importar({{"", "", "Física"}, {"C1", "  M1  ", "Química", "ignored", "ignored"}});
  EXPECT_EQ(Leer("ASIGNOMT2", {"COD", "MATERIA", "OFERTAMATRI"}),
            (Filas{{"Física", "", ""}, {"Químic", "M1", "C1"}}));
}

TEST_F(MateriasTest, NoGroupGivesEmptyTables) {
  Cargar({{"ACTIVIDADES", {{"x", "1", "Guardia"}}}});
  TransformarMaterias(estado);
  EXPECT_TRUE(Leer("ASIGNOMT", {"COD"}).empty());
  EXPECT_TRUE(Leer("ASIGNOMT2", {"COD"}).empty());
}

// A run that failed before the activities step left its codes in the sets;
// the next run starts from empty sets and earlier tables.
TEST_F(MateriasTest, StartsFromNothing) {
  estado.ListaCod = {"LCL", "FQ"};
  // Program text: "QUíMICA", "Químic", "QuímicQuímica".
  estado.ListaNombre = {"QU\xEDMICA"};
  estado.ListaCodLargo = {"Qu\xEDmic"};
  estado.ListaCodLargoNombre = {"Qu\xEDmicQu\xEDmica"};
  Importar({{"C1", "M1", "Lengua Castellana y Literatura"}, {"C1", "M2", "Química"}});
  Importar({{"C1", "M1", "Lengua Castellana y Literatura"}, {"C1", "M2", "Química"}});
  EXPECT_EQ(Columna("ASIGNOMT", "COD"), (std::vector<std::string>{"LCL", "Químic"}));
  EXPECT_EQ(Columna("ASIGNOMT2", "COD"), (std::vector<std::string>{"LCL", "Químic"}));
  EXPECT_EQ(estado.ListaCod, (core::ConjuntoTexto{"LCL", "Qu\xEDmic"}));
}

}  // namespace
}  // namespace trasvelo::test
