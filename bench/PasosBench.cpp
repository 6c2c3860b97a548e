// Times the first six import steps on the sample school scaled 1, 10 and 100
// times: every record of the sample is repeated once per copy, its keys made
// distinct per copy (course keys stay whole numbers) and its subject names
// too, so that each copy adds subjects, courses, units, teachers and rooms.
//
//   cmake -B build/bench -DTRASVELO_BENCH=ON -DCMAKE_BUILD_TYPE=Release
//   cmake --build build/bench --target pasos_bench && build/bench/bin/pasos_bench

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/Clipper.h"
#include "core/DocumentoIntercambio.h"
#include "core/EstadoPrograma.h"
#include "core/PasosImportacion.h"
#include "platform/Paths.h"
#include "platform/Text1252.h"
#include "platform/XmlDom.h"

namespace {

namespace fs = std::filesystem;
using trasvelo::core::AllTrim;

const char* const kGrupos[] = {"CURSOS_DEL_CENTRO", "UNIDADES",  "MATERIAS",
                               "ACTIVIDADES",       "EMPLEADOS", "DEPENDENCIAS"};

// Which positions of each group hold a course key (a whole number), another
// key, or a name that differs per copy.
enum class Tipo { Igual, Curso, Clave, Nombre };
Tipo TipoDe(const std::string& grupo, size_t posicion) {
  static const std::map<std::string, std::vector<Tipo>> tipos = {
      {"CURSOS_DEL_CENTRO", {Tipo::Curso}},
      {"UNIDADES", {Tipo::Clave, Tipo::Igual, Tipo::Curso}},
      {"MATERIAS", {Tipo::Curso, Tipo::Clave, Tipo::Nombre}},
      {"ACTIVIDADES", {Tipo::Igual, Tipo::Clave}},
      {"EMPLEADOS", {Tipo::Clave}},
      {"DEPENDENCIAS", {Tipo::Clave}},
  };
  const auto& lista = tipos.at(grupo);
  return posicion < lista.size() ? lista[posicion] : Tipo::Igual;
}

std::string Escapar(const std::string& texto) {
  std::string salida;
  for (char c : texto) {
    if (c == '<') {
      salida += "&lt;";
    } else if (c == '&') {
      salida += "&amp;";
    } else {
      salida += c;
    }
  }
  return salida;
}

std::string Variar(const std::string& valor, Tipo tipo, int copia) {
  if (copia == 0 || tipo == Tipo::Igual || AllTrim(valor).empty()) {
    return valor;
  }
  switch (tipo) {
    case Tipo::Curso:
      return std::to_string(trasvelo::platform::StrToInt(AllTrim(valor)) + copia * 100000);
    case Tipo::Clave:
      return AllTrim(valor) + "-" + std::to_string(copia);
    case Tipo::Nombre:
      return AllTrim(valor) + " " + std::to_string(copia);
    default:
      return valor;
  }
}

// The sample document `factor` times over, as XML text.
std::string Escalar(int factor) {
  trasvelo::platform::XmlDocument muestra;
  const fs::path archivo = fs::path(TRASVELO_SOURCE_DIR) / "data/muestra/centro.xml";
  if (!muestra.Load(archivo)) {
    throw std::runtime_error("cannot load " + archivo.string() + ": " + muestra.LoadError());
  }
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SERVICIO><BLOQUE_DATOS>";
  for (const char* grupo : kGrupos) {
    const auto registros = trasvelo::core::RegistrosDeGrupo(muestra, grupo);
    xml += std::string("<grupo_datos seq=\"") + grupo + "\">";
    for (int copia = 0; copia < factor; ++copia) {
      for (const auto& registro : registros) {
        xml += "<grupo_datos>";
        for (size_t i = 0; i < registro.NumeroValores(); ++i) {
          const std::string valor = Variar(registro.Valor(i), TipoDe(grupo, i), copia);
          xml += "<dato nombre_dato=\"V\">" + Escapar(trasvelo::platform::Cp1252ToUtf8(valor)) +
                 "</dato>";
        }
        xml += "</grupo_datos>";
      }
    }
    xml += "</grupo_datos>";
  }
  return xml + "</BLOQUE_DATOS></SERVICIO>";
}

fs::path DirectorioTrabajo() {
  static const fs::path dir = [] {
    std::string patron = (fs::temp_directory_path() / "trasvelo-bench-XXXXXX").string();
    if (mkdtemp(patron.data()) == nullptr) {
      throw std::runtime_error("mkdtemp failed");
    }
    return fs::path(patron);
  }();
  return dir;
}

void SeisPasos(benchmark::State& state) {
  const int factor = static_cast<int>(state.range(0));
  trasvelo::core::EstadoPrograma estado(
      trasvelo::core::Directorios{DirectorioTrabajo(), trasvelo::platform::ProgramDirectory()});
  estado.DocumentoXML = std::make_unique<trasvelo::platform::XmlDocument>();
  if (!estado.DocumentoXML->LoadFromMemory(Escalar(factor))) {
    state.SkipWithError(estado.DocumentoXML->LoadError().c_str());
    return;
  }
  long registros = 0;
  for (const char* grupo : kGrupos) {
    registros +=
        static_cast<long>(trasvelo::core::RegistrosDeGrupo(*estado.DocumentoXML, grupo).size());
  }

  for (auto _ : state) {
    trasvelo::core::TransformarMaterias(estado);
    trasvelo::core::TransformarActividades(estado);
    trasvelo::core::TransformarEmpleados(estado);
    trasvelo::core::TransformarDependencias(estado);
    trasvelo::core::TransformarCursosUnidades(estado);
    trasvelo::core::TransformarAsignaciones(estado);
  }
  state.counters["records"] = static_cast<double>(registros);
  state.counters["records_per_s"] = benchmark::Counter(
      static_cast<double>(registros), benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK(SeisPasos)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
