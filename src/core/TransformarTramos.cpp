// School days and time slots: DIASHORAST, DIASHORAST2 and PERIODOS from the
// time frames (JORNADAS_ESCOLARES) and time slots (TRAMOS_HORARIOS).
#include <functional>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "core/Clipper.h"
#include "core/DocumentoIntercambio.h"
#include "core/PasosComunes.h"
#include "core/PasosImportacion.h"
#include "platform/Paths.h"
#include "platform/Table.h"
#include "platform/Text1252.h"

namespace trasvelo::core {
namespace {

using platform::FieldDef;
using platform::FieldType;

std::vector<FieldDef> CamposDiasHoras() {
  return {
      {"DIHO", FieldType::Text, 10},     {"CODDIHO", FieldType::Text, 10},
      {"DIA", FieldType::Text, 20},      {"TEXTODIA", FieldType::Text, 20},
      {"HORA", FieldType::Text, 8},      {"TEXTOHOR", FieldType::Text, 15},
      {"HORADESDE", FieldType::Text, 8}, {"HORAHASTA", FieldType::Text, 8},
      {"MINUTOS", FieldType::Text, 8},   {"MARCO", FieldType::Text, 1},
      {"MARCOXML", FieldType::Text, 10},
  };
}

std::vector<FieldDef> CamposPeriodos() {
  return {
      {"CJORNADA", FieldType::Text, 10},
      {"JORNADA", FieldType::Text, 40},
      {"FECINI", FieldType::Text, 10},
      {"FECFIN", FieldType::Text, 10},
  };
}

// "hh:mm" for minutes since midnight; each part gets one leading zero when
// it has a single digit.
std::string TextoHora(int minutos) {
  auto dos = [](int n) {
    std::string s = std::to_string(n);
    return s.size() == 1 ? "0" + s : s;
  };
  return dos(minutos / 60) + ":" + dos(minutos % 60);
}

// A start or end text of fewer than four characters gets one "0" in front,
// so a blank time counts as 0 minutes.
int Minutos(std::string texto) {
  if (texto.size() < 4)
    texto = "0" + texto;
  return platform::StrToInt(texto);
}

// Minutes of a stored "hh:mm": hours from characters 1-2, minutes from 4-5.
int MinutosDeHora(const std::string& hora) {
  return platform::StrToInt(hora.substr(0, 2)) * 60 +
         platform::StrToInt(hora.size() > 3 ? hora.substr(3, 2) : std::string());
}

std::string ElegirTexto(EstadoPrograma& estado, InterfazUsuario& ui,
                        const std::vector<Registro>& marcos) {
  if (marcos.size() < 2) {
    return marcos.empty() ? std::string() : AllTrim(marcos.front().Valor(0));
  }
  // The import cannot be cancelled here: a new chooser until a valid choice.
  for (;;) {
    EleccionMarcos eleccion = ui.ElegirMarcos(estado.ArchivoXML);
    if (eleccion.SeleccionValida)
      return eleccion.MarcosSeleccionados;
  }
}

void BorrarSiExiste(const std::filesystem::path& dir, std::string_view nombre) {
  if (auto f = platform::FindIgnoreCase(dir, nombre)) {
    std::error_code ec;
    std::filesystem::remove(*f, ec);  // a failed delete is ignored
  }
}

// Notes every time frame whose slots are left out: a frame not chosen, with
// its slot count, and a chosen one whose code is longer than ten characters
// (its slots are taken on the first ten, but PERIODOS compares the whole
// code and gets no row for it).
void AnotarMarcosNoElegidos(Informe& informe, const std::vector<Registro>& marcos,
                            const std::vector<Registro>& tramos,
                            const std::function<bool(const std::string&)>& elegido) {
  int posicion = 0;
  for (const Registro& marco : marcos) {
    ++posicion;
    const std::string codigo = AllTrim(marco.Valor(0));
    const std::string corto = Left(codigo, 10);
    if (elegido(corto)) {
      if (codigo != corto) {
        informe.Anotar("JORNADAS_ESCOLARES", posicion, pasos::Utf8(codigo),
                       "el código del marco elegido tiene más de 10 caracteres: sus tramos pasan "
                       "a DIASHORAST, pero el marco no pasa a PERIODOS");
      }
      continue;
    }
    int n = 0;
    for (const Registro& tramo : tramos) {
      if (Left(AllTrim(tramo.Valor(4)), 10) == corto)
        ++n;
    }
    informe.Anotar("JORNADAS_ESCOLARES", posicion, pasos::Utf8(codigo),
                   "marco horario no elegido: sus " + std::to_string(n) +
                       " tramo(s) no pasan a DIASHORAST ni el marco a PERIODOS");
  }
}

}  // namespace

void TransformarTramos(EstadoPrograma& estado, InterfazUsuario& ui) {
  const auto& dir = estado.directorios.trabajo;
  const platform::XmlDocument& documento = *estado.DocumentoXML;

  platform::DropTable(dir, "DIASHORAST");
  platform::DropTable(dir, "DIASHORAST2");
  BorrarSiExiste(dir, "JORNADAS.DBF");

  platform::CreateTable(dir, "DIASHORAST.DBF", CamposDiasHoras());
  platform::Table diasHoras(dir, "DIASHORAST.DBF");
  diasHoras.Open(platform::OpenMode::Shared);

  auto campos2 = CamposDiasHoras();
  campos2.push_back({"ORDEN", FieldType::Integer, 0});
  platform::CreateTable(dir, "DIASHORAST2.DBF", campos2, {{"ORDEN", "ORDEN"}});
  platform::CreateTable(dir, "PERIODOS.DBF", CamposPeriodos());

  const std::string eleccion =
      ElegirTexto(estado, ui, RegistrosDeGrupo(documento, "JORNADAS_ESCOLARES"));
  std::string codigo1;
  std::optional<std::string> codigo2;
  if (eleccion.size() == 20) {
    codigo1 = AllTrim(eleccion.substr(0, 10));
    codigo2 = AllTrim(eleccion.substr(10, 10));
  } else {
    codigo1 = AllTrim(Left(eleccion, 10));
  }
  auto esCodigo2 = [&](const std::string& f) { return codigo2 && f == *codigo2; };

  const std::vector<Registro> tramos = RegistrosDeGrupo(documento, "TRAMOS_HORARIOS");
  Informe& informe = estado.informe;
  AnotarMarcosNoElegidos(informe, RegistrosDeGrupo(documento, "JORNADAS_ESCOLARES"), tramos,
                         [&](const std::string& f) { return f == codigo1 || esCodigo2(f); });
  for (int dia = 1; dia <= 7; ++dia) {
    int n1 = 0;
    int n2 = 0;
    int posicion = 0;
    for (const Registro& tramo : tramos) {
      ++posicion;
      const std::string marco = Left(AllTrim(tramo.Valor(4)), 10);
      if (marco != codigo1 && !esCodigo2(marco))
        continue;
      const std::string codigo = AllTrim(tramo.Valor(0));
      const std::string texto = AllTrim(tramo.Valor(1));
      const int desde = Minutos(AllTrim(tramo.Valor(2)));
      const int hasta = Minutos(AllTrim(tramo.Valor(3)));
      const int orden = marco == codigo1 ? ++n1 : ++n2;

      diasHoras.Append();
      diasHoras.SetString("DIHO", std::to_string(dia) + std::to_string(orden));
      diasHoras.SetString("HORA", std::to_string(orden));
      diasHoras.SetString("DIA", std::to_string(dia));
      diasHoras.SetString("TEXTOHOR", texto);
      diasHoras.SetString("CODDIHO", codigo);
      diasHoras.SetString("HORADESDE", TextoHora(desde));
      diasHoras.SetString("HORAHASTA", TextoHora(hasta));
      diasHoras.SetString("MINUTOS", std::to_string(hasta - desde));
      diasHoras.SetString("MARCOXML", marco);
      diasHoras.Post();
      if (dia == 1) {  // the same values on every day: noted once
        pasos::AnotarSiSeCorta(informe, diasHoras, "TRAMOS_HORARIOS", posicion, codigo, "CODDIHO",
                               codigo);
        pasos::AnotarSiSeCorta(informe, diasHoras, "TRAMOS_HORARIOS", posicion, codigo, "TEXTOHOR",
                               texto);
      }
    }
  }

  // The frame whose first slot on day 1 starts earlier is number 0; on a tie
  // the one listed first.
  int inicio1 = 0;
  int inicio2 = 1440;
  if (diasHoras.Locate("DIHO;MARCOXML", {"11", codigo1})) {
    inicio1 = MinutosDeHora(diasHoras.AsString("HORADESDE"));
  }
  if (codigo2 && diasHoras.Locate("DIHO;MARCOXML", {"11", *codigo2})) {
    inicio2 = MinutosDeHora(diasHoras.AsString("HORADESDE"));
  }
  const int numero1 = inicio1 <= inicio2 ? 0 : 1;
  const int numero2 = 1 - numero1;
  for (diasHoras.First(); !diasHoras.Eof(); diasHoras.Next()) {
    const std::string marco = diasHoras.AsString("MARCOXML");
    if (marco == codigo1 || esCodigo2(marco)) {
      diasHoras.Edit();
      diasHoras.SetString("MARCO", std::to_string(marco == codigo1 ? numero1 : numero2));
      diasHoras.Post();
    }
  }
  diasHoras.Close();

  platform::Table periodos(dir, "PERIODOS.DBF");
  periodos.Open(platform::OpenMode::Shared);
  int posicion = 0;
  for (const Registro& marco : RegistrosDeGrupo(documento, "JORNADAS_ESCOLARES")) {
    ++posicion;
    const std::string codigo = AllTrim(marco.Valor(0));
    if (codigo != codigo1 && !esCodigo2(codigo))
      continue;
    periodos.Append();
    periodos.SetString("CJORNADA", codigo);
    periodos.SetString("JORNADA", AllTrim(marco.Valor(1)));
    periodos.SetString("FECINI", AllTrim(marco.Valor(2)));
    periodos.SetString("FECFIN", AllTrim(marco.Valor(3)));
    periodos.Post();
    for (const auto& [campo, k] : {std::pair{"JORNADA", 1}, {"FECINI", 2}, {"FECFIN", 3}}) {
      pasos::AnotarSiSeCorta(informe, periodos, "JORNADAS_ESCOLARES", posicion, codigo, campo,
                             AllTrim(marco.Valor(k)));
    }
  }
  periodos.Close();
}

}  // namespace trasvelo::core
