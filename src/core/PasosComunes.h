#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/Clipper.h"
#include "core/DocumentoIntercambio.h"
#include "core/EstadoPrograma.h"
#include "platform/Table.h"
#include "platform/Text1252.h"

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

// Program text (Windows-1252) as a notice of the run report wants it.
inline std::string Utf8(std::string_view texto) {
  return platform::Cp1252ToUtf8(texto);
}

// Notes a record that is skipped for having fewer than two values; its key
// is its first value, when it has one.
inline void AnotarOmitido(Informe& informe, std::string_view grupo, int posicion,
                          const Registro& registro) {
  informe.Anotar(std::string(grupo), posicion, Utf8(AllTrim(registro.Valor(0))),
                 "se omite: el registro tiene " + std::to_string(registro.NumeroValores()) +
                     " valor(es), y hacen falta al menos dos");
}

// A table's name without ".DBF", as the user knows it.
inline std::string NombreTabla(const platform::Table& tabla) {
  std::string nombre = tabla.Name();
  if (nombre.size() > 4 && platform::EqualsIgnoreCase1252(nombre.substr(nombre.size() - 4), ".DBF"))
    nombre.resize(nombre.size() - 4);
  return nombre;
}

// Notes a value that the text field `campo` of the open table cannot hold
// whole: the table keeps only its first characters.
inline void AnotarSiSeCorta(Informe& informe, const platform::Table& tabla, std::string_view grupo,
                            int posicion, const std::string& clave, std::string_view campo,
                            std::string_view valor) {
  for (const auto& info : tabla.Fields()) {
    if (info.type != 'C' || !platform::EqualsIgnoreCase1252(info.name, campo))
      continue;
    if (valor.size() > static_cast<size_t>(info.width)) {
      informe.Anotar(std::string(grupo), posicion, Utf8(clave),
                     std::string(campo) + " de " + NombreTabla(tabla) + " guarda " +
                         std::to_string(info.width) + " de los " + std::to_string(valor.size()) +
                         " caracteres de '" + Utf8(valor) + "': queda '" +
                         Utf8(valor.substr(0, info.width)) + "'");
    }
    return;
  }
}

// Notes a code that had to be numbered to stay unique.
inline void AnotarNumerado(Informe& informe, std::string_view grupo, int posicion,
                           const std::string& clave, std::string_view que, const std::string& base,
                           const std::string& codigo) {
  informe.Anotar(std::string(grupo), posicion, Utf8(clave),
                 std::string(que) + " '" + Utf8(base) + "' ya estaba en uso: se numera como '" +
                     Utf8(codigo) + "'");
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
