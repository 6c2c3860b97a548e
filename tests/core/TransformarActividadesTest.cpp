#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "PasosFixture.h"
#include "core/PasosImportacion.h"
#include "platform/Error.h"

namespace trasvelo::test {
namespace {

using core::TransformarActividades;
using core::TransformarMaterias;
using Filas = std::vector<std::vector<std::string>>;

class ActividadesTest : public PasosTest {};

TEST_F(ActividadesTest, ActivitiesFollowTheSubjectsAsTasks) {
  Cargar({{"MATERIAS", {{"C1", "M1", "Física y Química"}}},
          {"ACTIVIDADES",
           {{"S", "48", "Guardia de recreo"},
            {"N", " 5 ", "  Tutoría  "},               // trimmed; ten characters or fewer
            {"N"},                                     // a single value
            {"S", "48", "Guardia de recreo (patio)"},  // the same key again
            {"S", "FQ", "Física y Química"},           // a subject's code: no test
            {"S", "7"},                                // no name
            {"", "12345678901", std::string(90, 'r')}}}});
  TransformarMaterias(estado);
  TransformarActividades(estado);
  EXPECT_EQ(Leer("ASIGNOMT", {"COD", "CODLARGO", "NOMBRE", "CODTAREA", "ESTAREA"}),
            (Filas{{"FQ", "Física y Q", "Física y Química", "", "F"},
                   {"48", "Guardia de", "Guardia de recreo", "48", "T"},
                   {"5", "Tutoría", "Tutoría", "5", "T"},
                   {"48", "Guardia de", "Guardia de recreo (patio)", "48", "T"},
                   {"FQ", "Física y Q", "Física y Química", "FQ", "T"},
                   {"7", "", "", "7", "T"},
                   {"1234567890", std::string(10, 'r'), std::string(80, 'r'), "1234567890", "T"}}));
  // ASIGNOMT2 is the subjects' alone.
  EXPECT_EQ(Columna("ASIGNOMT2", "COD"), (std::vector<std::string>{"FQ"}));
}

TEST_F(ActividadesTest, ReleasesTheSubjectSetsAlsoWithoutActivities) {
  Cargar({{"MATERIAS", {{"C1", "M1", "Física y Química"}}}});
  TransformarMaterias(estado);
  ASSERT_FALSE(estado.ListaCod.empty());
  TransformarActividades(estado);
  EXPECT_EQ(Columna("ASIGNOMT", "COD"), (std::vector<std::string>{"FQ"}));
  EXPECT_TRUE(estado.ListaCod.empty());
  EXPECT_TRUE(estado.ListaCodLargo.empty());
  EXPECT_TRUE(estado.ListaNombre.empty());
  EXPECT_TRUE(estado.ListaCodLargoNombre.empty());
}

TEST_F(ActividadesTest, WithoutTheSubjectTableTheEngineFails) {
  Cargar({{"ACTIVIDADES", {{"S", "48", "Guardia de recreo"}}}});
  estado.ListaCod = {"LCL"};
  try {
    TransformarActividades(estado);
    FAIL() << "no error";
  } catch (const platform::TableError& e) {
    EXPECT_NE(std::string(e.what()).find("ASIGNOMT"), std::string::npos) << e.what();
  }
  EXPECT_EQ(estado.ListaCod, (core::ConjuntoTexto{"LCL"}));  // not released
}

}  // namespace
}  // namespace trasvelo::test
