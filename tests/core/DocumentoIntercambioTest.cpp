#include "core/DocumentoIntercambio.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace trasvelo::core {
namespace {

using Valores = std::vector<std::vector<std::string>>;

// Every value of every record, by position.
Valores Leer(const platform::XmlDocument& documento, std::string_view seq) {
  Valores valores;
  for (const Registro& r : RegistrosDeGrupo(documento, seq)) {
    std::vector<std::string> fila;
    for (size_t k = 0; k < r.NumeroValores(); ++k) {
      fila.push_back(r.Valor(k));
    }
    valores.push_back(fila);
  }
  return valores;
}

std::string Documento(std::string_view bloque) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><SERVICIO><BLOQUE_DATOS>" +
         std::string(bloque) + "</BLOQUE_DATOS></SERVICIO>";
}

struct Caso {
  const char* nombre;
  std::string xml;
  const char* seq;
  Valores esperado;
};

TEST(DocumentoIntercambio, RecordsOfAGroupAndTheirValuesByPosition) {
  const std::string materias =
      "<grupo_datos seq=\"MATERIAS\" registros=\"2\">"
      "<grupo_datos><dato nombre_dato=\"X_MATERIAOMG\">10</dato>"
      "<dato nombre_dato=\"D_MATERIAC\">Lengua</dato></grupo_datos>"
      "<grupo_datos><dato nombre_dato=\"X_MATERIAOMG\">11</dato>"
      "<dato nombre_dato=\"D_MATERIAC\">Música</dato></grupo_datos>"
      "</grupo_datos>";
  const std::vector<Caso> casos = {
      {"one group", Documento(materias), "MATERIAS", {{"10", "Lengua"}, {"11", "M\xFAsica"}}},
      {"missing group", Documento(materias), "EMPLEADOS", {}},
      {"empty document", "", "MATERIAS", {}},
      {"two groups of one name, the first one's records first",
       Documento("<grupo_datos seq=\"UNIDADES\"><grupo_datos><dato>a</dato></grupo_datos>"
                 "</grupo_datos>"
                 "<grupo_datos seq=\"MATERIAS\"><grupo_datos><dato>m</dato></grupo_datos>"
                 "</grupo_datos>"
                 "<grupo_datos seq=\"UNIDADES\"><grupo_datos><dato>b</dato></grupo_datos>"
                 "<grupo_datos><dato>c</dato></grupo_datos></grupo_datos>"),
       "UNIDADES",
       {{"a"}, {"b"}, {"c"}}},
      {"a dato nested deeper is no value",
       Documento("<grupo_datos seq=\"MATERIAS\"><grupo_datos><dato>1</dato>"
                 "<otro><dato>hondo</dato></otro><dato>2</dato>"
                 "<grupo_datos><dato>hijo</dato></grupo_datos></grupo_datos></grupo_datos>"),
       "MATERIAS",
       {{"1", "2"}}},
      {"reordered dato moves values; nombre_dato is not read",
       Documento("<grupo_datos seq=\"MATERIAS\"><grupo_datos>"
                 "<dato nombre_dato=\"D_MATERIAC\">Lengua</dato>"
                 "<dato nombre_dato=\"X_MATERIAOMG\">10</dato>"
                 "<dato nombre_dato=\"CUALQUIERA\">x</dato>"
                 "<dato>sin nombre</dato></grupo_datos></grupo_datos>"),
       "MATERIAS",
       {{"Lengua", "10", "x", "sin nombre"}}},
      {"root of another name",
       "<servicio><BLOQUE_DATOS>" + materias + "</BLOQUE_DATOS></servicio>",
       "MATERIAS",
       {}},
      {"data block not under the root",
       "<SERVICIO><OTRO><BLOQUE_DATOS>" + materias + "</BLOQUE_DATOS></OTRO></SERVICIO>",
       "MATERIAS",
       {}},
      {"group name in another case", Documento(materias), "materias", {}},
      {"registros and root attributes are ignored",
       "<SERVICIO modulo=\"X\" registros=\"9\"><BLOQUE_DATOS>"
       "<grupo_datos seq=\"EMPLEADOS\" registros=\"7\"><grupo_datos registros=\"0\">"
       "<dato>e</dato></grupo_datos></grupo_datos></BLOQUE_DATOS></SERVICIO>",
       "EMPLEADOS",
       {{"e"}}},
      {"a group holding dato directly has no records",
       Documento("<grupo_datos seq=\"ANNO_ACADEMICO\"><dato nombre_dato=\"C_ANNO\">2009/2010</dato>"
                 "</grupo_datos>"),
       "ANNO_ACADEMICO",
       {}},
      {"empty values, text below a value, characters outside Windows-1252",
       Documento("<grupo_datos seq=\"DEPENDENCIAS\"><grupo_datos><dato/><dato></dato>"
                 "<dato> a <b>b</b> </dato><dato>Łódź €</dato></grupo_datos>"
                 "<grupo_datos/></grupo_datos>"),
       "DEPENDENCIAS",
       {{"", "", " a b ",
         "?\xF3"
         "d? \x80"},
        {}}},
      {"a group name holding a double quote",
       Documento("<grupo_datos seq='A\"B'><grupo_datos><dato>q</dato></grupo_datos>"
                 "</grupo_datos>"),
       "A\"B",
       {{"q"}}},
      {"indented file",
       "<SERVICIO>\n  <BLOQUE_DATOS>\n    <grupo_datos seq=\"TRAMOS_HORARIOS\">\n"
       "      <grupo_datos>\n        <dato>1</dato>\n        <dato>08:00</dato>\n"
       "      </grupo_datos>\n    </grupo_datos>\n  </BLOQUE_DATOS>\n</SERVICIO>\n",
       "TRAMOS_HORARIOS",
       {{"1", "08:00"}}},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.nombre);
    platform::XmlDocument documento;
    documento.LoadFromMemory(c.xml);
    EXPECT_EQ(Leer(documento, c.seq), c.esperado);
  }
}

TEST(DocumentoIntercambio, APositionTheRecordLacksReadsAsEmptyText) {
  platform::XmlDocument documento;
  ASSERT_TRUE(documento.LoadFromMemory(
      Documento("<grupo_datos seq=\"EMPLEADOS\"><grupo_datos><dato>1</dato><dato>Ana</dato>"
                "</grupo_datos></grupo_datos>")));
  const std::vector<Registro> registros = RegistrosDeGrupo(documento, "EMPLEADOS");
  ASSERT_EQ(registros.size(), 1u);
  EXPECT_EQ(registros[0].NumeroValores(), 2u);
  EXPECT_EQ(registros[0].Valor(1), "Ana");
  EXPECT_EQ(registros[0].Valor(2), "");
  EXPECT_EQ(registros[0].Valor(1000), "");
  EXPECT_EQ(registros[0].Nodo().Name(), "grupo_datos");
}

TEST(DocumentoIntercambio, RecordsOutliveTheDocumentObject) {
  std::vector<Registro> registros;
  {
    platform::XmlDocument documento;
    ASSERT_TRUE(documento.LoadFromMemory(Documento(
        "<grupo_datos seq=\"CURSOS_DEL_CENTRO\"><grupo_datos><dato>6001</dato></grupo_datos>"
        "</grupo_datos>")));
    registros = RegistrosDeGrupo(documento, "CURSOS_DEL_CENTRO");
  }
  ASSERT_EQ(registros.size(), 1u);
  EXPECT_EQ(registros[0].Valor(0), "6001");
}

}  // namespace
}  // namespace trasvelo::core
