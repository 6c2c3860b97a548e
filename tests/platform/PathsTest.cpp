#include "platform/Paths.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "support/TempDir.h"

namespace trasvelo::platform {
namespace {

class EnvGuard {
 public:
  explicit EnvGuard(const char* name) : name_(name) {
    if (const char* v = std::getenv(name)) old_ = v, had_ = true;
  }
  ~EnvGuard() {
    if (had_) {
      setenv(name_, old_.c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::string old_;
  bool had_ = false;
};

TEST(Paths, WorkingDirectoryFollowsWinePrefix) {
  EnvGuard wine("WINEPREFIX"), home("HOME");
  setenv("WINEPREFIX", "/srv/pfx", 1);
  EXPECT_EQ(WorkingDirectory(), fs::path("/srv/pfx/drive_c/VTEMP"));
  unsetenv("WINEPREFIX");
  setenv("HOME", "/home/ana", 1);
  EXPECT_EQ(WorkingDirectory(), fs::path("/home/ana/.wine/drive_c/VTEMP"));
}

TEST(Paths, ProgramDirectoryIsTheExecutablesFolder) {
  fs::path dir = ProgramDirectory();
  EXPECT_TRUE(fs::is_directory(dir));
  EXPECT_TRUE(fs::exists(dir / "platform_text_test"));
}

TEST(Paths, FileNamesAreFoundIgnoringCase) {
  test::TempDir tmp;
  test::WriteFile(tmp / "asignomt.dbf", "x");
  test::WriteFile(tmp / "NIVELLARI.dbf", "x");
  EXPECT_EQ(FindIgnoreCase(tmp.path(), "ASIGNOMT.DBF"), tmp / "asignomt.dbf");
  EXPECT_EQ(FindIgnoreCase(tmp.path(), "NIVELLARI.DBF"), tmp / "NIVELLARI.dbf");
  EXPECT_EQ(FindIgnoreCase(tmp.path(), "PROFT.DBF"), std::nullopt);
  EXPECT_EQ(ResolveIgnoreCase(tmp.path(), "PROFT.DBF"), tmp / "PROFT.DBF");
  EXPECT_EQ(ResolveIgnoreCase(tmp.path(), "Asignomt.Dbf"), tmp / "asignomt.dbf");
  EXPECT_EQ(FindIgnoreCase(tmp / "missing", "x"), std::nullopt);
}

TEST(Paths, AnExactSpellingWinsOverAnother) {
  test::TempDir tmp;
  test::WriteFile(tmp / "aulat.dbf", "lower");
  test::WriteFile(tmp / "AULAT.DBF", "upper");
  EXPECT_EQ(FindIgnoreCase(tmp.path(), "AULAT.DBF"), tmp / "AULAT.DBF");
  EXPECT_EQ(FindIgnoreCase(tmp.path(), "aulat.dbf"), tmp / "aulat.dbf");
}

}  // namespace
}  // namespace trasvelo::platform
