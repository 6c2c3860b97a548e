#include "platform/IniFile.h"

#include <gtest/gtest.h>

#include "platform/Error.h"
#include "support/Child.h"
#include "support/TempDir.h"

namespace trasvelo::platform {
namespace {

struct Case {
  const char* name;
  std::string before;
  std::string after;  // with Transformado set to 1 under [Transformadores]
};

TEST(IniFile, SetsOneValueAndKeepsEveryOtherByte) {
  const Case cases[] = {
      {"empty file", "", "[Transformadores]\r\nTransformado=1\r\n"},
      {"other section, CRLF", "[Velmora]\r\nRuta=C:\\VTEMP\r\n",
       "[Velmora]\r\nRuta=C:\\VTEMP\r\n[Transformadores]\r\nTransformado=1\r\n"},
      {"other section without final line end", "[Velmora]\nRuta=x",
       "[Velmora]\nRuta=x\r\n[Transformadores]\r\nTransformado=1\r\n"},
      {"value replaced in place", "[Transformadores]\r\nTransformado=-1\r\nOtro=5\r\n",
       "[Transformadores]\r\nTransformado=1\r\nOtro=5\r\n"},
      {"names ignore case and blanks", "[ transformadores ]\n  TRANSFORMADO = 0\n",
       "[ transformadores ]\n  TRANSFORMADO =1\n"},
      {"new key at the end of its section, before blank lines",
       "[Transformadores]\r\nOtro=5\r\n\r\n[Z]\r\nA=1\r\n",
       "[Transformadores]\r\nOtro=5\r\nTransformado=1\r\n\r\n[Z]\r\nA=1\r\n"},
      {"new key in a section that ends the file without line end", "[Transformadores]\nOtro=5",
       "[Transformadores]\nOtro=5\r\nTransformado=1\r\n"},
      {"empty section", "[Transformadores]\n[Z]\n", "[Transformadores]\nTransformado=1\r\n[Z]\n"},
      {"first of duplicate sections and keys wins",
       "[Transformadores]\nTransformado=7\nTransformado=8\n[Transformadores]\nTransformado=9\n",
       "[Transformadores]\nTransformado=1\nTransformado=8\n[Transformadores]\nTransformado=9\n"},
      {"comments and a key of the same name elsewhere kept",
       "; nota\r\n[A]\r\nTransformado=3\r\n[Transformadores]\r\n;Transformado=4\r\n",
       "; nota\r\n[A]\r\nTransformado=3\r\n[Transformadores]\r\n;Transformado=4\r\nTransformado=1\r\n"},
      {"byte-order mark kept", "\xEF\xBB\xBF[Transformadores]\nTransformado=0\n",
       "\xEF\xBB\xBF[Transformadores]\nTransformado=1\n"},
      {"keys before any section are not in the section", "Transformado=0\n",
       "Transformado=0\n[Transformadores]\r\nTransformado=1\r\n"},
      {"a longer value is replaced whole", "[Transformadores]\r\nTransformado=12345 ; x\r\n",
       "[Transformadores]\r\nTransformado=1\r\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SetIniValue(c.before, "Transformadores", "Transformado", "1"), c.after) << c.name;
  }
}

TEST(IniFile, WritesTheFileCreatingIt) {
  test::TempDir tmp;
  const auto f = tmp / "Velmora.ini";
  WriteIniInteger(f, "Transformadores", "Transformado", -1);
  EXPECT_EQ(test::ReadFile(f), "[Transformadores]\r\nTransformado=-1\r\n");
  WriteIniInteger(f, "Transformadores", "Transformado", 0);
  EXPECT_EQ(test::ReadFile(f), "[Transformadores]\r\nTransformado=0\r\n");
}

TEST(IniFile, AFailedWriteLeavesTheFileWholeAndSaysSo) {
  test::TempDir tmp;
  const auto f = tmp / "Velmora.ini";
  const std::string before = "[Velmora]\r\n" + std::string(8000, ';') + "\r\n";
  test::WriteFile(f, before);
  const int status = test::RunWithFileSizeLimit(4096, [&] {
    try {
      WriteIniInteger(f, "Transformadores", "Transformado", 1);
      return 1;
    } catch (const FileError&) {
      return 0;
    }
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(test::ReadFile(f), before);
  EXPECT_THROW(WriteIniInteger(tmp / "missing" / "Velmora.ini", "T", "T", 1), FileError);
}

}  // namespace
}  // namespace trasvelo::platform
