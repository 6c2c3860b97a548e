#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "PasosFixture.h"
#include "core/PasosImportacion.h"

namespace trasvelo::test {
namespace {

using core::TransformarEmpleados;
using Filas = std::vector<std::vector<std::string>>;

class EmpleadosTest : public PasosTest {
 protected:
  void Importar(const std::vector<Valores>& empleados) {
    Cargar({{"EMPLEADOS", empleados}});
    TransformarEmpleados(estado);
  }
};

TEST_F(EmpleadosTest, TableHasItsLayout) {
  Importar({});
  EXPECT_EQ(Campos("PROFT"), (std::vector<Campo>{{"ABREV", 'C', 10},
                                                 {"NOMBRE", 'C', 80},
                                                 {"DEPART", 'C', 40},
                                                 {"EMAIL", 'C', 100},
                                                 {"DNI", 'N', 11},
                                                 {"X_EMPLEADO", 'C', 10},
                                                 {"F_TOMAPOS", 'C', 10}}));
  EXPECT_TRUE(Leer("PROFT", {"ABREV"}).empty());
}

TEST_F(EmpleadosTest, NamesAndAbbreviations) {
  Importar({
      {"1", "01/09/2015", "x", "García", "López", "Ana"},
      {"2", "01/09/2016", "x", "Gómez", "Luna", "Antonio"},
      {"3", "01/09/2017", "x", "gil", "lara", "andrés"},  // gla and gla1 are taken
      {"4", "", "x", "Pérez", "", "Juan"},
      {"5", " 01/09/2019 ", "x", " Ruiz", "Serrano", "Eva"},  // a leading blank counts
      {"6", "", "x", "Álvarez", "Úbeda", "Íñigo"},
      {"7", "", "x", "álvarez", "úbeda", "íñigo"},  // case ignored, accents too
      {"8", "", "x", "", "", ""},
      {"9", "", "x", "", "", ""},
      {"10", "", "x", " ", "", ""},
      {"12345678901", "01/09/2020"},  // missing name parts are empty
      {"13"},                         // a single value: skipped
      {" 14 ", "x", "x", "  Cano  ", " Gil", "Ana María  "},
  });
  EXPECT_EQ(Leer("PROFT", {"ABREV", "NOMBRE", "DEPART", "EMAIL", "X_EMPLEADO", "F_TOMAPOS"}),
            (Filas{{"GLA", "García López, Ana", "", "", "1", "01/09/2015"},
                   {"GLA1", "Gómez Luna, Antonio", "", "", "2", "01/09/2016"},
                   {"gla2", "gil lara, andrés", "", "", "3", "01/09/2017"},
                   {"PJ", "Pérez , Juan", "", "", "4", ""},
                   {" SE", "Ruiz Serrano, Eva", "", "", "5", "01/09/2019"},
                   {"ÁÚÍ", "Álvarez Úbeda, Íñigo", "", "", "6", ""},
                   {"áúí1", "álvarez úbeda, íñigo", "", "", "7", ""},
                   {"", " ,", "", "", "8", ""},  // " , " read back without the last blank
                   {"1", " ,", "", "", "9", ""},
                   // A lone blank is an initial; its name part trims to nothing.
                   {"", " ,", "", "", "10", ""},
                   {"2", " ,", "", "", "1234567890", "01/09/2020"},
                   {"  A", "Cano Gil, Ana María", "", "", "14", "x"}}));
}

}  // namespace
}  // namespace trasvelo::test
