#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The dBase table engine: the few operations of the Borland engine's dBase
// driver that the program uses, on real .DBF/.MDX files. Text is program
// text (Windows-1252) and is stored as such. Every failure throws TableError
// whose message names the table file.
namespace trasvelo::platform {

namespace fs = std::filesystem;

// The field types a table can be created with. Foreign tables may hold more
// kinds (date, double, FoxPro integer...); they are read through the same
// AsString/AsInteger/AsFloat calls.
enum class FieldType {
  Text,     // 'C', width 1..100 (254 when read)
  Integer,  // 32-bit signed
  Logical,  // 'L'
  Float,    // floating-point number
};

struct FieldDef {
  std::string name;
  FieldType type = FieldType::Text;
  int width = 0;  // text only; ignored for the other types
};

struct IndexDef {
  std::string name;    // tag name, e.g. "ORDEN"
  std::string fields;  // one field name
};

// What a field of an opened table is, as stored in its file.
struct FieldInfo {
  std::string name;
  char type = 'C';  // the dBase type letter as stored: C N F L D I O B M ...
  int width = 0;
  int decimals = 0;
};

enum class OpenMode { Shared, Exclusive };

// Deletes <name>.DBF and then <name>.MDX in `dir`, each only if it exists, the
// names matched ignoring case. A failed delete is ignored; so is a table that
// another process holds open (Windows refuses to delete a file in use; the
// following create then fails on the lock). `name` may carry ".DBF" or not.
void DropTable(const fs::path& dir, std::string_view name);

// Creates an empty table, replacing one of that name (any case). An index
// list makes a production index <name>.MDX with one tag per index. Fails when
// another process holds the table.
void CreateTable(const fs::path& dir, std::string_view name, const std::vector<FieldDef>& fields,
                 const std::vector<IndexDef>& indexes = {});

// A table object. Construct with the directory and the table name (with or
// without ".DBF", any case); nothing is touched until Open().
class Table {
 public:
  Table(fs::path dir, std::string name);
  ~Table();  // closes (a pending edit is posted; errors then are swallowed)
  Table(const Table&) = delete;
  Table& operator=(const Table&) = delete;
  Table(Table&&) noexcept;
  Table& operator=(Table&&) noexcept;

  // Opening takes an open-file-description lock over the whole file: a read
  // lock for shared use, a write lock for exclusive use; it fails, naming the
  // table, while another process holds a conflicting lock.
  void Open(OpenMode mode = OpenMode::Shared);
  // Posts a pending edit, writes the header and releases the file. Safe to
  // call on a closed table.
  void Close();
  bool Active() const;

  const std::string& Name() const;  // as given, e.g. "PROFT" or "PERIODOS.DBF"
  fs::path FilePath() const;        // the .DBF file (resolved ignoring case once opened)
  const std::vector<FieldInfo>& Fields() const;

  // Navigation in append order; records marked deleted are skipped, and while
  // a filter is on only matching records are seen. Moving posts a pending
  // edit. An empty table is at its end at once.
  void First();
  void Next();
  bool Eof() const;
  long RecordNumber() const;  // 1-based physical number of the current record; 0 at Eof

  // Append a blank record (current from then on), Edit the current one; set
  // fields; Post writes the record and the header's record count.
  void Append();
  void Edit();
  void Post();

  // Locate: `fields` is one field name or several joined by ';', `values` one
  // per field. Exact and case-sensitive, but trailing blanks of both sides
  // are ignored (fields are blank-padded). A numeric field compares by number
  // (the value text is read as a number). True and the first match in table
  // order becomes current; false and the position is unchanged.
  bool Locate(std::string_view fields, const std::vector<std::string>& values);

  // Reading: text without trailing blanks; numbers of a numeric or character
  // field. An empty numeric field reads as 0. AsInteger of a value that is not
  // a whole number throws ConversionError.
  std::string AsString(std::string_view field) const;
  int32_t AsInteger(std::string_view field) const;
  double AsFloat(std::string_view field) const;
  bool IsBlank(std::string_view field) const;

  // Writing, only between Append/Edit and Post. Text longer than the field is
  // cut to its width.
  void SetString(std::string_view field, std::string_view value);
  void SetInteger(std::string_view field, int64_t value);
  void SetFloat(std::string_view field, double value);
  void SetBoolean(std::string_view field, bool value);

  // Records not marked deleted (the filter is not applied).
  long RecordCount() const;

  // Filter: only the form "FIELD= 'value'" (inner quotes doubled) is
  // understood; the comparison is that of Locate. Filtered(true) goes to the
  // first matching record.
  void SetFilter(std::string_view expression);
  void SetFiltered(bool on);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace trasvelo::platform
