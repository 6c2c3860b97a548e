// The export: the timetable that the host program solved (SOLUC), with the
// working tables of the import, back into an exchange document.
#include <langinfo.h>

#include <clocale>
#include <ctime>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "core/Clipper.h"
#include "core/Exportacion.h"
#include "core/MainForm.h"
#include "core/Mensajes.h"
#include "core/Recorrido.h"
#include "platform/Error.h"
#include "platform/Paths.h"
#include "platform/Table.h"
#include "platform/Text1252.h"

namespace trasvelo::core {
namespace {

using platform::Table;
using platform::XmlDocument;
using platform::XmlNode;

bool EnBlanco(const std::string& texto) {
  return AllTrim(texto).empty();
}

// The system's short date and long time; in the C locale (C.UTF-8 too),
// which has neither, day/month/four-digit year and 24-hour time.
std::string FechaServicio() {
  const std::time_t ahora = std::time(nullptr);
  std::tm local{};
  localtime_r(&ahora, &local);
  const char* nombre = std::setlocale(LC_TIME, nullptr);
  const std::string locale = nombre ? nombre : "C";
  std::string formato = "%d/%m/%Y %H:%M:%S";
  const bool sinFormato = locale == "C" || locale == "POSIX" || locale.rfind("C.", 0) == 0;
  if (!sinFormato) {
    formato = std::string(nl_langinfo(D_FMT)) + " " + nl_langinfo(T_FMT);
  }
  char texto[128];
  const size_t n = std::strftime(texto, sizeof texto, formato.c_str(), &local);
  return platform::Utf8To1252(std::string(texto, n));
}

XmlNode Grupo(XmlDocument& doc, const std::string& seq) {
  XmlNode grupo = doc.CreateElement("grupo_datos");
  grupo.SetAttribute("seq", seq);
  return grupo;
}

void AnadirDato(XmlDocument& doc, XmlNode& padre, const char* nombre, const std::string& valor) {
  XmlNode dato = doc.CreateElement("dato");
  dato.SetAttribute("nombre_dato", nombre);
  dato.SetText(valor);
  padre.AppendChild(dato);
}

// Minutes of a time text: one "0" in front of a text shorter than five
// characters, then hours from the first two characters and minutes from the
// last two. "08:30" and "8:30" give 510, an empty text 0.
int MinutosDeTexto(std::string texto) {
  if (texto.size() < 5)
    texto = "0" + texto;
  return platform::StrToInt(Left(texto, 2)) * 60 + platform::StrToInt(Right(texto, 2));
}

using Par = std::pair<std::string, std::string>;

struct Tramo {
  std::string dia, codigo, desde, hasta;
};

// The lookups of one export. Each walks its table once and keeps the first
// record of every key, so a lookup gives the record that a scan from the
// first record would find.
struct Busquedas {
  std::map<Par, Par> asignacion;                         // (CASIG, CGRUP) -> (CLAVE, CLAVECURSO)
  std::unordered_map<std::string, std::string> tareaDe;  // COD -> CODTAREA
  std::map<Par, Tramo> tramo;                            // (DIHO, MARCO) -> slot
  std::unordered_map<std::string, Par> unidad;           // ABREV -> (CLAVE, CLAVECURSO)
  std::map<Par, std::string> materia;                    // (COD, OFERTAMATRI) -> MATERIA

  explicit Busquedas(TablasVentana& t) {
    for (t.wwTableAsig.First(); !t.wwTableAsig.Eof(); t.wwTableAsig.Next()) {
      asignacion.emplace(
          Par{t.wwTableAsig.AsString("CASIG"), t.wwTableAsig.AsString("CGRUP")},
          Par{t.wwTableAsig.AsString("CLAVE"), t.wwTableAsig.AsString("CLAVECURSO")});
    }
    for (t.wwTableNomAsg.First(); !t.wwTableNomAsg.Eof(); t.wwTableNomAsg.Next()) {
      tareaDe.emplace(t.wwTableNomAsg.AsString("COD"), t.wwTableNomAsg.AsString("CODTAREA"));
    }
    Table& dh = t.wwTableTramos;
    for (dh.First(); !dh.Eof(); dh.Next()) {
      tramo.emplace(Par{dh.AsString("DIHO"), dh.AsString("MARCO")},
                    Tramo{dh.AsString("DIA"), dh.AsString("CODDIHO"), dh.AsString("HORADESDE"),
                          dh.AsString("HORAHASTA")});
    }
    for (t.wwTableGrupos.First(); !t.wwTableGrupos.Eof(); t.wwTableGrupos.Next()) {
      unidad.emplace(
          t.wwTableGrupos.AsString("ABREV"),
          Par{t.wwTableGrupos.AsString("CLAVE"), t.wwTableGrupos.AsString("CLAVECURSO")});
    }
    Table& n2 = t.wwTableNomAsg_2;
    for (n2.First(); !n2.Eof(); n2.Next()) {
      materia.emplace(Par{n2.AsString("COD"), n2.AsString("OFERTAMATRI")}, n2.AsString("MATERIA"));
    }
  }
};

// The text of SOLUC's DIA as the slot key's first part: a character field as
// stored, a numeric one as its decimal number.
std::string TextoDia(const Table& soluc) {
  for (const auto& campo : soluc.Fields()) {
    if (platform::EqualsIgnoreCase1252(campo.name, "DIA")) {
      return campo.type == 'C' ? soluc.AsString("DIA") : std::to_string(soluc.AsInteger("DIA"));
    }
  }
  return soluc.AsString("DIA");  // names the missing field in its error
}

std::string Utf8(std::string_view texto) {
  return platform::Cp1252ToUtf8(texto);
}

// Notes one entry of SOLUC in the run report.
void AnotarEntrada(Informe& informe, const Table& soluc, const std::string& motivo) {
  informe.Anotar("SOLUC", static_cast<int>(soluc.RecordNumber()), Utf8(soluc.AsString("PROF")),
                 "DIA " + Utf8(AllTrim(soluc.AsString("DIA"))) + ", HORA " +
                     Utf8(AllTrim(soluc.AsString("HORA"))) + ": " + motivo);
}

void AnadirActividad(XmlDocument& doc, XmlNode& actividad, const Table& soluc, const Busquedas& b,
                     const Par& periodo, Informe& informe) {
  const std::string asig = soluc.AsString("ASIG");
  const std::string grupo = soluc.AsString("CODGRUPO");
  const std::string tarea = soluc.AsString("TAREA");
  const std::string aula = soluc.AsString("AULA");

  std::string materia, curso;
  if (auto a = b.asignacion.find({asig, grupo}); a != b.asignacion.end()) {
    materia = a->second.first;
    curso = a->second.second;
  }
  std::string claveActividad = tarea;
  if (EnBlanco(tarea)) {
    if (auto t = b.tareaDe.find(asig); t != b.tareaDe.end())
      claveActividad = t->second;
  }
  Tramo tramo;
  const std::string clave = TextoDia(soluc) + std::to_string(soluc.AsInteger("HORA"));
  const std::string marco = Left(soluc.AsString("MARCO"), 1);
  if (auto t = b.tramo.find({clave, marco}); t != b.tramo.end()) {
    tramo = t->second;
  } else {
    AnotarEntrada(informe, soluc,
                  "ningún tramo de DIASHORAST tiene DIHO '" + Utf8(clave) + "' y MARCO '" +
                      Utf8(marco) +
                      "': N_DIASEMANA y X_TRAMO quedan vacíos, N_HORINI y N_HORFIN 0");
  }
  const std::string sala = EnBlanco(aula) ? std::string() : aula;
  std::string unidad;
  if (auto u = b.unidad.find(grupo); u != b.unidad.end()) {
    unidad = u->second.first;
    if (EnBlanco(curso))
      curso = u->second.second;
  }
  if (EnBlanco(materia)) {
    if (auto m = b.materia.find({asig, curso}); m != b.materia.end())
      materia = m->second;
  }
  // An activity (a task) has no subject nor, often, a group; a lesson
  // without them reaches the other side incomplete.
  const bool esActividad = !EnBlanco(claveActividad);
  if (EnBlanco(materia) && !esActividad) {
    AnotarEntrada(informe, soluc,
                  "sin asignación de materia: ni ASIGT (ASIG '" + Utf8(asig) + "', CODGRUPO '" +
                      Utf8(grupo) + "') ni ASIGNOMT2 dan su materia; X_MATERIAOMG queda vacío");
  }
  if (unidad.empty() && (!EnBlanco(grupo) || !esActividad)) {
    AnotarEntrada(informe, soluc,
                  EnBlanco(grupo) ? std::string("sin unidad: la entrada no tiene CODGRUPO; "
                                                "X_UNIDAD queda vacío")
                                  : "sin unidad: el grupo '" + Utf8(grupo) +
                                        "' no está en GRUPOST; X_UNIDAD queda vacío");
  }
  const int inicio = MinutosDeTexto(tramo.desde);
  const int fin = MinutosDeTexto(tramo.hasta);
  if (EnBlanco(claveActividad))
    claveActividad = "1";

  AnadirDato(doc, actividad, "N_DIASEMANA", tramo.dia);
  AnadirDato(doc, actividad, "X_TRAMO", tramo.codigo);
  AnadirDato(doc, actividad, "X_DEPENDENCIA", sala);
  AnadirDato(doc, actividad, "X_UNIDAD", unidad);
  AnadirDato(doc, actividad, "X_OFERTAMATRIG", curso);
  AnadirDato(doc, actividad, "X_MATERIAOMG", materia);
  AnadirDato(doc, actividad, "F_INICIO", periodo.first);
  AnadirDato(doc, actividad, "F_FIN", periodo.second);
  AnadirDato(doc, actividad, "N_HORINI", std::to_string(inicio));
  AnadirDato(doc, actividad, "N_HORFIN", std::to_string(fin));
  AnadirDato(doc, actividad, "X_ACTIVIDAD", claveActividad);
}

std::string FiltroProfesor(const std::string& abrev) {
  std::string texto = "PROF= '";
  for (char c : abrev) {
    texto += c;
    if (c == '\'')
      texto += '\'';
  }
  return texto + "'";
}

// Entries of an abbreviation that PROFT does not hold are no teacher's: the
// filter of every teacher passes them over. The filter compares as Locate
// does, which the texts read back (without trailing blanks) match exactly.
void AnotarEntradasSinProfesor(TablasVentana& t, Informe& informe) {
  std::unordered_set<std::string> abreviaturas;
  for (t.wwTableProfesor.First(); !t.wwTableProfesor.Eof(); t.wwTableProfesor.Next())
    abreviaturas.insert(t.wwTableProfesor.AsString("ABREV"));
  Table& soluc = t.wwTableSoluc;
  soluc.SetFiltered(false);
  for (soluc.First(); !soluc.Eof(); soluc.Next()) {
    if (!abreviaturas.contains(soluc.AsString("PROF")))
      AnotarEntrada(informe, soluc, "el profesor no está en PROFT: la entrada no se exporta");
  }
}

ResumenExportacion EscribirHorarios(EstadoPrograma& estado, XmlNode& bloque, const Par& periodo) {
  XmlDocument& doc = *estado.DocumentoXML;
  TablasVentana& t = estado.tablas;
  const Busquedas busquedas(t);
  Informe& informe = estado.informe;
  ResumenExportacion resumen;
  AnotarEntradasSinProfesor(t, informe);

  XmlNode horarios = Grupo(doc, "HORARIOS_REGULARES");
  bloque.AppendChild(horarios);
  horarios.SetAttribute("registros", static_cast<int64_t>(t.wwTableProfesor.RecordCount()));

  Table& soluc = t.wwTableSoluc;
  int n = 1;
  for (t.wwTableProfesor.First(); !t.wwTableProfesor.Eof(); t.wwTableProfesor.Next()) {
    const std::string empleado = t.wwTableProfesor.AsString("X_EMPLEADO");
    const std::string tomaPosesion = t.wwTableProfesor.AsString("F_TOMAPOS");
    const std::string abrev = t.wwTableProfesor.AsString("ABREV");
    XmlNode profesor = Grupo(doc, "HORARIO_REGULAR_PROFESOR_" + std::to_string(n++));

    soluc.SetFiltered(false);
    soluc.SetFilter(FiltroProfesor(abrev));
    soluc.SetFiltered(true);
    int64_t entradas = 0;
    for (soluc.First(); !soluc.Eof(); soluc.Next()) {
      if (soluc.AsInteger("DIA") != 0)
        ++entradas;
    }
    profesor.SetAttribute("registros", entradas);
    if (entradas == 0) {
      informe.Anotar("PROFT", n - 1, Utf8(abrev),
                     "el profesor no tiene entradas en SOLUC (con DIA distinto de 0): se exporta "
                     "sin actividades");
    }
    horarios.AppendChild(profesor);
    AnadirDato(doc, profesor, "X_EMPLEADO", empleado);
    AnadirDato(doc, profesor, "F_TOMAPOS", tomaPosesion);

    int m = 1;
    for (soluc.First(); !soluc.Eof(); soluc.Next()) {
      if (soluc.AsInteger("DIA") == 0) {
        AnotarEntrada(informe, soluc, "DIA 0: la entrada no se exporta");
        continue;  // neither counted nor written
      }
      XmlNode actividad = Grupo(doc, "ACTIVIDAD_" + std::to_string(m++));
      profesor.AppendChild(actividad);
      AnadirActividad(doc, actividad, soluc, busquedas, periodo, informe);
      ++resumen.actividades;
    }
    ++resumen.profesores;
  }
  soluc.SetFiltered(false);
  return resumen;
}

// The export; its document is saved when `guardar`.
std::optional<ResumenExportacion> Exportar(EstadoPrograma& estado, InterfazUsuario& ui,
                                           bool guardar) {
  estado.informe.Vaciar();
  if (!ElegirDocumento(estado, ui)) {
    return std::nullopt;
  }
  bool faltaPeriodos = false;
  ResumenExportacion resumen;
  const bool completado = EjecutarPasos(estado, ui, [&] {
    TablasVentana& t = estado.tablas;
    for (Table* tabla :
         {&t.wwTableSoluc, &t.wwTableGrupos, &t.wwTableCursos, &t.wwTableProfesor, &t.wwTableAulas,
          &t.wwTableNomAsg, &t.wwTableNomAsg_2, &t.wwTableTramos, &t.wwTableAsig}) {
      tabla->Open(platform::OpenMode::Exclusive);
    }

    estado.DocumentoXML = std::make_unique<XmlDocument>();
    XmlDocument& doc = *estado.DocumentoXML;
    doc.Load(estado.ArchivoXML);
    // Without an academic year the document is refused before anything is
    // written.
    XmlNode bloqueViejo = doc.SelectSingleNode("/SERVICIO/BLOQUE_DATOS");
    XmlNode primero = bloqueViejo ? bloqueViejo.FirstChild() : XmlNode();
    if (!primero) {
      throw platform::Error("El archivo " + estado.ArchivoXML.string() +
                                " no indica el año académico (falta /SERVICIO/BLOQUE_DATOS o su "
                                "primer dato) y no se ha escrito nada." +
                                (doc.DocumentElement() ? "" : " " + doc.LoadError()),
                            platform::ErrorPlace{estado.ArchivoXML.string(), {}, -1, {}});
    }
    const std::string anno = Left(primero.Text(), 4);

    const auto& dir = estado.directorios.trabajo;
    if (!platform::FindIgnoreCase(dir, "PERIODOS.DBF")) {
      faltaPeriodos = true;
      return;
    }
    Par periodo;
    {
      Table periodos(dir, "PERIODOS.DBF");
      periodos.Open(platform::OpenMode::Shared);
      periodos.First();
      if (!periodos.Eof()) {
        periodo = {periodos.AsString("FECINI"), periodos.AsString("FECFIN")};
      }
      periodos.Close();
    }

    XmlNode raiz = doc.DocumentElement();
    raiz.RemoveChild(raiz.SelectSingleNode("/SERVICIO/BLOQUE_DATOS"));
    doc.RemoveChild(doc.SelectSingleNode("/SERVICIO"));

    XmlNode servicio = doc.CreateElement("SERVICIO");
    servicio.SetAttribute("modulo", "HORARIOS");
    servicio.SetAttribute("tipo", "I");
    servicio.SetAttribute("autor", "HORARIOS");
    servicio.SetAttribute("fecha", FechaServicio());
    doc.AppendChild(servicio);
    XmlNode bloque = doc.CreateNode(1, "BLOQUE_DATOS", "");
    servicio.AppendChild(bloque);

    XmlNode annoGrupo = Grupo(doc, "ANNO_ACADEMICO");
    AnadirDato(doc, annoGrupo, "C_ANNO", anno);
    bloque.AppendChild(annoGrupo);

    resumen = EscribirHorarios(estado, bloque, periodo);

    t.CerrarTodas();
    if (!guardar) {
      return;
    }
    const auto salida = estado.ArchivoXML.parent_path() /
                        ("ResultadoVelmos" + estado.ArchivoXML.filename().string());
    doc.Save(salida);
  });
  if (faltaPeriodos) {
    ui.MostrarMensaje(mensajes::kFaltaPeriodos);
    return std::nullopt;
  }
  if (!completado) {
    return std::nullopt;
  }
  return resumen;
}

}  // namespace

void BImportarClick(EstadoPrograma& estado, InterfazUsuario& ui) {
  if (Exportar(estado, ui, /*guardar=*/true)) {
    Completar(estado, ui);
  }
}

std::optional<ResumenExportacion> ProbarExportacion(EstadoPrograma& estado, InterfazUsuario& ui) {
  return Exportar(estado, ui, /*guardar=*/false);
}

}  // namespace trasvelo::core
