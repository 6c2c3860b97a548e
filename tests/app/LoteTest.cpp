// The batch command as a script runs it: its exit status, what it writes on
// standard output and standard error, and the working tables it leaves.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/Table.h"
#include "platform/XmlDom.h"
#include "support/TableDump.h"
#include "support/TempDir.h"

namespace trasvelo::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

struct Salida {
  int estado = -1;
  std::string out;
  std::string err;
};

// Runs `programa` with these arguments and WINEPREFIX set to `prefijo`.
Salida Ejecutar(const fs::path& programa, const std::vector<std::string>& argumentos,
                const fs::path& prefijo) {
  TempDir capturas;
  const fs::path out = capturas / "out";
  const fs::path err = capturas / "err";
  pid_t pid = fork();
  if (pid < 0)
    std::abort();
  if (pid == 0) {
    int fo = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int fe = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int fi = open("/dev/null", O_RDONLY);
    if (fo < 0 || fe < 0 || fi < 0)
      _exit(126);
    dup2(fi, 0);
    dup2(fo, 1);
    dup2(fe, 2);
    setenv("WINEPREFIX", prefijo.c_str(), 1);
    std::vector<char*> argv;
    std::string nombre = programa.string();
    argv.push_back(nombre.data());
    std::vector<std::string> copia = argumentos;
    for (auto& a : copia)
      argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(nombre.c_str(), argv.data());
    _exit(127);
  }
  int estado = 0;
  waitpid(pid, &estado, 0);
  Salida s;
  s.estado = WIFEXITED(estado) ? WEXITSTATUS(estado) : 128 + WTERMSIG(estado);
  s.out = ReadFile(out);
  s.err = ReadFile(err);
  return s;
}

// An exchange document with these time frames (code and name) and one slot
// for each.
std::string DocumentoConMarcos(const std::vector<std::string>& codigos) {
  std::string marcos;
  std::string tramos;
  int n = 0;
  for (const auto& codigo : codigos) {
    marcos += "<grupo_datos><dato nombre_dato=\"X_JORNADA\">" + codigo +
              "</dato><dato nombre_dato=\"D_JORNADA\">Jornada " + codigo +
              "</dato><dato nombre_dato=\"F_INICIO\">01/09/2026</dato>"
              "<dato nombre_dato=\"F_FIN\">30/06/2027</dato></grupo_datos>";
    ++n;
    tramos += "<grupo_datos><dato nombre_dato=\"X_TRAMO\">" + std::to_string(n) +
              "</dato><dato nombre_dato=\"T_HORCEN\">hora</dato>"
              "<dato nombre_dato=\"N_INICIO\">" +
              std::to_string(480 + n) +
              "</dato><dato nombre_dato=\"N_FIN\">600</dato>"
              "<dato nombre_dato=\"X_JORNADA\">" +
              codigo + "</dato></grupo_datos>";
  }
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SERVICIO><BLOQUE_DATOS>"
         "<grupo_datos seq=\"JORNADAS_ESCOLARES\">" +
         marcos + "</grupo_datos><grupo_datos seq=\"TRAMOS_HORARIOS\">" + tramos +
         "</grupo_datos></BLOQUE_DATOS></SERVICIO>\n";
}

class LoteTest : public ::testing::Test {
 protected:
  // The copies that imports make go to a folder of the test's own.
  LoteTest() {
    fs::create_directories(trabajo);
    setenv("XDG_DATA_HOME", datos.path().c_str(), 1);
  }

  Salida Lote(const std::vector<std::string>& argumentos) {
    return Ejecutar(TRASVELO_LOTE, argumentos, prefijo.path());
  }
  std::string Documento(const std::string& nombre, const std::string& contenido) {
    WriteFile(documentos / nombre, contenido);
    return (documentos / nombre).string();
  }

  TempDir prefijo;
  TempDir documentos;
  TempDir datos;
  fs::path trabajo = prefijo / "drive_c/VTEMP";
  const std::string muestra = (SourceDir() / "data/muestra/centro.xml").string();
};

TEST_F(LoteTest, HelpAndWrongCommandLines) {
  Salida ayuda = Lote({"--help"});
  EXPECT_EQ(ayuda.estado, 0);
  EXPECT_THAT(ayuda.out, HasSubstr("trasvelo-lote exportar ARCHIVO.xml"));
  EXPECT_THAT(ayuda.err, IsEmpty());

  const std::vector<std::vector<std::string>> malas = {
      {},
      {"exportar"},
      {"sincronizar", "a.xml"},
      {"exportar", "a.xml", "--marcos"},
      {"exportar", "a.xml", "--otra", "JM"},
      {"exportar", "a.xml", "b.xml"},
      {"importar", "a.xml", "--marcos", "JM"},
  };
  for (const auto& argumentos : malas) {
    SCOPED_TRACE(::testing::PrintToString(argumentos));
    Salida s = Lote(argumentos);
    EXPECT_EQ(s.estado, 2);
    EXPECT_THAT(s.err, HasSubstr("Uso:"));
    EXPECT_THAT(s.out, IsEmpty());
  }
  EXPECT_THAT(Fotografiar(trabajo), IsEmpty());
}

TEST_F(LoteTest, ACompletedImportSaysSoOnStandardOutput) {
  for (const std::string direccion : {"exportar", "EXPORTAR"}) {
    Salida s = Lote({direccion, Documento("uno.xml", DocumentoConMarcos({"JM"}))});
    EXPECT_EQ(s.estado, 0) << s.err;
    EXPECT_EQ(s.out, "Proceso finalizado\n");
    EXPECT_THAT(s.err, IsEmpty());
  }
  for (const std::string tabla :
       {"ASIGNOMT.DBF", "ASIGNOMT2.DBF", "PROFT.DBF", "AULAT.DBF", "CURSOST.DBF", "GRUPOST.DBF",
        "ASIGT.DBF", "DIASHORAST.DBF", "DIASHORAST2.DBF", "DIASHORAST2.MDX", "PERIODOS.DBF"}) {
    EXPECT_TRUE(fs::exists(trabajo / tabla)) << tabla;
  }
}

TEST_F(LoteTest, FailuresGoToStandardErrorAndTouchNoTable) {
  // An earlier import leaves tables that every failure below must keep.
  ASSERT_EQ(Lote({"exportar", muestra, "--marcos", "JM"}).estado, 0);
  const Instantanea antes = Fotografiar(trabajo);

  const std::string dos = Documento("dos.xml", DocumentoConMarcos({"JM", "JT"}));
  const std::string tres = Documento("tres.xml", DocumentoConMarcos({"A", "B", "C"}));
  const std::string roto = Documento("roto.xml", "<SERVICIO><BLOQUE_DATOS>");
  const std::string sinMarcos = Documento("sin.xml", DocumentoConMarcos({}));
  struct Caso {
    const char* nombre;
    std::vector<std::string> argumentos;
    std::vector<std::string> dice;  // what standard error must hold
  };
  const std::vector<Caso> casos = {
      {"missing file",
       {"exportar", (documentos / "no-existe.xml").string()},
       {"No existe archivo"}},
      {"two frames, no choice", {"exportar", dos}, {"--marcos", "\n  JM\n  JT"}},
      {"an unknown code", {"exportar", dos, "--marcos", "JM,JX"}, {"'JX'", "\n  JM\n  JT"}},
      {"codes are exact", {"exportar", dos, "--marcos", "jm"}, {"'jm'"}},
      {"an empty code list", {"exportar", dos, "--marcos", ""}, {"''"}},
      {"three codes",
       {"exportar", tres, "--marcos", "A,B,C"},
       {"Demasiados Marcos Horarios seleccionados.\r\nComo máximo puede seleccionar 2 Marcos "
        "Horarios"}},
      {"a document that does not parse", {"exportar", roto}, {roto, "no es un documento XML"}},
      {"a document without frames", {"exportar", sinMarcos}, {sinMarcos, "JORNADAS_ESCOLARES"}},
  };
  for (const auto& caso : casos) {
    SCOPED_TRACE(caso.nombre);
    Salida s = Lote(caso.argumentos);
    EXPECT_EQ(s.estado, 1);
    EXPECT_THAT(s.out, IsEmpty());
    for (const auto& texto : caso.dice)
      EXPECT_THAT(s.err, HasSubstr(texto));
    EXPECT_THAT(s.err, Not(HasSubstr("Uso:")));
  }
  EXPECT_EQ(Fotografiar(trabajo), antes);
}

TEST_F(LoteTest, WithoutTheLevelTableBesideTheProgramNothingIsTouched) {
  TempDir instalacion;
  const fs::path copia = instalacion / "trasvelo-lote";
  fs::copy_file(TRASVELO_LOTE, copia);
  fs::permissions(copia, fs::perms::owner_all);
  ASSERT_EQ(Lote({"exportar", muestra, "--marcos", "JT"}).estado, 0);
  const Instantanea antes = Fotografiar(trabajo);

  Salida s = Ejecutar(copia, {"exportar", muestra, "--marcos", "JT"}, prefijo.path());
  EXPECT_EQ(s.estado, 1);
  EXPECT_THAT(s.out, IsEmpty());
  EXPECT_THAT(s.err, HasSubstr("ATENCIÓN - NIVELLARI.DBF No encontrado - Reinstale TRASVELO"));
  EXPECT_EQ(Fotografiar(trabajo), antes);

  // The same file under another letter case is found.
  fs::copy_file(fs::path(TRASVELO_LOTE).parent_path() / "NIVELLARI.dbf",
                instalacion / "nivellari.DBF");
  s = Ejecutar(copia, {"exportar", muestra, "--marcos", "JT"}, prefijo.path());
  EXPECT_EQ(s.estado, 0) << s.err;
  EXPECT_EQ(s.out, "Proceso finalizado\n");
}

TEST_F(LoteTest, AMissingWorkingDirectoryIsReportedByName) {
  fs::remove(trabajo);
  Salida s = Lote({"exportar", muestra, "--marcos", "JM"});
  EXPECT_EQ(s.estado, 1);
  EXPECT_THAT(s.out, IsEmpty());
  EXPECT_THAT(s.err, HasSubstr(trabajo.string()));
}

// The sample school through the batch command: the choice by codes gives
// the same tables as the chooser, in list order whatever the order given.
TEST_F(LoteTest, TheSampleSchoolGivesTheReviewedTables) {
  struct Caso {
    std::string marcos;
    std::string escenario;
  };
  const fs::path esperados = SourceDir() / "tests/data/expected";
  for (const auto& caso : {Caso{"JM,JT", "ambos"}, Caso{"JT,JM", "ambos"}, Caso{"JM", "solo-JM"},
                           Caso{"JT", "solo-JT"}}) {
    SCOPED_TRACE(caso.marcos);
    Salida s = Lote({"exportar", muestra, "--marcos", caso.marcos});
    ASSERT_EQ(s.estado, 0) << s.err;
    EXPECT_EQ(s.out, "Proceso finalizado\n");
    for (const std::string tabla : {"ASIGNOMT", "ASIGNOMT2", "PROFT", "AULAT", "CURSOST", "GRUPOST",
                                    "ASIGT", "DIASHORAST2"}) {
      EXPECT_TRUE(IgualAlArchivo(VolcarTabla(trabajo, tabla), esperados / (tabla + ".txt")));
    }
    for (const std::string tabla : {"DIASHORAST", "PERIODOS"}) {
      EXPECT_TRUE(IgualAlArchivo(VolcarTabla(trabajo, tabla),
                                 esperados / caso.escenario / (tabla + ".txt")));
    }
  }
}

// ---- Run report, trial runs, copies ---------------------------------------

// The document with these groups ahead of its frames.
std::string ConGrupos(const std::string& documento, const std::string& grupos) {
  std::string d = documento;
  d.replace(d.find("<BLOQUE_DATOS>"), 14, "<BLOQUE_DATOS>" + grupos);
  return d;
}

// The records of a working table.
long Registros(const fs::path& dir, const std::string& tabla) {
  platform::Table t(dir, tabla);
  t.Open(platform::OpenMode::Shared);
  return t.RecordCount();
}

std::map<std::string, std::string> Bytes(const fs::path& carpeta) {
  std::map<std::string, std::string> bytes;
  for (const auto& [nombre, contenido] : Fotografiar(carpeta))
    bytes[nombre] = contenido.second;
  return bytes;
}

TEST_F(LoteTest, TheReportGoesToStandardErrorAndToTheCsvFile) {
  const std::string documento = Documento(
      "avisos.xml",
      ConGrupos(DocumentoConMarcos({"JM"}),
                "<grupo_datos seq=\"MATERIAS\"><grupo_datos><dato>X</dato></grupo_datos>"
                "</grupo_datos><grupo_datos seq=\"DEPENDENCIAS\">"
                "<grupo_datos><dato>A,\"1</dato><dato>Aula</dato></grupo_datos>"
                "<grupo_datos><dato>A,\"1</dato><dato>Aula</dato></grupo_datos></grupo_datos>"));
  const fs::path csv = documentos / "informe.csv";
  Salida s = Lote({"exportar", documento, "--informe", csv.string()});
  EXPECT_EQ(s.estado, 0) << s.err;
  EXPECT_EQ(s.out, "Proceso finalizado\n");
  EXPECT_EQ(s.err,
            "Aviso: MATERIAS, registro 1, clave 'X': se omite: el registro tiene 1 valor(es), y "
            "hacen falta al menos dos\n"
            "Aviso: DEPENDENCIAS, registro 2, clave 'A,\"1': el código de aula 'A,\"1' ya estaba "
            "en uso: se numera como 'A,\"11'\n");
  EXPECT_EQ(ReadFile(csv),
            "origen,registro,clave,motivo\r\n"
            "MATERIAS,1,X,\"se omite: el registro tiene 1 valor(es), y hacen falta al menos "
            "dos\"\r\n"
            "DEPENDENCIAS,2,\"A,\"\"1\",\"el código de aula 'A,\"\"1' ya estaba en uso: se numera "
            "como 'A,\"\"11'\"\r\n");

  // A clean run leaves a report of its own, with nothing in it.
  s = Lote(
      {"exportar", Documento("uno.xml", DocumentoConMarcos({"JM"})), "--informe", csv.string()});
  EXPECT_EQ(s.estado, 0) << s.err;
  EXPECT_THAT(s.err, IsEmpty());
  EXPECT_EQ(ReadFile(csv), "origen,registro,clave,motivo\r\n");
}

TEST_F(LoteTest, AnImportTrialTouchesNothingAndCountsWhatTheRealRunWrites) {
  ASSERT_EQ(Lote({"exportar", muestra, "--marcos", "JM,JT"}).estado, 0);
  fs::create_directories(datos / "trasvelo/copias");
  const Instantanea antes = Fotografiar(trabajo);
  const Instantanea copiasAntes = Fotografiar(datos / "trasvelo/copias");

  Salida prueba = Lote({"exportar", muestra, "--marcos", "JT", "--prueba"});
  ASSERT_EQ(prueba.estado, 0) << prueba.err;
  EXPECT_EQ(Fotografiar(trabajo), antes);
  EXPECT_EQ(Fotografiar(datos / "trasvelo/copias"), copiasAntes);
  EXPECT_THAT(prueba.err, HasSubstr("Aviso: JORNADAS_ESCOLARES"));  // JM not chosen

  ASSERT_EQ(Lote({"exportar", muestra, "--marcos", "JT"}).estado, 0);
  std::string esperado = "Proceso finalizado\n";
  esperado += "Prueba en un directorio temporal: el directorio de trabajo no se ha tocado.\n";
  for (const std::string tabla : {"ASIGNOMT", "ASIGNOMT2", "PROFT", "AULAT", "CURSOST", "GRUPOST",
                                  "ASIGT", "DIASHORAST", "DIASHORAST2", "PERIODOS"}) {
    esperado += tabla + ": " + std::to_string(Registros(trabajo, tabla)) + " registros\n";
  }
  EXPECT_EQ(prueba.out, esperado);
  EXPECT_GT(Registros(trabajo, "PROFT"), 0);
}

TEST_F(LoteTest, AnExportTrialWritesNothingAndCountsWhatTheRealRunWrites) {
  ASSERT_EQ(Lote({"exportar", muestra, "--marcos", "JM"}).estado, 0);
  std::string abrev;
  {
    platform::Table proft(trabajo, "PROFT");
    proft.Open(platform::OpenMode::Shared);
    proft.First();
    abrev = proft.AsString("ABREV");
  }
  platform::CreateTable(trabajo, "SOLUC.DBF",
                        {{"PROF", platform::FieldType::Text, 10},
                         {"DIA", platform::FieldType::Integer, 0},
                         {"HORA", platform::FieldType::Integer, 0},
                         {"MARCO", platform::FieldType::Text, 1},
                         {"ASIG", platform::FieldType::Text, 10},
                         {"CODGRUPO", platform::FieldType::Text, 10},
                         {"TAREA", platform::FieldType::Text, 10},
                         {"AULA", platform::FieldType::Text, 10}});
  {
    platform::Table soluc(trabajo, "SOLUC.DBF");
    soluc.Open(platform::OpenMode::Exclusive);
    for (const auto& [prof, dia] : {std::pair{abrev, 1}, {abrev, 0}, {std::string("NADIE"), 1}}) {
      soluc.Append();
      soluc.SetString("PROF", prof);
      soluc.SetInteger("DIA", dia);
      soluc.SetInteger("HORA", 1);
      soluc.SetString("MARCO", "0");
      soluc.SetString("TAREA", "48");
      soluc.Post();
    }
  }
  const fs::path archivo = documentos / "centro.xml";
  fs::copy_file(muestra, archivo);
  const Instantanea antes = Fotografiar(trabajo);
  const Instantanea carpetaAntes = Fotografiar(documentos.path());

  Salida prueba = Lote({"importar", archivo.string(), "--prueba"});
  ASSERT_EQ(prueba.estado, 0) << prueba.err;
  EXPECT_EQ(Fotografiar(trabajo), antes);
  EXPECT_EQ(Fotografiar(documentos.path()), carpetaAntes);
  EXPECT_THAT(prueba.err, HasSubstr("Aviso: SOLUC, registro 3, clave 'NADIE'"));
  EXPECT_THAT(prueba.err, HasSubstr("Aviso: SOLUC, registro 2, clave '" + abrev + "': DIA 0"));

  Salida real = Lote({"importar", archivo.string()});
  ASSERT_EQ(real.estado, 0) << real.err;
  platform::XmlDocument escrito;
  ASSERT_TRUE(escrito.Load(documentos / "ResultadoVelmoscentro.xml"));
  const size_t profesores =
      escrito.SelectNodes("//grupo_datos[starts-with(@seq,'HORARIO_REGULAR_PROFESOR_')]").Length();
  const size_t actividades =
      escrito.SelectNodes("//grupo_datos[starts-with(@seq,'ACTIVIDAD_')]").Length();
  EXPECT_EQ(actividades, 1u);
  EXPECT_EQ(prueba.out, "Prueba: no se ha escrito ningún documento.\nProfesores: " +
                            std::to_string(profesores) +
                            "\nActividades: " + std::to_string(actividades) + "\n");
}

TEST_F(LoteTest, RestoreBringsBackTheTablesAnImportReplaced) {
  EXPECT_EQ(Lote({"restaurar", "a", "b"}).estado, 2);
  Salida ninguna = Lote({"restaurar"});
  EXPECT_EQ(ninguna.estado, 1);
  EXPECT_THAT(ninguna.err, HasSubstr("No hay ninguna copia"));

  ASSERT_EQ(Lote({"exportar", Documento("uno.xml", DocumentoConMarcos({"JM"}))}).estado, 0);
  const auto primera = Bytes(trabajo);
  ASSERT_EQ(Lote({"exportar", muestra, "--marcos", "JM,JT"}).estado, 0);
  const auto segunda = Bytes(trabajo);
  ASSERT_NE(primera, segunda);
  ASSERT_EQ(Lote({"exportar", muestra, "--marcos", "JM"}).estado, 0);
  std::vector<std::string> copias;
  for (const auto& [nombre, contenido] : Fotografiar(datos / "trasvelo/copias"))
    copias.push_back(nombre);
  ASSERT_EQ(copias.size(), 2u);

  // The newest copy: the tables before the last import.
  Salida s = Lote({"restaurar"});
  EXPECT_EQ(s.estado, 0) << s.err;
  EXPECT_THAT(s.out, HasSubstr(copias[1]));
  EXPECT_EQ(Bytes(trabajo), segunda);
  // A copy by its name.
  s = Lote({"restaurar", copias[0]});
  EXPECT_EQ(s.estado, 0) << s.err;
  EXPECT_EQ(Bytes(trabajo), primera);
  s = Lote({"restaurar", "20000101-000000"});
  EXPECT_EQ(s.estado, 1);
  EXPECT_THAT(s.err, HasSubstr("20000101-000000"));

  // Not while another program holds a table.
  const Instantanea antes = Fotografiar(trabajo);
  int listo[2], seguir[2];
  ASSERT_EQ(pipe(listo), 0);
  ASSERT_EQ(pipe(seguir), 0);
  const pid_t hijo = fork();
  ASSERT_GE(hijo, 0);
  if (hijo == 0) {
    platform::Table grupos(trabajo, "GRUPOST");
    grupos.Open(platform::OpenMode::Exclusive);
    char c = 'x';
    (void)!write(listo[1], &c, 1);
    (void)!read(seguir[0], &c, 1);
    _exit(0);
  }
  char c;
  ASSERT_EQ(read(listo[0], &c, 1), 1);
  s = Lote({"restaurar", copias[1]});
  (void)!write(seguir[1], &c, 1);
  waitpid(hijo, nullptr, 0);
  EXPECT_EQ(s.estado, 1);
  EXPECT_THAT(s.err, HasSubstr("La tabla GRUPOST"));
  EXPECT_EQ(Fotografiar(trabajo), antes);
}

}  // namespace
}  // namespace trasvelo::test
