// Exchange documents that are broken, hostile or strange, through both
// directions: each ends in a clear message naming the file, or in a correct
// run; a refused import leaves the working tables as they were.
#include <gmock/gmock.h>

#include <regex>
#include <string>
#include <vector>

#include "Fallos.h"
#include "support/TableDump.h"

namespace trasvelo::test {
namespace {

enum class Importa { Rechaza, Completa };
enum class Exporta { Rechaza, Escribe };

struct Caso {
  const char* nombre;
  std::string documento;
  Importa importa;
  Exporta exporta;
};

std::string Reemplazar(std::string texto, const std::string& viejo, const std::string& nuevo) {
  const size_t en = texto.find(viejo);
  if (en == std::string::npos) {
    throw std::invalid_argument("not in the sample: " + viejo);
  }
  return texto.replace(en, viejo.size(), nuevo);
}

std::string Todos(const std::string& texto, const std::string& patron, const std::string& nuevo) {
  return std::regex_replace(texto, std::regex(patron), nuevo);
}

// The sample's declaration and root, to put things before or around them.
constexpr const char* kDeclaracion = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

std::vector<Caso> Casos(const std::string& muestra) {
  const std::string cuerpo = muestra.substr(muestra.find("<SERVICIO"));
  const auto conDtd = [&](const std::string& dtd) { return kDeclaracion + dtd + "\n" + cuerpo; };
  std::string risa = "<!DOCTYPE SERVICIO [<!ENTITY a0 \"jajajajaja\">";
  for (int i = 1; i < 10; ++i) {
    const std::string previa = "&a" + std::to_string(i - 1) + ";";
    std::string diez;
    for (int k = 0; k < 10; ++k)
      diez += previa;
    risa += "<!ENTITY a" + std::to_string(i) + " \"" + diez + "\">";
  }
  risa += "]>";
  std::string anidado = kDeclaracion;
  for (int i = 0; i < 10000; ++i)
    anidado += "<grupo_datos>";
  for (int i = 0; i < 10000; ++i)
    anidado += "</grupo_datos>";
  const std::string grande(200u << 20, 'x');

  return {
      {"an empty file", "", Importa::Rechaza, Exporta::Rechaza},
      {"not XML", "Esto no es un documento.\n", Importa::Rechaza, Exporta::Rechaza},
      {"cut in the middle", muestra.substr(0, muestra.size() / 2), Importa::Rechaza,
       Exporta::Rechaza},
      {"another root", Todos(muestra, "SERVICIO", "OTRO"), Importa::Rechaza, Exporta::Rechaza},
      {"group names in lower case", Todos(muestra, "seq=\"([A-Z_]+)\"", "seq=\"x$1\""),
       Importa::Rechaza, Exporta::Escribe},
      {"a default namespace", Reemplazar(muestra, "<SERVICIO ", "<SERVICIO xmlns=\"urn:otro\" "),
       Importa::Rechaza, Exporta::Rechaza},
      {"a DTD without entities", conDtd("<!DOCTYPE SERVICIO [<!ELEMENT SERVICIO ANY>]>"),
       Importa::Completa, Exporta::Escribe},
      {"an external DTD", conDtd("<!DOCTYPE SERVICIO SYSTEM \"file:///etc/passwd\">"),
       Importa::Completa, Exporta::Escribe},
      {"an external entity",
       conDtd("<!DOCTYPE SERVICIO [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>"), Importa::Rechaza,
       Exporta::Rechaza},
      {"billion laughs", kDeclaracion + risa + "<SERVICIO>&a9;</SERVICIO>", Importa::Rechaza,
       Exporta::Rechaza},
      {"quadratic blow-up",
       kDeclaracion + std::string("<!DOCTYPE SERVICIO [<!ENTITY a \"") + std::string(50000, 'a') +
           "\">]><SERVICIO>" +
           [] {
             std::string r;
             for (int i = 0; i < 50000; ++i)
               r += "&a;";
             return r;
           }() +
           "</SERVICIO>",
       Importa::Rechaza, Exporta::Rechaza},
      {"10 000 levels deep", anidado, Importa::Rechaza, Exporta::Rechaza},
      // Well-formed, only large: the academic year goes back as it came.
      {"a 200 MB text",
       Reemplazar(muestra, "<dato nombre_dato=\"C_ANNO\">2026</dato>",
                  "<dato nombre_dato=\"C_ANNO\">" + grande + "</dato>"),
       Importa::Completa, Exporta::Escribe},
      {"a NUL byte",
       Reemplazar(muestra, "2026</dato>",
                  std::string("20\0"
                              "26</dato>",
                              11)),
       Importa::Rechaza, Exporta::Rechaza},
      {"a control character", Reemplazar(muestra, "2026</dato>", "20&#1;26</dato>"),
       Importa::Rechaza, Exporta::Rechaza},
      {"invalid UTF-8", Reemplazar(muestra, "Secretaría", "Secretar\xED\xFF"), Importa::Rechaza,
       Exporta::Rechaza},
      {"an unknown encoding", Reemplazar(muestra, "encoding=\"UTF-8\"", "encoding=\"X-NINGUNA\""),
       Importa::Rechaza, Exporta::Rechaza},
      // Every record without values: nothing to carry, but a run that completes.
      {"every value missing", Todos(muestra, "<dato [^>]*>[^<]*</dato>|<dato [^>]*/>", ""),
       Importa::Completa, Exporta::Escribe},
      {"record counts that lie", Todos(muestra, "registros=\"[0-9]+\"", "registros=\"999999\""),
       Importa::Completa, Exporta::Escribe},
  };
}

TEST_F(FallosTest, HostileDocumentsEndInAMessageOrACorrectRun) {
  Preparar();
  const std::string muestraTexto = ReadFile(muestra);
  const std::vector<Caso> casos = Casos(muestraTexto);
  const fs::path documento = documentos / "hostil.xml";
  for (const Caso& caso : casos) {
    SCOPED_TRACE(caso.nombre);
    WriteFile(documento, caso.documento);

    // The import.
    Preparar();
    const Instantanea antes = Fotografiar(trabajo.path());
    estado->resultado = 0;
    Importar(documento);
    if (caso.importa == Importa::Rechaza) {
      ComprobarFallo(documento.string());
      EXPECT_TRUE(Fotografiar(trabajo.path()) == antes) << "the working tables changed";
    } else {
      EXPECT_TRUE(Completada()) << ::testing::PrintToString(ui.llamadas).substr(0, 2000);
    }

    // The export, over the sample's tables and timetable.
    Preparar();
    fs::remove(Salida(documento));
    estado->resultado = 0;
    Exportar(documento);
    if (caso.exporta == Exporta::Rechaza) {
      ComprobarFallo(documento.string());
      EXPECT_FALSE(fs::exists(Salida(documento)));
    } else {
      EXPECT_TRUE(Completada()) << ::testing::PrintToString(ui.llamadas).substr(0, 2000);
      EXPECT_TRUE(fs::exists(Salida(documento)));
    }
    fs::remove(Salida(documento));
  }
}

// Record counts are not trusted: the tables are those of the honest sample.
TEST_F(FallosTest, LyingRecordCountsChangeNothing) {
  Importar();
  ASSERT_TRUE(Completada());
  std::vector<std::string> honestas;
  for (const std::string& tabla : kTablasImportacion) {
    honestas.push_back(VolcarTabla(trabajo.path(), tabla + ".DBF"));
  }
  const fs::path documento = documentos / "mentiroso.xml";
  WriteFile(documento, Todos(ReadFile(muestra), "registros=\"[0-9]+\"", "registros=\"1\""));
  Importar(documento);
  ASSERT_TRUE(Completada());
  for (size_t i = 0; i < kTablasImportacion.size(); ++i) {
    EXPECT_EQ(VolcarTabla(trabajo.path(), kTablasImportacion[i] + ".DBF"), honestas[i])
        << kTablasImportacion[i];
  }
}

}  // namespace
}  // namespace trasvelo::test
