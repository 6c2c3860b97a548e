#include <string>

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

  for (const Registro& registro : registros) {
    if (!pasos::SeLee(registro)) {
      continue;
    }
    const std::string clave = AllTrim(registro.Valor(0));
    const std::string nombre = AllTrim(registro.Valor(1));
    const std::string codigo = listaAulas.Asignar(clave.empty() ? Left(nombre, 6) : clave);

    aulat.Append();
    aulat.SetString("ABREV", Right(codigo, 4));
    aulat.SetString("NOMBRE", nombre);
    aulat.SetString("DEPCENTRO", clave);
    aulat.Post();
  }
  aulat.Close();
}

}  // namespace trasvelo::core
