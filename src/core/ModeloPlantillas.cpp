#include "core/ModeloPlantillas.h"

#include <algorithm>

#include "core/Clipper.h"
#include "core/DocumentoIntercambio.h"
#include "core/Mensajes.h"
#include "platform/Error.h"

namespace trasvelo::core {

std::string CodigoDiez(const std::string& codigo) {
  return Left(codigo + std::string(10, ' '), 10);
}

void ModeloPlantillas::Cargar(const std::filesystem::path& archivo) {
  documento_ = std::make_unique<platform::XmlDocument>();
  documento_->Load(archivo);
  const auto marcos = RegistrosDeGrupo(*documento_, "JORNADAS_ESCOLARES");
  if (marcos.size() < 2) {
    // The import found two or more frames in this file, or the chooser would
    // not be open: the file changed or vanished since.
    throw platform::Error(
        "El selector de marcos horarios no encuentra marcos que elegir en " + archivo.string() +
            (documento_->DocumentElement() ? std::string(" (el archivo ha cambiado).")
                                           : " (" + documento_->LoadError() + ")."),
        platform::ErrorPlace{archivo.string(), {}, -1, {}});
  }
  lineas_.clear();
  for (const Registro& r : marcos) {
    lineas_.push_back(r.Valor(0));
  }
}

VistaMarco ModeloPlantillas::Mostrar(const std::string& actual) const {
  VistaMarco vista;
  if (!documento_)
    return vista;
  const auto marcos = RegistrosDeGrupo(*documento_, "JORNADAS_ESCOLARES");
  if (marcos.size() >= 2) {
    for (const Registro& r : marcos) {
      if (r.Valor(0) == actual) {  // the last matching record wins
        vista.nombre = r.Valor(1);
        vista.fecha1 = r.Valor(2);
        vista.fecha2 = r.Valor(3);
      }
    }
  }
  const auto tramos = RegistrosDeGrupo(*documento_, "TRAMOS_HORARIOS");
  if (tramos.size() >= 2) {
    vista.tramos.emplace();
    for (const Registro& r : tramos) {
      if (r.Valor(4) == actual)
        vista.tramos->push_back(r.Valor(1));
    }
  }
  return vista;
}

Validacion ModeloPlantillas::Validar(std::vector<size_t> seleccionadas) const {
  std::sort(seleccionadas.begin(), seleccionadas.end());
  seleccionadas.erase(std::unique(seleccionadas.begin(), seleccionadas.end()), seleccionadas.end());
  Validacion v;
  v.eleccion.SeleccionValida = true;
  if (seleccionadas.size() > 2) {
    v.mensaje = mensajes::kDemasiadosMarcos;
    v.eleccion.SeleccionValida = false;
  } else if (seleccionadas.empty()) {
    v.mensaje = mensajes::kNingunMarco;
    v.eleccion.SeleccionValida = false;
  }
  for (size_t i : seleccionadas) {
    if (i < lineas_.size())
      v.eleccion.MarcosSeleccionados += CodigoDiez(lineas_[i]);
  }
  return v;
}

}  // namespace trasvelo::core
