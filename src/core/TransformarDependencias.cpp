#include <string>
#include <unordered_map>

#include "core/Clipper.h"
#include "core/ListaCodigos.h"
#include "core/PasosComunes.h"
#include "core/PasosImportacion.h"
#include "platform/Table.h"

// The rooms step: AULAT, one room per record. The room code is the key, or
// the start of the name when the key is blank, made unique as a whole; the
// table keeps its last four characters.
namespace trasvelo::core {

namespace {

using platform::FieldDef;
using platform::FieldType;

}  // namespace

void TransformarDependencias(EstadoPrograma& estado) {
  const auto& dir = estado.directorios.trabajo;
  platform::DropTable(dir, "AULAT");
  // Room codes are not shortened: only their last four characters are kept,
  // and those may repeat (the host's tables rely on that form).
  ListaCodigos listaAulas(Comparacion::SinMayusculas, /*acortar=*/false);
  platform::CreateTable(
      dir, "AULAT.DBF",
      {FieldDef{"ABREV", FieldType::Text, 10}, FieldDef{"NOMBRE", FieldType::Text, 80},
       FieldDef{"EDIFICIO", FieldType::Text, 1}, FieldDef{"MAXALUM", FieldType::Integer, 0},
       FieldDef{"DEPCENTRO", FieldType::Text, 10}});

  const auto registros = pasos::Registros(estado, "DEPENDENCIAS");
  platform::Table aulat(dir, "AULAT.DBF");
  aulat.Open(platform::OpenMode::Shared);

  Informe& informe = estado.informe;
  int posicion = 0;
  // The record that first gave each ABREV (only the last four characters of
  // a room code are kept, so distinct codes can meet there).
  std::unordered_map<std::string, int> abrevDada;
  for (const Registro& registro : registros) {
    ++posicion;
    if (!pasos::SeLee(registro)) {
      pasos::AnotarOmitido(informe, "DEPENDENCIAS", posicion, registro);
      continue;
    }
    const std::string clave = AllTrim(registro.Valor(0));
    const std::string nombre = AllTrim(registro.Valor(1));
    const std::string base = clave.empty() ? Left(nombre, 6) : clave;
    const std::string codigo = listaAulas.Asignar(base);
    if (listaAulas.Numerado()) {
      pasos::AnotarNumerado(informe, "DEPENDENCIAS", posicion, clave, "el código de aula", base,
                            codigo);
    }
    pasos::AnotarSiSeCorta(informe, aulat, "DEPENDENCIAS", posicion, clave, "NOMBRE", nombre);
    pasos::AnotarSiSeCorta(informe, aulat, "DEPENDENCIAS", posicion, clave, "DEPCENTRO", clave);

    const std::string abrev = Right(codigo, 4);
    if (auto [anterior, nueva] = abrevDada.try_emplace(abrev, posicion); !nueva) {
      informe.Anotar("DEPENDENCIAS", posicion, pasos::Utf8(clave),
                     "el código de aula '" + pasos::Utf8(codigo) + "' deja en ABREV '" +
                         pasos::Utf8(abrev) + "', la misma que el aula del registro " +
                         std::to_string(anterior->second));
    }

    aulat.Append();
    aulat.SetString("ABREV", abrev);
    aulat.SetString("NOMBRE", nombre);
    aulat.SetString("DEPCENTRO", clave);
    aulat.Post();
  }
  aulat.Close();
}

}  // namespace trasvelo::core
