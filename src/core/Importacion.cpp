// The import run: one exchange document into the working tables.
#include <filesystem>
#include <optional>
#include <string>

#include "core/CopiasSeguridad.h"
#include "core/DocumentoIntercambio.h"
#include "core/MainForm.h"
#include "core/Mensajes.h"
#include "core/PasosImportacion.h"
#include "core/Recorrido.h"
#include "platform/Paths.h"

namespace trasvelo::core {
namespace {

// A document that cannot complete an import is refused before any table is
// dropped: one that does not parse, and one without a time frame (the
// time-slot step needs at least one).
std::optional<std::string> MotivoRechazo(const platform::XmlDocument& documento,
                                         const std::filesystem::path& archivo) {
  if (!documento.DocumentElement()) {
    return "El archivo " + archivo.string() +
           " no es un documento XML válido y no se ha importado nada: " + documento.LoadError();
  }
  if (RegistrosDeGrupo(documento, "JORNADAS_ESCOLARES").empty()) {
    return "El archivo " + archivo.string() +
           " no contiene ningún marco horario (grupo JORNADAS_ESCOLARES) y no se ha importado "
           "nada.";
  }
  return std::nullopt;
}

}  // namespace

void BExportarClick(EstadoPrograma& estado, InterfazUsuario& ui) {
  estado.informe.Vaciar();
  if (!ElegirDocumento(estado, ui)) {
    return;
  }
  if (!platform::FindIgnoreCase(estado.directorios.programa, "NIVELLARI.DBF")) {
    ui.MostrarMensaje(mensajes::kFaltaNiveles);
    return;
  }

  estado.DocumentoXML = std::make_unique<platform::XmlDocument>();
  estado.DocumentoXML->Load(estado.ArchivoXML);
  if (auto motivo = MotivoRechazo(*estado.DocumentoXML, estado.ArchivoXML)) {
    ui.MostrarError(*motivo);
    return;
  }

  const bool completado = EjecutarPasos(estado, ui, [&] {
    // The files the steps will drop or replace are copied first; without a
    // copy nothing is dropped.
    if (!estado.directorios.copias.empty()) {
      CopiarTablas(estado.directorios.copias, estado.directorios.trabajo);
    }
    TransformarMaterias(estado);
    TransformarActividades(estado);
    TransformarEmpleados(estado);
    TransformarDependencias(estado);
    TransformarCursosUnidades(estado);
    TransformarAsignaciones(estado);
    TransformarTramos(estado, ui);
  });
  if (completado) {
    Completar(estado, ui);
  }
}

}  // namespace trasvelo::core
