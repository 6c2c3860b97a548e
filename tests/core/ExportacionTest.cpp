// The export: the solved timetable (SOLUC) and the import's working tables
// written back as an exchange document, checked by reading the document back.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/EstadoPrograma.h"
#include "core/MainForm.h"
#include "core/Mensajes.h"
#include "platform/Table.h"
#include "platform/Text1252.h"
#include "platform/XmlDom.h"
#include "support/Child.h"
#include "support/InterfazGuionizada.h"
#include "support/TempDir.h"

namespace trasvelo::test {
namespace {

namespace fs = std::filesystem;
using platform::FieldDef;
using platform::FieldType;
using platform::OpenMode;
using platform::XmlDocument;
using platform::XmlNode;

// ---- Working tables ------------------------------------------------------

// One record: field name -> value, in UTF-8; numbers in decimal.
using Fila = std::map<std::string, std::string>;
// Table name -> its records, in table order.
using Tablas = std::map<std::string, std::vector<Fila>>;

FieldDef C(const char* nombre, int ancho) {
  return {nombre, FieldType::Text, ancho};
}
FieldDef N(const char* nombre) {
  return {nombre, FieldType::Integer, 0};
}

// The layouts the import writes, and the host's solution table as our
// fixtures define it (DIA and HORA numeric, or character when asked).
std::vector<FieldDef> Diseno(const std::string& tabla, bool solucDeTexto) {
  static const std::map<std::string, std::vector<FieldDef>> disenos = {
      {"PROFT",
       {C("ABREV", 10), C("NOMBRE", 80), C("DEPART", 40), C("EMAIL", 100), N("DNI"),
        C("X_EMPLEADO", 10), C("F_TOMAPOS", 10)}},
      {"ASIGNOMT",
       {C("COD", 10),
        C("CODLARGO", 10),
        C("NOMBRE", 80),
        C("CODTAREA", 10),
        {"ESTAREA", FieldType::Logical, 0}}},
      {"ASIGNOMT2",
       {C("COD", 10),
        C("CODLARGO", 10),
        C("NOMBRE", 80),
        C("MATERIA", 20),
        C("OFERTAMATRI", 20),
        C("CODTAREA", 12),
        {"ESTAREA", FieldType::Logical, 0}}},
      {"GRUPOST",
       {C("ABREV", 10), C("TURNO", 1), C("NIVEL", 5), C("CURSO", 3), C("GRUPO", 2), C("MARCO", 1),
        C("CLAVE", 10), C("CLAVECURSO", 10), C("DESCRIP", 80)}},
      {"CURSOST",
       {C("ABREV", 3), C("TURNO", 1), C("NIVEL", 5), C("CURSO", 3), C("CLAVE", 10),
        C("ESTUD", 80)}},
      {"AULAT",
       {C("ABREV", 10), C("NOMBRE", 80), C("EDIFICIO", 1), N("MAXALUM"), C("DEPCENTRO", 10)}},
      {"ASIGT",
       {C("CASIG", 10),
        C("CPROF", 10),
        C("CGRUP", 10),
        C("CAULA", 10),
        C("TURNO", 1),
        C("NIVEL", 5),
        C("CURSO", 3),
        C("GRUPO", 2),
        {"HORAS", FieldType::Float, 0},
        C("SESIONES", 20),
        C("NCONEX", 4),
        C("CLAVE", 10),
        C("CLAVECURSO", 10),
        C("CTAREA", 10)}},
      {"DIASHORAST",
       {C("DIHO", 10), C("CODDIHO", 10), C("DIA", 20), C("TEXTODIA", 20), C("HORA", 8),
        C("TEXTOHOR", 15), C("HORADESDE", 8), C("HORAHASTA", 8), C("MINUTOS", 8), C("MARCO", 1),
        C("MARCOXML", 10)}},
      {"PERIODOS", {C("CJORNADA", 10), C("JORNADA", 40), C("FECINI", 10), C("FECFIN", 10)}},
      {"SOLUC",
       {C("PROF", 10), N("DIA"), N("HORA"), C("MARCO", 1), C("ASIG", 10), C("CODGRUPO", 10),
        C("TAREA", 10), C("AULA", 10)}},
  };
  std::vector<FieldDef> campos = disenos.at(tabla);
  if (tabla == "SOLUC" && solucDeTexto) {
    campos[1] = C("DIA", 2);
    campos[2] = C("HORA", 2);
  }
  return campos;
}

const std::vector<std::string> kTablas = {"PROFT", "ASIGNOMT", "ASIGNOMT2",  "GRUPOST",  "CURSOST",
                                          "AULAT", "ASIGT",    "DIASHORAST", "PERIODOS", "SOLUC"};

// Creates all ten tables in `dir`, each holding the rows given for it.
void CrearTablas(const fs::path& dir, const Tablas& tablas, bool solucDeTexto = false) {
  for (const std::string& nombre : kTablas) {
    const auto campos = Diseno(nombre, solucDeTexto);
    platform::CreateTable(dir, nombre + ".DBF", campos);
    auto filas = tablas.find(nombre);
    if (filas == tablas.end())
      continue;
    platform::Table tabla(dir, nombre + ".DBF");
    tabla.Open(OpenMode::Exclusive);
    for (const Fila& fila : filas->second) {
      tabla.Append();
      for (const auto& [campo, valor] : fila) {
        FieldType tipo = FieldType::Text;
        for (const auto& def : campos) {
          if (def.name == campo)
            tipo = def.type;
        }
        switch (tipo) {
          case FieldType::Integer:
            tabla.SetInteger(campo, std::stoll(valor));
            break;
          case FieldType::Float:
            tabla.SetFloat(campo, std::stod(valor));
            break;
          case FieldType::Logical:
            tabla.SetBoolean(campo, valor == "T");
            break;
          case FieldType::Text:
            tabla.SetString(campo, platform::Utf8To1252(valor));
            break;
        }
      }
      tabla.Post();
    }
    tabla.Close();
  }
}

// The tables named in `cambios` replace those of `base`.
Tablas Con(Tablas base, const Tablas& cambios) {
  for (const auto& [nombre, filas] : cambios)
    base[nombre] = filas;
  return base;
}

Fila Entrada(const std::string& prof, const std::string& dia, const std::string& hora,
             const std::string& marco, const std::string& asig, const std::string& grupo,
             const std::string& tarea = "", const std::string& aula = "") {
  return {{"PROF", prof}, {"DIA", dia},        {"HORA", hora},   {"MARCO", marco},
          {"ASIG", asig}, {"CODGRUPO", grupo}, {"TAREA", tarea}, {"AULA", aula}};
}

Fila Tramo(const std::string& diho, const std::string& marco, const std::string& dia,
           const std::string& codigo, const std::string& desde, const std::string& hasta) {
  return {{"DIHO", diho},      {"MARCO", marco},     {"DIA", dia},
          {"CODDIHO", codigo}, {"HORADESDE", desde}, {"HORAHASTA", hasta}};
}

// One teacher, P1, and what the lookups need. Slot 11 exists in both frames,
// frame "0" first; the first period row is the one exported.
Tablas Base() {
  return {
      {"PROFT", {{{"ABREV", "P1"}, {"X_EMPLEADO", "E1"}, {"F_TOMAPOS", "01/09/2009"}}}},
      {"DIASHORAST",
       {Tramo("11", "0", "1", "T11", "08:30", "09:25"),
        Tramo("11", "1", "1", "T11B", "8:00", "8:50"),
        Tramo("32", "0", "3", "T32", "09:25", "10:20"),
        Tramo("55", "0", "5", "T55", "17:05", "18:00")}},
      {"PERIODOS",
       {{{"CJORNADA", "JM"}, {"FECINI", "15/09/2009"}, {"FECFIN", "22/06/2010"}},
        {{"CJORNADA", "JT"}, {"FECINI", "01/01/2010"}, {"FECFIN", "31/01/2010"}}}},
      {"ASIGT", {{{"CASIG", "MAT"}, {"CGRUP", "1A"}, {"CLAVE", "M100"}, {"CLAVECURSO", "C100"}}}},
      {"GRUPOST",
       {{{"ABREV", "1A"}, {"CLAVE", "U1"}, {"CLAVECURSO", "C999"}},
        {{"ABREV", "2B"}, {"CLAVE", "U2"}, {"CLAVECURSO", "C200"}}}},
      {"ASIGNOMT",
       {{{"COD", "MAT"}, {"CODTAREA", ""}},
        {{"COD", "GUA"}, {"CODTAREA", "T77"}, {"ESTAREA", "T"}}}},
      {"ASIGNOMT2",
       {{{"COD", "MAT"}, {"OFERTAMATRI", "C200"}, {"MATERIA", "M200"}},
        {{"COD", "MAT"}, {"OFERTAMATRI", "C100"}, {"MATERIA", "MXX"}}}},
  };
}

// ---- Exchange documents --------------------------------------------------

std::string Documento(const std::string& bloque, const std::string& declaracion =
                                                     "<?xml version=\"1.0\" encoding=\"UTF-8\"?>") {
  return declaracion +
         "\n<SERVICIO modulo=\"HORARIOS\" tipo=\"O\" autor=\"Centro\"><BLOQUE_DATOS>" + bloque +
         "</BLOQUE_DATOS></SERVICIO>\n";
}

// A document as Racima exports it: the academic year first, other groups
// after it.
std::string DocumentoNormal() {
  return Documento(
      "<grupo_datos seq=\"ANNO_ACADEMICO\"><dato nombre_dato=\"C_ANNO\">2009/2010</dato>"
      "</grupo_datos><grupo_datos seq=\"EMPLEADOS\"><grupo_datos><dato>x</dato></grupo_datos>"
      "</grupo_datos>");
}

fs::path Salida(const fs::path& archivo) {
  return archivo.parent_path() / ("ResultadoVelmos" + archivo.filename().string());
}

// The fecha attribute of the root replaced by "#".
std::string SinFecha(const std::string& xml) {
  static const std::regex fecha("(<SERVICIO [^>]*fecha=\")[^\"]*\"");
  return std::regex_replace(xml, fecha, "$1#\"", std::regex_constants::format_first_only);
}

// The document as an outline, one line per node, two blanks of indent per
// level: an element with its attributes in written order, a dato with its
// text; comments, instructions and stray text shown as such. Text is UTF-8.
void Esquema(const XmlNode& nodo, int nivel, std::string& salida) {
  const std::string nombre = platform::Cp1252ToUtf8(nodo.Name());
  std::string linea(2 * nivel, ' ');
  if (nombre == "#text" || nombre == "#comment") {
    salida += linea + nombre + " '" + platform::Cp1252ToUtf8(nodo.Text()) + "'\n";
    return;
  }
  linea += nombre;
  const auto atributos = nodo.SelectNodes("@*");
  for (size_t i = 0; i < atributos.Length(); ++i) {
    const XmlNode a = atributos.Item(i);
    const std::string an = platform::Cp1252ToUtf8(a.Name());
    linea += " " + an + "=" + (an == "fecha" ? "#" : platform::Cp1252ToUtf8(a.Text()));
  }
  const auto hijos = nodo.SelectNodes("node()");
  if (nombre == "dato" && hijos.Length() <= 1) {
    salida += linea + ": " + platform::Cp1252ToUtf8(nodo.Text()) + "\n";
    return;
  }
  salida += linea + "\n";
  for (size_t i = 0; i < hijos.Length(); ++i)
    Esquema(hijos.Item(i), nivel + 1, salida);
}

std::string Esquema(const XmlDocument& doc) {
  std::string salida;
  const auto nodos = doc.SelectNodes("/node()");
  for (size_t i = 0; i < nodos.Length(); ++i)
    Esquema(nodos.Item(i), 0, salida);
  return salida;
}

struct Leido {
  XmlDocument doc;
  std::string bytes;
};

std::unique_ptr<Leido> Leer(const fs::path& archivo) {
  auto leido = std::make_unique<Leido>();
  leido->bytes = ReadFile(archivo);
  EXPECT_TRUE(leido->doc.Load(archivo)) << leido->doc.LoadError();
  return leido;
}

const char* const kProfesores =
    "/SERVICIO/BLOQUE_DATOS/grupo_datos[@seq='HORARIOS_REGULARES']/grupo_datos";

// The values of every activity group of the document, in document order, each
// as its eleven dato texts joined by '|'. Checks on the way what every
// export must hold: teachers and activities numbered from 1 without gaps and
// each teacher's registros equal to its activity groups.
std::vector<std::string> Actividades(const XmlDocument& doc) {
  std::vector<std::string> actividades;
  const auto profesores = doc.SelectNodes(kProfesores);
  for (size_t p = 0; p < profesores.Length(); ++p) {
    const XmlNode profesor = profesores.Item(p);
    EXPECT_EQ(profesor.Attribute("seq"), "HORARIO_REGULAR_PROFESOR_" + std::to_string(p + 1));
    const auto grupos = profesor.SelectNodes("grupo_datos");
    EXPECT_EQ(profesor.Attribute("registros"), std::to_string(grupos.Length()));
    for (size_t a = 0; a < grupos.Length(); ++a) {
      EXPECT_EQ(grupos.Item(a).Attribute("seq"), "ACTIVIDAD_" + std::to_string(a + 1));
      const auto datos = grupos.Item(a).SelectNodes("dato");
      EXPECT_EQ(datos.Length(), 11u);
      std::string valores;
      for (size_t d = 0; d < datos.Length(); ++d) {
        valores += (d ? "|" : "") + platform::Cp1252ToUtf8(datos.Item(d).Text());
      }
      actividades.push_back(valores);
    }
  }
  return actividades;
}

// ---- The fixture -----------------------------------------------------------

class ExportacionTest : public ::testing::Test {
 protected:
  ExportacionTest() : estado(core::Directorios{trabajo.path(), programa.path()}) {}

  fs::path Archivo(const std::string& xml, const std::string& nombre = "horario.xml") {
    const fs::path archivo = carpeta / nombre;
    WriteFile(archivo, xml);
    return archivo;
  }

  // Runs the export with the file dialog confirming `archivo` (or cancelled).
  void Exportar(const std::optional<fs::path>& archivo) {
    ui.archivos.push_back(archivo);
    core::BImportarClick(estado, ui);
  }

  bool TablasCerradas() {
    core::TablasVentana& t = estado.tablas;
    for (platform::Table* tabla :
         {&t.wwTableNomAsg, &t.wwTableNomAsg_2, &t.wwTableProfesor, &t.wwTableTramos,
          &t.wwTableAulas, &t.wwTableGrupos, &t.wwTableAsig, &t.wwTableSoluc, &t.wwTableCursos}) {
      if (tabla->Active())
        return false;
    }
    return true;
  }

  // What every failed export leaves: the cursor shown and restored before
  // the one message, run result and buttons untouched, the window open and
  // no tables held.
  void ComprobarFallo(const std::string& mensaje) {
    EXPECT_EQ(ui.llamadas,
              (std::vector<std::string>{"ElegirArchivo", "Cursor: 1", "Cursor: 0", mensaje}));
    EXPECT_EQ(estado.resultado, 0);
    EXPECT_TRUE(TablasCerradas());
  }

  // The one error line shown, or an empty text.
  std::string Error() const {
    const auto errores = ui.Errores();
    return errores.size() == 1 ? errores[0] : std::string();
  }

  TempDir trabajo;
  TempDir programa;
  TempDir carpeta;
  core::EstadoPrograma estado;
  InterfazGuionizada ui;
};

const std::string F = "15/09/2009|22/06/2010";  // the first period row's dates

// ---- Activity values -------------------------------------------------------

struct CasoActividad {
  const char* nombre;
  Tablas tablas;  // replacing those of Base()
  std::vector<std::string> actividades;
  bool solucDeTexto = false;
};

TEST_F(ExportacionTest, ValoresDeLasActividades) {
  const std::vector<CasoActividad> casos = {
      {"una entrada con asignación, grupo y aula",
       {{"SOLUC", {Entrada("P1", "1", "1", "0", "MAT", "1A", "", "A1")}}},
       {"1|T11|A1|U1|C100|M100|" + F + "|510|565|1"}},
      {"un profesor sin entradas", {}, {}},
      {"días 0 ni contados ni numerados",
       {{"SOLUC",
         {Entrada("P1", "0", "0", "0", "MAT", "1A"), Entrada("P1", "3", "2", "0", "MAT", "1A"),
          Entrada("P1", "0", "4", "0", "MAT", "1A"), Entrada("P1", "5", "5", "0", "MAT", "1A")}}},
       {"3|T32||U1|C100|M100|" + F + "|565|620|1", "5|T55||U1|C100|M100|" + F + "|1025|1080|1"}},
      {"PROF que no es ABREV de PROFT, ni en otra caja",
       {{"SOLUC",
         {Entrada("PX", "1", "1", "0", "MAT", "1A"), Entrada("p1", "1", "1", "0", "MAT", "1A"),
          Entrada("P1", "3", "2", "0", "MAT", "1A")}}},
       {"3|T32||U1|C100|M100|" + F + "|565|620|1"}},
      {"sin tramo que corresponda",
       {{"SOLUC", {Entrada("P1", "2", "9", "0", "MAT", "1A")}}},
       {"|||U1|C100|M100|" + F + "|0|0|1"}},
      {"dos marcos: MARCO 1 toma el tramo de su marco; MARCO vacío ninguno",
       {{"SOLUC",
         {Entrada("P1", "1", "1", "1", "MAT", "1A"), Entrada("P1", "1", "1", "", "MAT", "1A")}}},
       {"1|T11B||U1|C100|M100|" + F + "|480|530|1", "|||U1|C100|M100|" + F + "|0|0|1"}},
      {"clave de actividad: TAREA, CODTAREA o 1",
       {{"SOLUC",
         {Entrada("P1", "1", "1", "0", "GUA", "", "TX"),
          Entrada("P1", "1", "1", "0", "GUA", "", "  "),
          Entrada("P1", "1", "1", "0", "ZZZ", "1A")}}},
       {"1|T11|||||" + F + "|510|565|TX", "1|T11|||||" + F + "|510|565|T77",
        "1|T11||U1|C999||" + F + "|510|565|1"}},
      {"sin ASIGT: curso de GRUPOST y materia de ASIGNOMT2",
       {{"SOLUC", {Entrada("P1", "1", "1", "0", "MAT", "2B")}}},
       {"1|T11||U2|C200|M200|" + F + "|510|565|1"}},
      {"ASIGT sin CLAVE: materia de ASIGNOMT2 con el curso de ASIGT",
       {{"SOLUC", {Entrada("P1", "1", "1", "0", "MAT", "1A")}},
        {"ASIGT", {{{"CASIG", "MAT"}, {"CGRUP", "1A"}, {"CLAVECURSO", "C100"}}}}},
       {"1|T11||U1|C100|MXX|" + F + "|510|565|1"}},
      {"las claves distinguen mayúsculas",
       {{"SOLUC", {Entrada("P1", "1", "1", "0", "mat", "1a")}}},
       {"1|T11|||||" + F + "|510|565|1"}},
      {"el primer registro de cada clave",
       {{"SOLUC",
         {Entrada("P1", "1", "1", "0", "MAT", "1A"), Entrada("P1", "1", "1", "0", "GUA", "")}},
        {"ASIGT",
         {{{"CASIG", "MAT"}, {"CGRUP", "1A"}, {"CLAVE", "M100"}, {"CLAVECURSO", "C100"}},
          {{"CASIG", "MAT"}, {"CGRUP", "1A"}, {"CLAVE", "M101"}, {"CLAVECURSO", "C101"}}}},
        {"GRUPOST", {{{"ABREV", "1A"}, {"CLAVE", "U1"}}, {{"ABREV", "1A"}, {"CLAVE", "U1X"}}}},
        {"ASIGNOMT",
         {{{"COD", "GUA"}, {"CODTAREA", "T77"}}, {{"COD", "GUA"}, {"CODTAREA", "T78"}}}},
        {"DIASHORAST",
         {Tramo("11", "0", "1", "T11", "08:30", "09:25"),
          Tramo("11", "0", "1", "T11X", "10:00", "11:00")}}},
       {"1|T11||U1|C100|M100|" + F + "|510|565|1", "1|T11|||||" + F + "|510|565|T77"}},
      {"AULA en blanco vacía, cualquier otra tal cual",
       {{"SOLUC",
         {Entrada("P1", "1", "1", "0", "MAT", "1A", "", "   "),
          Entrada("P1", "1", "1", "0", "MAT", "1A", "", " B 2")}}},
       {"1|T11||U1|C100|M100|" + F + "|510|565|1", "1|T11| B 2|U1|C100|M100|" + F + "|510|565|1"}},
      {"PERIODOS vacía: fechas vacías",
       {{"SOLUC", {Entrada("P1", "1", "1", "0", "MAT", "1A")}}, {"PERIODOS", {}}},
       {"1|T11||U1|C100|M100|||510|565|1"}},
      {"comilla en ABREV",
       {{"PROFT", {{{"ABREV", "D'AR"}, {"X_EMPLEADO", "E1"}}}},
        {"SOLUC",
         {Entrada("D'AR", "1", "1", "0", "MAT", "1A"), Entrada("D", "3", "2", "0", "MAT", "1A")}}},
       {"1|T11||U1|C100|M100|" + F + "|510|565|1"}},
      {"DIA y HORA en campos de caracteres",
       {{"SOLUC",
         {Entrada("P1", "3", "2", "0", "MAT", "1A"), Entrada("P1", "0", "0", "0", "MAT", "1A")}}},
       {"3|T32||U1|C100|M100|" + F + "|565|620|1"},
       true},
  };
  for (const auto& caso : casos) {
    SCOPED_TRACE(caso.nombre);
    ui = InterfazGuionizada();
    CrearTablas(trabajo.path(), Con(Base(), caso.tablas), caso.solucDeTexto);
    const fs::path archivo = Archivo(DocumentoNormal());
    fs::remove(Salida(archivo));
    Exportar(archivo);
    ASSERT_EQ(ui.Errores(), std::vector<std::string>{});
    ASSERT_EQ(estado.resultado, 1);
    const auto leido = Leer(Salida(archivo));
    EXPECT_EQ(leido->doc.SelectNodes(kProfesores).Length(), 1u);
    EXPECT_EQ(Actividades(leido->doc), caso.actividades);
  }
}

// ---- The written document ------------------------------------------------

// Today's date as the C locale writes it, for the fecha attribute.
std::string Hoy() {
  const std::time_t ahora = std::time(nullptr);
  std::tm local{};
  localtime_r(&ahora, &local);
  char texto[16];
  std::strftime(texto, sizeof texto, "%d/%m/%Y", &local);
  return texto;
}

TEST_F(ExportacionTest, DocumentoEscritoEnSuOrdenYSinEspacios) {
  CrearTablas(trabajo.path(),
              Con(Base(), {{"PROFT",
                            {{{"ABREV", "P1"}, {"X_EMPLEADO", "E1"}, {"F_TOMAPOS", "01/09/2009"}},
                             {{"ABREV", "P2"}, {"X_EMPLEADO", "E2"}}}},
                           {"SOLUC",
                            {Entrada("P1", "1", "1", "0", "MAT", "1A", "", "A1"),
                             Entrada("P2", "0", "0", "0", "MAT", "1A")}}}));
  const fs::path archivo = Archivo(DocumentoNormal());
  const std::string antes = Hoy();
  Exportar(archivo);
  const std::string despues = Hoy();
  ASSERT_EQ(ui.Errores(), std::vector<std::string>{});

  const auto leido = Leer(Salida(archivo));
  EXPECT_EQ(SinFecha(leido->bytes),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<SERVICIO modulo=\"HORARIOS\" tipo=\"I\" autor=\"HORARIOS\" fecha=\"#\">"
            "<BLOQUE_DATOS><grupo_datos seq=\"ANNO_ACADEMICO\"><dato nombre_dato=\"C_ANNO\">2009"
            "</dato></grupo_datos><grupo_datos seq=\"HORARIOS_REGULARES\" registros=\"2\">"
            "<grupo_datos seq=\"HORARIO_REGULAR_PROFESOR_1\" registros=\"1\">"
            "<dato nombre_dato=\"X_EMPLEADO\">E1</dato><dato nombre_dato=\"F_TOMAPOS\">01/09/2009"
            "</dato><grupo_datos seq=\"ACTIVIDAD_1\"><dato nombre_dato=\"N_DIASEMANA\">1</dato>"
            "<dato nombre_dato=\"X_TRAMO\">T11</dato><dato nombre_dato=\"X_DEPENDENCIA\">A1</dato>"
            "<dato nombre_dato=\"X_UNIDAD\">U1</dato><dato nombre_dato=\"X_OFERTAMATRIG\">C100"
            "</dato><dato nombre_dato=\"X_MATERIAOMG\">M100</dato>"
            "<dato nombre_dato=\"F_INICIO\">15/09/2009</dato><dato nombre_dato=\"F_FIN\">22/06/2010"
            "</dato><dato nombre_dato=\"N_HORINI\">510</dato><dato nombre_dato=\"N_HORFIN\">565"
            "</dato><dato nombre_dato=\"X_ACTIVIDAD\">1</dato></grupo_datos></grupo_datos>"
            "<grupo_datos seq=\"HORARIO_REGULAR_PROFESOR_2\" registros=\"0\">"
            "<dato nombre_dato=\"X_EMPLEADO\">E2</dato><dato nombre_dato=\"F_TOMAPOS\"/>"
            "</grupo_datos></grupo_datos></BLOQUE_DATOS></SERVICIO>\n");

  // Without a locale of its own: day/month/four-digit year and 24-hour time.
  const std::string fecha = leido->doc.DocumentElement().Attribute("fecha");
  EXPECT_TRUE(std::regex_match(fecha, std::regex(R"(\d\d/\d\d/\d{4} \d\d:\d\d:\d\d)"))) << fecha;
  EXPECT_TRUE(fecha.rfind(antes, 0) == 0 || fecha.rfind(despues, 0) == 0) << fecha;
}

TEST_F(ExportacionTest, DeclaracionYNodosDeNivelSuperiorSeConservan) {
  // An ISO-8859-1 document with an instruction and comments around its root:
  // the written file keeps its declaration and encoding and every other
  // top-level node, ahead of the new root.
  CrearTablas(trabajo.path(),
              Con(Base(), {{"PROFT", {{{"ABREV", "P1"}, {"X_EMPLEADO", "Peña"}}}},
                           {"SOLUC", {Entrada("P1", "1", "1", "0", "MAT", "1A", "", "Aula·1")}}}));
  const std::string latin1 = platform::Utf8To1252(
      "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<?aplicacion version=\"2\"?>\n"
      "<!-- exportado -->\n<SERVICIO><BLOQUE_DATOS><grupo_datos seq=\"ANNO_ACADEMICO\">"
      "<dato>2010/2011</dato></grupo_datos><grupo_datos seq=\"EMPLEADOS\"><grupo_datos>"
      "<dato>Muñoz</dato></grupo_datos></grupo_datos></BLOQUE_DATOS></SERVICIO>\n"
      "<!-- fin -->\n");
  const fs::path archivo = Archivo(latin1);
  Exportar(archivo);
  ASSERT_EQ(ui.Errores(), std::vector<std::string>{});

  const auto leido = Leer(Salida(archivo));
  const std::string& bytes = leido->bytes;
  EXPECT_EQ(bytes.rfind("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n", 0), 0u) << bytes;
  EXPECT_NE(bytes.find("Pe\xF1"
                       "a"),
            std::string::npos);  // one byte, as Latin-1 holds it
  EXPECT_NE(bytes.find("Aula\xB7"
                       "1"),
            std::string::npos);
  EXPECT_EQ(bytes.find("Muñoz"), std::string::npos);
  const std::string esquema = Esquema(leido->doc);
  EXPECT_EQ(esquema.substr(0, esquema.find("  BLOQUE_DATOS")),
            "aplicacion\n"
            "#comment ' exportado '\n"
            "#comment ' fin '\n"
            "SERVICIO modulo=HORARIOS tipo=I autor=HORARIOS fecha=#\n");
  EXPECT_NE(esquema.find("    dato nombre_dato=X_EMPLEADO: Peña\n"), std::string::npos) << esquema;
  EXPECT_NE(esquema.find("      dato nombre_dato=X_DEPENDENCIA: Aula·1\n"), std::string::npos);
  EXPECT_NE(esquema.find("dato nombre_dato=C_ANNO: 2010\n"), std::string::npos);
}

TEST_F(ExportacionTest, AnnoAcademicoDelPrimerHijoDeBloqueDatos) {
  struct Caso {
    const char* nombre;
    std::string bloque;
    std::string anno;  // UTF-8
  };
  const std::vector<Caso> casos = {
      {"curso de nueve caracteres",
       "<grupo_datos seq=\"ANNO_ACADEMICO\"><dato>2009/2010</dato></grupo_datos>", "2009"},
      {"dos caracteres", "<grupo_datos seq=\"ANNO_ACADEMICO\"><dato>09</dato></grupo_datos>", "09"},
      {"el primer hijo, se llame como se llame",
       "<grupo_datos seq=\"EMPLEADOS\"><dato>1998</dato><dato>x</dato></grupo_datos>"
       "<grupo_datos seq=\"ANNO_ACADEMICO\"><dato>2009</dato></grupo_datos>",
       "1998"},
      {"todo el texto bajo el hijo",
       "<grupo_datos><dato>20</dato><dato>1</dato><dato>5/16</dato></grupo_datos>", "2015"},
      {"un texto como primer hijo", "2011-12<grupo_datos seq=\"ANNO_ACADEMICO\"/>", "2011"},
      {"documento con sangrías",
       "\n    <grupo_datos seq=\"ANNO_ACADEMICO\">\n      <dato>2026</dato>\n    </grupo_datos>\n",
       "2026"},
      {"cuatro caracteres, no cuatro bytes", "<grupo_datos><dato>Año 2009</dato></grupo_datos>",
       "Año "},
  };
  CrearTablas(trabajo.path(), Base());
  for (const auto& caso : casos) {
    SCOPED_TRACE(caso.nombre);
    ui = InterfazGuionizada();
    const fs::path archivo = Archivo(Documento(caso.bloque));
    Exportar(archivo);
    ASSERT_EQ(ui.Errores(), std::vector<std::string>{});
    const auto leido = Leer(Salida(archivo));
    EXPECT_EQ(platform::Cp1252ToUtf8(
                  leido->doc.SelectSingleNode("/SERVICIO/BLOQUE_DATOS/grupo_datos[1]/dato").Text()),
              caso.anno);
    EXPECT_EQ(leido->doc.SelectSingleNode("/SERVICIO/BLOQUE_DATOS/*[1]").Attribute("seq"),
              "ANNO_ACADEMICO");
    // Nothing of the old content survives.
    EXPECT_EQ(leido->doc.SelectNodes("//grupo_datos").Length(), 3u);
  }
}

// ---- Completion, the file dialog and the output file ------------------------

TEST_F(ExportacionTest, CompletaEnAmbosModos) {
  for (int modo : {core::kModoInteractivo, core::kModoHospedado}) {
    SCOPED_TRACE(modo);
    ui = InterfazGuionizada();
    estado.modoEjecucion = modo;
    estado.resultado = 0;
    CrearTablas(trabajo.path(), Base());
    const fs::path archivo = Archivo(DocumentoNormal());
    Exportar(archivo);
    std::vector<std::string> esperado = {"ElegirArchivo", "Cursor: 1", "Cursor: 0",
                                         "Mensaje: Proceso finalizado", "DesactivarBotones"};
    if (modo == core::kModoHospedado)
      esperado.push_back("CerrarVentana");
    EXPECT_EQ(ui.llamadas, esperado);
    EXPECT_EQ(estado.resultado, 1);
    EXPECT_TRUE(TablasCerradas());
    EXPECT_TRUE(fs::exists(Salida(archivo)));
    EXPECT_EQ(ui.dialogos.at(0).titulo, "Archivo XML");
  }
}

TEST_F(ExportacionTest, NoCambiaNingunaTabla) {
  CrearTablas(trabajo.path(),
              Con(Base(), {{"SOLUC", {Entrada("P1", "1", "1", "0", "MAT", "1A", "", "A1")}}}));
  std::map<std::string, std::string> antes;
  for (const auto& e : fs::directory_iterator(trabajo.path())) {
    antes[e.path().filename().string()] = ReadFile(e.path());
  }
  Exportar(Archivo(DocumentoNormal()));
  ASSERT_EQ(estado.resultado, 1);
  std::map<std::string, std::string> despues;
  for (const auto& e : fs::directory_iterator(trabajo.path())) {
    despues[e.path().filename().string()] = ReadFile(e.path());
  }
  EXPECT_TRUE(antes == despues);
}

TEST_F(ExportacionTest, DialogoCanceladoUsaElArchivoAnteriorYReemplazaLaSalida) {
  // The first try fails on the missing periods; the user imports again and
  // exports with the dialog cancelled: the earlier file is used, and an
  // older output of that name is replaced.
  CrearTablas(trabajo.path(),
              Con(Base(), {{"SOLUC", {Entrada("P1", "1", "1", "0", "MAT", "1A")}}}));
  fs::create_directory(carpeta / "sub");
  const fs::path archivo = Archivo(DocumentoNormal(), "sub/Horario 2009.xml");
  WriteFile(Salida(archivo), "<viejo/>");
  fs::rename(trabajo / "PERIODOS.DBF", trabajo / "PERIODOS.BAK");
  Exportar(archivo);
  ASSERT_EQ(ui.Mensajes(), std::vector<std::string>{core::mensajes::kFaltaPeriodos});
  EXPECT_EQ(ReadFile(Salida(archivo)), "<viejo/>");

  fs::rename(trabajo / "PERIODOS.BAK", trabajo / "PERIODOS.DBF");
  ui = InterfazGuionizada();
  Exportar(std::nullopt);
  EXPECT_EQ(ui.Mensajes(), std::vector<std::string>{core::mensajes::kProcesoFinalizado});
  EXPECT_EQ(carpeta / "sub" / "ResultadoVelmosHorario 2009.xml", Salida(archivo));
  const auto leido = Leer(Salida(archivo));
  EXPECT_EQ(Actividades(leido->doc).size(), 1u);
  std::vector<std::string> nombres;
  for (const auto& e : fs::directory_iterator(carpeta / "sub")) {
    nombres.push_back(e.path().filename().string());
  }
  std::sort(nombres.begin(), nombres.end());
  EXPECT_EQ(nombres,
            (std::vector<std::string>{"Horario 2009.xml", "ResultadoVelmosHorario 2009.xml"}));
}

TEST_F(ExportacionTest, SinArchivoNoExisteArchivo) {
  CrearTablas(trabajo.path(), Base());
  for (int modo : {core::kModoInteractivo, core::kModoHospedado}) {
    SCOPED_TRACE(modo);
    ui = InterfazGuionizada();
    estado.modoEjecucion = modo;
    estado.resultado = 0;
    Exportar(std::nullopt);
    std::vector<std::string> esperado = {"ElegirArchivo", "Mensaje: No existe archivo"};
    if (modo == core::kModoHospedado)
      esperado.push_back("CerrarVentana");
    EXPECT_EQ(ui.llamadas, esperado);
    EXPECT_EQ(estado.resultado, modo == core::kModoHospedado ? -1 : 0);
  }
}

// ---- Failures --------------------------------------------------------------

TEST_F(ExportacionTest, SinAnnoAcademicoNoSeEscribeNada) {
  const std::vector<std::pair<const char*, std::string>> casos = {
      {"sin BLOQUE_DATOS", "<SERVICIO><OTRO><g>2009</g></OTRO></SERVICIO>"},
      {"BLOQUE_DATOS sin hijos", "<SERVICIO><BLOQUE_DATOS/></SERVICIO>"},
      {"BLOQUE_DATOS fuera de SERVICIO", "<OTRO><BLOQUE_DATOS><g>2009</g></BLOQUE_DATOS></OTRO>"},
      {"no es XML", "<SERVICIO><BLOQUE_DATOS><g>2009</g>"},
      {"archivo vacío", ""},
  };
  CrearTablas(trabajo.path(), Base());
  for (const auto& [nombre, xml] : casos) {
    for (int modo : {core::kModoInteractivo, core::kModoHospedado}) {
      SCOPED_TRACE(std::string(nombre) + ", modo " + std::to_string(modo));
      ui = InterfazGuionizada();
      estado.modoEjecucion = modo;
      const fs::path archivo = Archivo(xml);
      Exportar(archivo);
      const std::string error = Error();
      EXPECT_NE(error.find(archivo.string()), std::string::npos) << error;
      ComprobarFallo("Error: " + error);
      EXPECT_FALSE(fs::exists(Salida(archivo)));
    }
  }
}

TEST_F(ExportacionTest, SinPeriodosAvisaYNoEscribe) {
  CrearTablas(trabajo.path(), Base());
  fs::remove(trabajo / "PERIODOS.DBF");
  for (int modo : {core::kModoInteractivo, core::kModoHospedado}) {
    SCOPED_TRACE(modo);
    ui = InterfazGuionizada();
    estado.modoEjecucion = modo;
    const fs::path archivo = Archivo(DocumentoNormal());
    Exportar(archivo);
    ComprobarFallo(std::string("Mensaje: ") + core::mensajes::kFaltaPeriodos);
    EXPECT_FALSE(fs::exists(Salida(archivo)));
  }
  // The working directory's names are found in any case, as on Windows.
  CrearTablas(trabajo.path(), Base());
  fs::rename(trabajo / "PERIODOS.DBF", trabajo / "periodos.dbf");
  ui = InterfazGuionizada();
  Exportar(Archivo(DocumentoNormal()));
  EXPECT_EQ(ui.Mensajes(), std::vector<std::string>{core::mensajes::kProcesoFinalizado});
}

// Another process holding a table for exclusive use until the object goes.
class Bloqueo {
 public:
  Bloqueo(const fs::path& dir, const std::string& tabla) {
    int listo[2], soltar[2];
    if (pipe(listo) != 0 || pipe(soltar) != 0)
      return;
    std::fflush(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
      close(listo[0]);
      close(soltar[1]);
      int estado = 1;
      try {
        platform::Table t(dir, tabla);
        t.Open(OpenMode::Exclusive);
        char c = '1';
        if (write(listo[1], &c, 1) == 1 && read(soltar[0], &c, 1) >= 0)
          estado = 0;
      } catch (...) {
      }
      _exit(estado);
    }
    close(listo[1]);
    close(soltar[0]);
    soltar_ = soltar[1];
    char c = 0;
    activo_ = pid_ > 0 && read(listo[0], &c, 1) == 1;
    close(listo[0]);
  }
  ~Bloqueo() {
    if (soltar_ >= 0)
      close(soltar_);
    int estado = 0;
    if (pid_ > 0)
      waitpid(pid_, &estado, 0);
  }
  bool activo() const { return activo_; }

 private:
  pid_t pid_ = -1;
  int soltar_ = -1;
  bool activo_ = false;
};

TEST_F(ExportacionTest, UnaTablaEnUsoTerminaLaExportacion) {
  CrearTablas(trabajo.path(),
              Con(Base(), {{"SOLUC", {Entrada("P1", "1", "1", "0", "MAT", "1A")}}}));
  for (const std::string& tabla : kTablas) {
    SCOPED_TRACE(tabla);
    ui = InterfazGuionizada();
    estado.modoEjecucion = core::kModoHospedado;
    const fs::path archivo = Archivo(DocumentoNormal());
    {
      Bloqueo bloqueo(trabajo.path(), tabla + ".DBF");
      ASSERT_TRUE(bloqueo.activo());
      Exportar(archivo);
    }
    const std::string error = Error();
    EXPECT_NE(error.find(tabla), std::string::npos) << error;
    ComprobarFallo("Error: " + error);
    EXPECT_FALSE(fs::exists(Salida(archivo)));
  }
}

TEST_F(ExportacionTest, UnaTablaQueFaltaTerminaLaExportacion) {
  for (const std::string tabla : {"SOLUC", "ASIGT"}) {
    SCOPED_TRACE(tabla);
    ui = InterfazGuionizada();
    CrearTablas(trabajo.path(), Base());
    fs::remove(trabajo / (tabla + ".DBF"));
    const fs::path archivo = Archivo(DocumentoNormal());
    Exportar(archivo);
    const std::string error = Error();
    EXPECT_NE(error.find(tabla), std::string::npos) << error;
    ComprobarFallo("Error: " + error);
    EXPECT_FALSE(fs::exists(Salida(archivo)));
  }
}

TEST_F(ExportacionTest, UnaHoraQueNoEsNumeroTerminaLaExportacion) {
  const std::vector<std::tuple<std::string, std::string, std::string>> casos = {
      {"ab:30", "09:25", "'ab' is not a valid integer value"},
      {"08:30", "09:xy", "'xy' is not a valid integer value"},
      {"8:3", "09:25", "':3' is not a valid integer value"},
      {"08.30h", "09:25", "'0h' is not a valid integer value"},
  };
  for (const auto& [desde, hasta, mensaje] : casos) {
    SCOPED_TRACE(desde + " - " + hasta);
    ui = InterfazGuionizada();
    CrearTablas(trabajo.path(),
                Con(Base(), {{"DIASHORAST", {Tramo("11", "0", "1", "T11", desde, hasta)}},
                             {"SOLUC", {Entrada("P1", "1", "1", "0", "MAT", "1A")}}}));
    const fs::path archivo = Archivo(DocumentoNormal());
    WriteFile(Salida(archivo), "<viejo/>");
    Exportar(archivo);
    const std::string error = Error();
    EXPECT_NE(error.find(mensaje), std::string::npos) << error;
    ComprobarFallo("Error: " + error);
    EXPECT_EQ(ReadFile(Salida(archivo)), "<viejo/>");
  }
}

TEST_F(ExportacionTest, UnGuardadoQueFallaDejaLaSalidaAnterior) {
  // Enough entries for an output well past the limit; the tables stay below.
  std::vector<Fila> entradas;
  for (int i = 0; i < 20; ++i)
    entradas.push_back(Entrada("P1", "1", "1", "0", "MAT", "1A"));
  CrearTablas(trabajo.path(), Con(Base(), {{"SOLUC", entradas}}));
  const fs::path archivo = Archivo(DocumentoNormal());
  WriteFile(Salida(archivo), "<viejo/>");
  constexpr long kLimite = 4096;
  for (const auto& e : fs::directory_iterator(trabajo.path())) {
    ASSERT_LT(fs::file_size(e.path()), static_cast<uintmax_t>(kLimite)) << e.path();
  }

  const int resultado = RunWithFileSizeLimit(kLimite, [&] {
    estado.modoEjecucion = core::kModoHospedado;
    Exportar(archivo);
    const std::string error = Error();
    if (error.find(Salida(archivo).string()) == std::string::npos) {
      std::fprintf(stderr, "error shown: '%s'\n", error.c_str());
      return 10;
    }
    if (ui.llamadas !=
        std::vector<std::string>{"ElegirArchivo", "Cursor: 1", "Cursor: 0", "Error: " + error}) {
      return 11;
    }
    if (estado.resultado != 0)
      return 12;
    if (!TablasCerradas())
      return 13;
    return 0;
  });
  EXPECT_EQ(resultado, 0);
  EXPECT_EQ(ReadFile(Salida(archivo)), "<viejo/>");
  std::vector<std::string> nombres;
  for (const auto& e : fs::directory_iterator(carpeta.path())) {
    nombres.push_back(e.path().filename().string());
  }
  std::sort(nombres.begin(), nombres.end());
  EXPECT_EQ(nombres, (std::vector<std::string>{"ResultadoVelmoshorario.xml", "horario.xml"}));

  // Without the limit the same export writes it.
  Exportar(archivo);
  EXPECT_GT(ReadFile(Salida(archivo)).size(), static_cast<size_t>(kLimite));
}

// ---- The sample, there and back ------------------------------------------

// Runs a command with the working directory under `prefijo`; its output goes
// to `registro`. True when it exits with 0.
bool Ejecutar(const fs::path& prefijo, const std::string& orden, const fs::path& registro) {
  const std::string linea =
      "WINEPREFIX='" + prefijo.string() + "' " + orden + " >>'" + registro.string() + "' 2>&1";
  return std::system(linea.c_str()) == 0;
}

// The first line where two outlines part, for a readable failure.
std::string PrimeraDiferencia(const std::string& a, const std::string& b) {
  std::istringstream sa(a), sb(b);
  std::string la, lb;
  for (int n = 1;; ++n) {
    const bool ha = static_cast<bool>(std::getline(sa, la));
    const bool hb = static_cast<bool>(std::getline(sb, lb));
    if (!ha && !hb)
      return "outlines equal; bytes differ";
    if (!ha || !hb || la != lb)
      return "line " + std::to_string(n) + ": '" + la + "' vs '" + lb + "'";
  }
}

TEST(ExportacionMuestra, IdaYVueltaIgualAlResultadoRevisado) {
  // Import with two time frames, the demonstration solver, the export.
  TempDir prefijo, carpeta;
  const fs::path archivo = carpeta / "centro.xml";
  fs::copy_file(SourceDir() / "data/muestra/centro.xml", archivo);
  const fs::path registro = carpeta / "registro.txt";
  const std::string lote = TRASVELO_LOTE;
  const fs::path vtemp = prefijo / "drive_c/VTEMP";
  fs::create_directories(vtemp);
  ASSERT_TRUE(Ejecutar(prefijo.path(),
                       "'" + lote + "' exportar '" + archivo.string() + "' --marcos JM,JT",
                       registro))
      << ReadFile(registro);
  ASSERT_TRUE(Ejecutar(prefijo.path(),
                       std::string("'") + TRASVELO_RESOLVER + "' '" + vtemp.string() + "'",
                       registro))
      << ReadFile(registro);
  ASSERT_TRUE(
      Ejecutar(prefijo.path(), "'" + lote + "' importar '" + archivo.string() + "'", registro))
      << ReadFile(registro);

  const fs::path salida = carpeta / "ResultadoVelmoscentro.xml";
  const std::string escrito = SinFecha(ReadFile(salida));
  const fs::path esperado = SourceDir() / "tests/data/expected/ResultadoVelmoscentro.xml";
  const char* actualizar = std::getenv("TRASVELO_ACTUALIZAR_ESPERADOS");
  if (actualizar != nullptr && std::string(actualizar) == "1") {
    WriteFile(esperado, escrito);
    GTEST_SKIP() << "rewritten " << esperado;
  }
  const std::string revisado = SinFecha(ReadFile(esperado));
  if (escrito != revisado) {
    XmlDocument a, b;
    a.LoadFromMemory(escrito);
    b.LoadFromMemory(revisado);
    ADD_FAILURE() << "differs from " << esperado << ": "
                  << PrimeraDiferencia(Esquema(a), Esquema(b));
  }
  // Whatever the solver placed, the document is whole.
  XmlDocument doc;
  ASSERT_TRUE(doc.Load(salida));
  EXPECT_FALSE(Actividades(doc).empty());
  EXPECT_EQ(doc.SelectSingleNode("/SERVICIO/BLOQUE_DATOS/grupo_datos[@seq='HORARIOS_REGULARES']")
                .Attribute("registros"),
            std::to_string(doc.SelectNodes(kProfesores).Length()));
}

}  // namespace
}  // namespace trasvelo::test
