#include <string>
#include <unordered_map>
#include <unordered_set>

#include "core/Clipper.h"
#include "core/ListaCodigos.h"
#include "core/PasosComunes.h"
#include "core/PasosImportacion.h"
#include "platform/Table.h"
#include "platform/Text1252.h"

// The subjects step: ASIGNOMT holds one record per distinct subject name with
// its short code; ASIGNOMT2 links each short code to the subject and course
// keys of every record that carries that name.
namespace trasvelo::core {

namespace {

using platform::FieldDef;
using platform::FieldType;

bool EsMayuscula(char c) {
  return c >= 'A' && c <= 'Z';
}

struct Codigos {
  std::string corto;  // at most ten characters, before it is made unique
  std::string largo;
};

// The short and long code of a subject, from its (trimmed, non-empty) name.
Codigos CodigosDeNombre(const std::string& nombre) {
  std::string codigo;
  if (!EsMayuscula(nombre.front())) {
    codigo = nombre.front();
  }
  codigo += SoloMayusculas(nombre);
  if (codigo.size() == 1) {
    if (nombre.find(' ') != std::string::npos) {
      codigo = nombre.front() + Iniciales(nombre);
    } else {
      codigo = Left(nombre, 6);
    }
  }
  Codigos codigos;
  codigos.largo = codigo.size() <= 4 ? Left(nombre, 10) : codigo;
  codigos.corto = Left(codigo, 10);
  return codigos;
}

// The engine's Locate compares whole values and ignores trailing blanks on
// both sides; these keys are built from what a field reads back (AsString,
// already without trailing blanks) and from the searched value.
std::string ClaveBusqueda(std::string_view a, std::string_view b) {
  std::string clave = RTrim(std::string(a));
  clave += '\0';  // never part of a value read from XML
  clave += RTrim(std::string(b));
  return clave;
}

}  // namespace

void TransformarMaterias(EstadoPrograma& estado) {
  // A run that failed part-way must not lend its codes to this one.
  estado.ListaCod.clear();
  estado.ListaCodLargo.clear();
  estado.ListaNombre.clear();
  estado.ListaCodLargoNombre.clear();

  const auto& dir = estado.directorios.trabajo;
  platform::DropTable(dir, "ASIGNOMT");
  platform::CreateTable(
      dir, "ASIGNOMT.DBF",
      {FieldDef{"COD", FieldType::Text, 10}, FieldDef{"CODLARGO", FieldType::Text, 10},
       FieldDef{"NOMBRE", FieldType::Text, 80}, FieldDef{"CODTAREA", FieldType::Text, 10},
       FieldDef{"ESTAREA", FieldType::Logical, 0}});
  platform::DropTable(dir, "ASIGNOMT2");
  platform::CreateTable(
      dir, "ASIGNOMT2.DBF",
      {FieldDef{"COD", FieldType::Text, 10}, FieldDef{"CODLARGO", FieldType::Text, 10},
       FieldDef{"NOMBRE", FieldType::Text, 80}, FieldDef{"MATERIA", FieldType::Text, 20},
       FieldDef{"OFERTAMATRI", FieldType::Text, 20}, FieldDef{"CODTAREA", FieldType::Text, 12},
       FieldDef{"ESTAREA", FieldType::Logical, 0}});

  const auto registros = pasos::Registros(estado, "MATERIAS");
  platform::Table asignomt(dir, "ASIGNOMT.DBF");
  platform::Table asignomt2(dir, "ASIGNOMT2.DBF");
  asignomt.Open(platform::OpenMode::Shared);
  asignomt2.Open(platform::OpenMode::Shared);

  ListaCodigos listaCod(estado.ListaCod, /*acortar=*/true);
  // What the two Locate calls would find, kept up to date as rows are
  // posted: (MATERIA, OFERTAMATRI) pairs of ASIGNOMT2, and the first COD of
  // ASIGNOMT for each (CODLARGO, NOMBRE).
  std::unordered_set<std::string> clavesAsignomt2;
  std::unordered_map<std::string, std::string> codPorCodLargoNombre;

  Informe& informe = estado.informe;
  int posicion = 0;
  auto anadirAsignomt2 = [&](const std::string& cod, const std::string& largo,
                             const std::string& nombre, const std::string& materia,
                             const std::string& oferta) {
    pasos::AnotarSiSeCorta(informe, asignomt2, "MATERIAS", posicion, materia, "NOMBRE", nombre);
    pasos::AnotarSiSeCorta(informe, asignomt2, "MATERIAS", posicion, materia, "MATERIA", materia);
    pasos::AnotarSiSeCorta(informe, asignomt2, "MATERIAS", posicion, materia, "OFERTAMATRI",
                           oferta);
    asignomt2.Append();
    asignomt2.SetString("COD", cod);
    asignomt2.SetString("CODLARGO", largo);
    asignomt2.SetString("NOMBRE", nombre);
    asignomt2.SetString("MATERIA", materia);
    asignomt2.SetString("OFERTAMATRI", oferta);
    asignomt2.SetBoolean("ESTAREA", false);
    asignomt2.Post();
    clavesAsignomt2.insert(
        ClaveBusqueda(asignomt2.AsString("MATERIA"), asignomt2.AsString("OFERTAMATRI")));
  };

  for (const Registro& registro : registros) {
    ++posicion;
    if (!pasos::SeLee(registro)) {
      pasos::AnotarOmitido(informe, "MATERIAS", posicion, registro);
      continue;
    }
    const std::string nombre = AllTrim(registro.Valor(2));
    const std::string materia = AllTrim(registro.Valor(1));
    const std::string oferta = AllTrim(registro.Valor(0));
    if (nombre.empty()) {
      // Nothing to build a code from, nor to match by name later.
      informe.Anotar("MATERIAS", posicion, pasos::Utf8(materia),
                     "se omite: la materia no tiene nombre");
      continue;
    }
    const Codigos codigos = CodigosDeNombre(nombre);
    const std::string nombreMayusculas = platform::UpperAscii(nombre);
    const std::string largoNombre = codigos.largo + nombre;

    if (estado.ListaNombre.contains(nombreMayusculas) &&
        estado.ListaCodLargo.contains(codigos.largo) &&
        estado.ListaCodLargoNombre.contains(largoNombre)) {
      // A name already coded: one more subject and course for its code.
      if (clavesAsignomt2.contains(ClaveBusqueda(materia, oferta))) {
        continue;
      }
      auto encontrado =
          codPorCodLargoNombre.find(ClaveBusqueda(Left(codigos.largo, 10), Left(nombre, 80)));
      if (encontrado != codPorCodLargoNombre.end()) {
        anadirAsignomt2(encontrado->second, codigos.largo, nombre, materia, oferta);
      }
      continue;
    }

    estado.ListaNombre.insert(nombreMayusculas);
    estado.ListaCodLargo.insert(codigos.largo);
    estado.ListaCodLargoNombre.insert(largoNombre);
    const std::string corto = listaCod.Asignar(codigos.corto);
    if (listaCod.Numerado()) {
      pasos::AnotarNumerado(informe, "MATERIAS", posicion, materia, "el código de materia",
                            codigos.corto, corto);
    }

    asignomt.Append();
    asignomt.SetString("COD", corto);
    asignomt.SetString("CODLARGO", codigos.largo);
    asignomt.SetString("NOMBRE", nombre);
    asignomt.SetBoolean("ESTAREA", false);
    asignomt.Post();
    codPorCodLargoNombre.try_emplace(
        ClaveBusqueda(asignomt.AsString("CODLARGO"), asignomt.AsString("NOMBRE")),
        asignomt.AsString("COD"));

    anadirAsignomt2(corto, codigos.largo, nombre, materia, oferta);
  }

  asignomt.Close();
  asignomt2.Close();
}

}  // namespace trasvelo::core
