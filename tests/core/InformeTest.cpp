// The run report: the notices that each import step and the export leave of
// what they did not carry over or changed, on small documents made to cause
// each, and the report's text and CSV forms.
#include "core/Informe.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "PasosFixture.h"
#include "core/Exportacion.h"
#include "core/MainForm.h"
#include "core/PasosImportacion.h"
#include "platform/Table.h"
#include "platform/Text1252.h"
#include "platform/XmlDom.h"
#include "support/InterfazGuionizada.h"

namespace trasvelo::test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

TEST(Informe, TextHasOneLinePerNoticeAndCsvQuotesWhatNeedsIt) {
  core::Informe informe;
  EXPECT_TRUE(informe.Vacio());
  EXPECT_EQ(informe.Csv(), "origen,registro,clave,motivo\r\n");
  informe.Anotar("MATERIAS", 3, "M1", "se omite");
  informe.Anotar("DEPENDENCIAS", 2, "A,\"1\"", "dos\nlíneas");
  informe.Anotar("PROFT", 0, "", "sin clave");
  EXPECT_FALSE(informe.Vacio());
  EXPECT_EQ(informe.Texto(),
            "MATERIAS, registro 3, clave 'M1': se omite\n"
            "DEPENDENCIAS, registro 2, clave 'A,\"1\"': dos líneas\n"
            "PROFT: sin clave\n");
  EXPECT_EQ(informe.Csv(),
            "origen,registro,clave,motivo\r\n"
            "MATERIAS,3,M1,se omite\r\n"
            "DEPENDENCIAS,2,\"A,\"\"1\"\"\",\"dos\nlíneas\"\r\n"
            "PROFT,,,sin clave\r\n");
  informe.Vaciar();
  EXPECT_TRUE(informe.Vacio());
}

// A document that every step carries over whole.
const std::map<std::string, std::vector<Valores>> kLimpio = {
    {"MATERIAS", {{"101", "M1", "Matemáticas"}}},
    {"ACTIVIDADES", {{"x", "48", "Guardia"}}},
    {"EMPLEADOS", {{"E1", "01/09/2020", "", "Pérez", "López", "Ana"}}},
    {"DEPENDENCIAS", {{"A1", "Aula 1"}}},
    {"CURSOS_DEL_CENTRO", {{"101", "1 ESO"}}},
    {"UNIDADES", {{"U1", "1 ESO A", "101"}}},
    {"JORNADAS_ESCOLARES", {{"JM", "Mañana", "15/09/2026", "23/06/2027"}}},
    {"TRAMOS_HORARIOS", {{"1", "1ª", "480", "535", "JM"}, {"2", "2ª", "535", "590", "JM"}}},
};

// What a notice must be: where, which record, and words of its reason.
struct Esperado {
  std::string origen;
  int registro;
  std::string clave;
  std::string motivo;
};

class InformeImportacionTest : public PasosTest {
 protected:
  InformeImportacionTest() { CrearNiveles({{101, "1ESO", "ESO"}, {102, "", "Bachillerato"}}); }

  // Imports the clean document with these groups put in place of its own.
  void Importar(const std::map<std::string, std::vector<Valores>>& cambios,
                std::deque<core::EleccionMarcos> marcos = {}) {
    std::map<std::string, std::vector<Valores>> grupos = kLimpio;
    for (const auto& [seq, registros] : cambios)
      grupos[seq] = registros;
    std::vector<GrupoPrueba> documento;
    for (const auto& [seq, registros] : grupos)
      documento.push_back({seq, registros});
    WriteFile(documentos / "centro.xml", DocumentoXml(documento));
    ui = InterfazGuionizada();
    ui.archivos.push_back(documentos / "centro.xml");
    ui.marcos = std::move(marcos);
    core::BExportarClick(estado, ui);
    ASSERT_EQ(ui.Mensajes(), std::vector<std::string>{"Proceso finalizado"}) << ui.Errores()[0];
  }

  TempDir documentos;
  InterfazGuionizada ui;
};

TEST_F(InformeImportacionTest, ACleanRunHasNoReport) {
  Importar({});
  EXPECT_THAT(ui.informes, IsEmpty());
  EXPECT_TRUE(estado.informe.Vacio());
}

TEST_F(InformeImportacionTest, EachLossOrChangeIsNotedWhereItHappens) {
  const std::string nombreLargo(90, 'a');
  struct Caso {
    const char* nombre;
    std::map<std::string, std::vector<Valores>> cambios;
    std::vector<Esperado> avisos;
    std::deque<core::EleccionMarcos> marcos = {};
  };
  const std::vector<Caso> casos = {
      {"records of one value are skipped, once though two steps read them",
       {{"MATERIAS", {{"101", "M1", "Matemáticas"}, {"101"}}},
        {"ACTIVIDADES", {{"x"}}},
        {"EMPLEADOS", {{"E1", "01/09/2020", "", "Pérez", "López", "Ana"}, {"E2"}}},
        {"DEPENDENCIAS", {{"A9"}, {"A1", "Aula 1"}}},
        {"CURSOS_DEL_CENTRO", {{"101", "1 ESO"}, {"7"}}},
        {"UNIDADES", {{"U9"}, {"U1", "1 ESO A", "101"}}}},
       {{"MATERIAS", 2, "101", "al menos dos"},
        {"ACTIVIDADES", 1, "x", "al menos dos"},
        {"EMPLEADOS", 2, "E2", "al menos dos"},
        {"DEPENDENCIAS", 1, "A9", "al menos dos"},
        {"CURSOS_DEL_CENTRO", 2, "7", "al menos dos"},
        {"UNIDADES", 1, "U9", "al menos dos"}}},
      {"a subject without a name",
       {{"MATERIAS", {{"101", "M1", "Matemáticas"}, {"101", "M2", "  "}, {"101", "M3"}}}},
       {{"MATERIAS", 2, "M2", "no tiene nombre"}, {"MATERIAS", 3, "M3", "no tiene nombre"}}},
      {"names and keys longer than their fields",
       {{"MATERIAS", {{"101", "M1", "Matemáticas"}, {"101", "MAT-0000000002", nombreLargo}}},
        {"ACTIVIDADES", {{"x", "ACT-0000000048", "Guardia"}}},
        {"EMPLEADOS", {{"EMP-0000000001", "01/09/2020", "", "Pérez", "López", "Ana"}}},
        {"DEPENDENCIAS", {{"A1", "Aula " + nombreLargo}}},
        {"UNIDADES", {{"UNI-0000000001", "1 ESO A", "101"}}},
        {"TRAMOS_HORARIOS",
         {{"1", "Primera hora de la mañana", "480", "535", "JM"},
          {"2", "2ª", "535", "590", "JM"}}}},
       {{"MATERIAS", 2, "MAT-0000000002", "NOMBRE de ASIGNOMT2 guarda 80 de los 90 caracteres"},
        {"ACTIVIDADES", 1, "ACT-0000000048", "COD de ASIGNOMT guarda 10 de los 14 caracteres"},
        {"EMPLEADOS", 1, "EMP-0000000001", "X_EMPLEADO de PROFT guarda 10 de los 14"},
        {"DEPENDENCIAS", 1, "A1", "NOMBRE de AULAT guarda 80 de los 95"},
        {"UNIDADES", 1, "UNI-0000000001", "CLAVE de GRUPOST guarda 10 de los 14"},
        {"MATERIAS", 2, "MAT-0000000002", "CLAVE de ASIGT guarda 10 de los 14 caracteres"},
        {"TRAMOS_HORARIOS", 1, "1", "TEXTOHOR de DIASHORAST guarda 15 de los 25"}}},
      {"codes numbered to stay unique",
       {{"MATERIAS", {{"101", "M1", "Tecnología"}, {"101", "M2", "Tecnologías"}}},
        {"EMPLEADOS",
         {{"E1", "", "", "Pérez", "López", "Ana"}, {"E2", "", "", "Pons", "Lara", "Alba"}}},
        {"DEPENDENCIAS", {{"A1", "Aula 1"}, {"a1", "Aula 2"}}},
        {"UNIDADES", {{"U1", "1 ESO A", "101"}, {"U2", "1 ESO A", "101"}}}},
       {{"MATERIAS", 2, "M2", "'Tecnol' ya estaba en uso: se numera como 'Tecnol1'"},
        {"EMPLEADOS", 2, "E2", "'PLA' ya estaba en uso: se numera como 'PLA1'"},
        {"DEPENDENCIAS", 2, "a1", "'a1' ya estaba en uso: se numera como 'a11'"},
        {"UNIDADES", 2, "U2", "'1ESOA' ya estaba en uso: se numera como '1ESOA1'"}}},
      {"rooms whose codes end alike share their ABREV",
       {{"DEPENDENCIAS", {{"X100A5", "Aula 1"}, {"Y200A5", "Aula 2"}}}},
       {{"DEPENDENCIAS", 2, "Y200A5", "la misma que el aula del registro 1"}}},
      {"a subject whose course has no group",
       {{"MATERIAS", {{"101", "M1", "Matemáticas"}, {"999", "M2", "Música"}}}},
       {{"MATERIAS", 2, "M2", "ningún grupo de GRUPOST es del curso '999'"}}},
      {"courses without a level, a unit without a course",
       {{"CURSOS_DEL_CENTRO", {{"101", "1 ESO"}, {"555", "2 ESO"}, {"102", "1 Bach"}}},
        {"UNIDADES", {{"U1", "1 ESO A", "101"}, {"U2", "3 ESO A", "888"}}}},
       {{"CURSOS_DEL_CENTRO", 2, "555", "no está en la tabla de niveles NIVELLARI"},
        {"CURSOS_DEL_CENTRO", 3, "102", "no da nivel"},
        {"UNIDADES", 2, "U2", "el curso '888' de la unidad no está en CURSOS_DEL_CENTRO"}}},
      {"frames not chosen, with their slot count",
       {{"JORNADAS_ESCOLARES",
         {{"JM", "Mañana", "15/09/2026", "23/06/2027"},
          {"JT", "Tarde", "15/09/2026", "23/06/2027"},
          {"JN", "Noche", "15/09/2026", "23/06/2027"}}},
        {"TRAMOS_HORARIOS",
         {{"1", "1ª", "480", "535", "JM"},
          {"2", "1ª", "900", "955", "JT"},
          {"3", "2ª", "955", "1010", "JT"}}}},
       {{"JORNADAS_ESCOLARES", 2, "JT", "no elegido: sus 2 tramo(s)"},
        {"JORNADAS_ESCOLARES", 3, "JN", "no elegido: sus 0 tramo(s)"}},
       {Eleccion("JM        ")}},
      {"a chosen frame whose code PERIODOS cannot match",
       {{"JORNADAS_ESCOLARES", {{"JORNADA-MANANA", "Mañana", "15/09/2026", "23/06/2027"}}},
        {"TRAMOS_HORARIOS", {{"1", "1ª", "480", "535", "JORNADA-MANANA"}}}},
       {{"JORNADAS_ESCOLARES", 1, "JORNADA-MANANA", "no pasa a PERIODOS"}}},
  };
  for (const Caso& caso : casos) {
    SCOPED_TRACE(caso.nombre);
    Importar(caso.cambios, caso.marcos);
    ASSERT_EQ(ui.informes.size(), 1u);
    const auto& avisos = ui.informes[0].Avisos();
    EXPECT_EQ(avisos, estado.informe.Avisos());
    ASSERT_EQ(avisos.size(), caso.avisos.size()) << ui.informes[0].Texto();
    for (size_t i = 0; i < avisos.size(); ++i) {
      SCOPED_TRACE(core::Informe::Linea(avisos[i]));
      EXPECT_EQ(avisos[i].origen, caso.avisos[i].origen);
      EXPECT_EQ(avisos[i].registro, caso.avisos[i].registro);
      EXPECT_EQ(avisos[i].clave, caso.avisos[i].clave);
      EXPECT_THAT(avisos[i].motivo, HasSubstr(caso.avisos[i].motivo));
    }
  }
}

TEST_F(InformeImportacionTest, ASubjectNameWithoutACodeGetsNoAssignment) {
  // The subjects step codes every name it keeps; this state only arises when
  // ASIGNOMT does not hold the name, as after another program edited it.
  Cargar({{"MATERIAS", {{"101", "M1", "Matemáticas"}}}, {"UNIDADES", {{"U1", "1 ESO A", "101"}}}});
  platform::CreateTable(
      trabajo.path(), "ASIGNOMT.DBF",
      {{"COD", platform::FieldType::Text, 10}, {"NOMBRE", platform::FieldType::Text, 80}});
  core::TransformarCursosUnidades(estado);
  core::TransformarAsignaciones(estado);
  ASSERT_EQ(estado.informe.Avisos().size(), 2u) << estado.informe.Texto();
  EXPECT_EQ(estado.informe.Avisos()[1],
            (core::Aviso{"MATERIAS", 1, "M1",
                         "no se asigna a ningún grupo: el nombre 'Matemáticas' no da ninguna "
                         "materia con código en ASIGNOMT"}));
}

TEST_F(InformeImportacionTest, EveryRunStartsWithAnEmptyReport) {
  Importar({{"MATERIAS", {{"101"}}}});
  ASSERT_FALSE(estado.informe.Vacio());
  Importar({});
  EXPECT_TRUE(estado.informe.Vacio());
  EXPECT_THAT(ui.informes, IsEmpty());
}

// ---- The export ------------------------------------------------------------

struct Entrada {
  std::string prof;
  int dia;
  int hora;
  std::string asig, grupo, tarea;
};

class InformeExportacionTest : public InformeImportacionTest {
 protected:
  // Imports two teachers (PLA and GLA), then writes SOLUC.
  void Preparar(const std::vector<Entrada>& entradas) {
    Importar({{"EMPLEADOS",
               {{"E1", "01/09/2020", "", "Pérez", "López", "Ana"},
                {"E2", "01/09/2021", "", "Gómez", "Luna", "Antonio"}}}});
    platform::CreateTable(trabajo.path(), "SOLUC.DBF",
                          {{"PROF", platform::FieldType::Text, 10},
                           {"DIA", platform::FieldType::Integer, 0},
                           {"HORA", platform::FieldType::Integer, 0},
                           {"MARCO", platform::FieldType::Text, 1},
                           {"ASIG", platform::FieldType::Text, 10},
                           {"CODGRUPO", platform::FieldType::Text, 10},
                           {"TAREA", platform::FieldType::Text, 10},
                           {"AULA", platform::FieldType::Text, 10}});
    platform::Table soluc(trabajo.path(), "SOLUC.DBF");
    soluc.Open(platform::OpenMode::Exclusive);
    for (const Entrada& e : entradas) {
      soluc.Append();
      soluc.SetString("PROF", e.prof);
      soluc.SetInteger("DIA", e.dia);
      soluc.SetInteger("HORA", e.hora);
      soluc.SetString("MARCO", "0");
      soluc.SetString("ASIG", platform::Utf8To1252(e.asig));
      soluc.SetString("CODGRUPO", e.grupo);
      soluc.SetString("TAREA", e.tarea);
      soluc.SetString("AULA", "A1");
      soluc.Post();
    }
    soluc.Close();
    ui = InterfazGuionizada();
    ui.archivos.push_back(documentos / "centro.xml");
  }
  fs::path Salida() const { return documentos / "ResultadoVelmoscentro.xml"; }
};

TEST_F(InformeExportacionTest, EntriesNotCarriedOverOrIncompleteAreNoted) {
  Preparar({
      {"PLA", 1, 1, "Matemá", "1ESOA", ""},  // whole
      {"XYZ", 1, 2, "Matemá", "1ESOA", ""},  // nobody's
      {"PLA", 0, 1, "Matemá", "1ESOA", ""},  // day 0
      {"PLA", 1, 9, "Matemá", "1ESOA", ""},  // no slot 9
      {"PLA", 2, 1, "Nada", "9Z", ""},       // no subject, no unit
      {"PLA", 3, 1, "48", "", "48"},         // an activity: needs neither
  });
  core::BImportarClick(estado, ui);
  ASSERT_EQ(ui.Mensajes(), std::vector<std::string>{"Proceso finalizado"});
  ASSERT_EQ(ui.informes.size(), 1u);
  std::vector<std::string> lineas;
  for (const auto& aviso : ui.informes[0].Avisos())
    lineas.push_back(core::Informe::Linea(aviso));
  EXPECT_THAT(
      lineas,
      ElementsAre(
          "SOLUC, registro 2, clave 'XYZ': DIA 1, HORA 2: el profesor no está en PROFT: la "
          "entrada no se exporta",
          "SOLUC, registro 3, clave 'PLA': DIA 0, HORA 1: DIA 0: la entrada no se exporta",
          "SOLUC, registro 4, clave 'PLA': DIA 1, HORA 9: ningún tramo de DIASHORAST tiene DIHO "
          "'19' y MARCO '0': N_DIASEMANA y X_TRAMO quedan vacíos, N_HORINI y N_HORFIN 0",
          "SOLUC, registro 5, clave 'PLA': DIA 2, HORA 1: sin asignación de materia: ni ASIGT "
          "(ASIG 'Nada', CODGRUPO '9Z') ni ASIGNOMT2 dan su materia; X_MATERIAOMG queda vacío",
          "SOLUC, registro 5, clave 'PLA': DIA 2, HORA 1: sin unidad: el grupo '9Z' no está en "
          "GRUPOST; X_UNIDAD queda vacío",
          "PROFT, registro 2, clave 'GLA': el profesor no tiene entradas en SOLUC (con DIA "
          "distinto de 0): se exporta sin actividades"));
  EXPECT_TRUE(fs::exists(Salida()));
}

TEST_F(InformeExportacionTest, ACleanExportHasNoReport) {
  Preparar({{"PLA", 1, 1, "Matemá", "1ESOA", ""}, {"GLA", 1, 2, "48", "", "48"}});
  core::BImportarClick(estado, ui);
  EXPECT_EQ(ui.Mensajes(), std::vector<std::string>{"Proceso finalizado"});
  EXPECT_THAT(ui.informes, IsEmpty());
}

TEST_F(InformeExportacionTest, ATrialBuildsTheDocumentAndWritesNothing) {
  Preparar({{"PLA", 1, 1, "Matemá", "1ESOA", ""},
            {"PLA", 1, 2, "Matemá", "1ESOA", ""},
            {"PLA", 0, 3, "Matemá", "1ESOA", ""}});
  estado.resultado = 0;
  const auto resumen = core::ProbarExportacion(estado, ui);
  ASSERT_TRUE(resumen.has_value()) << ui.Errores()[0];
  EXPECT_EQ(resumen->profesores, 2);
  EXPECT_EQ(resumen->actividades, 2);
  EXPECT_FALSE(fs::exists(Salida()));
  EXPECT_EQ(estado.resultado, 0);
  EXPECT_EQ(ui.llamadas, (std::vector<std::string>{"ElegirArchivo", "Cursor: 1", "Cursor: 0"}));
  EXPECT_EQ(estado.informe.Avisos().size(), 2u);  // day 0, GLA without entries

  // The real export then writes what the trial counted.
  ui = InterfazGuionizada();
  ui.archivos.push_back(documentos / "centro.xml");
  core::BImportarClick(estado, ui);
  platform::XmlDocument escrito;
  ASSERT_TRUE(escrito.Load(Salida()));
  EXPECT_EQ(
      escrito.SelectNodes("//grupo_datos[starts-with(@seq,'HORARIO_REGULAR_PROFESOR_')]").Length(),
      2u);
  EXPECT_EQ(escrito.SelectNodes("//grupo_datos[starts-with(@seq,'ACTIVIDAD_')]").Length(), 2u);
}

}  // namespace
}  // namespace trasvelo::test
