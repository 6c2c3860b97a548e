// Builds the level table NIVELLARI.dbf from its text source, a UTF-8 CSV file
// with the header X_OFERTAMATRIG,NIVEL_ABREV,ESTUDIO: one course key (a whole
// number), the level's short name (at most 5 characters) and the name of the
// study (at most 80) per line. Fields may be quoted ("..."), with inner
// quotes doubled.
//
//   crear_niveles niveles.csv /path/to/bin/NIVELLARI.dbf

#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Error.h"
#include "platform/Table.h"
#include "platform/Text1252.h"

namespace {

namespace fs = std::filesystem;
using trasvelo::platform::FieldDef;
using trasvelo::platform::FieldType;

struct Fila {
  int linea = 0;
  std::vector<std::string> campos;
};

std::runtime_error ErrorEn(const fs::path& archivo, int linea, const std::string& texto) {
  return std::runtime_error(archivo.string() + ":" + std::to_string(linea) + ": " + texto);
}

// Splits the file into rows of fields. A quoted field may hold commas,
// doubled quotes and line breaks.
std::vector<Fila> LeerCsv(const fs::path& archivo) {
  std::ifstream entrada(archivo, std::ios::binary);
  if (!entrada) {
    throw std::runtime_error("cannot read " + archivo.string());
  }
  std::ostringstream buffer;
  buffer << entrada.rdbuf();
  std::string texto = buffer.str();
  if (texto.starts_with("\xEF\xBB\xBF")) {
    texto.erase(0, 3);
  }

  std::vector<Fila> filas;
  Fila fila{1, {}};
  std::string campo;
  bool entreComillas = false;
  bool filaVacia = true;
  int linea = 1;
  for (size_t i = 0; i < texto.size(); ++i) {
    const char c = texto[i];
    if (entreComillas) {
      if (c == '"') {
        if (i + 1 < texto.size() && texto[i + 1] == '"') {
          campo += '"';
          ++i;
        } else {
          entreComillas = false;
        }
      } else {
        if (c == '\n') {
          ++linea;
        }
        campo += c;
      }
      continue;
    }
    if (c == '"') {
      entreComillas = true;
      filaVacia = false;
    } else if (c == ',') {
      fila.campos.push_back(std::move(campo));
      campo.clear();
      filaVacia = false;
    } else if (c == '\n' || c == '\r') {
      if (c == '\r' && i + 1 < texto.size() && texto[i + 1] == '\n') {
        ++i;
      }
      if (!filaVacia || !campo.empty()) {
        fila.campos.push_back(std::move(campo));
        filas.push_back(std::move(fila));
      }
      campo.clear();
      ++linea;
      fila = Fila{linea, {}};
      filaVacia = true;
    } else {
      campo += c;
      filaVacia = false;
    }
  }
  if (entreComillas) {
    throw ErrorEn(archivo, fila.linea, "unterminated quoted field");
  }
  if (!filaVacia || !campo.empty()) {
    fila.campos.push_back(std::move(campo));
    filas.push_back(std::move(fila));
  }
  return filas;
}

void Crear(const fs::path& csv, const fs::path& dbf) {
  const std::vector<Fila> filas = LeerCsv(csv);
  const std::vector<std::string> cabecera = {"X_OFERTAMATRIG", "NIVEL_ABREV", "ESTUDIO"};
  if (filas.empty() || filas.front().campos != cabecera) {
    throw ErrorEn(csv, 1, "the first line must be X_OFERTAMATRIG,NIVEL_ABREV,ESTUDIO");
  }

  struct Nivel {
    int32_t clave;
    std::string abrev;
    std::string estudio;
  };
  std::vector<Nivel> niveles;
  for (size_t i = 1; i < filas.size(); ++i) {
    const Fila& fila = filas[i];
    if (fila.campos.size() != 3) {
      throw ErrorEn(csv, fila.linea,
                    "expected 3 fields, found " + std::to_string(fila.campos.size()));
    }
    Nivel nivel;
    try {
      nivel.clave = trasvelo::platform::StrToInt(fila.campos[0]);
    } catch (const trasvelo::platform::ConversionError& e) {
      throw ErrorEn(csv, fila.linea, e.what());
    }
    nivel.abrev = trasvelo::platform::Utf8To1252(fila.campos[1]);
    nivel.estudio = trasvelo::platform::Utf8To1252(fila.campos[2]);
    if (nivel.abrev.size() > 5) {
      throw ErrorEn(csv, fila.linea, "NIVEL_ABREV longer than 5 characters: " + fila.campos[1]);
    }
    if (nivel.estudio.size() > 80) {
      throw ErrorEn(csv, fila.linea, "ESTUDIO longer than 80 characters");
    }
    niveles.push_back(std::move(nivel));
  }

  const fs::path dir = dbf.has_parent_path() ? dbf.parent_path() : fs::path(".");
  fs::create_directories(dir);
  const std::string nombre = dbf.filename().string();
  trasvelo::platform::CreateTable(
      dir, nombre,
      {FieldDef{"X_OFERTAMATRIG", FieldType::Integer, 0},
       FieldDef{"NIVEL_ABREV", FieldType::Text, 5}, FieldDef{"ESTUDIO", FieldType::Text, 80}});
  trasvelo::platform::Table tabla(dir, nombre);
  tabla.Open(trasvelo::platform::OpenMode::Exclusive);
  for (const Nivel& nivel : niveles) {
    tabla.Append();
    tabla.SetInteger("X_OFERTAMATRIG", nivel.clave);
    tabla.SetString("NIVEL_ABREV", nivel.abrev);
    tabla.SetString("ESTUDIO", nivel.estudio);
    tabla.Post();
  }
  tabla.Close();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s niveles.csv NIVELLARI.dbf\n", argv[0]);
    return 2;
  }
  const fs::path dbf = argv[2];
  try {
    Crear(argv[1], dbf);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "crear_niveles: %s\n", e.what());
    std::error_code ec;
    fs::remove(dbf, ec);  // no half-written table for the build to take as done
    return 1;
  }
  return 0;
}
