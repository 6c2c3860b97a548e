// resumen: what a demo run wrote — each working table with its record count,
// and the exported document with its teacher and activity counts. No part of
// the program.
//
//   resumen DIRECTORIO_DE_TRABAJO DOCUMENTO_EXPORTADO
#include <cstdio>
#include <exception>

#include "platform/Paths.h"
#include "platform/Table.h"
#include "platform/XmlDom.h"

int main(int argc, char** argv) {
  using namespace trasvelo::platform;
  if (argc != 3) {
    std::fprintf(stderr, "uso: resumen DIRECTORIO_DE_TRABAJO DOCUMENTO_EXPORTADO\n");
    return 2;
  }
  try {
    std::printf("Tablas de trabajo en %s:\n", argv[1]);
    for (const char* nombre : {"ASIGNOMT", "ASIGNOMT2", "PROFT", "AULAT", "CURSOST", "GRUPOST",
                               "ASIGT", "DIASHORAST", "DIASHORAST2", "PERIODOS", "SOLUC"}) {
      Table t(argv[1], nombre);
      t.Open(OpenMode::Shared);
      std::printf("  %-12s %6ld registros\n", nombre, t.RecordCount());
    }
    XmlDocument doc;
    if (!doc.Load(argv[2])) {
      std::fprintf(stderr, "resumen: %s: %s\n", argv[2], doc.LoadError().c_str());
      return 1;
    }
    const auto profesores = doc.SelectNodes(
        "/SERVICIO/BLOQUE_DATOS/grupo_datos[@seq=\"HORARIOS_REGULARES\"]/grupo_datos");
    size_t actividades = 0;
    for (size_t i = 0; i < profesores.Length(); ++i) {
      actividades += profesores.Item(i).SelectNodes("grupo_datos").Length();
    }
    std::printf("Documento exportado %s:\n  %zu profesores, %zu actividades\n", argv[2],
                profesores.Length(), actividades);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "resumen: %s\n", e.what());
    return 1;
  }
  return 0;
}
