#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "PasosFixture.h"
#include "core/PasosImportacion.h"
#include "platform/Error.h"
#include "platform/Table.h"
#include "platform/Text1252.h"

namespace trasvelo::test {
namespace {

using core::TransformarAsignaciones;
using Filas = std::vector<std::vector<std::string>>;
using platform::FieldType;

class AsignacionesTest : public PasosTest {
 protected:
  // ASIGNOMT as the subjects and activities steps leave it: COD, NOMBRE.
  void Asignaturas(const std::vector<std::pair<std::string, std::string>>& filas) {
    platform::CreateTable(trabajo.path(), "ASIGNOMT.DBF",
                          {{"COD", FieldType::Text, 10}, {"NOMBRE", FieldType::Text, 80}});
    platform::Table tabla(trabajo.path(), "ASIGNOMT.DBF");
    tabla.Open(platform::OpenMode::Exclusive);
    for (const auto& [cod, nombre] : filas) {
      tabla.Append();
      tabla.SetString("COD", platform::Utf8To1252(cod));
      tabla.SetString("NOMBRE", platform::Utf8To1252(nombre));
      tabla.Post();
    }
  }
  // GRUPOST: ABREV, NIVEL, CURSO, GRUPO, CLAVECURSO.
  void Grupos(const std::vector<std::vector<std::string>>& filas) {
    const std::vector<std::string> campos = {"ABREV", "NIVEL", "CURSO", "GRUPO", "CLAVECURSO"};
    platform::CreateTable(trabajo.path(), "GRUPOST.DBF",
                          {{"ABREV", FieldType::Text, 10},
                           {"NIVEL", FieldType::Text, 5},
                           {"CURSO", FieldType::Text, 3},
                           {"GRUPO", FieldType::Text, 2},
                           {"CLAVECURSO", FieldType::Text, 10}});
    platform::Table tabla(trabajo.path(), "GRUPOST.DBF");
    tabla.Open(platform::OpenMode::Exclusive);
    for (const auto& fila : filas) {
      tabla.Append();
      for (size_t i = 0; i < campos.size(); ++i) {
        tabla.SetString(campos[i], platform::Utf8To1252(fila[i]));
      }
      tabla.Post();
    }
  }
  void Importar(const std::vector<Valores>& materias) {
    Cargar({{"MATERIAS", materias}});
    TransformarAsignaciones(estado);
  }
  Filas Asignaciones() { return Leer("ASIGT", {"CASIG", "CGRUP", "CLAVE", "CLAVECURSO"}); }
};

TEST_F(AsignacionesTest, TableHasItsLayout) {
  Asignaturas({});
  Grupos({});
  Importar({});
  EXPECT_EQ(Campos("ASIGT"), (std::vector<Campo>{{"CASIG", 'C', 10},
                                                 {"CPROF", 'C', 10},
                                                 {"CGRUP", 'C', 10},
                                                 {"CAULA", 'C', 10},
                                                 {"TURNO", 'C', 1},
                                                 {"NIVEL", 'C', 5},
                                                 {"CURSO", 'C', 3},
                                                 {"GRUPO", 'C', 2},
                                                 {"HORAS", 'N', 20},
                                                 {"SESIONES", 'C', 20},
                                                 {"NCONEX", 'C', 4},
                                                 {"CLAVE", 'C', 10},
                                                 {"CLAVECURSO", 'C', 10},
                                                 {"CTAREA", 'C', 10}}));
  EXPECT_TRUE(Asignaciones().empty());
}

TEST_F(AsignacionesTest, EverySubjectMeetsEveryGroupOfItsCourse) {
  Asignaturas({{"LCL", "Lengua Castellana y Literatura"}, {"Matemá", "Matemáticas"}});
  Grupos({{"1ESOA", "ESO", "1", "A", "K1"},
          {"2ESOA", "ESO", "2", "A", "K2"},
          {"1ESOB", "ESO", "1", "B", "K1"},
          {"1ESOC", "ESO", "1", "C", "K1"}});
  Importar({{"K1", "M1", "Lengua Castellana y Literatura"}, {" K1 ", " M2 ", " Matemáticas "}});
  EXPECT_EQ(
      Leer("ASIGT", {"CASIG", "CPROF", "CGRUP", "CAULA", "TURNO", "NIVEL", "CURSO", "GRUPO",
                     "HORAS", "SESIONES", "NCONEX", "CLAVE", "CLAVECURSO", "CTAREA"}),
      (Filas{{"LCL", "", "1ESOA", "", "", "ESO", "1", "A", "4", "1111", "", "M1", "K1", "1"},
             {"LCL", "", "1ESOB", "", "", "ESO", "1", "B", "4", "1111", "", "M1", "K1", "1"},
             {"LCL", "", "1ESOC", "", "", "ESO", "1", "C", "4", "1111", "", "M1", "K1", "1"},
             {"Matemá", "", "1ESOA", "", "", "ESO", "1", "A", "4", "1111", "", "M2", "K1", "1"},
             {"Matemá", "", "1ESOB", "", "", "ESO", "1", "B", "4", "1111", "", "M2", "K1", "1"},
             {"Matemá", "", "1ESOC", "", "", "ESO", "1", "C", "4", "1111", "", "M2", "K1", "1"}}));
}

TEST_F(AsignacionesTest, SubjectsAreFoundByName) {
  const std::string largo(80, 'x');
  Asignaturas({{"LENG", "LENGUA"},
               {"FIS", "FÍSICA"},
               {"X1", largo},
               {"FQ", "Física y Química"},
               {"FQ2", "física y química"},  // the same name once raised: the first wins
               {"", "Sin código"},
               {"T", ""},  // an activity without a name
               {"MUS", "Música"}});
  Grupos({{"G1", "ESO", "1", "A", "K"}});
  Importar({{"K", "1", "Lengua"},       // a to z raised: found
            {"K", "2", "física"},       // í is not raised: not found
            {"K", "3", largo + "yyy"},  // compared on 80 characters
            {"K", "4", "física y química"},
            {"K", "5", "Sin código"},  // its code is empty: nothing
            {"K", "6", "Dibujo"},      // no such subject
            {"K", "7", "   "},         // no name: nothing
            {"K", "8"},                // no name either
            {"K"},                     // a single value
            {"K", "9", "Música"},
            {"K", "9", "Música"}});  // listed twice, added twice
  EXPECT_EQ(Asignaciones(), (Filas{{"LENG", "G1", "1", "K"},
                                   {"X1", "G1", "3", "K"},
                                   {"FQ", "G1", "4", "K"},
                                   {"MUS", "G1", "9", "K"},
                                   {"MUS", "G1", "9", "K"}}));
}

TEST_F(AsignacionesTest, CourseKeysMatchExactly) {
  Asignaturas({{"M", "Música"}});
  Grupos({{"G1", "ESO", "1", "A", "K12"},
          {"G2", "ESO", "1", "B", "k12"},
          {"G3", "ESO", "1", "C", "1234567890"}});
  Importar({{"K12", "1", "Música"},
            {"12345678901", "2", "Música"},
            {"", "3", "Música"},
            {"K99", "4", "Música"}});
  EXPECT_EQ(Asignaciones(), (Filas{{"M", "G1", "1", "K12"}}));
}

TEST_F(AsignacionesTest, NoSubjectsGiveAnEmptyTable) {
  Asignaturas({{"M", "Música"}});
  Grupos({{"G1", "ESO", "1", "A", "K"}});
  Cargar({{"UNIDADES", {{"K", "1", "Música"}}}});
  TransformarAsignaciones(estado);
  EXPECT_TRUE(Existe("ASIGT"));
  EXPECT_TRUE(Asignaciones().empty());
}

// Another process holds a table that the step opens for exclusive use: the
// step ends with the engine's error naming the table, ASIGT stays empty, and
// the step leaves nothing open behind it.
TEST_F(AsignacionesTest, ATableHeldByAnotherProgram) {
  Asignaturas({{"M", "Música"}});
  Grupos({{"G1", "ESO", "1", "A", "K"}});
  Cargar({{"MATERIAS", {{"K", "1", "Música"}}}});
  for (const std::string bloqueada : {"GRUPOST", "ASIGNOMT"}) {
    SCOPED_TRACE(bloqueada);
    int listo[2], fin[2];
    ASSERT_EQ(pipe(listo), 0);
    ASSERT_EQ(pipe(fin), 0);
    const pid_t hijo = fork();
    ASSERT_GE(hijo, 0);
    if (hijo == 0) {
      close(listo[0]);
      close(fin[1]);
      int estadoHijo = 1;
      try {
        platform::Table tabla(trabajo.path(), bloqueada);
        tabla.Open(platform::OpenMode::Shared);
        estadoHijo = 0;
        if (write(listo[1], "x", 1) != 1) {
          estadoHijo = 2;
        }
        char c;
        (void)!read(fin[0], &c, 1);  // hold the table until told
      } catch (...) {
      }
      _exit(estadoHijo);
    }
    close(listo[1]);
    close(fin[0]);
    char c = 0;
    ASSERT_EQ(read(listo[0], &c, 1), 1) << "the child could not open the table";

    try {
      TransformarAsignaciones(estado);
      ADD_FAILURE() << "no error";
    } catch (const platform::TableError& e) {
      EXPECT_NE(std::string(e.what()).find(bloqueada), std::string::npos) << e.what();
    }
    EXPECT_TRUE(Asignaciones().empty());

    ASSERT_EQ(write(fin[1], "x", 1), 1);
    close(fin[1]);
    close(listo[0]);
    int estadoHijo = 0;
    ASSERT_EQ(waitpid(hijo, &estadoHijo, 0), hijo);
    EXPECT_TRUE(WIFEXITED(estadoHijo) && WEXITSTATUS(estadoHijo) == 0);

    for (const std::string tabla : {"GRUPOST", "ASIGNOMT"}) {
      platform::Table otra(trabajo.path(), tabla);
      EXPECT_NO_THROW(otra.Open(platform::OpenMode::Exclusive)) << tabla << " left open";
    }
  }
  // Once let go, the step runs.
  TransformarAsignaciones(estado);
  EXPECT_EQ(Asignaciones(), (Filas{{"M", "G1", "1", "K"}}));
}

}  // namespace
}  // namespace trasvelo::test
