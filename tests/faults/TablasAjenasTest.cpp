// The host's solved timetable and the level table as other dBase programs
// write them, and damaged: read right, or refused with a message naming the
// file.
#include <gmock/gmock.h>

#include <functional>
#include <string>
#include <vector>

#include "Fallos.h"
#include "TableTestSupport.h"
#include "platform/Table.h"
#include "platform/Text1252.h"
#include "support/TableDump.h"

namespace trasvelo::test {
namespace {

using platform::OpenMode;
using platform::Table;

std::string Izquierda(const std::string& texto, int ancho) {
  return (texto + std::string(static_cast<size_t>(ancho), ' ')).substr(0, ancho);
}
std::string Derecha(const std::string& texto, int ancho) {
  return texto.size() >= static_cast<size_t>(ancho)
             ? texto.substr(0, ancho)
             : std::string(ancho - texto.size(), ' ') + texto;
}
// A level-7 integer: big-endian with the sign bit flipped.
std::string Entero7(int64_t valor) {
  return Be(static_cast<uint32_t>(static_cast<int32_t>(valor)) ^ 0x80000000u, 4);
}

// The ways other programs write a table, applied to one table's rows.
struct Escritor {
  const char* nombre;
  std::function<void(RawTable&)> cabecera;
  // How an integer field of the host's is stored: type, width, bytes.
  char tipoEntero;
  int anchoEntero;
  std::function<std::string(int64_t)> entero;
  bool borrados;  // deleted records between the live ones
};

// `nombresLargos`: the table has field names of more than ten characters,
// which only level 7 holds.
std::vector<Escritor> Escritores(bool nombresLargos = false) {
  const auto numero = [](int ancho) {
    return [ancho](int64_t v) { return Derecha(std::to_string(v), ancho); };
  };
  const auto nivel = [](bool siete, bool finDeArchivo) {
    return [siete, finDeArchivo](RawTable& r) {
      r.version = siete ? 0x04 : 0x03;
      r.level7 = siete;
      r.endMark = finDeArchivo;
    };
  };
  if (nombresLargos) {
    return {
        {"level 7", nivel(true, true), 'I', 4, Entero7, false},
        {"level 7, numbers as digits", nivel(true, true), 'N', 10, numero(10), false},
        {"level 7, deleted records", nivel(true, true), 'I', 4, Entero7, true},
        {"level 7, no end-of-file mark", nivel(true, false), 'I', 4, Entero7, false},
    };
  }
  return {
      {"dBase III", nivel(false, true), 'N', 10, numero(10), false},
      {"FoxPro",
       [](RawTable& r) {
         r.version = 0x30;
         r.tail = std::string(263, '\0');  // the backlink area
       },
       'N', 4, numero(4), false},
      {"numbers as text", nivel(false, true), 'C', 6,
       [](int64_t v) { return Izquierda(std::to_string(v), 6); }, false},
      {"level 7", nivel(true, true), 'I', 4, Entero7, false},
      {"deleted records", nivel(false, true), 'N', 5, numero(5), true},
      {"no end-of-file mark", nivel(false, false), 'N', 3, numero(3), false},
  };
}

// A table's rows as a foreign program would write them: the integer fields
// in `enteros` in that writer's way, the text fields as they are.
std::string Reescribir(const fs::path& dir, const std::string& tabla,
                       const std::vector<std::string>& enteros, const Escritor& escritor) {
  Table t(dir, tabla);
  t.Open(OpenMode::Shared);
  RawTable raw;
  escritor.cabecera(raw);
  const auto esEntero = [&](const std::string& campo) {
    return std::find(enteros.begin(), enteros.end(), campo) != enteros.end();
  };
  for (const auto& campo : t.Fields()) {
    if (esEntero(campo.name)) {
      raw.fields.push_back({campo.name, escritor.tipoEntero, escritor.anchoEntero});
    } else {
      raw.fields.push_back({campo.name, 'C', campo.width});
    }
  }
  for (t.First(); !t.Eof(); t.Next()) {
    std::string registro = " ";
    for (const auto& campo : t.Fields()) {
      registro += esEntero(campo.name) ? escritor.entero(t.AsInteger(campo.name))
                                       : Izquierda(t.AsString(campo.name), campo.width);
    }
    if (escritor.borrados) {
      // A deleted copy with other values before each live record.
      std::string borrado = registro;
      borrado[0] = '*';
      for (size_t i = 1; i < borrado.size(); ++i) {
        borrado[i] = borrado[i] == ' ' ? 'X' : borrado[i];
      }
      raw.records.push_back(borrado);
    }
    raw.records.push_back(registro);
  }
  return raw.Bytes();
}

void Sustituir(const fs::path& dir, const std::string& archivo, const std::string& bytes) {
  for (const auto& e : fs::directory_iterator(dir)) {
    const std::string nombre = platform::UpperAscii(e.path().stem().string());
    if (nombre == platform::UpperAscii(fs::path(archivo).stem().string())) {
      fs::remove(e.path());
    }
  }
  WriteFile(dir / archivo, bytes);
}

TEST_F(FallosTest, ATimetableFromOtherDbaseWritersExportsTheSame) {
  Preparar();
  Exportar();
  ASSERT_TRUE(Completada());
  const std::string referencia = SinFecha(ReadFile(Salida(muestra)));
  const std::string propia = ReadFile(trabajo / "SOLUC.DBF");
  for (const Escritor& escritor : Escritores()) {
    SCOPED_TRACE(escritor.nombre);
    Sustituir(trabajo.path(), "SOLUC.DBF", propia);
    const std::string ajena = Reescribir(trabajo.path(), "SOLUC.DBF", {"DIA", "HORA"}, escritor);
    Sustituir(trabajo.path(), "SOLUC.DBF", ajena);
    fs::remove(Salida(muestra));
    Exportar();
    ASSERT_TRUE(Completada()) << ::testing::PrintToString(ui.llamadas);
    EXPECT_TRUE(SinFecha(ReadFile(Salida(muestra))) == referencia);
  }
}

TEST_F(FallosTest, ADamagedTimetableStopsTheExportNamingIt) {
  Preparar();
  const std::string buena =
      Reescribir(trabajo.path(), "SOLUC.DBF", {"DIA", "HORA"}, Escritores().front());
  for (const TablaDanada& dano : Danar(buena)) {
    SCOPED_TRACE(dano.que);
    Sustituir(trabajo.path(), "SOLUC.DBF", dano.bytes);
    WriteFile(Salida(muestra), "<viejo/>");
    estado->resultado = 0;
    Exportar();
    ComprobarFallo((trabajo / "SOLUC.DBF").string());
    EXPECT_TRUE(ReadFile(Salida(muestra)) == "<viejo/>");
  }
}

TEST_F(FallosTest, ALevelTableFromOtherDbaseWritersImportsTheSame) {
  Importar();
  ASSERT_TRUE(Completada());
  const std::string cursos = VolcarTabla(trabajo.path(), "CURSOST.DBF");
  const std::string grupos = VolcarTabla(trabajo.path(), "GRUPOST.DBF");
  const std::string propia = ReadFile(programa / "NIVELLARI.dbf");
  for (const Escritor& escritor : Escritores(true)) {
    SCOPED_TRACE(escritor.nombre);
    Sustituir(programa.path(), "NIVELLARI.dbf", propia);
    const std::string ajena =
        Reescribir(programa.path(), "NIVELLARI.dbf", {"X_OFERTAMATRIG"}, escritor);
    Sustituir(programa.path(), "NIVELLARI.dbf", ajena);
    Importar();
    ASSERT_TRUE(Completada()) << ::testing::PrintToString(ui.llamadas);
    EXPECT_EQ(VolcarTabla(trabajo.path(), "CURSOST.DBF"), cursos);
    EXPECT_EQ(VolcarTabla(trabajo.path(), "GRUPOST.DBF"), grupos);
  }
}

TEST_F(FallosTest, ADamagedLevelTableStopsTheImportNamingIt) {
  const std::string buena =
      Reescribir(programa.path(), "NIVELLARI.dbf", {"X_OFERTAMATRIG"}, Escritores(true).front());
  for (const TablaDanada& dano : Danar(buena)) {
    SCOPED_TRACE(dano.que);
    Sustituir(programa.path(), "NIVELLARI.dbf", dano.bytes);
    estado->resultado = 0;
    Importar();
    ComprobarFallo((programa / "NIVELLARI.dbf").string());
  }
}

}  // namespace
}  // namespace trasvelo::test
