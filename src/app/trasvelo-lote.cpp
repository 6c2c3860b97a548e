// trasvelo-lote: the conversion without a window, for scripted use.
//
//   trasvelo-lote exportar ARCHIVO.xml [--marcos CODIGO[,CODIGO]]
//   trasvelo-lote importar ARCHIVO.xml
//
// The command words are the host program's: "exportar" carries an exchange
// document into the working tables, "importar" writes the solved timetable
// back into one. Exit status 0 when the run completed, 1 when it ended on a
// failure, 2 for a wrong command line.
#include <clocale>
#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "app/InterfazLote.h"
#include "core/DocumentoIntercambio.h"
#include "core/EstadoPrograma.h"
#include "core/MainForm.h"
#include "platform/Paths.h"
#include "platform/Text1252.h"

namespace {

constexpr const char* kUso =
    "Uso:\n"
    "  trasvelo-lote exportar ARCHIVO.xml [--marcos CODIGO[,CODIGO]]\n"
    "      Racima -> Velmora: reconstruye las tablas de trabajo desde el documento.\n"
    "      --marcos elige uno o dos marcos horarios por su código cuando el\n"
    "      documento tiene varios.\n"
    "  trasvelo-lote importar ARCHIVO.xml\n"
    "      Velmora -> Racima: escribe ResultadoVelmos<ARCHIVO.xml> junto al documento.\n"
    "\n"
    "Directorio de trabajo: $WINEPREFIX/drive_c/VTEMP (o ~/.wine/drive_c/VTEMP).\n";

int Uso(const std::string& problema) {
  if (!problema.empty())
    std::fprintf(stderr, "trasvelo-lote: %s\n\n", problema.c_str());
  std::fputs(kUso, stderr);
  return 2;
}

std::vector<std::string> Separar(const std::string& lista) {
  std::vector<std::string> partes;
  size_t inicio = 0;
  for (;;) {
    size_t coma = lista.find(',', inicio);
    partes.push_back(lista.substr(inicio, coma - inicio));
    if (coma == std::string::npos)
      break;
    inicio = coma + 1;
  }
  return partes;
}

// With two or more time frames the import will need a choice: check the one
// given by --marcos before the run drops any table, rather than part-way.
bool ComprobarMarcos(trasvelo::app::InterfazLote& ui, const std::string& archivo) {
  trasvelo::platform::XmlDocument documento;
  if (!documento.Load(archivo))
    return true;  // the run reports it
  if (trasvelo::core::RegistrosDeGrupo(documento, "JORNADAS_ESCOLARES").size() < 2)
    return true;
  try {
    ui.ElegirMarcos(archivo);
    return true;
  } catch (const std::exception& e) {
    ui.MostrarError(e.what());
    return false;
  }
}

}  // namespace

int main(int argc, char** argv) {
  using namespace trasvelo;
  std::setlocale(LC_TIME, "");  // the export dates its document in the user's format
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    std::fputs(kUso, stdout);
    return 0;
  }
  if (args.size() < 2)
    return Uso("faltan argumentos");
  const std::string direccion = platform::LowerAscii(args[0]);
  if (direccion != "exportar" && direccion != "importar") {
    return Uso("dirección desconocida '" + args[0] + "'");
  }
  const std::string archivo = args[1];
  std::optional<std::vector<std::string>> marcos;
  for (size_t i = 2; i < args.size(); ++i) {
    if (args[i] == "--marcos" && i + 1 < args.size() && direccion == "exportar") {
      marcos = Separar(args[++i]);
    } else {
      return Uso("argumento no válido '" + args[i] + "'");
    }
  }

  try {
    core::EstadoPrograma estado(
        core::Directorios{platform::WorkingDirectory(), platform::ProgramDirectory()});
    core::FormCreate(estado, {});
    app::InterfazLote ui(archivo, marcos);
    if (direccion == "exportar" && !ComprobarMarcos(ui, archivo)) {
      return 1;
    }
    if (direccion == "exportar") {
      core::BExportarClick(estado, ui);
    } else {
      core::BImportarClick(estado, ui);
    }
    return estado.resultado == 1 ? 0 : 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "Error: %s\n", e.what());
    return 1;
  }
}
