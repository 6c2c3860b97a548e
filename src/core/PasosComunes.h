#pragma once

#include <string_view>
#include <vector>

#include "core/DocumentoIntercambio.h"
#include "core/EstadoPrograma.h"
#include "platform/Table.h"

// Small pieces that the import steps share.
namespace trasvelo::core::pasos {

// The records of every group named `seq` in the loaded document; none when
// no document is loaded.
inline std::vector<Registro> Registros(const EstadoPrograma& estado, std::string_view seq) {
  if (!estado.DocumentoXML) {
    return {};
  }
  return RegistrosDeGrupo(*estado.DocumentoXML, seq);
}

// Every import step reads a record only when it has at least two values.
inline bool SeLee(const Registro& registro) {
  return registro.NumeroValores() >= 2;
}

// Closes a main-window table component when the step leaves, also when it
// leaves by an error: a component left open would keep its lock and make
// the next run fail on its own table.
class CerrarAlSalir {
 public:
  explicit CerrarAlSalir(platform::Table& tabla) : tabla_(tabla) {}
  ~CerrarAlSalir() {
    try {
      tabla_.Close();
    } catch (...) {
      // Closing after an error: the first error is the one reported.
    }
  }
  CerrarAlSalir(const CerrarAlSalir&) = delete;
  CerrarAlSalir& operator=(const CerrarAlSalir&) = delete;

 private:
  platform::Table& tabla_;
};

}  // namespace trasvelo::core::pasos
