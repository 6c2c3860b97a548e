#include "FuzzDocument.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "core/DocumentoIntercambio.h"
#include "platform/Error.h"
#include "platform/XmlDom.h"

namespace trasvelo::fuzz {
namespace {

constexpr std::string_view kGrupos[] = {
    "MATERIAS",          "ACTIVIDADES", "EMPLEADOS",          "DEPENDENCIAS",
    "CURSOS_DEL_CENTRO", "UNIDADES",    "JORNADAS_ESCOLARES", "TRAMOS_HORARIOS",
};

[[noreturn]] void Fault(const char* what, const std::string& detail) {
  std::fprintf(stderr, "%s: %s\n", what, detail.c_str());
  std::abort();
}

void ReadEveryGroup(const platform::XmlDocument& documento) {
  for (std::string_view seq : kGrupos) {
    for (const core::Registro& registro : core::RegistrosDeGrupo(documento, seq)) {
      for (size_t k = 0; k <= registro.NumeroValores(); ++k) {
        (void)registro.Valor(k);
      }
    }
  }
}

// What the export does with the document it loads: read the academic year,
// drop the old root and build a new one in its place, then write it out.
void Rebuild(platform::XmlDocument& documento) {
  const std::string anno =
      documento.SelectSingleNode("/SERVICIO/BLOQUE_DATOS").FirstChild().Text().substr(0, 4);
  if (platform::XmlNode raiz = documento.DocumentElement()) {
    if (platform::XmlNode b = raiz.SelectSingleNode("/SERVICIO/BLOQUE_DATOS")) {
      raiz.RemoveChild(b);
    }
    documento.RemoveChild(raiz);
  }
  platform::XmlNode servicio = documento.CreateElement("SERVICIO");
  servicio.SetAttribute("modulo", "HORARIOS");
  documento.AppendChild(servicio);
  platform::XmlNode nuevo = documento.CreateNode(1, "BLOQUE_DATOS", "");
  servicio.AppendChild(nuevo);
  platform::XmlNode grupo = documento.CreateElement("grupo_datos");
  grupo.SetAttribute("seq", "ANNO_ACADEMICO");
  grupo.SetAttribute("registros", int64_t{1});
  nuevo.AppendChild(grupo);
  platform::XmlNode dato = documento.CreateElement("dato");
  dato.SetAttribute("nombre_dato", "C_ANNO");
  dato.SetText(anno);
  grupo.AppendChild(dato);
}

}  // namespace

void ExerciseDocument(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  platform::XmlDocument documento;
  const bool cargado = documento.LoadFromMemory(bytes);
  try {
    ReadEveryGroup(documento);
    const std::string escrito = documento.Serialize();
    if (cargado) {
      platform::XmlDocument otra;
      if (!otra.LoadFromMemory(escrito)) {
        Fault("a loaded document was written into bytes that do not load", otra.LoadError());
      }
    }
    Rebuild(documento);
    platform::XmlDocument reconstruido;
    if (!reconstruido.LoadFromMemory(documento.Serialize())) {
      Fault("a rebuilt document does not load", reconstruido.LoadError());
    }
    ReadEveryGroup(reconstruido);
  } catch (const platform::XmlError&) {
    // A document the service refuses to write, with a message: expected.
  }
}

}  // namespace trasvelo::fuzz
