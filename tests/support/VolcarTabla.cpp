// volcar_tabla DIR TABLE: prints a table as the tests compare it with the
// reviewed contents in tests/data/expected/, for the shell-driven tests.
#include <cstdio>
#include <exception>

#include "support/TableDump.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: volcar_tabla DIR TABLE\n", stderr);
    return 2;
  }
  try {
    std::fputs(trasvelo::test::VolcarTabla(argv[1], argv[2]).c_str(), stdout);
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "volcar_tabla: %s\n", error.what());
    return 1;
  }
}
