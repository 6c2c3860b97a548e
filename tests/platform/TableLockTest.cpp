// Exclusive and shared use across processes: another process holding a
// table, as the host program does while it has the table open.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "platform/Error.h"
#include "platform/Table.h"
#include "support/TempDir.h"

namespace trasvelo::platform {
namespace {

using test::ReadFile;
using test::TempDir;
using ::testing::AllOf;
using ::testing::HasSubstr;

const std::vector<FieldDef> kFields = {{"ABREV", FieldType::Text, 10}, {"DNI", FieldType::Integer}};

// Another process that opens a table and keeps it open until released.
class Holder {
 public:
  Holder(const fs::path& dir, const std::string& name, OpenMode mode) {
    int ready[2];
    int go[2];
    if (pipe(ready) != 0 || pipe(go) != 0)
      std::abort();
    pid_ = fork();
    if (pid_ < 0)
      std::abort();
    if (pid_ == 0) {
      close(ready[0]);
      close(go[1]);
      char ok = 'n';
      {
        Table t(dir, name);
        try {
          t.Open(mode);
          ok = 'y';
        } catch (const Error&) {
        }
        (void)!write(ready[1], &ok, 1);
        char c;
        (void)!read(go[0], &c, 1);  // until released
      }
      _exit(0);
    }
    close(ready[1]);
    close(go[0]);
    release_ = go[1];
    char ok = 'n';
    (void)!read(ready[0], &ok, 1);
    close(ready[0]);
    opened_ = ok == 'y';
  }
  ~Holder() { Release(); }
  Holder(const Holder&) = delete;
  Holder& operator=(const Holder&) = delete;

  bool opened() const { return opened_; }
  void Release() {
    if (pid_ <= 0)
      return;
    close(release_);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
  int release_ = -1;
  bool opened_ = false;
};

// Whether another process can open the table in that mode now.
bool OtherProcessCanOpen(const fs::path& dir, const std::string& name, OpenMode mode) {
  Holder probe(dir, name, mode);
  return probe.opened();
}

std::string OpenError(Table& t, OpenMode mode) {
  try {
    t.Open(mode);
  } catch (const TableError& e) {
    return e.what();
  }
  t.Close();
  return "";
}

TEST(TableLock, AnotherProcessHoldingTheTableBlocksConflictingOpens) {
  struct Case {
    OpenMode held;
    OpenMode wanted;
    bool blocked;
  };
  const std::vector<Case> cases = {
      {OpenMode::Exclusive, OpenMode::Exclusive, true},
      {OpenMode::Exclusive, OpenMode::Shared, true},
      {OpenMode::Shared, OpenMode::Exclusive, true},
      {OpenMode::Shared, OpenMode::Shared, false},
  };
  TempDir dir;
  CreateTable(dir.path(), "PROFT.DBF", kFields);
  const std::string path = (dir / "PROFT.DBF").string();
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.held == OpenMode::Exclusive ? "held exclusive" : "held shared") +
                 (c.wanted == OpenMode::Exclusive ? ", open exclusive" : ", open shared"));
    Holder other(dir.path(), "PROFT", c.held);
    ASSERT_TRUE(other.opened());
    Table t(dir.path(), "PROFT");
    if (c.blocked) {
      EXPECT_EQ(OpenError(t, c.wanted),
                "La tabla PROFT (" + path + ") está en uso por otro programa");
      EXPECT_FALSE(t.Active());
    } else {
      EXPECT_EQ(OpenError(t, c.wanted), "");
    }
    other.Release();  // closing releases it
    EXPECT_EQ(OpenError(t, c.wanted), "");
  }
}

TEST(TableLock, HeldWhileOpenAndReleasedOnClose) {
  TempDir dir;
  CreateTable(dir.path(), "GRUPOST.DBF", kFields);
  Table t(dir.path(), "GRUPOST");
  t.Open(OpenMode::Exclusive);
  // Reading the file through another handle and closing that handle keeps
  // the lock (a classic POSIX lock would be gone now).
  EXPECT_FALSE(ReadFile(dir / "GRUPOST.DBF").empty());
  EXPECT_FALSE(OtherProcessCanOpen(dir.path(), "GRUPOST", OpenMode::Shared));
  // Two table objects of one program exclude each other as two programs do.
  Table second(dir.path(), "GRUPOST");
  EXPECT_THAT(OpenError(second, OpenMode::Shared), HasSubstr("en uso"));
  t.Close();
  EXPECT_TRUE(OtherProcessCanOpen(dir.path(), "GRUPOST", OpenMode::Exclusive));

  t.Open(OpenMode::Shared);
  EXPECT_TRUE(OtherProcessCanOpen(dir.path(), "GRUPOST", OpenMode::Shared));
  EXPECT_FALSE(OtherProcessCanOpen(dir.path(), "GRUPOST", OpenMode::Exclusive));
  {
    Table moved = std::move(t);  // the lock goes with the object
    EXPECT_FALSE(OtherProcessCanOpen(dir.path(), "GRUPOST", OpenMode::Exclusive));
  }
  EXPECT_TRUE(OtherProcessCanOpen(dir.path(), "GRUPOST", OpenMode::Exclusive));
}

TEST(TableLock, DropSkipsAndCreateFailsWhileAnotherProcessHoldsTheTable) {
  TempDir dir;
  CreateTable(dir.path(), "DIASHORAST2.DBF", kFields, {{"DNI", "DNI"}});
  const std::string dbf = ReadFile(dir / "DIASHORAST2.DBF");
  const std::string mdx = ReadFile(dir / "DIASHORAST2.MDX");
  {
    Holder other(dir.path(), "DIASHORAST2", OpenMode::Shared);
    ASSERT_TRUE(other.opened());
    DropTable(dir.path(), "DIASHORAST2");  // no error, nothing deleted
    EXPECT_EQ(ReadFile(dir / "DIASHORAST2.DBF"), dbf);
    EXPECT_EQ(ReadFile(dir / "DIASHORAST2.MDX"), mdx);
    try {
      CreateTable(dir.path(), "DIASHORAST2.DBF", {{"OTRO", FieldType::Logical}});
      ADD_FAILURE() << "created while held";
    } catch (const TableError& e) {
      EXPECT_THAT(std::string(e.what()), AllOf(HasSubstr("DIASHORAST2"), HasSubstr("en uso")));
    }
    EXPECT_EQ(ReadFile(dir / "DIASHORAST2.DBF"), dbf);
    EXPECT_EQ(ReadFile(dir / "DIASHORAST2.MDX"), mdx);
  }
  DropTable(dir.path(), "DIASHORAST2");
  EXPECT_FALSE(fs::exists(dir / "DIASHORAST2.DBF"));
  EXPECT_FALSE(fs::exists(dir / "DIASHORAST2.MDX"));
}

}  // namespace
}  // namespace trasvelo::platform
