#include "platform/AtomicFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/Error.h"
#include "support/Child.h"
#include "support/TempDir.h"

namespace trasvelo::platform {
namespace {

namespace fs = std::filesystem;

size_t EntriesIn(const fs::path& dir) {
  size_t n = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir)) ++n;
  return n;
}

TEST(AtomicFile, ReplacesTheWholeFileAndKeepsItsMode) {
  test::TempDir tmp;
  const fs::path f = tmp / "out.xml";
  test::WriteFile(f, "old contents that are longer");
  chmod(f.c_str(), 0640);
  WriteFileAtomically(f, "new");
  EXPECT_EQ(test::ReadFile(f), "new");
  struct stat st {};
  ASSERT_EQ(stat(f.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(EntriesIn(tmp.path()), 1u);
}

TEST(AtomicFile, AFullDiskLeavesTheOldFileAndNoTemporary) {
  test::TempDir tmp;
  const fs::path f = tmp / "ResultadoVelmoshorario.xml";
  test::WriteFile(f, "older output");
  const int status = test::RunWithFileSizeLimit(4096, [&] {
    try {
      WriteFileAtomically(f, std::string(100000, 'x'));
      return 1;  // reported success on a full disk
    } catch (const FileError& e) {
      return std::string(e.what()).find(f.string()) != std::string::npos ? 0 : 2;
    }
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(test::ReadFile(f), "older output");
  EXPECT_EQ(EntriesIn(tmp.path()), 1u);
}

TEST(AtomicFile, AMissingFolderIsAnErrorNamingTheFile) {
  test::TempDir tmp;
  const fs::path f = tmp / "no" / "such" / "Velmora.ini";
  try {
    WriteFileAtomically(f, "x");
    FAIL() << "no error";
  } catch (const FileError& e) {
    EXPECT_NE(std::string(e.what()).find(f.string()), std::string::npos) << e.what();
  }
}

TEST(AtomicFile, ReadingAFolderOrAMissingFileFails) {
  test::TempDir tmp;
  EXPECT_THROW(ReadWholeFile(tmp.path()), FileError);
  EXPECT_THROW(ReadWholeFile(tmp / "missing"), FileError);
}

}  // namespace
}  // namespace trasvelo::platform
