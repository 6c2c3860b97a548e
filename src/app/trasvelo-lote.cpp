// trasvelo-lote: the conversion without a window, for scripted use.
//
//   trasvelo-lote exportar ARCHIVO.xml [--marcos CODIGO[,CODIGO]] [--prueba] [--informe CSV]
//   trasvelo-lote importar ARCHIVO.xml [--prueba] [--informe CSV]
//   trasvelo-lote restaurar [CARPETA]
//
// The command words are the host program's: "exportar" carries an exchange
// document into the working tables, "importar" writes the solved timetable
// back into one; "restaurar" puts back the working tables that an import
// replaced. Exit status 0 when the run completed, 1 when it ended on a
// failure, 2 for a wrong command line.
#include <clocale>
#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include <stdlib.h>

#include <filesystem>
#include <system_error>

#include "app/InterfazLote.h"
#include "core/CopiasSeguridad.h"
#include "core/DocumentoIntercambio.h"
#include "core/EstadoPrograma.h"
#include "core/Exportacion.h"
#include "core/MainForm.h"
#include "platform/AtomicFile.h"
#include "platform/Error.h"
#include "platform/Paths.h"
#include "platform/Table.h"
#include "platform/Text1252.h"

namespace {

constexpr const char* kUso =
    "Uso:\n"
    "  trasvelo-lote exportar ARCHIVO.xml [--marcos CODIGO[,CODIGO]] [--prueba] [--informe CSV]\n"
    "      Racima -> Velmora: reconstruye las tablas de trabajo desde el documento.\n"
    "      --marcos elige uno o dos marcos horarios por su código cuando el\n"
    "      documento tiene varios. Antes de borrar ninguna tabla se copian las\n"
    "      que se van a sustituir (ver restaurar).\n"
    "  trasvelo-lote importar ARCHIVO.xml [--prueba] [--informe CSV]\n"
    "      Velmora -> Racima: escribe ResultadoVelmos<ARCHIVO.xml> junto al documento.\n"
    "  trasvelo-lote restaurar [CARPETA]\n"
    "      Devuelve al directorio de trabajo las tablas de la copia más reciente\n"
    "      (o de CARPETA) que hizo una importación.\n"
    "\n"
    "  --prueba   hace todo el proceso sin escribir nada: exportar importa en un\n"
    "             directorio temporal y muestra los registros de cada tabla;\n"
    "             importar construye el documento en memoria y muestra cuántos\n"
    "             profesores y actividades tendría.\n"
    "  --informe CSV  escribe el informe del proceso (lo que no se ha pasado o se\n"
    "             ha cambiado) en el archivo CSV; cada aviso sale también por la\n"
    "             salida de errores, uno por línea.\n"
    "\n"
    "Directorio de trabajo: $WINEPREFIX/drive_c/VTEMP (o ~/.wine/drive_c/VTEMP).\n"
    "Copias: $XDG_DATA_HOME/trasvelo/copias (o ~/.local/share/trasvelo/copias);\n"
    "se guardan las diez últimas.\n";

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

// The working tables an import writes, in the order of its steps.
constexpr const char* kTablasImportacion[] = {"ASIGNOMT",    "ASIGNOMT2", "PROFT", "AULAT",
                                              "CURSOST",     "GRUPOST",   "ASIGT", "DIASHORAST",
                                              "DIASHORAST2", "PERIODOS"};

// A temporary folder removed with everything in it when the object goes.
class CarpetaTemporal {
 public:
  CarpetaTemporal() {
    std::string patron =
        (std::filesystem::temp_directory_path() / "trasvelo-prueba-XXXXXX").string();
    if (::mkdtemp(patron.data()) == nullptr) {
      throw trasvelo::platform::FileError(
          "No se pudo crear una carpeta temporal para la prueba en " +
          std::filesystem::temp_directory_path().string());
    }
    ruta_ = patron;
  }
  ~CarpetaTemporal() {
    std::error_code ec;
    std::filesystem::remove_all(ruta_, ec);
  }
  CarpetaTemporal(const CarpetaTemporal&) = delete;
  CarpetaTemporal& operator=(const CarpetaTemporal&) = delete;
  const std::filesystem::path& ruta() const { return ruta_; }

 private:
  std::filesystem::path ruta_;
};

// The import into a temporary working directory, with a copy of the level
// table as its program directory: the real working directory is not even
// read. Prints the record count of every table the import wrote.
int ProbarImportacion(trasvelo::app::InterfazLote& ui, trasvelo::core::Informe& informe) {
  using namespace trasvelo;
  namespace fs = std::filesystem;
  CarpetaTemporal temporal;
  const fs::path trabajo = temporal.ruta() / "VTEMP";
  const fs::path programa = temporal.ruta() / "programa";
  fs::create_directory(trabajo);
  fs::create_directory(programa);
  if (auto niveles = platform::FindIgnoreCase(platform::ProgramDirectory(), "NIVELLARI.DBF")) {
    fs::copy_file(*niveles, programa / niveles->filename());
  }
  core::EstadoPrograma estado(core::Directorios{trabajo, programa});
  core::FormCreate(estado, {});
  core::BExportarClick(estado, ui);
  informe = estado.informe;
  if (estado.resultado != 1)
    return 1;
  std::printf("Prueba en un directorio temporal: el directorio de trabajo no se ha tocado.\n");
  for (const char* nombre : kTablasImportacion) {
    platform::Table tabla(trabajo, nombre);
    tabla.Open(platform::OpenMode::Shared);
    std::printf("%s: %ld registros\n", nombre, tabla.RecordCount());
  }
  std::fflush(stdout);
  return 0;
}

// The export's document built in memory and counted; nothing is written.
int ProbarExportacion(trasvelo::app::InterfazLote& ui, trasvelo::core::Informe& informe) {
  using namespace trasvelo;
  core::EstadoPrograma estado(
      core::Directorios{platform::WorkingDirectory(), platform::ProgramDirectory()});
  core::FormCreate(estado, {});
  const auto resumen = core::ProbarExportacion(estado, ui);
  informe = estado.informe;
  if (!resumen)
    return 1;
  ui.MostrarAvisos(estado.informe);
  std::printf("Prueba: no se ha escrito ningún documento.\nProfesores: %ld\nActividades: %ld\n",
              resumen->profesores, resumen->actividades);
  std::fflush(stdout);
  return 0;
}

// Puts the newest copy, or the one named, back into the working directory.
int Restaurar(const std::optional<std::string>& nombre) {
  using namespace trasvelo;
  namespace fs = std::filesystem;
  const fs::path raiz = core::CarpetaCopiasDelUsuario();
  fs::path carpeta;
  if (nombre) {
    // A bare name is a copy under the root; anything else a path.
    const fs::path dado(*nombre);
    carpeta = dado.has_parent_path() || raiz.empty() ? dado : raiz / dado;
  } else {
    const auto copias = core::ListarCopias(raiz);
    if (copias.empty()) {
      std::fprintf(stderr, "Error: No hay ninguna copia de las tablas de trabajo en %s.\n",
                   raiz.string().c_str());
      return 1;
    }
    carpeta = copias.back();
  }
  std::error_code ec;
  if (!fs::is_directory(carpeta, ec)) {
    std::fprintf(stderr, "Error: La copia %s no existe.\n", carpeta.string().c_str());
    return 1;
  }
  const fs::path trabajo = platform::WorkingDirectory();
  const auto restaurados = core::RestaurarCopia(carpeta, trabajo);
  std::printf("Restaurada la copia %s en %s:\n", carpeta.string().c_str(),
              trabajo.string().c_str());
  for (const auto& archivo : restaurados)
    std::printf("  %s\n", archivo.c_str());
  return 0;
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
  if (!args.empty() && platform::LowerAscii(args[0]) == "restaurar") {
    if (args.size() > 2)
      return Uso("argumento no válido '" + args[2] + "'");
    if (args.size() == 2 && args[1].rfind("--", 0) == 0)
      return Uso("argumento no válido '" + args[1] + "'");
    try {
      return Restaurar(args.size() == 2 ? std::optional(args[1]) : std::nullopt);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "Error: %s\n", e.what());
      return 1;
    }
  }
  if (args.size() < 2)
    return Uso("faltan argumentos");
  const std::string direccion = platform::LowerAscii(args[0]);
  if (direccion != "exportar" && direccion != "importar") {
    return Uso("dirección desconocida '" + args[0] + "'");
  }
  const std::string archivo = args[1];
  std::optional<std::vector<std::string>> marcos;
  std::optional<std::string> csv;
  bool prueba = false;
  for (size_t i = 2; i < args.size(); ++i) {
    if (args[i] == "--marcos" && i + 1 < args.size() && direccion == "exportar" && !marcos) {
      marcos = Separar(args[++i]);
    } else if (args[i] == "--informe" && i + 1 < args.size() && !csv) {
      csv = args[++i];
    } else if (args[i] == "--prueba" && !prueba) {
      prueba = true;
    } else {
      return Uso("argumento no válido '" + args[i] + "'");
    }
  }

  try {
    app::InterfazLote ui(archivo, marcos);
    if (direccion == "exportar" && !ComprobarMarcos(ui, archivo)) {
      return 1;
    }
    core::Informe informe;
    int estadoSalida = 1;
    if (prueba) {
      estadoSalida =
          direccion == "exportar" ? ProbarImportacion(ui, informe) : ProbarExportacion(ui, informe);
    } else {
      core::EstadoPrograma estado(core::Directorios{platform::WorkingDirectory(),
                                                    platform::ProgramDirectory(),
                                                    core::CarpetaCopiasDelUsuario()});
      core::FormCreate(estado, {});
      if (direccion == "exportar") {
        core::BExportarClick(estado, ui);
      } else {
        core::BImportarClick(estado, ui);
      }
      informe = estado.informe;
      estadoSalida = estado.resultado == 1 ? 0 : 1;
    }
    // The report of a run that got to its end, even when it holds nothing,
    // so that the file never tells of an earlier run.
    if (csv && estadoSalida == 0) {
      platform::WriteFileAtomically(*csv, informe.Csv());
    }
    return estadoSalida;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "Error: %s\n", e.what());
    return 1;
  }
}
