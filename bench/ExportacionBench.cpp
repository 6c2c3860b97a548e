// Times the export of the sample school's solved timetable with its entries
// repeated 1, 10 and 100 times: the working tables come from an import of
// the sample with both frames, the timetable from the demonstration solver.
//
//   cmake -B build/bench -DTRASVELO_BENCH=ON -DCMAKE_BUILD_TYPE=Release
//   cmake --build build/bench --target exportacion_bench
//   build/bench/bin/exportacion_bench

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/EstadoPrograma.h"
#include "core/InterfazUsuario.h"
#include "core/MainForm.h"
#include "platform/Paths.h"
#include "platform/Table.h"

namespace {

namespace fs = std::filesystem;
using trasvelo::platform::FieldType;
using trasvelo::platform::OpenMode;
using trasvelo::platform::Table;

// Answers every question of the runs without a person: this document, both
// frames; messages are kept for the checks.
class InterfazBanco : public trasvelo::core::InterfazUsuario {
 public:
  explicit InterfazBanco(fs::path documento) : documento_(std::move(documento)) {}
  std::optional<fs::path> ElegirArchivo(const trasvelo::core::DialogoArchivo&) override {
    return documento_;
  }
  void MostrarMensaje(const std::string& texto) override { ultimo = texto; }
  void MostrarError(const std::string& texto) override { error = texto; }
  void CursorEspera(bool) override {}
  trasvelo::core::EleccionMarcos ElegirMarcos(const fs::path&) override {
    return {true, "JM        JT        "};
  }
  void DesactivarBotones() override {}
  void CerrarVentana() override {}

  std::string ultimo;
  std::string error;

 private:
  fs::path documento_;
};

struct Entrada {
  std::string prof, marco, asig, codgrupo, tarea, aula;
  int64_t dia = 0, hora = 0;
};

struct Escuela {
  fs::path trabajo;
  fs::path documento;
  std::vector<Entrada> entradas;  // the solver's timetable
};

fs::path Temporal(const char* nombre) {
  std::string patron = (fs::temp_directory_path() / nombre).string() + "-XXXXXX";
  if (mkdtemp(patron.data()) == nullptr) {
    throw std::runtime_error("mkdtemp failed");
  }
  return patron;
}

trasvelo::core::Directorios Directorios(const Escuela& e) {
  return {e.trabajo, trasvelo::platform::ProgramDirectory()};
}

// The sample imported once, and its timetable solved once.
const Escuela& Muestra() {
  static const Escuela escuela = [] {
    Escuela e{
        Temporal("trasvelo-bench-trabajo"), Temporal("trasvelo-bench-docs") / "centro.xml", {}};
    fs::copy_file(fs::path(TRASVELO_SOURCE_DIR) / "data/muestra/centro.xml", e.documento);
    trasvelo::core::EstadoPrograma estado(Directorios(e));
    InterfazBanco ui(e.documento);
    trasvelo::core::BExportarClick(estado, ui);
    if (estado.resultado != 1) {
      throw std::runtime_error("the sample's import failed: " + ui.error);
    }
    const std::string resolver =
        std::string(TRASVELO_RESOLVER) + " '" + e.trabajo.string() + "' >/dev/null";
    if (std::system(resolver.c_str()) != 0) {
      throw std::runtime_error("the demonstration solver failed");
    }
    Table soluc(e.trabajo, "SOLUC.DBF");
    soluc.Open(OpenMode::Shared);
    for (soluc.First(); !soluc.Eof(); soluc.Next()) {
      e.entradas.push_back({soluc.AsString("PROF"), soluc.AsString("MARCO"), soluc.AsString("ASIG"),
                            soluc.AsString("CODGRUPO"), soluc.AsString("TAREA"),
                            soluc.AsString("AULA"), soluc.AsInteger("DIA"),
                            soluc.AsInteger("HORA")});
    }
    return e;
  }();
  return escuela;
}

// SOLUC with the sample's entries `factor` times over, each teacher's in one
// run as the solver writes them.
void EscribirSoluc(const Escuela& e, int factor) {
  trasvelo::platform::CreateTable(e.trabajo, "SOLUC.DBF",
                                  {{"PROF", FieldType::Text, 10},
                                   {"DIA", FieldType::Integer, 0},
                                   {"HORA", FieldType::Integer, 0},
                                   {"MARCO", FieldType::Text, 1},
                                   {"ASIG", FieldType::Text, 10},
                                   {"CODGRUPO", FieldType::Text, 10},
                                   {"TAREA", FieldType::Text, 10},
                                   {"AULA", FieldType::Text, 10}});
  Table soluc(e.trabajo, "SOLUC.DBF");
  soluc.Open(OpenMode::Shared);
  for (const Entrada& x : e.entradas) {
    for (int copia = 0; copia < factor; ++copia) {
      soluc.Append();
      soluc.SetString("PROF", x.prof);
      soluc.SetInteger("DIA", x.dia);
      soluc.SetInteger("HORA", x.hora);
      soluc.SetString("MARCO", x.marco);
      soluc.SetString("ASIG", x.asig);
      soluc.SetString("CODGRUPO", x.codgrupo);
      soluc.SetString("TAREA", x.tarea);
      soluc.SetString("AULA", x.aula);
      soluc.Post();
    }
  }
}

void Exportacion(benchmark::State& state) {
  const int factor = static_cast<int>(state.range(0));
  const Escuela& e = Muestra();
  EscribirSoluc(e, factor);
  trasvelo::core::EstadoPrograma estado(Directorios(e));
  InterfazBanco ui(e.documento);
  for (auto _ : state) {
    estado.resultado = 0;
    trasvelo::core::BImportarClick(estado, ui);
    if (estado.resultado != 1) {
      state.SkipWithError(("the export failed: " + ui.error).c_str());
      return;
    }
  }
  const auto salida = e.documento.parent_path() / "ResultadoVelmoscentro.xml";
  state.counters["entries"] = static_cast<double>(e.entradas.size() * factor);
  state.counters["entries_per_s"] =
      benchmark::Counter(static_cast<double>(e.entradas.size() * factor),
                         benchmark::Counter::kIsIterationInvariantRate);
  state.counters["output_MB"] = static_cast<double>(fs::file_size(salida)) / 1e6;
}

BENCHMARK(Exportacion)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
