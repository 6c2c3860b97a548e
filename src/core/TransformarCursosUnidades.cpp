#include <string>
#include <unordered_map>

#include "core/Clipper.h"
#include "core/ListaCodigos.h"
#include "core/PasosComunes.h"
#include "core/PasosImportacion.h"
#include "platform/Table.h"
#include "platform/Text1252.h"

// The courses and groups step: CURSOST, each course with its level and study
// from the level table; GRUPOST, each teaching unit with a group code of at
// most ten characters and the level, course and study of its course.
namespace trasvelo::core {

namespace {

using platform::FieldDef;
using platform::FieldType;

struct Curso {
  std::string nivel;
  std::string curso;
  std::string estudio;
};

// The blank-free characters of the name, at most ten; a full ten ends with
// the name's last character, the group letter.
std::string CodigoGrupo(const std::string& nombre) {
  std::string codigo;
  for (char c : nombre) {
    if (codigo.size() == 10) {
      break;
    }
    if (c != ' ') {
      codigo += c;
    }
  }
  if (codigo.size() == 10) {
    codigo.back() = nombre.back();
  }
  return codigo;
}

}  // namespace

void TransformarCursosUnidades(EstadoPrograma& estado) {
  const auto& dir = estado.directorios.trabajo;
  platform::DropTable(dir, "GRUPOST");
  platform::DropTable(dir, "CURSOST");
  ListaCodigos listaGrupos(Comparacion::SinMayusculas, /*acortar=*/true);
  platform::CreateTable(
      dir, "CURSOST.DBF",
      {FieldDef{"ABREV", FieldType::Text, 3}, FieldDef{"TURNO", FieldType::Text, 1},
       FieldDef{"NIVEL", FieldType::Text, 5}, FieldDef{"CURSO", FieldType::Text, 3},
       FieldDef{"CLAVE", FieldType::Text, 10}, FieldDef{"ESTUD", FieldType::Text, 80}});
  platform::CreateTable(
      dir, "GRUPOST.DBF",
      {FieldDef{"ABREV", FieldType::Text, 10}, FieldDef{"TURNO", FieldType::Text, 1},
       FieldDef{"NIVEL", FieldType::Text, 5}, FieldDef{"CURSO", FieldType::Text, 3},
       FieldDef{"GRUPO", FieldType::Text, 2}, FieldDef{"MARCO", FieldType::Text, 1},
       FieldDef{"CLAVE", FieldType::Text, 10}, FieldDef{"CLAVECURSO", FieldType::Text, 10},
       FieldDef{"DESCRIP", FieldType::Text, 80}});

  const auto cursos = pasos::Registros(estado, "CURSOS_DEL_CENTRO");
  platform::Table cursost(dir, "CURSOST.DBF");
  cursost.Open(platform::OpenMode::Shared);
  platform::Table& niveles = estado.tablas.wwTableNIVELEX;
  Informe& informe = estado.informe;

  // The first course of each key as CURSOST reads it back: what a walk of
  // CURSOST from its first record finds for a unit's course key.
  std::unordered_map<std::string, Curso> cursoPorClave;
  {
    pasos::CerrarAlSalir cerrarNiveles(niveles);
    niveles.Open(platform::OpenMode::Shared);
    int posicion = 0;
    for (const Registro& registro : cursos) {
      ++posicion;
      if (!pasos::SeLee(registro)) {
        pasos::AnotarOmitido(informe, "CURSOS_DEL_CENTRO", posicion, registro);
        continue;
      }
      const std::string clave = AllTrim(registro.Valor(0));
      const int32_t numero = platform::StrToInt(clave);
      std::string nivel = "Niv";
      std::string estudio;
      if (niveles.Locate("X_OFERTAMATRIG", {std::to_string(numero)})) {
        nivel = niveles.AsString("NIVEL_ABREV");
        estudio = niveles.AsString("ESTUDIO");
        if (nivel.empty()) {
          informe.Anotar("CURSOS_DEL_CENTRO", posicion, pasos::Utf8(clave),
                         "la tabla de niveles NIVELLARI no da nivel para el curso: NIVEL queda "
                         "'Niv'");
        }
      } else {
        informe.Anotar("CURSOS_DEL_CENTRO", posicion, pasos::Utf8(clave),
                       "el curso no está en la tabla de niveles NIVELLARI: NIVEL queda 'Niv' y "
                       "ESTUD en blanco");
      }
      const std::string curso = Left(AllTrim(registro.Valor(1)), 1);
      if (nivel.empty()) {
        nivel = "Niv";
      }
      pasos::AnotarSiSeCorta(informe, cursost, "CURSOS_DEL_CENTRO", posicion, clave, "CLAVE",
                             clave);
      pasos::AnotarSiSeCorta(informe, cursost, "CURSOS_DEL_CENTRO", posicion, clave, "NIVEL",
                             nivel);
      pasos::AnotarSiSeCorta(informe, cursost, "CURSOS_DEL_CENTRO", posicion, clave, "ESTUD",
                             estudio);
      cursost.Append();
      cursost.SetString("CLAVE", clave);
      cursost.SetString("NIVEL", nivel);
      cursost.SetString("CURSO", curso);
      cursost.SetString("ESTUD", estudio);
      cursost.Post();
      cursoPorClave.try_emplace(
          cursost.AsString("CLAVE"),
          Curso{cursost.AsString("NIVEL"), cursost.AsString("CURSO"), cursost.AsString("ESTUD")});
    }
  }

  const auto unidades = pasos::Registros(estado, "UNIDADES");
  platform::Table grupost(dir, "GRUPOST.DBF");
  grupost.Open(platform::OpenMode::Shared);
  int posicion = 0;
  for (const Registro& registro : unidades) {
    ++posicion;
    if (!pasos::SeLee(registro)) {
      pasos::AnotarOmitido(informe, "UNIDADES", posicion, registro);
      continue;
    }
    const std::string claveUnidad = AllTrim(registro.Valor(0));
    const std::string nombre = AllTrim(registro.Valor(1));
    const std::string claveCurso = AllTrim(registro.Valor(2));
    Curso curso;
    if (auto it = cursoPorClave.find(claveCurso); it != cursoPorClave.end()) {
      curso = it->second;
    } else {
      informe.Anotar("UNIDADES", posicion, pasos::Utf8(claveUnidad),
                     "el curso '" + pasos::Utf8(claveCurso) +
                         "' de la unidad no está en CURSOS_DEL_CENTRO: NIVEL, CURSO y estudio "
                         "quedan en blanco");
    }
    const std::string letra = Right(nombre, 1);
    const std::string base = CodigoGrupo(nombre);
    const std::string codigo = listaGrupos.Asignar(base);
    if (listaGrupos.Numerado()) {
      pasos::AnotarNumerado(informe, "UNIDADES", posicion, claveUnidad, "el código de grupo", base,
                            codigo);
    }
    const std::string descripcion = curso.estudio.empty()
                                        ? " " + curso.nivel + " " + curso.curso + " " + letra
                                        : "(" + nombre + ") " + curso.estudio;
    pasos::AnotarSiSeCorta(informe, grupost, "UNIDADES", posicion, claveUnidad, "CLAVE",
                           claveUnidad);
    pasos::AnotarSiSeCorta(informe, grupost, "UNIDADES", posicion, claveUnidad, "CLAVECURSO",
                           claveCurso);
    pasos::AnotarSiSeCorta(informe, grupost, "UNIDADES", posicion, claveUnidad, "DESCRIP",
                           descripcion);

    grupost.Append();
    grupost.SetString("ABREV", codigo);
    grupost.SetString("TURNO", "");
    grupost.SetString("NIVEL", curso.nivel);
    grupost.SetString("CURSO", curso.curso);
    grupost.SetString("GRUPO", letra);
    grupost.SetString("MARCO", "0");
    grupost.SetString("CLAVE", claveUnidad);
    grupost.SetString("CLAVECURSO", claveCurso);
    grupost.SetString("DESCRIP", descripcion);
    grupost.Post();
  }
  grupost.Close();
  cursost.Close();
}

}  // namespace trasvelo::core
