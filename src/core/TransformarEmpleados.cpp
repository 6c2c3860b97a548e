#include <string>

#include "core/Clipper.h"
#include "core/ListaCodigos.h"
#include "core/PasosComunes.h"
#include "core/PasosImportacion.h"
#include "platform/Table.h"

// The teachers step: PROFT, one teacher per employee, known to the
// timetabler by the initials of the three parts of the name made unique.
namespace trasvelo::core {

namespace {

using platform::FieldDef;
using platform::FieldType;

// The first character of a value as read, before trimming: a leading blank
// counts, an empty value adds nothing.
std::string Inicial(const std::string& valor) {
  return valor.substr(0, 1);
}

}  // namespace

void TransformarEmpleados(EstadoPrograma& estado) {
  const auto& dir = estado.directorios.trabajo;
  platform::DropTable(dir, "PROFT");
  ListaCodigos listaAbrev(Comparacion::SinMayusculas, /*acortar=*/true);
  platform::CreateTable(
      dir, "PROFT.DBF",
      {FieldDef{"ABREV", FieldType::Text, 10}, FieldDef{"NOMBRE", FieldType::Text, 80},
       FieldDef{"DEPART", FieldType::Text, 40}, FieldDef{"EMAIL", FieldType::Text, 100},
       FieldDef{"DNI", FieldType::Integer, 0}, FieldDef{"X_EMPLEADO", FieldType::Text, 10},
       FieldDef{"F_TOMAPOS", FieldType::Text, 10}});

  const auto registros = pasos::Registros(estado, "EMPLEADOS");
  platform::Table proft(dir, "PROFT.DBF");
  proft.Open(platform::OpenMode::Shared);

  Informe& informe = estado.informe;
  int posicion = 0;
  for (const Registro& registro : registros) {
    ++posicion;
    if (!pasos::SeLee(registro)) {
      pasos::AnotarOmitido(informe, "EMPLEADOS", posicion, registro);
      continue;
    }
    const std::string clave = AllTrim(registro.Valor(0));
    const std::string fechaToma = AllTrim(registro.Valor(1));
    const std::string apellido1 = registro.Valor(3);
    const std::string apellido2 = registro.Valor(4);
    const std::string nombrePropio = registro.Valor(5);

    const std::string nombre =
        AllTrim(apellido1) + " " + AllTrim(apellido2) + ", " + AllTrim(nombrePropio);
    const std::string iniciales = Inicial(apellido1) + Inicial(apellido2) + Inicial(nombrePropio);
    const std::string abrev = listaAbrev.Asignar(iniciales);
    if (listaAbrev.Numerado()) {
      pasos::AnotarNumerado(informe, "EMPLEADOS", posicion, clave, "la abreviatura", iniciales,
                            abrev);
    }
    pasos::AnotarSiSeCorta(informe, proft, "EMPLEADOS", posicion, clave, "NOMBRE", nombre);
    pasos::AnotarSiSeCorta(informe, proft, "EMPLEADOS", posicion, clave, "X_EMPLEADO", clave);
    pasos::AnotarSiSeCorta(informe, proft, "EMPLEADOS", posicion, clave, "F_TOMAPOS", fechaToma);

    proft.Append();
    proft.SetString("ABREV", abrev);
    proft.SetString("NOMBRE", nombre);
    proft.SetString("DEPART", "");
    proft.SetString("X_EMPLEADO", clave);
    proft.SetString("F_TOMAPOS", fechaToma);
    proft.Post();
  }
  proft.Close();
}

}  // namespace trasvelo::core
