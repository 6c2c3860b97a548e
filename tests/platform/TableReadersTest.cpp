// The tables the engine writes, read back by two readers that share no code
// with it: python3-dbfread and Free Pascal's TDbf (which also maintains the
// production index on append).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <sstream>

#include "TableTestSupport.h"
#include "platform/Error.h"
#include "platform/Table.h"
#include "platform/Text1252.h"
#include "support/TempDir.h"

namespace trasvelo::platform {
namespace {

using test::Ran;
using test::Run;
using test::TempDir;

struct Listing {
  std::vector<std::vector<std::string>> fields;   // FIELD lines, split
  std::vector<std::string> tags;                  // TAG lines
  std::vector<std::vector<std::string>> records;  // REC lines, split
  std::vector<std::string> keys;                  // KEY lines
  std::string level;
};

std::vector<std::string> SplitEscaped(std::string_view line) {
  std::vector<std::string> parts(1);
  for (size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (c == '\\' && i + 1 < line.size()) {
      char n = line[++i];
      parts.back() += n == 'n' ? '\n' : n == 'r' ? '\r' : n;
    } else if (c == '|') {
      parts.emplace_back();
    } else {
      parts.back() += c;
    }
  }
  return parts;
}

// `utf8`: whether the reader prints UTF-8 (dbfread) or the stored bytes (TDbf).
Listing Parse(const Ran& ran, bool utf8) {
  Listing l;
  std::istringstream in(ran.out);
  std::string line;
  while (std::getline(in, line)) {
    const std::string text = utf8 ? line : Cp1252ToUtf8(line);
    std::string_view rest = std::string_view(text).substr(text.find(' ') + 1);
    if (text.rfind("FIELD ", 0) == 0)
      l.fields.push_back(SplitEscaped(rest));
    if (text.rfind("TAG ", 0) == 0)
      l.tags.emplace_back(rest);
    if (text.rfind("REC ", 0) == 0)
      l.records.push_back(SplitEscaped(rest));
    if (text.rfind("KEY ", 0) == 0)
      l.keys.emplace_back(rest);
    if (text.rfind("LEVEL ", 0) == 0)
      l.level = rest;
  }
  return l;
}

Listing Dbfread(const fs::path& file) {
  Ran ran = Run({"/usr/bin/python3", TRASVELO_DBFREAD_SCRIPT, file.string()});
  EXPECT_EQ(ran.status, 0) << ran.err;
  return Parse(ran, true);
}

Listing Tdbf(const std::vector<std::string>& args) {
  std::vector<std::string> argv = {TRASVELO_TDBF_CHECK};
  argv.insert(argv.end(), args.begin(), args.end());
  if (!fs::exists(argv[0])) {
    ADD_FAILURE() << argv[0] << " was not built: Free Pascal (fpc) is missing; run scripts/deps.sh";
    return {};
  }
  Ran ran = Run(argv);
  EXPECT_EQ(ran.status, 0) << ran.err;
  return Parse(ran, false);
}

// What a field holds, as either reader prints it: text as UTF-8 ("" when
// unset), a number or "T"/"F", or nothing when unset.
using Expected = std::optional<std::string>;

// A value that a reader printed equals the expected one: numbers by value
// (the readers print 4, 4.0 or 4.0000), text exactly; an unset text may come
// back as empty or as NULL.
void ExpectValue(const std::string& got, const Expected& want, char type) {
  if (type == 'C') {
    EXPECT_EQ(got == "NULL" ? "" : got, want.value_or(""));
  } else if (!want) {
    EXPECT_EQ(got, "NULL");
  } else if (type == 'N' || type == 'I' || type == 'F') {
    ASSERT_NE(got, "NULL") << "expected " << *want;
    EXPECT_DOUBLE_EQ(std::stod(got), std::stod(*want)) << got;
  } else {
    EXPECT_EQ(got, *want);
  }
}

void ExpectRecords(const Listing& l, const std::vector<std::vector<Expected>>& want,
                   const std::string& types) {
  ASSERT_EQ(l.records.size(), want.size());
  for (size_t r = 0; r < want.size(); ++r) {
    ASSERT_EQ(l.records[r].size(), want[r].size()) << "record " << r + 1;
    for (size_t f = 0; f < want[r].size(); ++f) {
      SCOPED_TRACE("record " + std::to_string(r + 1) + " field " + std::to_string(f + 1));
      ExpectValue(l.records[r][f], want[r][f], types[f]);
    }
  }
}

// A working table of every field kind, with accented text, values longer
// than their fields, extremes and unset fields; returns what it holds.
std::vector<std::vector<Expected>> WriteAllKinds(const fs::path& dir, const std::string& name) {
  CreateTable(dir, name,
              {{"COD", FieldType::Text, 10},
               {"NOMBRE", FieldType::Text, 80},
               {"DNI", FieldType::Integer},
               {"ESTAREA", FieldType::Logical},
               {"HORAS", FieldType::Float}});
  const std::string longName = std::string(85, '\xE1');  // "ááá…", 5 too many
  Table t(dir, name);
  t.Open();
  auto add = [&](std::optional<std::string> cod, std::optional<std::string> nombre,
                 std::optional<int64_t> dni, std::optional<bool> tarea,
                 std::optional<double> horas) {
    t.Append();
    if (cod)
      t.SetString("COD", *cod);
    if (nombre)
      t.SetString("NOMBRE", *nombre);
    if (dni)
      t.SetInteger("DNI", *dni);
    if (tarea)
      t.SetBoolean("ESTAREA", *tarea);
    if (horas)
      t.SetFloat("HORAS", *horas);
    t.Post();
  };
  add("ABC", "Educaci\xF3n F\xEDsica", 42, true, 4);
  add("\xD1"
      "AND\xDA   ",
      longName, -2147483648LL, false, -2.5);
  add("ABCDEFGHIJKLMNO", "O'Brien | \\ \x80", 2147483647, std::nullopt, 0.0001);
  add(std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt);
  add("  lead", "", 0, true, 123456789012345.5);
  std::string cut;  // the long name cut to its 80 characters, in UTF-8
  for (int i = 0; i < 80; ++i)
    cut += "á";
  return {
      {"ABC", "Educación Física", "42", "T", "4"},
      {"ÑANDÚ", cut, "-2147483648", "F", "-2.5"},
      {"ABCDEFGHIJ", "O'Brien | \\ €", "2147483647", std::nullopt, "0.0001"},
      {"", "", std::nullopt, std::nullopt, std::nullopt},
      {"  lead", "", "0", "T", "123456789012345.5"},
  };
}

TEST(TableReaders, DbfreadReadsEveryFieldKind) {
  TempDir dir;
  auto want = WriteAllKinds(dir.path(), "ASIGNOMT.DBF");
  Listing l = Dbfread(dir / "ASIGNOMT.DBF");
  ASSERT_EQ(l.fields.size(), 5u);
  const std::vector<std::vector<std::string>> fields = {{"COD", "C", "10", "0"},
                                                        {"NOMBRE", "C", "80", "0"},
                                                        {"DNI", "N", "11", "0"},
                                                        {"ESTAREA", "L", "1", "0"},
                                                        {"HORAS", "N", "20", "4"}};
  EXPECT_EQ(l.fields, fields);
  ExpectRecords(l, want, "CCNLN");
}

TEST(TableReaders, DbfreadReadsAnElevenCharacterName) {
  TempDir dir;
  CreateTable(dir.path(), "ASIGNOMT2.DBF",
              {{"MATERIA", FieldType::Text, 20}, {"OFERTAMATRI", FieldType::Text, 20}});
  {
    Table t(dir.path(), "ASIGNOMT2");
    t.Open();
    t.Append();
    t.SetString("OFERTAMATRI", "2345");
    t.Post();
  }
  Listing l = Dbfread(dir / "ASIGNOMT2.DBF");
  ASSERT_EQ(l.fields.size(), 2u);
  EXPECT_EQ(l.fields[1][0], "OFERTAMATRI");
  ExpectRecords(l, {{"", "2345"}}, "CC");
}

TEST(TableReaders, TdbfReadsEveryTableKind) {
  TempDir dir;
  auto want = WriteAllKinds(dir.path(), "proft.dbf");
  Listing four = Tdbf({"dump", (dir / "proft.dbf").string()});
  EXPECT_EQ(four.level, "4");
  const std::vector<std::vector<std::string>> fields = {{"COD", "C", "10", "0", "ftString"},
                                                        {"NOMBRE", "C", "80", "0", "ftString"},
                                                        {"DNI", "N", "11", "0", "ftLargeint"},
                                                        {"ESTAREA", "L", "1", "0", "ftBoolean"},
                                                        {"HORAS", "N", "20", "4", "ftFloat"}};
  EXPECT_EQ(four.fields, fields);
  ExpectRecords(four, want, "CCNLN");

  // Level 7, chosen for a long field name; integers in the binary 'I' field.
  CreateTable(dir.path(), "nivellari.dbf",
              {{"X_OFERTAMATRIG", FieldType::Integer},
               {"NIVEL_ABREV", FieldType::Text, 5},
               {"ACTIVO", FieldType::Logical},
               {"PESO", FieldType::Float}});
  {
    Table t(dir.path(), "NIVELLARI.DBF");
    t.Open();
    for (std::optional<int64_t> key :
         {std::optional<int64_t>(10101), std::optional<int64_t>(-7),
          std::optional<int64_t>(2147483647), std::optional<int64_t>(-2147483647),
          std::optional<int64_t>()}) {
      t.Append();
      if (key)
        t.SetInteger("X_OFERTAMATRIG", *key);
      t.SetString("NIVEL_ABREV", "Educaci\xF3n");
      t.SetBoolean("ACTIVO", key.has_value());
      if (key)
        t.SetFloat("PESO", static_cast<double>(*key) / 4);
      t.Post();
    }
  }
  Listing seven = Tdbf({"dump", (dir / "nivellari.dbf").string()});
  EXPECT_EQ(seven.level, "7");
  const std::vector<std::vector<std::string>> fields7 = {
      {"X_OFERTAMATRIG", "I", "4", "0", "ftInteger"},
      {"NIVEL_ABREV", "C", "5", "0", "ftString"},
      {"ACTIVO", "L", "1", "0", "ftBoolean"},
      {"PESO", "N", "20", "4", "ftFloat"}};
  EXPECT_EQ(seven.fields, fields7);
  ExpectRecords(seven,
                {{"10101", "Educa", "T", "2525.25"},
                 {"-7", "Educa", "T", "-1.75"},
                 {"2147483647", "Educa", "T", "536870911.75"},
                 {"-2147483647", "Educa", "T", "-536870911.75"},
                 {std::nullopt, "Educa", "F", std::nullopt}},
                "ICLN");

  // An 11-character name fills its descriptor's name bytes with no
  // terminator; TDbf reads on into the type byte, so only the first 11
  // characters of what it reports are the name.
  CreateTable(dir.path(), "asignomt2.dbf", {{"OFERTAMATRI", FieldType::Text, 20}});
  Listing eleven = Tdbf({"dump", (dir / "asignomt2.dbf").string()});
  ASSERT_EQ(eleven.fields.size(), 1u);
  EXPECT_EQ(eleven.fields[0][0].substr(0, 11), "OFERTAMATRI");
  EXPECT_EQ(eleven.fields[0][1], "C");
}

TEST(TableReaders, TdbfMaintainsTheProductionIndex) {
  TempDir made;
  CreateTable(made.path(), "DIASHORAST2.DBF",
              {{"DIHO", FieldType::Text, 10},
               {"CODDIHO", FieldType::Text, 10},
               {"ORDEN", FieldType::Integer}},
              {{"ORDEN", "ORDEN"}});
  // TDbf on Linux finds the index only as a lower-case name.mdx (or in an
  // all-upper-case path) and quietly drops the index flag otherwise.
  TempDir dir;
  fs::copy_file(made / "DIASHORAST2.DBF", dir / "diashorast2.dbf");
  fs::copy_file(made / "DIASHORAST2.MDX", dir / "diashorast2.mdx");
  const std::string table = (dir / "diashorast2.dbf").string();

  Listing before = Tdbf({"dump", table});
  EXPECT_EQ(before.tags, (std::vector<std::string>{"ORDEN|ORDEN"}));
  EXPECT_TRUE(before.records.empty());

  Listing after =
      Tdbf({"append", table, "ORDEN", "5", "-2147483648", "0", "2147483647", "-7", "12", "0"});
  EXPECT_EQ(after.keys,
            (std::vector<std::string>{"-2147483648", "-7", "0", "0", "5", "12", "2147483647"}));
  // Kept on disk: a second run still lists every key in order.
  Listing again = Tdbf({"append", table, "ORDEN", "1"});
  EXPECT_EQ(again.keys, (std::vector<std::string>{"-2147483648", "-7", "0", "0", "1", "5", "12",
                                                  "2147483647"}));

  // The engine reads what TDbf appended, in append order, and still will
  // not append to an index it does not maintain.
  Table t(dir.path(), "DIASHORAST2");
  t.Open();
  std::vector<int32_t> order;
  for (t.First(); !t.Eof(); t.Next())
    order.push_back(t.AsInteger("ORDEN"));
  EXPECT_EQ(order, (std::vector<int32_t>{5, -2147483647 - 1, 0, 2147483647, -7, 12, 0, 1}));
  EXPECT_THROW(t.Append(), TableError);
}

}  // namespace
}  // namespace trasvelo::platform
