// School days and time slots: the grid of days and slots of the chosen time
// frames, their numbering, and the periods table.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PasosFixture.h"
#include "core/PasosImportacion.h"
#include "platform/Error.h"
#include "support/InterfazGuionizada.h"

namespace trasvelo::test {
namespace {

using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;

using Filas = std::vector<std::vector<std::string>>;

GrupoPrueba Marcos(std::vector<Valores> registros) {
  return {"JORNADAS_ESCOLARES", std::move(registros)};
}
GrupoPrueba Tramos(std::vector<Valores> registros) {
  return {"TRAMOS_HORARIOS", std::move(registros)};
}

// A slot of frame `marco` from `desde` to `hasta` minutes.
Valores Tramo(const std::string& codigo, const std::string& desde, const std::string& hasta,
              const std::string& marco) {
  return {codigo, "hora " + codigo, desde, hasta, marco};
}

class TransformarTramosTest : public PasosTest {
 protected:
  TransformarTramosTest() { estado.ArchivoXML = "/ruta/del/documento.xml"; }

  void Transformar() { core::TransformarTramos(estado, ui); }

  // DIHO, MARCO and MARCOXML of every row of day 1.
  Filas Dia1() const {
    Filas dia1;
    for (auto& fila : Leer("DIASHORAST", {"DIA", "DIHO", "MARCO", "MARCOXML"})) {
      if (fila[0] == "1")
        dia1.push_back({fila[1], fila[2], fila[3]});
    }
    return dia1;
  }

  InterfazGuionizada ui;
};

TEST_F(TransformarTramosTest, OneFrameOfSixSlotsGivesFortyTwoRowsWithoutAChooser) {
  std::vector<Valores> tramos;
  for (int i = 1; i <= 6; ++i) {
    tramos.push_back(Tramo("T" + std::to_string(i), std::to_string(480 + 60 * (i - 1)),
                           std::to_string(535 + 60 * (i - 1)), "M1"));
  }
  Cargar({Marcos({{"M1", "Mañana", "01/09/2026", "30/06/2027"}}), Tramos(tramos)});
  Transformar();

  EXPECT_TRUE(ui.llamadas.empty());  // no chooser for a single frame
  std::vector<std::string> diho;
  std::vector<std::string> dia;
  std::vector<std::string> hora;
  for (int d = 1; d <= 7; ++d) {
    for (int k = 1; k <= 6; ++k) {
      diho.push_back(std::to_string(d * 10 + k));
      dia.push_back(std::to_string(d));
      hora.push_back(std::to_string(k));
    }
  }
  EXPECT_THAT(Columna("DIASHORAST", "DIHO"), ElementsAreArray(diho));
  EXPECT_THAT(Columna("DIASHORAST", "DIA"), ElementsAreArray(dia));
  EXPECT_THAT(Columna("DIASHORAST", "HORA"), ElementsAreArray(hora));
  EXPECT_THAT(Columna("DIASHORAST", "MARCO"), Each(std::string("0")));
  EXPECT_THAT(Columna("DIASHORAST", "MARCOXML"), Each(std::string("M1")));
  EXPECT_THAT(Columna("DIASHORAST", "TEXTODIA"), Each(std::string()));
  // The last row: day 7, sixth slot.
  EXPECT_EQ(Leer("DIASHORAST", {"CODDIHO", "TEXTOHOR", "HORADESDE", "HORAHASTA", "MINUTOS"}).back(),
            (std::vector<std::string>{"T6", "hora T6", "13:00", "13:55", "55"}));
  EXPECT_EQ(Leer("PERIODOS", {"CJORNADA", "JORNADA", "FECINI", "FECFIN"}),
            (Filas{{"M1", "Mañana", "01/09/2026", "30/06/2027"}}));
}

// Three frames whose slots alternate in the document; A starts at `inicioA`
// and B at `inicioB` on their first slot.
struct CasoEleccion {
  const char* nombre;
  std::string inicioA;
  std::string inicioB;
  std::string eleccion;  // the chooser's MarcosSeleccionados
  Filas dia1;            // DIHO, MARCO, MARCOXML of day 1
  std::vector<std::string> periodos;
};

TEST_F(TransformarTramosTest, ChosenFramesAreNumberedByTheirFirstSlot) {
  const std::string a = "A         ";
  const std::string b = "B         ";
  const std::string c = "C         ";
  const std::vector<CasoEleccion> casos = {
      {"one of three, the later one", "480", "600", b, {{"11", "0", "B"}, {"12", "0", "B"}}, {"B"}},
      {"two, the second listed starts earlier",
       "600",
       "480",
       a + b,
       {{"11", "1", "A"}, {"11", "0", "B"}, {"12", "1", "A"}, {"12", "0", "B"}},
       {"A", "B"}},
      {"two, the first listed starts earlier",
       "480",
       "600",
       a + b,
       {{"11", "0", "A"}, {"11", "1", "B"}, {"12", "0", "A"}, {"12", "1", "B"}},
       {"A", "B"}},
      {"two with equal first starts",
       "480",
       "480",
       a + b,
       {{"11", "0", "A"}, {"11", "1", "B"}, {"12", "0", "A"}, {"12", "1", "B"}},
       {"A", "B"}},
      // C's only slot starts at 470, before B's first.
      {"two, neither listed first",
       "600",
       "480",
       b + c,
       {{"11", "1", "B"}, {"12", "1", "B"}, {"11", "0", "C"}},
       {"B", "C"}},
  };
  for (const auto& caso : casos) {
    SCOPED_TRACE(caso.nombre);
    InterfazGuionizada guion;
    guion.marcos = {Eleccion(caso.eleccion)};
    Cargar(
        {Marcos(
             {{"A", "Frame A", "1", "2"}, {"B", "Frame B", "3", "4"}, {"C", "Frame C", "5", "6"}}),
         Tramos({Tramo("a1", caso.inicioA, "700", "A"), Tramo("b1", caso.inicioB, "700", "B"),
                 Tramo("a2", "700", "760", "A"), Tramo("b2", "700", "760", "B"),
                 Tramo("c1", "470", "500", "C")})});
    core::TransformarTramos(estado, guion);

    EXPECT_THAT(guion.llamadas, ElementsAre("ElegirMarcos: /ruta/del/documento.xml"));
    EXPECT_EQ(Dia1(), caso.dia1);
    EXPECT_EQ(Leer("DIASHORAST", {"DIA"}).size(), 7 * Dia1().size());
    EXPECT_EQ(Columna("PERIODOS", "CJORNADA"), caso.periodos);
  }
}

TEST_F(TransformarTramosTest, AChooserIsShownAgainUntilTheChoiceIsValid) {
  ui.marcos = {Eleccion("", false), Eleccion("", false), Eleccion("B         ")};
  Cargar({Marcos({{"A", "a", "", ""}, {"B", "b", "", ""}}),
          Tramos({Tramo("a1", "480", "500", "A"), Tramo("b1", "480", "500", "B")})});
  Transformar();
  EXPECT_EQ(ui.Veces("ElegirMarcos: /ruta/del/documento.xml"), 3);
  EXPECT_THAT(Columna("DIASHORAST", "CODDIHO"), Each(std::string("b1")));
}

TEST_F(TransformarTramosTest, TimesAreWrittenAsHoursAndMinutes) {
  struct Caso {
    std::string desde, hasta;
    std::string horaDesde, horaHasta, minutos;
  };
  const std::vector<Caso> casos = {
      {"480", "535", "08:00", "08:55", "55"},     {"555", "600", "09:15", "10:00", "45"},
      {"", "60", "00:00", "01:00", "60"},         {"600", "", "10:00", "00:00", "-600"},
      {"600", "570", "10:00", "09:30", "-30"},    {"5", "0065", "00:05", "01:05", "60"},
      {" 720 ", "1440", "12:00", "24:00", "720"},
  };
  std::vector<Valores> tramos;
  for (size_t i = 0; i < casos.size(); ++i) {
    tramos.push_back(Tramo(std::to_string(i), casos[i].desde, casos[i].hasta, "M"));
  }
  Cargar({Marcos({{"M", "m", "", ""}}), Tramos(tramos)});
  Transformar();
  const Filas filas = Leer("DIASHORAST", {"DIA", "HORADESDE", "HORAHASTA", "MINUTOS"});
  ASSERT_EQ(filas.size(), 7 * casos.size());
  for (size_t i = 0; i < casos.size(); ++i) {
    SCOPED_TRACE("slot " + std::to_string(i));
    EXPECT_EQ(filas[i], (std::vector<std::string>{"1", casos[i].horaDesde, casos[i].horaHasta,
                                                  casos[i].minutos}));
  }
}

TEST_F(TransformarTramosTest, LongValuesAreCutToTheirFields) {
  Cargar({Marcos({{"M", "Jornada escolar de mañana con un nombre larguísimo", "", ""}}),
          Tramos({{"T1234567890X", "Recreo de media mañana", "480", "500", "M"}})});
  Transformar();
  EXPECT_EQ(Leer("DIASHORAST", {"CODDIHO", "TEXTOHOR"}).front(),
            (std::vector<std::string>{"T123456789", "Recreo de media"}));
  EXPECT_EQ(Columna("PERIODOS", "JORNADA"),
            std::vector<std::string>{"Jornada escolar de mañana con un nombre"});
}

TEST_F(TransformarTramosTest, AFrameCodeLongerThanTenCharactersGetsSlotsButNoPeriod) {
  Cargar(
      {Marcos({{"JORNADA_LARGA", "larga", "1", "2"}}),
       Tramos({Tramo("t1", "480", "500", "JORNADA_LARGA"), Tramo("t2", "500", "520", "JORNADA_L"),
               Tramo("t3", "520", "540", "JORNADA_LAXX")})});
  Transformar();
  // t1 and t3 cut to "JORNADA_LA" both match; t2 does not.
  EXPECT_EQ(Leer("DIASHORAST", {"DIHO", "CODDIHO", "MARCO", "MARCOXML"}).front(),
            (std::vector<std::string>{"11", "t1", "0", "JORNADA_LA"}));
  EXPECT_EQ(Leer("DIASHORAST", {"DIA"}).size(), 14u);
  EXPECT_THAT(Columna("DIASHORAST", "CODDIHO"), ::testing::Not(::testing::Contains("t2")));
  EXPECT_TRUE(Leer("PERIODOS", {"CJORNADA"}).empty());
}

TEST_F(TransformarTramosTest, MissingValuesAreTakenAsEmpty) {
  // A frame record with its code only; slot records short of their end time
  // or of their frame.
  Cargar({Marcos({{"M"}}), Tramos({{"t1", "uno", "480", "", "M"}, {"t2", "dos", "500", "520"}})});
  Transformar();
  EXPECT_EQ(Leer("DIASHORAST", {"DIHO", "CODDIHO", "HORAHASTA"}).front(),
            (std::vector<std::string>{"11", "t1", "00:00"}));
  EXPECT_EQ(Leer("DIASHORAST", {"DIA"}).size(), 7u);  // t2 names no frame
  EXPECT_EQ(Leer("PERIODOS", {"CJORNADA", "JORNADA", "FECINI", "FECFIN"}),
            (Filas{{"M", "", "", ""}}));

  // A slot record of three values: its end and frame are empty, so it
  // belongs to a frame whose code is empty.
  Cargar({Marcos({{""}}), Tramos({{"t3", "tres", "480"}, Tramo("t4", "1", "2", "X")})});
  Transformar();
  EXPECT_EQ(Leer("DIASHORAST", {"CODDIHO", "HORADESDE", "HORAHASTA", "MINUTOS", "MARCO"}).front(),
            (std::vector<std::string>{"t3", "08:00", "00:00", "-480", "0"}));
  EXPECT_EQ(Leer("DIASHORAST", {"DIA"}).size(), 7u);
}

TEST_F(TransformarTramosTest, ATimeThatIsNotANumberEndsTheStepKeepingTheRowsStored) {
  struct Caso {
    std::string desde;
    std::string mensaje;
  };
  // A text shorter than four characters gets its "0" before it is converted.
  for (const Caso& caso : {Caso{"abc", "'0abc' is not a valid integer value"},
                           Caso{"8h30", "'8h30' is not a valid integer value"}}) {
    SCOPED_TRACE(caso.desde);
    Cargar({Marcos({{"M", "m", "1", "2"}}),
            Tramos({Tramo("t1", "480", "500", "M"), Tramo("t2", caso.desde, "560", "M")})});
    try {
      Transformar();
      ADD_FAILURE() << "no error";
    } catch (const platform::ConversionError& e) {
      EXPECT_STREQ(e.what(), caso.mensaje.c_str());
    }
    EXPECT_EQ(Leer("DIASHORAST", {"DIHO", "MARCO"}), (Filas{{"11", ""}}));
    EXPECT_TRUE(Leer("PERIODOS", {"CJORNADA"}).empty());
  }
}

TEST_F(TransformarTramosTest, OldFilesGoAndTheTablesHaveTheirLayouts) {
  WriteFile(trabajo / "DIASHORAST.MDX", "old index");
  WriteFile(trabajo / "DIASHORAST2.MDX", "old index");
  WriteFile(trabajo / "JORNADAS.DBF", "old table");
  Cargar({Marcos({{"M", "m", "1", "2"}}), Tramos({Tramo("t1", "480", "500", "M")})});
  Transformar();

  EXPECT_FALSE(std::filesystem::exists(trabajo / "DIASHORAST.MDX"));
  EXPECT_FALSE(std::filesystem::exists(trabajo / "JORNADAS.DBF"));
  ASSERT_TRUE(std::filesystem::exists(trabajo / "DIASHORAST2.MDX"));
  EXPECT_NE(ReadFile(trabajo / "DIASHORAST2.MDX"), "old index");
  // The production index flag in the table's header.
  EXPECT_EQ(ReadFile(trabajo / "DIASHORAST2.DBF").at(28), '\x01');
  EXPECT_EQ(ReadFile(trabajo / "DIASHORAST.DBF").at(28), '\x00');

  const std::vector<Campo> diasHoras = {
      {"DIHO", 'C', 10},   {"CODDIHO", 'C', 10},  {"DIA", 'C', 20},      {"TEXTODIA", 'C', 20},
      {"HORA", 'C', 8},    {"TEXTOHOR", 'C', 15}, {"HORADESDE", 'C', 8}, {"HORAHASTA", 'C', 8},
      {"MINUTOS", 'C', 8}, {"MARCO", 'C', 1},     {"MARCOXML", 'C', 10},
  };
  EXPECT_EQ(Campos("DIASHORAST"), diasHoras);
  auto diasHoras2 = Campos("DIASHORAST2");
  ASSERT_EQ(diasHoras2.size(), 12u);
  EXPECT_EQ(std::vector<Campo>(diasHoras2.begin(), diasHoras2.begin() + 11), diasHoras);
  // A 32-bit integer field, in whichever form the engine stores it.
  EXPECT_THAT(diasHoras2.back(), ::testing::AnyOf(Campo{"ORDEN", 'N', 11}, Campo{"ORDEN", 'I', 4}));
  EXPECT_TRUE(Leer("DIASHORAST2", {"DIHO"}).empty());
  EXPECT_EQ(
      Campos("PERIODOS"),
      (std::vector<Campo>{
          {"CJORNADA", 'C', 10}, {"JORNADA", 'C', 40}, {"FECINI", 'C', 10}, {"FECFIN", 'C', 10}}));
}

TEST_F(TransformarTramosTest, ARunReplacesWhatAnEarlierRunWrote) {
  Cargar({Marcos({{"M", "m", "1", "2"}}), Tramos({Tramo("t1", "480", "500", "M")})});
  Transformar();
  Cargar({Marcos({{"N", "n", "3", "4"}}), Tramos({Tramo("t9", "480", "500", "N")})});
  Transformar();
  EXPECT_THAT(Columna("DIASHORAST", "CODDIHO"), Each(std::string("t9")));
  EXPECT_EQ(Leer("DIASHORAST", {"DIA"}).size(), 7u);
  EXPECT_EQ(Columna("PERIODOS", "CJORNADA"), std::vector<std::string>{"N"});
}

}  // namespace
}  // namespace trasvelo::test
