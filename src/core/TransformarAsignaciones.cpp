#include <string>
#include <unordered_map>
#include <vector>

#include "core/Clipper.h"
#include "core/PasosComunes.h"
#include "core/PasosImportacion.h"
#include "platform/Table.h"
#include "platform/Text1252.h"

// The assignments step: ASIGT, one row for every subject of the document and
// every group of the subject's course, each with the same weekly load.
namespace trasvelo::core {

namespace {

using platform::FieldDef;
using platform::FieldType;

// Every assignment gets the same weekly load, in minutes; the hours are the
// load rounded up to whole hours, one "1" in SESIONES per hour.
constexpr int kCargaSemanalMinutos = 240;
constexpr int kHoras = (kCargaSemanalMinutos + 59) / 60;

struct Grupo {
  std::string abrev;
  std::string nivel;
  std::string curso;
  std::string grupo;
};

// Names match with the letters a to z raised and blanks trimmed; the
// document's name is first cut to the width of ASIGNOMT.NOMBRE.
std::string ClaveNombre(const std::string& nombre) {
  return AllTrim(platform::UpperAscii(Left(nombre, 80)));
}

}  // namespace

void TransformarAsignaciones(EstadoPrograma& estado) {
  const auto& dir = estado.directorios.trabajo;
  platform::DropTable(dir, "ASIGT");
  platform::CreateTable(
      dir, "ASIGT.DBF",
      {FieldDef{"CASIG", FieldType::Text, 10}, FieldDef{"CPROF", FieldType::Text, 10},
       FieldDef{"CGRUP", FieldType::Text, 10}, FieldDef{"CAULA", FieldType::Text, 10},
       FieldDef{"TURNO", FieldType::Text, 1}, FieldDef{"NIVEL", FieldType::Text, 5},
       FieldDef{"CURSO", FieldType::Text, 3}, FieldDef{"GRUPO", FieldType::Text, 2},
       FieldDef{"HORAS", FieldType::Float, 0}, FieldDef{"SESIONES", FieldType::Text, 20},
       FieldDef{"NCONEX", FieldType::Text, 4}, FieldDef{"CLAVE", FieldType::Text, 10},
       FieldDef{"CLAVECURSO", FieldType::Text, 10}, FieldDef{"CTAREA", FieldType::Text, 10}});
  platform::Table asigt(dir, "ASIGT.DBF");
  asigt.Open(platform::OpenMode::Shared);

  platform::Table& grupost = estado.tablas.wwTableGrupos;
  platform::Table& asignomt = estado.tablas.wwTableNomAsg;
  pasos::CerrarAlSalir cerrarAsignomt(asignomt);  // closed last
  pasos::CerrarAlSalir cerrarGrupost(grupost);
  grupost.Open(platform::OpenMode::Exclusive);
  asignomt.Open(platform::OpenMode::Exclusive);

  // Both tables are read once, in table order: the first subject of each
  // name, and the groups of each course key, as walks from the first record
  // would find them.
  std::unordered_map<std::string, std::string> codPorNombre;
  for (asignomt.First(); !asignomt.Eof(); asignomt.Next()) {
    codPorNombre.try_emplace(ClaveNombre(asignomt.AsString("NOMBRE")), asignomt.AsString("COD"));
  }
  std::unordered_map<std::string, std::vector<Grupo>> gruposPorCurso;
  for (grupost.First(); !grupost.Eof(); grupost.Next()) {
    gruposPorCurso[grupost.AsString("CLAVECURSO")].push_back(
        Grupo{grupost.AsString("ABREV"), grupost.AsString("NIVEL"), grupost.AsString("CURSO"),
              grupost.AsString("GRUPO")});
  }

  const std::string sesiones(kHoras, '1');
  Informe& informe = estado.informe;
  int posicion = 0;
  // Records skipped here were skipped, and noted, by the subjects step.
  for (const Registro& registro : pasos::Registros(estado, "MATERIAS")) {
    ++posicion;
    if (!pasos::SeLee(registro)) {
      continue;
    }
    const std::string claveCurso = AllTrim(registro.Valor(0));
    const std::string claveMateria = AllTrim(registro.Valor(1));
    const std::string nombre = AllTrim(registro.Valor(2));
    if (nombre.empty()) {
      continue;  // the subjects step gave it no code
    }
    const auto materia = codPorNombre.find(ClaveNombre(nombre));
    if (materia == codPorNombre.end() || materia->second.empty()) {
      informe.Anotar("MATERIAS", posicion, pasos::Utf8(claveMateria),
                     "no se asigna a ningún grupo: el nombre '" + pasos::Utf8(nombre) +
                         "' no da ninguna materia con código en ASIGNOMT");
      continue;
    }
    const auto grupos = gruposPorCurso.find(claveCurso);
    if (grupos == gruposPorCurso.end()) {
      informe.Anotar("MATERIAS", posicion, pasos::Utf8(claveMateria),
                     "no se asigna a ningún grupo: ningún grupo de GRUPOST es del curso '" +
                         pasos::Utf8(claveCurso) + "'");
      continue;
    }
    pasos::AnotarSiSeCorta(informe, asigt, "MATERIAS", posicion, claveMateria, "CLAVE",
                           claveMateria);
    pasos::AnotarSiSeCorta(informe, asigt, "MATERIAS", posicion, claveMateria, "CLAVECURSO",
                           claveCurso);
    for (const Grupo& grupo : grupos->second) {
      asigt.Append();
      asigt.SetString("CASIG", materia->second);
      asigt.SetString("CGRUP", grupo.abrev);
      asigt.SetString("CAULA", "");
      asigt.SetString("TURNO", "");
      asigt.SetString("NIVEL", grupo.nivel);
      asigt.SetString("CURSO", grupo.curso);
      asigt.SetString("GRUPO", grupo.grupo);
      asigt.SetFloat("HORAS", kHoras);
      asigt.SetString("SESIONES", sesiones);
      asigt.SetString("CLAVE", claveMateria);
      asigt.SetString("CLAVECURSO", claveCurso);
      asigt.SetString("CTAREA", "1");
      asigt.Post();
    }
  }

  asigt.Close();
  grupost.Close();
  asignomt.Close();
}

}  // namespace trasvelo::core
