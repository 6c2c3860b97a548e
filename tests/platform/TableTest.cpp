#include "platform/Table.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ctime>
#include <functional>
#include <optional>

#include "TableTestSupport.h"
#include "platform/Error.h"
#include "support/TempDir.h"

namespace trasvelo::platform {
namespace {

using test::Bytes;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;
using ::testing::HasSubstr;

// Program text is Windows-1252: "Educación", "ÑANDÚ".
const std::string kEducacion = "Educaci\xF3n";
const std::string kNandu =
    "\xD1"
    "AND\xDA";

const std::vector<FieldDef> kAllKinds = {
    {"COD", FieldType::Text, 10},    {"NOMBRE", FieldType::Text, 80}, {"DNI", FieldType::Integer},
    {"ESTAREA", FieldType::Logical}, {"HORAS", FieldType::Float},
};

std::string Today() {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  return {static_cast<char>(tm.tm_year), static_cast<char>(tm.tm_mon + 1),
          static_cast<char>(tm.tm_mday)};
}

// The text of what() of the error `f` throws; fails the test when it throws
// nothing or something else.
template <typename E = TableError>
std::string MessageOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const E& e) {
    return e.what();
  }
  ADD_FAILURE() << "no error thrown";
  return "";
}

std::vector<long> Visit(Table& t) {
  std::vector<long> seen;
  for (t.First(); !t.Eof(); t.Next())
    seen.push_back(t.RecordNumber());
  return seen;
}

TEST(Table, EveryFieldKindRoundTrips) {
  struct Row {
    std::optional<std::string> cod;
    std::optional<int64_t> dni;
    std::optional<bool> tarea;
    std::optional<double> horas;
    std::string codRead;  // what AsString gives back
  };
  const std::vector<Row> rows = {
      {"ABC", 42, true, 4.0, "ABC"},
      {kEducacion, -2147483648LL, false, -2.5, kEducacion},
      {kNandu + "   ", 2147483647, std::nullopt, 0.0001, kNandu},  // trailing blanks go
      {"  lead", 0, true, 123456789012345.0, "  lead"},            // leading blanks stay
      {"ABCDEFGHIJKLMNO", -1, false, -0.5, "ABCDEFGHIJ"},          // cut to the width
      {std::nullopt, std::nullopt, std::nullopt, std::nullopt, ""},
  };
  TempDir dir;
  CreateTable(dir.path(), "ASIGNOMT.DBF", kAllKinds);
  {
    Table t(dir.path(), "ASIGNOMT");
    t.Open();
    for (const Row& r : rows) {
      t.Append();
      if (r.cod)
        t.SetString("COD", *r.cod);
      if (r.dni)
        t.SetInteger("DNI", *r.dni);
      if (r.tarea)
        t.SetBoolean("ESTAREA", *r.tarea);
      if (r.horas)
        t.SetFloat("HORAS", *r.horas);
      t.Post();
    }
  }
  Table t(dir.path(), "ASIGNOMT");
  t.Open();
  ASSERT_EQ(t.RecordCount(), static_cast<long>(rows.size()));
  t.First();
  for (const Row& r : rows) {
    SCOPED_TRACE(r.codRead);
    ASSERT_FALSE(t.Eof());
    EXPECT_EQ(t.AsString("COD"), r.codRead);
    EXPECT_EQ(t.IsBlank("COD"), !r.cod.has_value());
    EXPECT_EQ(t.AsString("NOMBRE"), "");
    EXPECT_TRUE(t.IsBlank("NOMBRE"));
    EXPECT_EQ(t.AsInteger("DNI"), r.dni.value_or(0));
    EXPECT_EQ(t.IsBlank("DNI"), !r.dni.has_value());
    EXPECT_EQ(t.AsString("ESTAREA"), r.tarea ? (*r.tarea ? "T" : "F") : "");
    EXPECT_EQ(t.IsBlank("ESTAREA"), !r.tarea.has_value());
    EXPECT_DOUBLE_EQ(t.AsFloat("HORAS"), r.horas.value_or(0.0));
    EXPECT_EQ(t.IsBlank("HORAS"), !r.horas.has_value());
    t.Next();
  }
  EXPECT_TRUE(t.Eof());
}

TEST(Table, WritesLevelFourFileByteForByte) {
  TempDir dir;
  CreateTable(dir.path(), "T.DBF",
              {{"COD", FieldType::Text, 3},
               {"N", FieldType::Integer},
               {"L", FieldType::Logical},
               {"F", FieldType::Float}});
  {
    Table t(dir.path(), "T");
    t.Open(OpenMode::Exclusive);
    t.Append();
    t.SetString("COD", "A\xF1");  // "Añ"
    t.SetInteger("N", -5);
    t.SetBoolean("L", true);
    t.SetFloat("F", 2.5);
    t.Post();
    t.Append();  // all unset
    t.Post();
  }
  const std::string f = ReadFile(dir / "T.DBF");
  auto descriptor = [](std::string name, char type, int width, int decimals) {
    std::string d(32, '\0');
    d.replace(0, name.size(), name);
    d[11] = type;
    d[16] = static_cast<char>(width);
    d[17] = static_cast<char>(decimals);
    return d;
  };
  std::string expected = std::string(1, '\x03') + Today() + test::Le(2, 4) + test::Le(161, 2) +
                         test::Le(36, 2) + std::string(16, '\0') + std::string(1, '\0') +
                         std::string(1, '\x57') + std::string(2, '\0');
  expected += descriptor("COD", 'C', 3, 0) + descriptor("N", 'N', 11, 0) +
              descriptor("L", 'L', 1, 0) + descriptor("F", 'N', 20, 4) + "\r";
  expected += std::string(" A\xF1 ") + "         -5" + "T" + "              2.5000";
  expected += std::string(36, ' ');
  expected += '\x1A';
  EXPECT_EQ(f, expected);
}

TEST(Table, ElevenCharacterNameFitsLevelFourUnterminated) {
  TempDir dir;
  CreateTable(dir.path(), "ASIGNOMT2.DBF",
              {{"OFERTAMATRI", FieldType::Text, 20}, {"CODTAREA", FieldType::Text, 12}});
  const std::string f = ReadFile(dir / "ASIGNOMT2.DBF");
  EXPECT_EQ(f[0], '\x03');
  EXPECT_EQ(Bytes(f, 32, 12), "OFERTAMATRIC");  // 11 name bytes, then the type
  Table t(dir.path(), "ASIGNOMT2");
  t.Open();
  ASSERT_EQ(t.Fields().size(), 2u);
  EXPECT_EQ(t.Fields()[0].name, "OFERTAMATRI");
  EXPECT_EQ(t.Fields()[1].name, "CODTAREA");
}

TEST(Table, LongFieldNameMakesLevelSevenWithBinaryIntegers) {
  TempDir dir;
  CreateTable(dir.path(), "NIVELLARI.dbf",
              {{"X_OFERTAMATRIG", FieldType::Integer},
               {"NIVEL_ABREV", FieldType::Text, 5},
               {"ACTIVO", FieldType::Logical},
               {"PESO", FieldType::Float}});
  const std::vector<std::optional<int64_t>> values = {-5, 2147483647, 0, std::nullopt, 10101};
  {
    Table t(dir.path(), "NIVELLARI.dbf");
    t.Open();
    for (const auto& v : values) {
      t.Append();
      if (v)
        t.SetInteger("X_OFERTAMATRIG", *v);
      t.SetString("NIVEL_ABREV", "INF");
      t.Post();
    }
    // Level 7 keeps zero bytes for "unset", the place of -2147483648.
    t.Append();
    EXPECT_THAT(MessageOf([&] { t.SetInteger("X_OFERTAMATRIG", -2147483648LL); }),
                HasSubstr("X_OFERTAMATRIG"));
  }
  const std::string f = ReadFile(dir / "NIVELLARI.dbf");
  EXPECT_EQ(f[0], '\x04');
  EXPECT_EQ(f[29], '\x57');
  EXPECT_EQ(Bytes(f, 32, 9), std::string("DBWINUS0\0", 9));
  EXPECT_EQ(Bytes(f, 8, 2), test::Le(68 + 4 * 48 + 1, 2));
  EXPECT_EQ(Bytes(f, 68, 15), std::string("X_OFERTAMATRIG\0", 15));
  EXPECT_EQ(f[68 + 32], 'I');
  EXPECT_EQ(f[68 + 33], 4);
  EXPECT_EQ(f[68 + 48 + 32], 'C');
  const size_t first = 68 + 4 * 48 + 1;
  const size_t length = 1 + 4 + 5 + 1 + 20;
  EXPECT_EQ(Bytes(f, first + 1, 4), "\x7F\xFF\xFF\xFB");                         // -5
  EXPECT_EQ(Bytes(f, first + length + 1, 4), "\xFF\xFF\xFF\xFF");                // 2147483647
  EXPECT_EQ(Bytes(f, first + 2 * length + 1, 4), std::string("\x80\0\0\0", 4));  // 0
  EXPECT_EQ(Bytes(f, first + 3 * length + 1, 4), std::string(4, '\0'));          // unset

  Table t(dir.path(), "NIVELLARI.DBF");
  t.Open();
  t.First();
  for (const auto& v : values) {
    EXPECT_EQ(t.AsInteger("X_OFERTAMATRIG"), v.value_or(0));
    EXPECT_EQ(t.IsBlank("X_OFERTAMATRIG"), !v.has_value());
    t.Next();
  }
  // A search with the course key as a whole number finds its record.
  ASSERT_TRUE(t.Locate("X_OFERTAMATRIG", {"10101"}));
  EXPECT_EQ(t.RecordNumber(), 5);
}

TEST(Table, IndexedTableGetsProductionIndex) {
  TempDir dir;
  std::vector<FieldDef> fields = {{"DIHO", FieldType::Text, 10}, {"ORDEN", FieldType::Integer}};
  CreateTable(dir.path(), "DIASHORAST2.DBF", fields, {{"ORDEN", "ORDEN"}});
  const std::string dbf = ReadFile(dir / "DIASHORAST2.DBF");
  EXPECT_EQ(dbf[28], 1);
  EXPECT_EQ(dbf[32 + 31], 0);  // DIHO: no tag
  EXPECT_EQ(dbf[64 + 31], 1);  // ORDEN: tagged

  const std::string mdx = ReadFile(dir / "DIASHORAST2.MDX");
  ASSERT_EQ(mdx.size(), 8u * 512);
  EXPECT_EQ(mdx[0], 2);
  EXPECT_EQ(Bytes(mdx, 4, 12), std::string("DIASHORAST2\0", 12));
  EXPECT_EQ(Bytes(mdx, 20, 4), test::Le(2, 2) + test::Le(1024, 2));  // pages per block, block
  EXPECT_EQ(mdx[24], 1);                                             // production index
  EXPECT_EQ(mdx[25], 48);
  EXPECT_EQ(mdx[26], 32);
  EXPECT_EQ(Bytes(mdx, 28, 2), test::Le(1, 2));  // tags in use
  EXPECT_EQ(mdx[31], dbf[29]);                   // the table's language
  EXPECT_EQ(Bytes(mdx, 544, 10), test::Le(4, 4) + std::string("ORDEN\0", 6));
  EXPECT_EQ(mdx[544 + 20], 'N');
  const size_t tag = 4 * 512;
  EXPECT_EQ(Bytes(mdx, tag, 4), test::Le(6, 4));  // root page
  EXPECT_EQ(mdx[tag + 9], 'N');
  EXPECT_EQ(Bytes(mdx, tag + 12, 2), test::Le(12, 2));  // key length
  EXPECT_EQ(Bytes(mdx, tag + 24, 6), std::string("ORDEN\0", 6));
  EXPECT_EQ(Bytes(mdx, 6 * 512, 1024), std::string(1024, '\0'));  // an empty leaf

  // A lower-case table gets a lower-case index, which readers on Linux find.
  CreateTable(dir.path(), "dias.dbf", fields, {{"ORDEN", "ORDEN"}});
  EXPECT_TRUE(fs::exists(dir / "dias.mdx"));
}

TEST(Table, RefusesToChangeATableWhoseIndexItDoesNotMaintain) {
  TempDir dir;
  CreateTable(dir.path(), "DIASHORAST2.DBF",
              {{"DIHO", FieldType::Text, 10}, {"ORDEN", FieldType::Integer}}, {{"ORDEN", "ORDEN"}});
  Table t(dir.path(), "DIASHORAST2");
  t.Open();
  EXPECT_THAT(MessageOf([&] { t.Append(); }), HasSubstr("DIASHORAST2"));
  EXPECT_EQ(t.RecordCount(), 0);
  t.Close();
  EXPECT_EQ(ReadFile(dir / "DIASHORAST2.DBF").size(), 32u + 2 * 32 + 1 + 1);
}

TEST(Table, EveryPostReachesTheFile) {
  TempDir dir;
  CreateTable(dir.path(), "PROFT.DBF", kAllKinds);
  {
    Table writer(dir.path(), "PROFT");
    writer.Open();
    for (int i = 1; i <= 3; ++i) {
      writer.Append();
      writer.SetInteger("DNI", i);
      writer.Post();
      Table reader(dir.path(), "PROFT");  // a second, shared open sees it at once
      reader.Open();
      EXPECT_EQ(reader.RecordCount(), i);
      EXPECT_EQ(ReadFile(dir / "PROFT.DBF").back(), '\x1A');
    }
  }
  // A run stopped half-way, without closing, leaves a readable table.
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    Table t(dir.path(), "PROFT");
    t.Open();
    t.Append();
    t.SetString("COD", "HIJO");
    t.Post();
    t.Append();
    t.SetString("COD", "NUNCA");  // never posted
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  Table t(dir.path(), "PROFT");
  t.Open();
  EXPECT_EQ(t.RecordCount(), 4);
  ASSERT_TRUE(t.Locate("COD", {"HIJO"}));
  EXPECT_EQ(t.RecordNumber(), 4);
  EXPECT_FALSE(t.Locate("COD", {"NUNCA"}));
}

TEST(Table, NavigatesInAppendOrderSkippingDeletedAndPostsWhenMoving) {
  TempDir dir;
  CreateTable(dir.path(), "T.DBF", kAllKinds);
  Table t(dir.path(), "T");
  t.Open();
  t.First();
  EXPECT_TRUE(t.Eof());  // empty: at its end at once
  EXPECT_EQ(t.RecordNumber(), 0);
  EXPECT_EQ(t.AsString("COD"), "");
  t.Post();  // nothing to post: no effect
  for (const char* cod : {"A", "B", "C", "D"}) {
    t.Append();
    t.SetString("COD", cod);
    t.Post();
  }
  t.Close();

  // Mark record 2 deleted, as another program would.
  std::string f = ReadFile(dir / "T.DBF");
  const size_t header = 32 + 5 * 32 + 1;
  const size_t length = 1 + 10 + 80 + 11 + 1 + 20;
  f[header + length] = '*';
  WriteFile(dir / "T.DBF", f);

  t.Open();
  EXPECT_EQ(t.RecordCount(), 3);
  EXPECT_EQ(Visit(t), (std::vector<long>{1, 3, 4}));
  EXPECT_EQ(t.AsString("COD"), "D");  // past the end, the last record stays current
  EXPECT_FALSE(t.Locate("COD", {"B"}));

  t.First();
  t.Next();  // record 3
  t.Edit();
  t.SetString("COD", "C2");
  t.Next();  // posts the edit
  t.Append();
  t.SetString("COD", "E");
  EXPECT_FALSE(t.Eof());
  t.First();  // posts the append
  t.Append();
  t.SetString("COD", "F");
  t.Close();  // posts too

  t.Open();
  std::vector<std::string> cods;
  for (t.First(); !t.Eof(); t.Next())
    cods.push_back(t.AsString("COD"));
  EXPECT_EQ(cods, (std::vector<std::string>{"A", "C2", "D", "E", "F"}));
}

TEST(Table, LocateComparesAsStoredIgnoringTrailingBlanks) {
  TempDir dir;
  CreateTable(dir.path(), "T.DBF",
              {{"NOMBRE", FieldType::Text, 20},
               {"CLAVE", FieldType::Integer},
               {"HORAS", FieldType::Float},
               {"ESTAREA", FieldType::Logical}});
  Table t(dir.path(), "T");
  t.Open();
  struct Rec {
    std::string nombre;
    int clave;
    std::optional<double> horas;
  };
  for (const Rec& r : std::vector<Rec>{{kEducacion, 10101, 4.0},
                                       {"educaci\xF3n", 5, 2.5},
                                       {" " + kEducacion, -7, std::nullopt},
                                       {kEducacion, 10101, 1.0}}) {
    t.Append();
    t.SetString("NOMBRE", r.nombre);
    t.SetInteger("CLAVE", r.clave);
    if (r.horas)
      t.SetFloat("HORAS", *r.horas);
    t.SetBoolean("ESTAREA", r.clave == 5);
    t.Post();
  }
  struct Case {
    std::string fields;
    std::vector<std::string> values;
    long found;  // record number, 0 for none
  };
  const std::vector<Case> cases = {
      {"NOMBRE", {kEducacion + "  "}, 1},  // the searched value's trailing blanks
      {"NOMBRE", {"educaci\xF3n"}, 2},     // letter case counts
      {"NOMBRE", {" " + kEducacion}, 3},   // leading blanks count
      {"NOMBRE", {"Educacion"}, 0},
      {"NOMBRE", {""}, 0},
      {"CLAVE", {"10101"}, 1},  // numbers by value
      {"CLAVE", {"-7"}, 3},
      {"CLAVE", {"5.0"}, 2},
      {"CLAVE", {"abc"}, 0},
      {"HORAS", {"2.5"}, 2},
      {"HORAS", {""}, 3},  // an empty value finds a blank number
      {"ESTAREA", {"T"}, 2},
      {"NOMBRE;HORAS", {kEducacion, "1"}, 4},
      {"NOMBRE ; CLAVE", {kEducacion, "10101"}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fields + " = " + c.values[0]);
    t.First();
    t.Next();  // at record 2: a failed search stays there
    EXPECT_EQ(t.Locate(c.fields, c.values), c.found != 0);
    EXPECT_EQ(t.RecordNumber(), c.found != 0 ? c.found : 2);
  }
  EXPECT_THAT(MessageOf([&] { t.Locate("NOMBRE;CLAVE", {kEducacion}); }), HasSubstr("T.DBF"));
  EXPECT_THAT(MessageOf([&] { t.Locate("NOMBRE;FALTA", {"a", "b"}); }), HasSubstr("FALTA"));
}

TEST(Table, FilterShowsOnlyMatchingRecords) {
  TempDir dir;
  CreateTable(dir.path(), "SOLUC.DBF",
              {{"PROF", FieldType::Text, 10}, {"DIA", FieldType::Integer}});
  Table t(dir.path(), "SOLUC");
  t.Open();
  for (const char* prof : {"O'NEIL", "ANA", "O'NEIL", "ANABEL", "o'neil"}) {
    t.Append();
    t.SetString("PROF", prof);
    t.Post();
  }
  t.SetFiltered(false);
  t.SetFilter("PROF= 'O''NEIL'");
  t.SetFiltered(true);
  EXPECT_EQ(t.RecordNumber(), 1);  // at the first match
  EXPECT_EQ(Visit(t), (std::vector<long>{1, 3}));
  EXPECT_EQ(t.RecordCount(), 5);
  EXPECT_FALSE(t.Locate("PROF", {"ANA"}));  // the filter hides it from a search too
  t.SetFiltered(false);
  t.SetFilter("PROF= 'ANA  '");
  t.SetFiltered(true);
  EXPECT_EQ(Visit(t), (std::vector<long>{2}));
  t.SetFilter("PROF= ''");  // changing the text while filtering applies it
  EXPECT_TRUE(t.Eof());
  t.SetFiltered(false);
  EXPECT_EQ(Visit(t).size(), 5u);

  for (const char* bad : {"PROF = ANA", "PROF= 'A'B'", "PROF 'ANA'", "", "= 'ANA'", "PROF= 'ANA"}) {
    SCOPED_TRACE(bad);
    EXPECT_THAT(MessageOf([&] { t.SetFilter(bad); }), HasSubstr("SOLUC"));
  }
  t.SetFilter("NADIE= 'X'");
  EXPECT_THAT(MessageOf([&] { t.SetFiltered(true); }), HasSubstr("NADIE"));
  t.SetFiltered(false);
  t.Close();

  // A filter set before opening applies from the start.
  Table u(dir.path(), "SOLUC");
  u.SetFilter("PROF= 'ANABEL'");
  u.SetFiltered(true);
  u.Open();
  EXPECT_EQ(Visit(u), (std::vector<long>{4}));
}

TEST(Table, ConvertsBetweenTextAndNumbers) {
  TempDir dir;
  CreateTable(dir.path(), "T.DBF", kAllKinds);
  Table t(dir.path(), "T");
  t.Open();
  t.Append();
  t.SetFloat("HORAS", 4);
  t.SetInteger("DNI", -5);
  t.SetString("COD", " 7");
  t.Post();
  EXPECT_EQ(t.AsString("HORAS"), "4");
  EXPECT_EQ(t.AsString("DNI"), "-5");
  EXPECT_EQ(t.AsInteger("COD"), 7);  // a number held as text
  EXPECT_DOUBLE_EQ(t.AsFloat("COD"), 7.0);
  EXPECT_EQ(t.AsInteger("HORAS"), 4);
  EXPECT_DOUBLE_EQ(t.AsFloat("DNI"), -5.0);

  struct Case {
    const char* what;
    std::function<void()> action;
    std::string message;  // the whole message of a ConversionError
  };
  const std::vector<Case> conversions = {
      {"text with letters as integer",
       [&] {
         t.Edit();
         t.SetString("COD", "12a");
         t.Post();
         t.AsInteger("COD");
       },
       "'12a' is not a valid integer value"},
      {"empty text as integer",
       [&] {
         t.Edit();
         t.SetString("COD", "");
         t.Post();
         t.AsInteger("COD");
       },
       "'' is not a valid integer value"},
      {"a fraction as integer",
       [&] {
         t.Edit();
         t.SetFloat("HORAS", 2.5);
         t.Post();
         t.AsInteger("HORAS");
       },
       "'2.5' is not a valid integer value"},
      {"letters into an integer field",
       [&] {
         t.Edit();
         t.SetString("DNI", "abc");
       },
       "'abc' is not a valid integer value"},
      {"letters into a float field", [&] { t.SetString("HORAS", "x1"); },
       "'x1' is not a valid floating point value"},
      {"a word into a logical field", [&] { t.SetString("ESTAREA", "X"); },
       "'X' is not a valid boolean value"},
  };
  for (const Case& c : conversions) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(MessageOf<ConversionError>(c.action), c.message);
  }

  // Values that do not fit: errors naming the table and the field.
  const std::vector<std::pair<std::string, std::function<void()>>> misfits = {
      {"HORAS", [&] { t.SetFloat("HORAS", 1e17); }},
      {"HORAS", [&] { t.SetFloat("HORAS", std::nan("")); }},
      {"DNI", [&] { t.SetInteger("DNI", 1LL << 40); }},
      {"DNI", [&] { t.SetFloat("DNI", -3e9); }},
      {"COD", [&] { t.SetBoolean("COD", true); }},
  };
  for (const auto& [field, action] : misfits) {
    SCOPED_TRACE(field);
    std::string m = MessageOf(action);
    EXPECT_THAT(m, HasSubstr(field));
    EXPECT_THAT(m, HasSubstr("T.DBF"));
  }

  t.SetString("DNI", "");  // empty text clears a number
  t.SetString("HORAS", "1.25");
  t.SetString("ESTAREA", "F");
  t.SetFloat("DNI", 2.6);  // an integer field takes the nearest whole number
  t.Post();
  EXPECT_EQ(t.AsInteger("DNI"), 3);
  EXPECT_DOUBLE_EQ(t.AsFloat("HORAS"), 1.25);
  EXPECT_EQ(t.AsString("ESTAREA"), "F");
  t.Edit();
  t.SetString("DNI", "");
  t.Post();
  EXPECT_TRUE(t.IsBlank("DNI"));
}

TEST(Table, ErrorsNameTheTableFile) {
  TempDir dir;
  const std::string where = (dir / "PROFT.DBF").string();
  Table missing(dir.path(), "PROFT");
  EXPECT_THAT(MessageOf([&] { missing.Open(); }), HasSubstr(where));
  Table nodir(dir / "nada", "PROFT");
  EXPECT_THAT(MessageOf([&] { nodir.Open(); }), HasSubstr("nada"));
  EXPECT_THAT(MessageOf([&] { CreateTable(dir / "nada", "PROFT", kAllKinds); }),
              HasSubstr("PROFT"));

  CreateTable(dir.path(), "PROFT", kAllKinds);
  Table t(dir.path(), "PROFT");
  EXPECT_THAT(MessageOf([&] { t.First(); }), HasSubstr(where));  // not open
  t.Open();
  EXPECT_THAT(MessageOf([&] { t.AsString("FALTA"); }), HasSubstr("FALTA"));
  EXPECT_THAT(MessageOf([&] { t.SetString("COD", "x"); }), HasSubstr(where));  // no Append
  EXPECT_THAT(MessageOf([&] { t.Edit(); }), HasSubstr(where));                 // no current record
  EXPECT_EQ(t.AsString("cod"), "");  // field names ignore case, as the engine's do

  const std::vector<std::pair<std::vector<FieldDef>, std::vector<IndexDef>>> bad = {
      {{}, {}},
      {{{"A", FieldType::Text, 0}}, {}},
      {{{"A", FieldType::Text, 255}}, {}},
      {{{"A", FieldType::Text, 1}, {"a", FieldType::Integer}}, {}},
      {{{"A B", FieldType::Text, 1}}, {}},
      {{{std::string(32, 'A'), FieldType::Text, 1}}, {}},
      {{{"A", FieldType::Text, 1}}, {{"A", "A"}}},  // an index on text
      {{{"A", FieldType::Integer}}, {{"A", "B"}}},  // on a missing field
      {{{"A", FieldType::Integer}}, {{"A", "A"}, {"a", "A"}}},
      {{{"X_OFERTAMATRIG", FieldType::Integer}}, {{"X", "X_OFERTAMATRIG"}}},  // level 7
  };
  for (size_t i = 0; i < bad.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_THAT(MessageOf([&] { CreateTable(dir.path(), "MAL", bad[i].first, bad[i].second); }),
                HasSubstr((dir / "MAL.DBF").string()));
  }
}

TEST(Table, FileNamesIgnoreLetterCase) {
  TempDir dir;
  const std::vector<FieldDef> fields = {{"ORDEN", FieldType::Integer}};
  CreateTable(dir.path(), "AULAT", fields);
  CreateTable(dir.path(), "periodos.dbf", fields);
  CreateTable(dir.path(), "NIVELLARI.DBF", fields);
  EXPECT_TRUE(fs::exists(dir / "AULAT.DBF"));     // the name + .DBF
  EXPECT_TRUE(fs::exists(dir / "periodos.dbf"));  // the name as given

  Table periodos(dir.path(), "PERIODOS.DBF");
  periodos.Open();
  EXPECT_EQ(periodos.FilePath(), dir / "periodos.dbf");
  Table niveles(dir.path(), "NIVELLARI.dbf");
  niveles.Open();
  EXPECT_EQ(niveles.FilePath(), dir / "NIVELLARI.DBF");
  niveles.Close();
  periodos.Close();

  // Drop removes whichever spelling exists, of the table and of its index.
  WriteFile(dir / "asignomt.dbf", "x");
  WriteFile(dir / "Asignomt.Mdx", "x");
  WriteFile(dir / "ASIGNOMT2.DBF", "x");
  DropTable(dir.path(), "ASIGNOMT");
  EXPECT_FALSE(fs::exists(dir / "asignomt.dbf"));
  EXPECT_FALSE(fs::exists(dir / "Asignomt.Mdx"));
  EXPECT_TRUE(fs::exists(dir / "ASIGNOMT2.DBF"));
  DropTable(dir.path(), "NADA");  // nothing there: no error

  // Create replaces a table of that name in any case, and any old index.
  WriteFile(dir / "diashorast2.dbf", "old");
  WriteFile(dir / "DiasHoraST2.mdx", "old");
  CreateTable(dir.path(), "DIASHORAST2.DBF", fields);
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir.path())) {
    std::string n = e.path().filename().string();
    if (n.rfind("dias", 0) == 0 || n.rfind("DIAS", 0) == 0)
      names.push_back(n);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"diashorast2.dbf"}));
  Table t(dir.path(), "DIASHORAST2");
  t.Open();
  EXPECT_EQ(t.Fields().size(), 1u);
}

}  // namespace
}  // namespace trasvelo::platform
