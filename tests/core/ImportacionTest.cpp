// The import run through a scripted user interface: the file dialog, the
// checks before any table is dropped, the end of a run in every way, the
// start-up and closing handlers, and the sample school end to end.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "PasosFixture.h"
#include "core/MainForm.h"
#include "platform/Error.h"
#include "platform/Paths.h"
#include "platform/Table.h"
#include "support/InterfazGuionizada.h"
#include "support/TableDump.h"

namespace trasvelo::test {
namespace {

namespace fs = std::filesystem;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

const std::vector<std::string> kTablasTrabajo = {"ASIGNOMT",    "ASIGNOMT2", "PROFT", "AULAT",
                                                 "CURSOST",     "GRUPOST",   "ASIGT", "DIASHORAST",
                                                 "DIASHORAST2", "PERIODOS"};

const std::vector<GrupoPrueba> kDocumentoSencillo = {
    {"MATERIAS", {{"M1", "Matemáticas"}}},
    {"EMPLEADOS", {{"E1", "Pérez", "Ana"}}},
    {"JORNADAS_ESCOLARES", {{"JM", "Mañana", "15/09/2026", "23/06/2027"}}},
    {"TRAMOS_HORARIOS", {{"1", "1ª", "480", "535", "JM"}, {"2", "2ª", "535", "590", "JM"}}},
};


class ImportacionTest : public PasosTest {
 protected:
  ImportacionTest() { CrearNiveles({{101, "1ESO", "ESO"}}); }

  fs::path Documento(const std::vector<GrupoPrueba>& grupos,
                     const std::string& nombre = "centro.xml") {
    fs::path archivo = documentos / nombre;
    WriteFile(archivo, DocumentoXml(grupos));
    return archivo;
  }
  void Ejecutar() { core::BExportarClick(estado, ui); }
  void EjecutarCon(const fs::path& archivo) {
    ui.archivos.push_back(archivo);
    Ejecutar();
  }
  bool TablasCerradas() const {
    const core::TablasVentana& t = estado.tablas;
    for (const platform::Table* tabla :
         {&t.wwTableNomAsg, &t.wwTableNomAsg_2, &t.wwTableProfesor, &t.wwTableTramos,
          &t.wwTableAulas, &t.wwTableGrupos, &t.wwTableAsig, &t.wwTableSoluc, &t.wwTableCursos,
          &t.wwTableNIVELEX}) {
      if (tabla->Active())
        return false;
    }
    return true;
  }

  TempDir documentos;
  InterfazGuionizada ui;
};

TEST_F(ImportacionTest, ACompletedRunReportsAndDisablesTheButtons) {
  for (int modo : {core::kModoInteractivo, core::kModoHospedado}) {
    SCOPED_TRACE(modo);
    ui = InterfazGuionizada();
    estado.modoEjecucion = modo;
    estado.resultado = 0;
    EjecutarCon(Documento(kDocumentoSencillo));

    std::vector<std::string> esperadas = {"ElegirArchivo", "Cursor: 1", "Cursor: 0",
                                          "Mensaje: Proceso finalizado", "DesactivarBotones"};
    if (modo == core::kModoHospedado)
      esperadas.push_back("CerrarVentana");
    EXPECT_EQ(ui.llamadas, esperadas);
    EXPECT_EQ(estado.resultado, 1);
    EXPECT_EQ(estado.ArchivoXML, documentos / "centro.xml");
    EXPECT_TRUE(TablasCerradas());
    for (const auto& tabla : kTablasTrabajo)
      EXPECT_TRUE(Existe(tabla)) << tabla;
    EXPECT_EQ(Columna("PROFT", "ABREV").size(), 1u);
    EXPECT_EQ(Columna("DIASHORAST", "DIHO").size(), 14u);
  }
  ASSERT_EQ(ui.dialogos.size(), 1u);
  EXPECT_EQ(ui.dialogos[0].titulo, "Archivo XML");
  EXPECT_EQ(ui.dialogos[0].filtro, "*.xml");
  EXPECT_EQ(ui.dialogos[0].extension, "xml");
}

TEST_F(ImportacionTest, ARelativeChoiceBecomesAFullPath) {
  Documento(kDocumentoSencillo);
  const fs::path antes = fs::current_path();
  fs::current_path(documentos.path());
  EjecutarCon("centro.xml");
  fs::current_path(antes);
  EXPECT_EQ(estado.ArchivoXML, documentos / "centro.xml");
  EXPECT_EQ(estado.resultado, 1);
}

TEST_F(ImportacionTest, WithoutAFileTheRunEndsAtOnce) {
  struct Caso {
    const char* nombre;
    int modo;
    std::optional<fs::path> respuesta;  // nothing: the dialog cancelled
    fs::path anterior;                  // ArchivoXML before the run
    int resultado;
    bool cierra;
  };
  const fs::path falta = documentos / "no-existe.xml";
  const std::vector<Caso> casos = {
      {"cancelled, nothing chosen before, interactive", core::kModoInteractivo, {}, {}, 0, false},
      {"cancelled, nothing chosen before, hosted", core::kModoHospedado, {}, {}, -1, true},
      {"a missing file typed, interactive", core::kModoInteractivo, falta, {}, 0, false},
      {"a missing file typed, hosted", core::kModoHospedado, falta, {}, -1, true},
      {"cancelled, an earlier choice gone since", core::kModoHospedado, {}, falta, -1, true},
      {"a folder chosen", core::kModoInteractivo, documentos.path(), {}, 0, false},
  };
  for (const auto& caso : casos) {
    SCOPED_TRACE(caso.nombre);
    ui = InterfazGuionizada();
    ui.archivos.push_back(caso.respuesta);
    estado.modoEjecucion = caso.modo;
    estado.resultado = 0;
    estado.ArchivoXML = caso.anterior;
    Ejecutar();
    std::vector<std::string> esperadas = {"ElegirArchivo", "Mensaje: No existe archivo"};
    if (caso.cierra)
      esperadas.push_back("CerrarVentana");
    EXPECT_EQ(ui.llamadas, esperadas);
    EXPECT_EQ(estado.resultado, caso.resultado);
    EXPECT_EQ(estado.ArchivoXML, caso.respuesta ? *caso.respuesta : caso.anterior);
    EXPECT_THAT(Fotografiar(trabajo.path()), IsEmpty());
  }
}

TEST_F(ImportacionTest, ACancelledDialogReusesTheEarlierChoice) {
  const fs::path archivo = Documento(kDocumentoSencillo);
  estado.ArchivoXML = archivo;
  ui.archivos.push_back(std::nullopt);
  Ejecutar();
  EXPECT_EQ(estado.ArchivoXML, archivo);
  EXPECT_EQ(estado.resultado, 1);
  EXPECT_THAT(ui.Mensajes(), ElementsAre("Proceso finalizado"));
}

TEST_F(ImportacionTest, TheLevelTableIsFoundWhateverItsLetterCase) {
  const fs::path archivo = Documento(kDocumentoSencillo);
  const fs::path niveles = programa / "NIVELLARI.dbf";
  fs::rename(niveles, programa / "nivellari.DBF");
  EjecutarCon(archivo);
  EXPECT_EQ(estado.resultado, 1);

  // Gone altogether: the message, and the tables of the earlier run stay
  // as they were, in both run modes.
  fs::remove(programa / "nivellari.DBF");
  const Instantanea antes = Fotografiar(trabajo.path());
  for (int modo : {core::kModoInteractivo, core::kModoHospedado}) {
    ui = InterfazGuionizada();
    estado.modoEjecucion = modo;
    estado.resultado = 0;
    EjecutarCon(archivo);
    EXPECT_THAT(
        ui.llamadas,
        ElementsAre("ElegirArchivo",
                    "Mensaje: ATENCIÓN - NIVELLARI.DBF No encontrado - Reinstale TRASVELO"));
    EXPECT_EQ(estado.resultado, 0);
  }
  EXPECT_EQ(Fotografiar(trabajo.path()), antes);
}

TEST_F(ImportacionTest, ADocumentThatCannotCompleteAnImportIsRefusedBeforeAnyTableIsDropped) {
  EjecutarCon(Documento(kDocumentoSencillo));
  ASSERT_EQ(estado.resultado, 1);
  std::this_thread::sleep_for(
      std::chrono::milliseconds(20));  // so that a rewrite shows in the times
  const Instantanea antes = Fotografiar(trabajo.path());

  struct Caso {
    const char* nombre;
    std::string contenido;
    std::string causa;
  };
  std::vector<GrupoPrueba> sinMarcos = kDocumentoSencillo;
  sinMarcos.erase(sinMarcos.begin() + 2);
  const std::vector<Caso> casos = {
      {"does not parse", "<SERVICIO><BLOQUE_DATOS><grupo_datos seq=\"MATERIAS\">",
       "no es un documento XML válido"},
      {"empty file", "", "no es un documento XML válido"},
      {"no time frame", DocumentoXml(sinMarcos), "JORNADAS_ESCOLARES"},
      {"an empty frame group", DocumentoXml({{"JORNADAS_ESCOLARES", {}}}), "JORNADAS_ESCOLARES"},
  };
  for (int modo : {core::kModoInteractivo, core::kModoHospedado}) {
    for (const auto& caso : casos) {
      SCOPED_TRACE(std::string(caso.nombre) + (modo ? " hosted" : ""));
      ui = InterfazGuionizada();
      estado.modoEjecucion = modo;
      estado.resultado = 0;
      const fs::path archivo = documentos / "malo.xml";
      WriteFile(archivo, caso.contenido);
      EjecutarCon(archivo);
      ASSERT_EQ(ui.Errores().size(), 1u) << ::testing::PrintToString(ui.llamadas);
      EXPECT_THAT(ui.Errores()[0], HasSubstr(archivo.string()));
      EXPECT_THAT(ui.Errores()[0], HasSubstr(caso.causa));
      EXPECT_THAT(ui.llamadas, Not(Contains("Mensaje: Proceso finalizado")));
      EXPECT_THAT(ui.llamadas, Not(Contains("DesactivarBotones")));
      EXPECT_THAT(ui.llamadas, Not(Contains("CerrarVentana")));
      EXPECT_EQ(ui.Veces("Cursor: 1"), ui.Veces("Cursor: 0"));
      EXPECT_EQ(estado.resultado, 0);
      EXPECT_TRUE(TablasCerradas());
      EXPECT_EQ(Fotografiar(trabajo.path()), antes);
    }
  }
}

// The end of a run stopped by an error inside a step.
void EsperarFinConError(const InterfazGuionizada& ui, const std::string& mensaje) {
  ASSERT_GE(ui.llamadas.size(), 4u) << ::testing::PrintToString(ui.llamadas);
  EXPECT_EQ(ui.llamadas.front(), "ElegirArchivo");
  EXPECT_EQ(ui.llamadas[1], "Cursor: 1");
  EXPECT_EQ(ui.llamadas[ui.llamadas.size() - 2], "Cursor: 0");
  EXPECT_THAT(ui.llamadas.back(), HasSubstr("Error: "));
  EXPECT_THAT(ui.llamadas.back(), HasSubstr(mensaje));
  EXPECT_THAT(ui.llamadas, Not(Contains("Mensaje: Proceso finalizado")));
  EXPECT_THAT(ui.llamadas, Not(Contains("DesactivarBotones")));
  EXPECT_THAT(ui.llamadas, Not(Contains("CerrarVentana")));
}

TEST_F(ImportacionTest, AnErrorInAStepEndsTheRunWithItsMessage) {
  std::vector<GrupoPrueba> claveMala = kDocumentoSencillo;
  claveMala.push_back({"CURSOS_DEL_CENTRO", {{"1O1", "1º ESO"}}});
  std::vector<GrupoPrueba> horaMala = kDocumentoSencillo;
  horaMala[3].registros.push_back({"3", "3ª", "10:00", "11:00", "JM"});
  std::vector<GrupoPrueba> dosMarcos = kDocumentoSencillo;
  dosMarcos[2].registros.push_back({"JT", "Tarde", "", ""});

  struct Caso {
    const char* nombre;
    std::vector<GrupoPrueba> documento;
    std::string mensaje;
    const char* tablaVacia;  // a table that the failing step left empty
  };
  const std::vector<Caso> casos = {
      {"a course key that is not a number", claveMala, "'1O1' is not a valid integer value",
       "GRUPOST"},
      {"a slot time that is not a number", horaMala, "'10:00' is not a valid integer value",
       "PERIODOS"},
      {"the chooser finds nothing to offer", dosMarcos, "el archivo ha cambiado", "PERIODOS"},
  };
  for (int modo : {core::kModoInteractivo, core::kModoHospedado}) {
    for (const auto& caso : casos) {
      SCOPED_TRACE(std::string(caso.nombre) + (modo ? " hosted" : ""));
      ui = InterfazGuionizada();
      ui.falloMarcos = "el archivo ha cambiado";
      estado.modoEjecucion = modo;
      estado.resultado = 0;
      EjecutarCon(Documento(caso.documento));
      EsperarFinConError(ui, caso.mensaje);
      EXPECT_EQ(estado.resultado, 0);
      EXPECT_TRUE(TablasCerradas());
      EXPECT_THAT(Leer(caso.tablaVacia, {}), IsEmpty());
    }
  }
}

// Another process that holds a table open for exclusive use until released,
// as the host program does.
class Poseedor {
 public:
  Poseedor(const fs::path& dir, const std::string& tabla) {
    int listo[2];
    int suelta[2];
    if (pipe(listo) != 0 || pipe(suelta) != 0)
      std::abort();
    pid_ = fork();
    if (pid_ < 0)
      std::abort();
    if (pid_ == 0) {
      close(listo[0]);
      close(suelta[1]);
      char ok = 'n';
      {
        platform::Table t(dir, tabla);
        try {
          t.Open(platform::OpenMode::Exclusive);
          ok = 'y';
        } catch (const platform::Error&) {
        }
        (void)!write(listo[1], &ok, 1);
        char c;
        (void)!read(suelta[0], &c, 1);
      }
      _exit(0);
    }
    close(listo[1]);
    close(suelta[0]);
    suelta_ = suelta[1];
    char ok = 'n';
    (void)!read(listo[0], &ok, 1);
    close(listo[0]);
    abierta_ = ok == 'y';
  }
  ~Poseedor() { Soltar(); }
  bool abierta() const { return abierta_; }
  void Soltar() {
    if (pid_ <= 0)
      return;
    close(suelta_);
    int estado = 0;
    waitpid(pid_, &estado, 0);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
  int suelta_ = -1;
  bool abierta_ = false;
};

TEST_F(ImportacionTest, AWorkingTableHeldByAnotherProgramStopsTheRunAndALaterRunCompletes) {
  const fs::path archivo = Documento(kDocumentoSencillo);
  EjecutarCon(archivo);
  ASSERT_EQ(estado.resultado, 1);

  for (const std::string tabla : {"PROFT", "DIASHORAST"}) {
    SCOPED_TRACE(tabla);
    estado.resultado = 0;
    estado.modoEjecucion = core::kModoHospedado;
    {
      Poseedor velmora(trabajo.path(), tabla);
      ASSERT_TRUE(velmora.abierta());
      ui = InterfazGuionizada();
      EjecutarCon(archivo);
      EsperarFinConError(ui, tabla);
      EXPECT_EQ(estado.resultado, 0);
      EXPECT_TRUE(TablasCerradas());
    }
    // Released: the run's own tables were closed, so nothing holds them now.
    ui = InterfazGuionizada();
    EjecutarCon(archivo);
    EXPECT_THAT(ui.Mensajes(), ElementsAre("Proceso finalizado"));
    EXPECT_EQ(estado.resultado, 1);
  }
}

TEST(FormCreate, ReadsTheCommandLine) {
  struct Caso {
    std::vector<std::string> argumentos;
    int modo;
    std::optional<uint64_t> anfitriona;
    std::optional<std::string> error;
  };
  const std::vector<Caso> casos = {
      {{}, 0, {}, {}},
      {{"exportar"}, 0, {}, {}},
      {{"exportar", "1a2b", "x"}, 0, {}, {}},
      {{"exportar", "1a2b"}, 2, 0x1a2b, {}},
      {{"EXPORTAR", "1A2B"}, 2, 0x1a2b, {}},
      {{"cualquiera", "FFfF"}, 2, 0xffff, {}},
      {{"exportar", "xyz"}, 0, {}, "'xyz' is not a valid integer value"},
      {{"exportar", "0x1a"}, 0, {}, "'0x1a' is not a valid integer value"},
      {{"exportar", ""}, 0, {}, "'' is not a valid integer value"},
  };
  for (const auto& caso : casos) {
    SCOPED_TRACE(::testing::PrintToString(caso.argumentos));
    TempDir dir;
    core::EstadoPrograma estado(core::Directorios{dir.path(), dir.path()});
    estado.resultado = 5;
    estado.ListaCod.insert("M");
    estado.ListaCodLargoNombre.insert("M");
    core::Arranque arranque = core::FormCreate(estado, caso.argumentos);
    EXPECT_EQ(estado.modoEjecucion, caso.modo);
    EXPECT_EQ(arranque.ventanaAnfitriona, caso.anfitriona);
    EXPECT_EQ(arranque.error, caso.error);
    EXPECT_EQ(estado.resultado, 0);
    EXPECT_TRUE(estado.ListaCod.empty());
    EXPECT_TRUE(estado.ListaCodLargoNombre.empty());
  }
}

TEST_F(ImportacionTest, FormShowStartsTheDirectionNamedInAnyCase) {
  const fs::path archivo = Documento(kDocumentoSencillo);
  struct Caso {
    std::vector<std::string> argumentos;
    bool importa;   // the import run starts and completes
    bool otraCosa;  // the export starts (and fails: there is no solution table)
  };
  const std::vector<Caso> casos = {
      {{"exportar", "1"}, true, false},    {{"EXPORTAR", "1"}, true, false},
      {{"Exportar", "1"}, true, false},    {{"ImPortar", "1"}, false, true},
      {{"exportar"}, false, false},        {{"exportar", "1", "2"}, false, false},
      {{"exportarlo", "1"}, false, false}, {{"exportár", "1"}, false, false},
  };
  for (const auto& caso : casos) {
    SCOPED_TRACE(::testing::PrintToString(caso.argumentos));
    ui = InterfazGuionizada();
    if (caso.importa || caso.otraCosa)
      ui.archivos.push_back(archivo);
    estado.resultado = 0;
    core::FormShow(estado, ui, caso.argumentos);
    EXPECT_EQ(estado.resultado, caso.importa ? 1 : 0);
    EXPECT_EQ(ui.Veces("ElegirArchivo"), caso.importa || caso.otraCosa ? 1 : 0);
    if (caso.otraCosa) {
      EXPECT_EQ(ui.Errores().size(), 1u);
    }
    if (!caso.importa && !caso.otraCosa) {
      EXPECT_THAT(ui.llamadas, IsEmpty());
    }
  }
}

TEST(FormClose, ReportsTheRunResultOnlyWhenHosted) {
  TempDir dir;
  core::EstadoPrograma estado(core::Directorios{dir.path(), dir.path()});
  estado.resultado = 1;
  core::FormClose(estado);
  EXPECT_FALSE(fs::exists(dir / "Velmora.ini"));

  estado.modoEjecucion = core::kModoHospedado;
  for (int resultado : {0, 1, -1}) {
    estado.resultado = resultado;
    core::FormClose(estado);
    EXPECT_THAT(
        ReadFile(dir / "Velmora.ini"),
        HasSubstr("[Transformadores]\r\nTransformado=" + std::to_string(resultado) + "\r\n"));
  }

  // The host's own file keeps its other settings; found in any letter case.
  fs::remove(dir / "Velmora.ini");
  WriteFile(dir / "VELMORA.INI",
            "[General]\r\nIdioma=es\r\n[Transformadores]\r\nTransformado=0\r\n");
  estado.resultado = -1;
  core::FormClose(estado);
  EXPECT_FALSE(fs::exists(dir / "Velmora.ini"));
  EXPECT_EQ(ReadFile(dir / "VELMORA.INI"),
            "[General]\r\nIdioma=es\r\n[Transformadores]\r\nTransformado=-1\r\n");
}

TEST(FormClose, AReportThatCannotBeWrittenIsAnError) {
  TempDir dir;
  core::EstadoPrograma estado(core::Directorios{dir.path(), dir / "no-existe"});
  estado.modoEjecucion = core::kModoHospedado;
  estado.resultado = 1;
  try {
    core::FormClose(estado);
    ADD_FAILURE() << "no error";
  } catch (const platform::FileError& e) {
    EXPECT_THAT(e.what(), HasSubstr("Velmora.ini"));
    EXPECT_THAT(e.what(), HasSubstr("(1)"));
  }
}

// The sample school, the whole run, with each choice of its two frames.
class ImportacionMuestraCompleta : public ::testing::TestWithParam<const char*> {};

TEST_P(ImportacionMuestraCompleta, GivesTheReviewedTables) {
  const std::string escenario = GetParam();
  const std::string eleccion = escenario == std::string("ambos")     ? "JM        JT        "
                               : escenario == std::string("solo-JM") ? "JM        "
                                                                     : "JT        ";
  TempDir trabajo;
  core::EstadoPrograma estado(core::Directorios{trabajo.path(), platform::ProgramDirectory()});
  InterfazGuionizada ui;
  const fs::path muestra = SourceDir() / "data/muestra/centro.xml";
  ui.archivos.push_back(muestra);
  ui.marcos.push_back(Eleccion(eleccion));
  core::BExportarClick(estado, ui);
  EXPECT_THAT(ui.llamadas,
              ElementsAre("ElegirArchivo", "Cursor: 1", "ElegirMarcos: " + muestra.string(),
                          "Cursor: 0", "Mensaje: Proceso finalizado", "DesactivarBotones"));

  const fs::path esperados = SourceDir() / "tests/data/expected";
  for (const std::string tabla :
       {"ASIGNOMT", "ASIGNOMT2", "PROFT", "AULAT", "CURSOST", "GRUPOST", "ASIGT"}) {
    EXPECT_TRUE(IgualAlArchivo(VolcarTabla(trabajo.path(), tabla), esperados / (tabla + ".txt")));
  }
  EXPECT_TRUE(
      IgualAlArchivo(VolcarTabla(trabajo.path(), "DIASHORAST2"), esperados / "DIASHORAST2.txt"));
  for (const std::string tabla : {"DIASHORAST", "PERIODOS"}) {
    EXPECT_TRUE(IgualAlArchivo(VolcarTabla(trabajo.path(), tabla),
                               esperados / escenario / (tabla + ".txt")));
  }
}

INSTANTIATE_TEST_SUITE_P(Marcos, ImportacionMuestraCompleta,
                         ::testing::Values("ambos", "solo-JM", "solo-JT"), [](const auto& info) {
                           std::string n = info.param;
                           for (char& c : n)
                             if (c == '-')
                               c = '_';
                           return n;
                         });

}  // namespace
}  // namespace trasvelo::test
