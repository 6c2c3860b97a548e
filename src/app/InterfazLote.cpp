#include "app/InterfazLote.h"

#include <cstdio>

#include "core/Clipper.h"
#include "core/Mensajes.h"
#include "core/ModeloPlantillas.h"
#include "platform/Error.h"
#include "platform/Text1252.h"

namespace trasvelo::app {

InterfazLote::InterfazLote(std::filesystem::path archivo,
                           std::optional<std::vector<std::string>> marcos)
    : archivo_(std::move(archivo)), marcos_(std::move(marcos)) {}

std::optional<std::filesystem::path> InterfazLote::ElegirArchivo(const core::DialogoArchivo&) {
  return archivo_;
}

void InterfazLote::MostrarMensaje(const std::string& texto) {
  std::FILE* out = texto == core::mensajes::kProcesoFinalizado ? stdout : stderr;
  std::fprintf(out, "%s\n", texto.c_str());
  std::fflush(out);
}

void InterfazLote::MostrarInforme(const std::string& texto, const core::Informe& informe) {
  MostrarMensaje(texto);
  MostrarAvisos(informe);
}

void InterfazLote::MostrarAvisos(const core::Informe& informe) {
  for (const core::Aviso& aviso : informe.Avisos()) {
    std::fprintf(stderr, "Aviso: %s\n", core::Informe::Linea(aviso).c_str());
  }
  std::fflush(stderr);
}

void InterfazLote::MostrarError(const std::string& texto) {
  std::fprintf(stderr, "Error: %s\n", texto.c_str());
  std::fflush(stderr);
}

core::EleccionMarcos InterfazLote::ElegirMarcos(const std::filesystem::path& archivoXML) {
  core::ModeloPlantillas modelo;
  modelo.Cargar(archivoXML);
  std::string lista;
  for (const std::string& linea : modelo.Lineas()) {
    lista += "\n  " + platform::Cp1252ToUtf8(core::AllTrim(linea));
  }
  if (!marcos_) {
    throw platform::Error(
        "El documento tiene varios marcos horarios: elija uno o dos con "
        "--marcos CODIGO[,CODIGO]. Marcos del documento:" +
        lista);
  }
  std::vector<size_t> seleccion;
  for (const std::string& pedido : *marcos_) {
    const std::string codigo = platform::Utf8To1252(pedido);
    bool encontrado = false;
    for (size_t i = 0; i < modelo.Lineas().size(); ++i) {
      if (core::AllTrim(modelo.Lineas()[i]) == codigo) {
        seleccion.push_back(i);
        encontrado = true;
      }
    }
    if (!encontrado) {
      throw platform::Error("El marco horario '" + pedido +
                            "' no está en el documento. Marcos del documento:" + lista);
    }
  }
  core::Validacion v = modelo.Validar(seleccion);
  if (!v.eleccion.SeleccionValida) {
    // The chooser would open again; here nobody could answer it.
    throw platform::Error(v.mensaje);
  }
  return v.eleccion;
}

}  // namespace trasvelo::app
