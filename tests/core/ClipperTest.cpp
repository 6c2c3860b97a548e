#include "core/Clipper.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace trasvelo::core {
namespace {

struct Case {
  const char* name;
  std::function<std::string()> call;
  std::string expected;
};

// Program text is Windows-1252: "\xE1" is á, "\xC9" is É, "\xBA" is º.
TEST(Clipper, Examples) {
  const Case cases[] = {
      {"AllTrim both sides", [] { return AllTrim("  Lengua  "); }, "Lengua"},
      {"AllTrim only blanks", [] { return AllTrim("    "); }, ""},
      {"AllTrim empty", [] { return AllTrim(""); }, ""},
      {"AllTrim keeps a tab", [] { return AllTrim("\tLengua "); }, "\tLengua"},
      {"AllTrim keeps inner blanks", [] { return AllTrim(" a  b "); }, "a  b"},
      {"LTrim", [] { return LTrim("  x "); }, "x "},
      {"RTrim", [] { return RTrim("  x "); }, "  x"},
      {"Left 3", [] { return Left("ABCDEF", 3); }, "ABC"},
      {"Left 6", [] { return Left("ABCDEF", 6); }, "ABCDEF"},
      {"Left 10", [] { return Left("ABCDEF", 10); }, "ABCDEF"},
      {"Left 0", [] { return Left("ABCDEF", 0); }, ""},
      {"Left negative", [] { return Left("ABCDEF", -2); }, ""},
      {"Right 2", [] { return Right("ABCDEF", 2); }, "EF"},
      {"Right 6", [] { return Right("ABCDEF", 6); }, "ABCDEF"},
      {"Right 10", [] { return Right("ABCDEF", 10); }, "ABCDEF"},
      {"Right 0", [] { return Right("ABCDEF", 0); }, ""},
      {"Right negative", [] { return Right("ABCDEF", -1); }, ""},
      {"SoloMayusculas accents", [] { return SoloMayusculas("Educaci\xF3n F\xEDsica y Deportiva"); },
       "EFD"},
      {"SoloMayusculas accented capital", [] { return SoloMayusculas("\xC9TICA"); }, "TICA"},
      {"SoloMayusculas digits", [] { return SoloMayusculas("1\xBA ESO"); }, "ESO"},
      {"Iniciales", [] { return Iniciales("lengua castellana y literatura"); }, "cyl"},
      {"Iniciales run of blanks", [] { return Iniciales("Lengua  Castellana"); }, " C"},
      {"Iniciales trailing blank", [] { return Iniciales("M\xFAsica "); }, ""},
      {"Iniciales first character never", [] { return Iniciales(" a"); }, "a"},
      {"Iniciales empty", [] { return Iniciales(""); }, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.call(), c.expected) << c.name;
  }
}

}  // namespace
}  // namespace trasvelo::core
