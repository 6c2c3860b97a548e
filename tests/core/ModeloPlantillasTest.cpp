// The time-frame chooser's logic: what it lists and shows, and how it judges
// the selection when it closes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PasosFixture.h"
#include "core/ModeloPlantillas.h"
#include "platform/Error.h"
#include "platform/Text1252.h"
#include "support/TempDir.h"

namespace trasvelo::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class ModeloPlantillasTest : public ::testing::Test {
 protected:
  void Escribir(const std::vector<GrupoPrueba>& grupos) {
    WriteFile(archivo, DocumentoXml(grupos));
  }
  void Cargar(const std::vector<GrupoPrueba>& grupos) {
    Escribir(grupos);
    modelo.Cargar(archivo);
  }

  TempDir dir;
  std::filesystem::path archivo = dir / "centro.xml";
  core::ModeloPlantillas modelo;
};

const GrupoPrueba kMarcos = {"JORNADAS_ESCOLARES",
                             {{"JM", "Mañana", "15/09/2026", "23/06/2027"},
                              {"JT", "Tarde", "15/09/2026", "23/06/2027"},
                              {"JM", "Mañana de nuevo", "01/01/2027", "23/06/2027"},
                              {"CODIGO_LARGO_12", "Larga", "", ""},
                              {"X"}}};
const GrupoPrueba kTramos = {"TRAMOS_HORARIOS",
                             {{"1", "1ª hora", "480", "535", "JM"},
                              {"2", "1ª tarde", "900", "955", "JT"},
                              {"3", "2ª hora", "535", "590", "JM"},
                              {"4", "sin marco"}}};

TEST_F(ModeloPlantillasTest, ListsTheFramesAndShowsTheCurrentOne) {
  Cargar({kMarcos, kTramos});
  EXPECT_THAT(modelo.Lineas(), ElementsAre("JM", "JT", "JM", "CODIGO_LARGO_12", "X"));

  // The last record with the code fills the labels; every slot naming it is
  // listed, in document order.
  core::VistaMarco jm = modelo.Mostrar("JM");
  EXPECT_EQ(platform::Cp1252ToUtf8(jm.nombre), "Mañana de nuevo");
  EXPECT_EQ(jm.fecha1, "01/01/2027");
  EXPECT_EQ(jm.fecha2, "23/06/2027");
  ASSERT_TRUE(jm.tramos);
  EXPECT_THAT(*jm.tramos,
              ElementsAre(platform::Utf8To1252("1ª hora"), platform::Utf8To1252("2ª hora")));

  // A frame without slots: an empty list; a record short of its values:
  // empty labels; a code nobody has: the dashes.
  core::VistaMarco larga = modelo.Mostrar("CODIGO_LARGO_12");
  EXPECT_EQ(larga.nombre, "Larga");
  ASSERT_TRUE(larga.tramos);
  EXPECT_TRUE(larga.tramos->empty());
  core::VistaMarco x = modelo.Mostrar("X");
  EXPECT_EQ(x.nombre, "");
  EXPECT_EQ(x.fecha1, "");
  core::VistaMarco nadie = modelo.Mostrar("jm");  // letter case counts
  EXPECT_EQ(nadie.nombre, "-");
  EXPECT_EQ(nadie.fecha1, "-");
  EXPECT_EQ(nadie.fecha2, "-");
}

TEST_F(ModeloPlantillasTest, WithFewerThanTwoSlotRecordsTheSlotListKeepsItsLines) {
  Cargar({kMarcos, {"TRAMOS_HORARIOS", {{"1", "1ª hora", "480", "535", "JM"}}}});
  EXPECT_FALSE(modelo.Mostrar("JM").tramos.has_value());
  Cargar({kMarcos});
  EXPECT_FALSE(modelo.Mostrar("JM").tramos.has_value());
}

TEST_F(ModeloPlantillasTest, ValuesAreUsedUntrimmed) {
  Cargar({{"JORNADAS_ESCOLARES", {{" JM ", "con blancos", "", ""}, {"JM", "sin", "", ""}}},
          {"TRAMOS_HORARIOS", {{"1", "a", "", "", " JM "}, {"2", "b", "", "", "JM"}}}});
  EXPECT_THAT(modelo.Lineas(), ElementsAre(" JM ", "JM"));
  EXPECT_EQ(modelo.Mostrar(" JM ").nombre, "con blancos");
  EXPECT_THAT(*modelo.Mostrar(" JM ").tramos, ElementsAre("a"));
  EXPECT_EQ(modelo.Validar({0}).eleccion.MarcosSeleccionados, " JM       ");
}

TEST_F(ModeloPlantillasTest, JudgesTheSelectionWhenTheDialogCloses) {
  Cargar({kMarcos, kTramos});
  const std::string demasiados =
      "Demasiados Marcos Horarios seleccionados.\r\nComo máximo puede seleccionar 2 Marcos "
      "Horarios";
  struct Caso {
    std::vector<size_t> seleccion;
    bool valida;
    std::string texto;
    std::string mensaje;
  };
  const std::vector<Caso> casos = {
      {{}, false, "", "Debe al menos seleccionar 1 Marco Horario."},
      {{1}, true, "JT        ", ""},
      {{3}, true, "CODIGO_LAR", ""},
      // List order, whatever the order of selection.
      {{1, 0}, true, "JM        JT        ", ""},
      {{4, 3}, true, "CODIGO_LARX         ", ""},
      {{0, 1, 4}, false, "JM        JT        X         ", demasiados},
  };
  for (const auto& caso : casos) {
    SCOPED_TRACE(::testing::PrintToString(caso.seleccion));
    core::Validacion v = modelo.Validar(caso.seleccion);
    EXPECT_EQ(v.eleccion.SeleccionValida, caso.valida);
    EXPECT_EQ(v.eleccion.MarcosSeleccionados, caso.texto);
    EXPECT_EQ(v.mensaje, caso.mensaje);
  }
}

TEST_F(ModeloPlantillasTest, AFileThatCanNoLongerOfferAChoiceIsReported) {
  struct Caso {
    const char* nombre;
    std::string contenido;  // nothing written when empty
  };
  const std::vector<Caso> casos = {
      {"vanished", ""},
      {"does not parse", "<SERVICIO><BLOQUE_DATOS>"},
      {"one frame left", DocumentoXml({{"JORNADAS_ESCOLARES", {{"JM", "m", "", ""}}}})},
  };
  for (const auto& caso : casos) {
    SCOPED_TRACE(caso.nombre);
    std::filesystem::remove(archivo);
    if (!caso.contenido.empty())
      WriteFile(archivo, caso.contenido);
    try {
      modelo.Cargar(archivo);
      ADD_FAILURE() << "no error";
    } catch (const platform::Error& e) {
      EXPECT_THAT(e.what(), HasSubstr(archivo.string()));
    }
  }
}

}  // namespace
}  // namespace trasvelo::test
