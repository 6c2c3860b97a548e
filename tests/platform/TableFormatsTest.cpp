// Tables written by other programs (dBase III/IV, FoxPro, level 7), built
// here byte by byte, and damaged files.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "TableTestSupport.h"
#include "platform/Error.h"
#include "platform/Table.h"
#include "support/TempDir.h"

namespace trasvelo::platform {
namespace {

using test::Be;
using test::Le;
using test::RawTable;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;
using ::testing::AllOf;
using ::testing::HasSubstr;

std::string DoubleBits(double d, bool level7) {
  uint64_t bits;
  std::memcpy(&bits, &d, sizeof bits);
  if (!level7)
    return Le(bits, 8);
  bits = (bits & 0x8000000000000000ull) ? ~bits : (bits ^ 0x8000000000000000ull);
  return Be(bits, 8);
}

std::vector<std::string> Column(Table& t, const std::string& field) {
  std::vector<std::string> values;
  for (t.First(); !t.Eof(); t.Next())
    values.push_back(t.AsString(field));
  return values;
}

TEST(TableFormats, ReadsDbaseFourWithDeletedRecordsAndNoEndMark) {
  RawTable raw;
  raw.version = 0x8B;  // dBase IV with memo
  raw.fields = {{"NAME", 'C', 8}, {"QTY", 'N', 5}, {"PRICE", 'N', 8, 2}, {"RATE", 'F', 10, 3},
                {"BORN", 'D', 8}, {"OK", 'L', 1},  {"NOTE", 'M', 10}};
  // Each value as its writer pads it: text left, numbers right.
  auto rec = [&](char flag, const std::vector<std::string>& values) {
    std::string r(1, flag);
    for (size_t i = 0; i < values.size(); ++i) {
      const int w = raw.fields[i].width;
      const std::string pad(w - values[i].size(), ' ');
      const char type = raw.fields[i].type;
      r += (type == 'N' || type == 'F' || type == 'M') ? pad + values[i] : values[i] + pad;
    }
    return r;
  };
  raw.records = {
      rec(' ', {"Juan", "12", "-3.50", "1.500E+02", "19990615", "T", "1"}),
      rec('*', {"Borrado", "1", "1.00", "1.000", "20000101", "F", ""}),
      rec(' ', {"Ana", "", "********", "", "00000000", "?", ""}),
      rec(' ', {"Luis", "007", "0.10", "-0.001", "", "f", ""}),
  };
  raw.endMark = false;
  TempDir dir;
  WriteFile(dir / "VIEJA.DBF", raw.Bytes());
  Table t(dir.path(), "VIEJA");
  t.Open();
  EXPECT_EQ(t.RecordCount(), 3);
  ASSERT_EQ(t.Fields().size(), 7u);
  EXPECT_EQ(t.Fields()[3].type, 'F');
  EXPECT_EQ(t.Fields()[2].decimals, 2);

  EXPECT_EQ(Column(t, "NAME"), (std::vector<std::string>{"Juan", "Ana", "Luis"}));
  EXPECT_EQ(Column(t, "QTY"), (std::vector<std::string>{"12", "", "7"}));
  EXPECT_EQ(Column(t, "PRICE"), (std::vector<std::string>{"-3.5", "", "0.1"}));
  EXPECT_EQ(Column(t, "RATE"), (std::vector<std::string>{"150", "", "-0.001"}));
  EXPECT_EQ(Column(t, "BORN"), (std::vector<std::string>{"19990615", "", ""}));
  EXPECT_EQ(Column(t, "OK"), (std::vector<std::string>{"T", "", "F"}));
  EXPECT_EQ(Column(t, "NOTE"), (std::vector<std::string>{"         1", "", ""}));

  t.First();
  t.Next();  // Ana: unset numbers, "********", "00000000" and "?" are blank
  for (const char* f : {"QTY", "PRICE", "RATE", "BORN", "OK", "NOTE"}) {
    SCOPED_TRACE(f);
    EXPECT_TRUE(t.IsBlank(f));
  }
  EXPECT_EQ(t.AsInteger("QTY"), 0);
  EXPECT_DOUBLE_EQ(t.AsFloat("PRICE"), 0.0);
  ASSERT_TRUE(t.Locate("QTY", {"7"}));
  EXPECT_EQ(t.RecordNumber(), 4);
  EXPECT_DOUBLE_EQ(t.AsFloat("RATE"), -0.001);

  // The engine appends to such a table in its own encodings.
  t.Append();
  t.SetString("NAME", "Nuevo");
  t.SetInteger("QTY", 5);
  t.SetFloat("RATE", 2.25);
  t.Close();
  t.Open();
  ASSERT_TRUE(t.Locate("NAME", {"Nuevo"}));
  EXPECT_EQ(t.RecordNumber(), 5);
  EXPECT_DOUBLE_EQ(t.AsFloat("RATE"), 2.25);
  EXPECT_EQ(t.AsInteger("QTY"), 5);
}

TEST(TableFormats, ReadsFoxProBinaryNumbers) {
  RawTable raw;
  raw.version = 0x30;
  raw.language = 0x03;
  raw.fields = {{"ID", 'I', 4},
                {"AMOUNT", 'B', 8},
                {"PRICE", 'Y', 8},
                {"NAME", 'C', 5},
                {"_NullFlags", '0', 1}};
  raw.records = {
      " " + Le(static_cast<uint32_t>(-2), 4) + DoubleBits(1.25, false) + Le(12345, 8) + "abc  " +
          std::string(1, '\0'),
      " " + Le(2147483647, 4) + DoubleBits(-1e-3, false) + Le(static_cast<uint64_t>(-20000), 8) +
          "     " + std::string(1, '\0'),
  };
  raw.tail = std::string(263, '\0');  // the backlink area
  TempDir dir;
  WriteFile(dir / "FOX.DBF", raw.Bytes());
  Table t(dir.path(), "FOX");
  t.Open();
  t.First();
  EXPECT_EQ(t.AsInteger("ID"), -2);
  EXPECT_EQ(t.AsString("ID"), "-2");
  EXPECT_DOUBLE_EQ(t.AsFloat("AMOUNT"), 1.25);
  EXPECT_DOUBLE_EQ(t.AsFloat("PRICE"), 1.2345);
  EXPECT_EQ(t.AsString("NAME"), "abc");
  EXPECT_FALSE(t.IsBlank("ID"));
  t.Next();
  EXPECT_EQ(t.AsInteger("ID"), 2147483647);
  EXPECT_DOUBLE_EQ(t.AsFloat("AMOUNT"), -1e-3);
  EXPECT_DOUBLE_EQ(t.AsFloat("PRICE"), -2.0);
  EXPECT_EQ(t.AsInteger("PRICE"), -2);
  EXPECT_TRUE(t.Locate("ID", {"-2"}));
  EXPECT_EQ(t.RecordNumber(), 1);
}

TEST(TableFormats, ReadsLevelSevenBinaryNumbers) {
  RawTable raw;
  raw.version = 0x04;
  raw.level7 = true;
  raw.fields = {
      {"X_OFERTAMATRIG", 'I', 4}, {"CONTADOR", '+', 4}, {"VALOR", 'O', 8}, {"NIVEL_ABREV", 'C', 5}};
  raw.records = {
      " " + Be(0x80000000u + 10101, 4) + Be(0x80000007u, 4) + DoubleBits(2.5, true) + "ESO  ",
      " " + Be(0x7FFFFFFFu, 4) + Be(0x80000008u, 4) + DoubleBits(-1.0, true) + "BAC  ",
      " " + std::string(16, '\0') + "     ",  // unset
  };
  raw.tail = std::string(14, '\x01');  // field properties that follow the terminator
  TempDir dir;
  WriteFile(dir / "nivellari.dbf", raw.Bytes());
  Table t(dir.path(), "NIVELLARI.DBF");
  t.Open();
  EXPECT_EQ(Column(t, "X_OFERTAMATRIG"), (std::vector<std::string>{"10101", "-1", ""}));
  EXPECT_EQ(Column(t, "CONTADOR"), (std::vector<std::string>{"7", "8", ""}));
  EXPECT_EQ(Column(t, "VALOR"), (std::vector<std::string>{"2.5", "-1", ""}));
  t.First();
  t.Next();
  t.Next();
  EXPECT_TRUE(t.IsBlank("X_OFERTAMATRIG"));
  EXPECT_EQ(t.AsInteger("X_OFERTAMATRIG"), 0);
  EXPECT_DOUBLE_EQ(t.AsFloat("VALOR"), 0.0);
  ASSERT_TRUE(t.Locate("X_OFERTAMATRIG", {"10101"}));
  EXPECT_EQ(t.AsString("NIVEL_ABREV"), "ESO");
  EXPECT_DOUBLE_EQ(t.AsFloat("VALOR"), 2.5);
}

TEST(TableFormats, ReadsDayAndHourHeldAsText) {
  // The host's solution table may keep the day and slot as text.
  RawTable raw;
  raw.fields = {{"PROF", 'C', 10}, {"DIA", 'C', 2}, {"HORA", 'C', 3}};
  raw.records = {" ANA       1  12", " O'NEIL    0 3  ", " PEPE        x  "};
  TempDir dir;
  WriteFile(dir / "SOLUC.DBF", raw.Bytes());
  Table t(dir.path(), "SOLUC");
  t.Open();
  t.First();
  EXPECT_EQ(t.AsInteger("DIA"), 1);
  EXPECT_EQ(t.AsString("DIA"), "1");
  EXPECT_EQ(t.AsInteger("HORA"), 12);
  t.Next();
  EXPECT_EQ(t.AsInteger("DIA"), 0);
  EXPECT_EQ(t.AsInteger("HORA"), 3);
  t.Next();
  try {
    t.AsInteger("DIA");
    ADD_FAILURE() << "blank day read as a number";
  } catch (const ConversionError& e) {
    EXPECT_STREQ(e.what(), "'' is not a valid integer value");
  }
  EXPECT_THROW(t.AsInteger("HORA"), ConversionError);
}

TEST(TableFormats, DamagedFilesGiveErrorsNamingTheFile) {
  TempDir dir;
  CreateTable(dir.path(), "BUENA.DBF",
              {{"COD", FieldType::Text, 10}, {"N", FieldType::Integer}, {"F", FieldType::Float}});
  {
    Table t(dir.path(), "BUENA");
    t.Open();
    for (int i = 0; i < 2; ++i) {
      t.Append();
      t.SetString("COD", "X");
      t.SetInteger("N", i);
      t.Post();
    }
  }
  const std::string good = ReadFile(dir / "BUENA.DBF");
  const size_t header = 32 + 3 * 32 + 1;   // 129
  const size_t length = 1 + 10 + 11 + 20;  // 42
  RawTable seven;
  seven.version = 0x04;
  seven.level7 = true;
  seven.fields = {{"X_OFERTAMATRIG", 'I', 4}};
  seven.records = {" " + Be(0x80000001u, 4)};
  const std::string goodSeven = seven.Bytes();

  auto with = [](std::string b, size_t at, const std::string& bytes) {
    b.replace(at, bytes.size(), bytes);
    return b;
  };
  std::string garbage;
  for (int i = 0; i < 700; ++i)
    garbage += static_cast<char>((i * 7919 + 13) % 251);
  struct Case {
    const char* what;
    std::string bytes;
  };
  const std::vector<Case> cases = {
      {"zero-length file", ""},
      {"header cut short", good.substr(0, 20)},
      {"header cut inside a field descriptor", good.substr(0, 50)},
      {"level-7 header cut short", goodSeven.substr(0, 100)},
      {"records cut short", good.substr(0, header + length + 5)},
      {"record count past the records", with(good, 4, Le(1000, 4))},
      {"huge record count", with(good, 4, Le(0xFFFFFFFFu, 4))},
      {"header length past the end of the file", with(good, 8, Le(5000, 2))},
      {"header length inside the descriptors", with(good, 8, Le(80, 2))},
      {"header length below the fixed part", with(good, 8, Le(20, 2))},
      {"record length one more than the fields", with(good, 10, Le(length + 1, 2))},
      {"record length one less than the fields", with(good, 10, Le(length - 1, 2))},
      {"field running past the record", with(good, 32 + 2 * 32 + 16, std::string(1, '\x30'))},
      {"field of width zero", with(good, 32 + 16, std::string(1, '\0'))},
      {"integer field of the wrong width", with(goodSeven, 68 + 33, std::string(1, '\x05'))},
      {"no fields", with(good.substr(0, 33), 8, Le(33, 2) + Le(1, 2)).replace(32, 1, "\r")},
      {"unknown version byte", with(good, 0, "\x7F")},
      {"garbage", garbage},
      {"garbage behind a version byte", "\x03" + garbage},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteFile(dir / "MALA.DBF", c.bytes);
    Table t(dir.path(), "MALA");
    try {
      t.Open();
      std::string all;
      for (t.First(); !t.Eof(); t.Next())
        all += t.AsString(t.Fields()[0].name);
      ADD_FAILURE() << "opened; read " << all.size() << " bytes";
    } catch (const TableError& e) {
      EXPECT_THAT(std::string(e.what()),
                  AllOf(HasSubstr((dir / "MALA.DBF").string()), HasSubstr("dañada")));
      EXPECT_FALSE(t.Active());
    }
  }
}

}  // namespace
}  // namespace trasvelo::platform
