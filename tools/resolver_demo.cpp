// resolver_demo: a plausible solved timetable SOLUC.DBF for the working tables
// of an import, standing in for the host program's solver in the demo and the
// round-trip tests. No part of the program.
//
//   resolver_demo DIRECTORIO_DE_TRABAJO
//
// Every lesson of ASIGT is placed, HORAS times, into free slots of frame "0",
// with a teacher of PROFT taken in turn who is free at that slot; each
// teacher also gets a guard (an activity of ASIGNOMT) and a few entries on
// day 0 are added, as the host writes for lessons it could not place.
#include <cstdio>
#include <exception>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "platform/Table.h"

using trasvelo::platform::FieldDef;
using trasvelo::platform::FieldType;
using trasvelo::platform::OpenMode;
using trasvelo::platform::Table;

namespace {

struct Hueco {
  int dia;
  int hora;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "uso: resolver_demo DIRECTORIO_DE_TRABAJO\n");
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  try {
    std::vector<Hueco> huecos;  // the slots of frame 0, days 1 to 5
    {
      Table t(dir, "DIASHORAST");
      t.Open(OpenMode::Shared);
      for (t.First(); !t.Eof(); t.Next()) {
        const int dia = std::stoi(t.AsString("DIA"));
        if (t.AsString("MARCO") == "0" && dia <= 5)
          huecos.push_back({dia, std::stoi(t.AsString("HORA"))});
      }
    }
    std::vector<std::string> profesores;
    {
      Table t(dir, "PROFT");
      t.Open(OpenMode::Shared);
      for (t.First(); !t.Eof(); t.Next())
        profesores.push_back(t.AsString("ABREV"));
    }
    std::vector<std::string> guardias;
    {
      Table t(dir, "ASIGNOMT");
      t.Open(OpenMode::Shared);
      for (t.First(); !t.Eof(); t.Next()) {
        if (t.AsString("ESTAREA") == "T")
          guardias.push_back(t.AsString("COD"));
      }
    }
    if (huecos.empty() || profesores.empty()) {
      std::fprintf(stderr, "resolver_demo: no hay tramos del marco 0 o no hay profesores\n");
      return 1;
    }

    trasvelo::platform::CreateTable(dir, "SOLUC.DBF",
                                    {{"PROF", FieldType::Text, 10},
                                     {"DIA", FieldType::Integer, 0},
                                     {"HORA", FieldType::Integer, 0},
                                     {"MARCO", FieldType::Text, 1},
                                     {"ASIG", FieldType::Text, 10},
                                     {"CODGRUPO", FieldType::Text, 10},
                                     {"TAREA", FieldType::Text, 10},
                                     {"AULA", FieldType::Text, 10}});
    Table soluc(dir, "SOLUC.DBF");
    soluc.Open(OpenMode::Shared);
    auto escribir = [&](const std::string& prof, int dia, int hora, const std::string& asig,
                        const std::string& grupo, const std::string& tarea,
                        const std::string& aula) {
      soluc.Append();
      soluc.SetString("PROF", prof);
      soluc.SetInteger("DIA", dia);
      soluc.SetInteger("HORA", hora);
      soluc.SetString("MARCO", "0");
      soluc.SetString("ASIG", asig);
      soluc.SetString("CODGRUPO", grupo);
      soluc.SetString("TAREA", tarea);
      soluc.SetString("AULA", aula);
      soluc.Post();
    };

    std::set<std::tuple<std::string, int, int>> ocupado;  // (who, day, slot)
    size_t turno = 0;
    long lecciones = 0;
    Table asig(dir, "ASIGT");
    asig.Open(OpenMode::Shared);
    for (asig.First(); !asig.Eof(); asig.Next()) {
      const std::string grupo = asig.AsString("CGRUP");
      const int horas = static_cast<int>(asig.AsFloat("HORAS"));
      const std::string& prof = profesores[turno++ % profesores.size()];
      int puestas = 0;
      for (const Hueco& h : huecos) {
        if (puestas == horas)
          break;
        if (ocupado.count({grupo, h.dia, h.hora}) || ocupado.count({prof, h.dia, h.hora}))
          continue;
        ocupado.insert({grupo, h.dia, h.hora});
        ocupado.insert({prof, h.dia, h.hora});
        escribir(prof, h.dia, h.hora, asig.AsString("CASIG"), grupo, "",
                 lecciones % 7 == 0 ? "" : "A" + std::to_string(lecciones % 30 + 1));
        ++puestas;
      }
      if (puestas < horas) {  // what found no room goes to day 0
        escribir(prof, 0, 0, asig.AsString("CASIG"), grupo, "", "");
      }
      ++lecciones;
    }
    for (size_t i = 0; i < profesores.size() && !guardias.empty(); ++i) {
      for (const Hueco& h : huecos) {
        if (ocupado.count({profesores[i], h.dia, h.hora}))
          continue;
        ocupado.insert({profesores[i], h.dia, h.hora});
        const std::string& g = guardias[i % guardias.size()];
        escribir(profesores[i], h.dia, h.hora, g, "", i % 3 == 0 ? "" : g, "");
        break;
      }
    }
    std::printf("SOLUC.DBF: %ld entradas\n", soluc.RecordCount());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "resolver_demo: %s\n", e.what());
    return 1;
  }
  return 0;
}
