#include <string>

#include "core/Clipper.h"
#include "core/PasosComunes.h"
#include "core/PasosImportacion.h"
#include "platform/Table.h"

// The activities step: each activity joins the subject table as a task that
// keeps its own key as code; then the subjects step's sets are released.
namespace trasvelo::core {

void TransformarActividades(EstadoPrograma& estado) {
  const auto registros = pasos::Registros(estado, "ACTIVIDADES");
  platform::Table asignomt(estado.directorios.trabajo, "ASIGNOMT.DBF");
  asignomt.Open(platform::OpenMode::Shared);

  Informe& informe = estado.informe;
  int posicion = 0;
  for (const Registro& registro : registros) {
    ++posicion;
    if (!pasos::SeLee(registro)) {
      pasos::AnotarOmitido(informe, "ACTIVIDADES", posicion, registro);
      continue;
    }
    const std::string nombre = AllTrim(registro.Valor(2));
    const std::string clave = AllTrim(registro.Valor(1));
    pasos::AnotarSiSeCorta(informe, asignomt, "ACTIVIDADES", posicion, clave, "COD", clave);
    pasos::AnotarSiSeCorta(informe, asignomt, "ACTIVIDADES", posicion, clave, "NOMBRE", nombre);
    asignomt.Append();
    asignomt.SetString("COD", clave);
    asignomt.SetString("CODLARGO", Left(nombre, 10));
    asignomt.SetString("NOMBRE", nombre);
    asignomt.SetString("CODTAREA", clave);
    asignomt.SetBoolean("ESTAREA", true);
    asignomt.Post();
  }
  asignomt.Close();

  // Released, not only emptied: nothing reads them again in this run.
  ConjuntoTexto().swap(estado.ListaCod);
  ConjuntoTexto().swap(estado.ListaCodLargo);
  ConjuntoTexto().swap(estado.ListaNombre);
  ConjuntoTexto().swap(estado.ListaCodLargoNombre);
}

}  // namespace trasvelo::core
