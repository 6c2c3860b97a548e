#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "PasosFixture.h"
#include "core/PasosImportacion.h"
#include "platform/Error.h"
#include "platform/Table.h"

namespace trasvelo::test {
namespace {

using core::TransformarCursosUnidades;
using Filas = std::vector<std::vector<std::string>>;

class CursosUnidadesTest : public PasosTest {
 protected:
  CursosUnidadesTest() {
    CrearNiveles({{101, "ESO", "Educación Secundaria Obligatoria"},
                  {201, "BACH", "Bachillerato"},
                  {301, "", "Programa de Diversificación"},  // no short name
                  {101, "XXX", "a later record of the same key"}});
  }
  void Importar(const std::vector<Valores>& cursos, const std::vector<Valores>& unidades) {
    Cargar({{"CURSOS_DEL_CENTRO", cursos}, {"UNIDADES", unidades}});
    TransformarCursosUnidades(estado);
  }
};

TEST_F(CursosUnidadesTest, TablesHaveTheirLayouts) {
  Importar({}, {});
  EXPECT_EQ(Campos("CURSOST"), (std::vector<Campo>{{"ABREV", 'C', 3},
                                                   {"TURNO", 'C', 1},
                                                   {"NIVEL", 'C', 5},
                                                   {"CURSO", 'C', 3},
                                                   {"CLAVE", 'C', 10},
                                                   {"ESTUD", 'C', 80}}));
  EXPECT_EQ(Campos("GRUPOST"), (std::vector<Campo>{{"ABREV", 'C', 10},
                                                   {"TURNO", 'C', 1},
                                                   {"NIVEL", 'C', 5},
                                                   {"CURSO", 'C', 3},
                                                   {"GRUPO", 'C', 2},
                                                   {"MARCO", 'C', 1},
                                                   {"CLAVE", 'C', 10},
                                                   {"CLAVECURSO", 'C', 10},
                                                   {"DESCRIP", 'C', 80}}));
}

TEST_F(CursosUnidadesTest, CoursesTakeLevelAndStudy) {
  Importar({{" 101 ", "1º ESO"},
            {"201", "  2 Bachillerato"},
            {"301", "3º Diversificación"},
            {"999", "Curso sin nivel"},
            {"-7", ""},
            {"0201", "1 Bachillerato"},  // read as the number 201
            {"101"},                     // a single value: skipped
            {"101", "4º ESO"}},          // the same key again: stored too
           {});
  EXPECT_EQ(Leer("CURSOST", {"ABREV", "TURNO", "NIVEL", "CURSO", "CLAVE", "ESTUD"}),
            (Filas{{"", "", "ESO", "1", "101", "Educación Secundaria Obligatoria"},
                   {"", "", "BACH", "2", "201", "Bachillerato"},
                   {"", "", "Niv", "3", "301", "Programa de Diversificación"},
                   {"", "", "Niv", "C", "999", ""},
                   {"", "", "Niv", "", "-7", ""},
                   {"", "", "BACH", "1", "0201", "Bachillerato"},
                   {"", "", "ESO", "4", "101", "Educación Secundaria Obligatoria"}}));
}

TEST_F(CursosUnidadesTest, GroupCodes) {
  std::vector<Valores> unidades = {
      {"U1", "2 ESO B", "101"},
      {"U2", "1 BACHILLERATO A", "201"},
      {"U3", "2 ESO B", "101"},
      {"U4", "1 BACHILLERATO A", "201"},
      {"U5", "1 BACHILLERATO  A", "201"},  // the same code a third time
      {"U6", "2 eso b", "101"},            // case is ignored
      {"U7", "", "101"},
      {"U8", "", "101"},
  };
  for (int i = 0; i < 11; ++i) {
    unidades.push_back({"A" + std::to_string(i), "ABCDEFGHI", "999"});
  }
  Importar({{"101", "1º ESO"}, {"201", "1 Bachillerato"}}, unidades);
  EXPECT_EQ(Leer("GRUPOST", {"ABREV", "GRUPO", "CLAVE"}), (Filas{{"2ESOB", "B", "U1"},
                                                                 {"1BACHILLEA", "A", "U2"},
                                                                 {"2ESOB1", "B", "U3"},
                                                                 {"1BACHILLA1", "A", "U4"},
                                                                 {"1BACHILLA2", "A", "U5"},
                                                                 {"2esob2", "b", "U6"},
                                                                 {"", "", "U7"},
                                                                 {"1", "", "U8"},
                                                                 {"ABCDEFGHI", "I", "A0"},
                                                                 {"ABCDEFGHI1", "I", "A1"},
                                                                 {"ABCDEFGHI2", "I", "A2"},
                                                                 {"ABCDEFGHI3", "I", "A3"},
                                                                 {"ABCDEFGHI4", "I", "A4"},
                                                                 {"ABCDEFGHI5", "I", "A5"},
                                                                 {"ABCDEFGHI6", "I", "A6"},
                                                                 {"ABCDEFGHI7", "I", "A7"},
                                                                 {"ABCDEFGHI8", "I", "A8"},
                                                                 {"ABCDEFGHI9", "I", "A9"},
                                                                 {"ABCDEFGH10", "I", "A10"}}));
}

TEST_F(CursosUnidadesTest, UnitRecords) {
  Importar({{"201", "1 Bachillerato"},
            {"999", "1º ESO"},
            {"301", "3 Diversificación"},
            {"999", "2º ESO"}},  // the same key: units take the first
           {{"U1", "1 BACHILLERATO A", "201"},
            {"U2", "1º ESO A", "999"},
            {"U3", "3 PDC", "301"},
            {"U4", "Aula de enlace", "888"},  // no such course
            {" U5 ", "  1º ESO B ", " 999 "},
            {"U6", "Desdoble", "99912345678"},  // longer than CLAVE: never found
            {"U7", "Sin curso"},                // no course key
            {"U8"},                             // a single value: skipped
            {"U12345678901", "1º ESO C", "999"}});
  EXPECT_EQ(
      Leer("GRUPOST", {"ABREV", "TURNO", "NIVEL", "CURSO", "GRUPO", "MARCO", "CLAVE", "CLAVECURSO",
                       "DESCRIP"}),
      (Filas{
          {"1BACHILLEA", "", "BACH", "1", "A", "0", "U1", "201", "(1 BACHILLERATO A) Bachillerato"},
          {"1ºESOA", "", "Niv", "1", "A", "0", "U2", "999", " Niv 1 A"},
          {"3PDC", "", "Niv", "3", "C", "0", "U3", "301", "(3 PDC) Programa de Diversificación"},
          {"Auladeenle", "", "", "", "e", "0", "U4", "888", "   e"},
          {"1ºESOB", "", "Niv", "1", "B", "0", "U5", "999", " Niv 1 B"},
          {"Desdoble", "", "", "", "e", "0", "U6", "9991234567", "   e"},
          {"Sincurso", "", "", "", "o", "0", "U7", "", "   o"},
          {"1ºESOC", "", "Niv", "1", "C", "0", "U123456789", "999", " Niv 1 C"}}));
}

TEST_F(CursosUnidadesTest, NoCoursesLeaveUnitsWithoutLevel) {
  Importar({}, {{"U1", "2 ESO B", "101"}});
  EXPECT_TRUE(Leer("CURSOST", {"CLAVE"}).empty());
  EXPECT_EQ(Leer("GRUPOST", {"NIVEL", "CURSO", "DESCRIP"}), (Filas{{"", "", "   B"}}));
}

TEST_F(CursosUnidadesTest, NoUnitsGiveAnEmptyGroupTable) {
  Cargar({{"CURSOS_DEL_CENTRO", {{"101", "1º ESO"}}}});
  TransformarCursosUnidades(estado);
  EXPECT_EQ(Columna("CURSOST", "CLAVE"), (std::vector<std::string>{"101"}));
  EXPECT_TRUE(Leer("GRUPOST", {"ABREV"}).empty());
}

// A course key that is not a 32-bit whole number stops the step: the
// courses before it stay, the group table exists and is empty.
TEST_F(CursosUnidadesTest, NonNumericCourseKey) {
  for (const std::string clave : {"12a", "", "  ", "2147483648", "1.5", "K12"}) {
    SCOPED_TRACE("key '" + clave + "'");
    Cargar({{"CURSOS_DEL_CENTRO", {{"101", "1º ESO"}, {clave, "2º ESO"}, {"201", "1 Bach"}}},
            {"UNIDADES", {{"U1", "1º ESO A", "101"}}}});
    try {
      TransformarCursosUnidades(estado);
      FAIL() << "no error";
    } catch (const platform::ConversionError& e) {
      EXPECT_EQ(std::string(e.what()), "'" + clave.substr(0, clave.find_last_not_of(' ') + 1) +
                                           "' is not a valid integer value");
    }
    EXPECT_EQ(Columna("CURSOST", "CLAVE"), (std::vector<std::string>{"101"}));
    EXPECT_TRUE(Existe("GRUPOST"));
    EXPECT_TRUE(Leer("GRUPOST", {"ABREV"}).empty());
    // The level table was let go: it opens for exclusive use.
    platform::Table niveles(programa.path(), "NIVELLARI.dbf");
    EXPECT_NO_THROW(niveles.Open(platform::OpenMode::Exclusive));
  }
}

TEST_F(CursosUnidadesTest, ExtremeKeysAreNumbers) {
  Importar({{"2147483647", "1"}, {"-2147483648", "2"}, {"+101", "3"}}, {});
  EXPECT_EQ(Leer("CURSOST", {"CLAVE", "NIVEL"}),
            (Filas{{"2147483647", "Niv"},
                   {"-214748364", "Niv"},  // a number, but stored cut to ten characters
                   {"+101", "ESO"}}));
}

TEST_F(CursosUnidadesTest, WithoutTheLevelTableTheEngineFails) {
  std::filesystem::remove(programa / "NIVELLARI.dbf");
  Cargar({{"CURSOS_DEL_CENTRO", {{"101", "1º ESO"}}}});
  EXPECT_THROW(TransformarCursosUnidades(estado), platform::TableError);
  EXPECT_TRUE(Existe("CURSOST"));
  EXPECT_TRUE(Existe("GRUPOST"));
}

}  // namespace
}  // namespace trasvelo::test
