#include "platform/Chm.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "platform/Error.h"
#include "support/TempDir.h"

namespace trasvelo::platform {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

// The help file that the build compiles beside the executables.
const fs::path kAyuda = TRASVELO_CHM;

TEST(ChmAyudaTest, ContextThreeIsTheMainWindowsPage) {
  ChmFile chm(kAyuda);
  EXPECT_EQ(chm.Title(), "Ayuda de Trasvelo");
  EXPECT_EQ(chm.DefaultTopic(), "/ventana_principal.htm");
  EXPECT_EQ(chm.ContentsFile(), "/contenido.hhc");
  // The compiler records the topic by the path it had while compiling, which
  // is not the path inside the archive.
  EXPECT_EQ(chm.TopicOfContext(3), "/ventana_principal.htm");
  EXPECT_EQ(chm.TopicOfContext(0), std::nullopt);
  EXPECT_EQ(chm.TopicOfContext(4), std::nullopt);
  const std::optional<std::string> pagina = chm.Read("/ventana_principal.htm");
  ASSERT_TRUE(pagina);
  EXPECT_THAT(*pagina, HasSubstr("<title>Trasvelo: la ventana principal</title>"));
  EXPECT_EQ(chm.Read("/no_existe.htm"), std::nullopt);
  EXPECT_FALSE(chm.Contains("/no_existe.htm"));
}

TEST(ChmAyudaTest, TableOfContentsNestsTheDirectionsUnderTheMainPage) {
  ChmFile chm(kAyuda);
  const std::vector<ChmTopic> indice = chm.Contents();
  std::vector<std::string> raiz;
  for (const ChmTopic& t : indice)
    raiz.push_back(t.title);
  EXPECT_EQ(raiz, (std::vector<std::string>{"Trasvelo: la ventana principal", "Mensajes",
                                            "Las tablas de trabajo", "La orden trasvelo-lote",
                                            "Instalación y archivos del programa"}));
  ASSERT_FALSE(indice.empty());
  const ChmTopic& principal = indice[0];
  EXPECT_EQ(principal.local, "/ventana_principal.htm");
  ASSERT_EQ(principal.children.size(), 3u);
  EXPECT_EQ(principal.children[0].title, "Racima → Velmora");
  EXPECT_EQ(principal.children[0].local, "/racima_a_velmora.htm");
  ASSERT_EQ(principal.children[0].children.size(), 1u);
  EXPECT_EQ(principal.children[0].children[0].local, "/marcos_horarios.htm");
  EXPECT_EQ(principal.children[1].title, "Velmora → Racima");
  EXPECT_EQ(principal.children[2].local, "/uso_desde_velmora.htm");
}

// Every entry of the contents and every link, stylesheet and image of every
// page leads to an object of the archive.
TEST(ChmAyudaTest, EveryPageAndEveryLinkIsInTheArchive) {
  ChmFile chm(kAyuda);
  std::vector<std::string> paginas;
  std::function<void(const std::vector<ChmTopic>&)> recorrer = [&](const auto& temas) {
    for (const ChmTopic& t : temas) {
      paginas.push_back(t.local);
      recorrer(t.children);
    }
  };
  recorrer(chm.Contents());
  ASSERT_EQ(paginas.size(), 9u);
  const std::regex enlace(R"re((?:href|src)="([^"#]*)(#[^"]*)?")re", std::regex::icase);
  int enlaces = 0;
  for (const std::string& pagina : paginas) {
    SCOPED_TRACE(pagina);
    const std::optional<std::string> html = chm.Read(pagina);
    ASSERT_TRUE(html);
    for (std::sregex_iterator m(html->begin(), html->end(), enlace), fin; m != fin; ++m) {
      const std::string destino = (*m)[1];
      if (destino.empty() || destino.find(':') != std::string::npos)
        continue;
      ++enlaces;
      // The pages all sit at the root of the archive.
      EXPECT_TRUE(chm.Contains("/" + destino)) << destino;
    }
  }
  EXPECT_GT(enlaces, 30);
}

TEST(ChmSitemapTest, ParsesNestingAndText) {
  // As compilers write it: <LI> left open, nesting by <UL>, a properties
  // object that is no entry, attribute names in any case.
  const std::string hhc =
      "<HTML><BODY><OBJECT type=\"text/site properties\"><param name=\"ImageType\" "
      "value=\"Folder\"></OBJECT>\n"
      "<UL>\n"
      "<LI> <OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"Uno &amp; dos\">"
      "<param name=\"Local\" value=\"uno.htm\"></OBJECT>\n"
      "<UL><LI><object TYPE='text/sitemap'><PARAM NAME=Name VALUE='Instalaci&oacute;n "
      "\xE1 &#241;&#xF1;'><PARAM name=local value=sub\\dos.htm#parte></object></UL>\n"
      "<!-- <LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"oculto\"></OBJECT> -->\n"
      "<LI> <OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"Cap&iacute;tulo\">"
      "</OBJECT>\n"
      "<LI> <OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"Otro\">"
      "<param name=\"Local\" value=\"ms-its:RACIMA.chm::/otro.htm\"></OBJECT>\n"
      "</UL></BODY></HTML>";
  const std::vector<ChmTopic> esperado{
      {"Uno & dos", "/uno.htm", {{"Instalación á ññ", "/sub/dos.htm#parte", {}}}},
      {"Capítulo", "", {}},
      {"Otro", "/otro.htm", {}},
  };
  EXPECT_EQ(ParseSitemap(hhc), esperado);
}

TEST(ChmSitemapTest, ToleratesBrokenText) {
  struct Caso {
    const char* nombre;
    std::string hhc;
    size_t raiz;
  };
  const Caso casos[] = {
      {"vacío", "", 0},
      {"sin listas", "<OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"a\"></OBJECT>", 1},
      {"cierra más listas que abre",
       "</UL></UL><UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"a\">"
       "</OBJECT></UL></UL></UL>",
       1},
      {"etiqueta sin cerrar",
       "<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"a", 0},
      {"comentario sin cerrar", "<UL><!-- <LI><OBJECT type=\"text/sitemap\">", 0},
      {"comilla sin cerrar",
       "<OBJECT type=\"text/sitemap><param name=\"Name\" value=\"a\"></OBJECT>", 1},
      {"entidades rotas",
       "<OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"&#xZZ; &; &noexiste; &#99999999;"
       "\"></OBJECT>",
       1},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.nombre);
    EXPECT_EQ(ParseSitemap(c.hhc).size(), c.raiz);
  }
  // A deep nesting is flattened rather than followed without end.
  std::string hondo;
  for (int i = 0; i < 20000; ++i)
    hondo += "<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"x\"></OBJECT>";
  const std::vector<ChmTopic> arbol = ParseSitemap(hondo);
  size_t profundidad = 0;
  for (const std::vector<ChmTopic>* nivel = &arbol; !nivel->empty();
       nivel = &nivel->back().children)
    ++profundidad;
  EXPECT_LE(profundidad, 40u);
}

TEST(ChmFileTest, MissingFileIsNamed) {
  test::TempDir dir;
  const fs::path falta = dir / "RACIMA.chm";
  try {
    ChmFile chm(falta);
    FAIL() << "opened a missing file";
  } catch (const FileError& e) {
    EXPECT_THAT(e.what(), HasSubstr(falta.string()));
    EXPECT_EQ(e.place().file, falta.string());
  }
  EXPECT_THROW(ChmFile chm(dir.path()), FileError);  // a folder
}

// Opens the file and reads everything a viewer would: a damaged file fails
// with the file's name, never with a crash.
void LeerTodo(const fs::path& archivo) {
  ChmFile chm(archivo);
  std::function<void(const std::vector<ChmTopic>&)> leer = [&](const auto& temas) {
    for (const ChmTopic& t : temas) {
      (void)chm.Read(t.local);
      leer(t.children);
    }
  };
  leer(chm.Contents());
  (void)chm.TopicOfContext(3);
}

TEST(ChmFileTest, DamagedFilesAreNamed) {
  const std::string bueno = test::ReadFile(kAyuda);
  ASSERT_GT(bueno.size(), 0x1000u);
  auto cambiar = [&](size_t desde, std::string_view bytes) {
    std::string s = bueno;
    s.replace(desde, bytes.size(), bytes);
    return s;
  };
  struct Caso {
    const char* nombre;
    std::string bytes;
  };
  const Caso casos[] = {
      {"vacío", ""},
      {"solo la cabecera", bueno.substr(0, 0x60)},
      {"la primera mitad", bueno.substr(0, bueno.size() / 2)},
      {"sin su último byte", bueno.substr(0, bueno.size() - 1)},
      {"otra firma", cambiar(0, "XXXX")},
      {"la sección de tamaño fuera del archivo", cambiar(0x38, "\xff\xff\xff\x00")},
      {"basura en la sección de tamaño", cambiar(0x60, "\x12\x34\x56\x78")},
      {"basura en el directorio", cambiar(0x78, std::string(32, '\xA5'))},
      {"un texto", "<html>no soy un archivo de ayuda</html>"},
  };
  test::TempDir dir;
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.nombre);
    const fs::path archivo = dir / "RACIMA.chm";
    test::WriteFile(archivo, c.bytes);
    try {
      LeerTodo(archivo);
      ADD_FAILURE() << "read a damaged file";
    } catch (const FileError& e) {
      EXPECT_THAT(e.what(), HasSubstr(archivo.string()));
      EXPECT_THAT(e.what(), HasSubstr("ayuda"));
    }
  }
}

}  // namespace
}  // namespace trasvelo::platform
