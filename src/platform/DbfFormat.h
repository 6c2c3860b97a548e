#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Table.h"

// The .DBF file level: the header and field descriptors, and how each field
// kind is stored in a record. Pure functions on bytes; the table engine adds
// the file and its name to the errors.
namespace trasvelo::platform::dbf {

// A file that is not a readable dBase table. what() is the detail (UTF-8),
// without the file's name.
class FormatError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The forms of a header that matter to reading and writing records.
enum class Dialect {
  DBase,   // dBase III, IV and 5: 32-byte descriptors
  DBase7,  // dBase level 7: 48-byte descriptors, big-endian binary numbers
  FoxPro,  // Visual FoxPro: 32-byte descriptors, little-endian binary numbers
};

struct Field {
  std::string name;  // program text, as stored (NUL and trailing blanks cut)
  char type = 'C';
  int width = 0;
  int decimals = 0;
  int offset = 0;       // of its first byte within the record (the deletion flag is byte 0)
  bool tagged = false;  // the descriptor's production-index flag
};

struct Layout {
  uint8_t version = 0x03;
  Dialect dialect = Dialect::DBase;
  bool productionIndex = false;  // header byte 28
  uint8_t language = 0;          // header byte 29
  uint32_t recordCount = 0;
  uint32_t headerLength = 0;
  uint32_t recordLength = 0;
  std::vector<Field> fields;
};

// The language-driver byte of the Windows-1252 driver, and its name in a
// level-7 header.
inline constexpr uint8_t kLanguage1252 = 0x57;
inline constexpr std::string_view kLanguageName1252 = "DBWINUS0";
inline constexpr char kEndOfFile = 0x1A;
inline constexpr char kDeleted = '*';

// Reads the header and field descriptors of a whole file and checks that its
// records are all there. Throws FormatError.
Layout ParseHeader(std::string_view file);

// The layout of a table to be created: field encodings, dialect, offsets.
// Throws FormatError for a field list that cannot be stored.
Layout PlanTable(const std::vector<FieldDef>& fields, const std::vector<IndexDef>& indexes);

// The header (descriptors and terminator included) of `layout`, with the
// record count and today's date.
std::string BuildHeader(const Layout& layout);
// Bytes 1..7 of a header: the date of last update and the record count.
std::string DateAndCount(uint32_t recordCount);

// A record of blanks: the deletion flag clear and every field unset.
std::string BlankRecord(const Layout& layout);

// Reading one field of a record (`raw` is the field's bytes).
bool IsBlank(const Layout& layout, const Field& field, std::string_view raw);
// The text of the field: trailing blanks cut; numbers in plain decimal.
std::string ReadText(const Layout& layout, const Field& field, std::string_view raw);
// The number in a numeric field (nothing when blank); throws ConversionError
// when the bytes are not a number. Text fields are not numeric.
bool IsNumeric(const Layout& layout, const Field& field);
std::optional<double> ReadNumber(const Layout& layout, const Field& field, std::string_view raw);
// A whole number of 64 bits held exactly (an integer field, or a numeric text
// without a fraction); nothing when the field is blank or holds a fraction.
std::optional<int64_t> ReadWhole(const Layout& layout, const Field& field, std::string_view raw);

// Writing one field into `out` (the field's bytes). Throw ConversionError for
// a text that is not a number of a numeric field, FormatError for a value the
// field cannot hold.
void WriteText(const Layout& layout, const Field& field, std::string_view value, char* out);
void WriteInteger(const Layout& layout, const Field& field, int64_t value, char* out);
void WriteFloat(const Layout& layout, const Field& field, double value, char* out);
void WriteBoolean(const Layout& layout, const Field& field, bool value, char* out);
void WriteBlank(const Layout& layout, const Field& field, char* out);

// Comparison of a stored field with a searched value, as locate and the
// filter see it: text with the trailing blanks of both sides ignored; numbers
// by value (a value that is not a number matches nothing; an empty value
// matches a blank field).
bool Matches(const Layout& layout, const Field& field, std::string_view raw,
             std::string_view value);

// Plain decimal text of a number: whole numbers without a fraction, others
// in the shortest form that reads back to the same double.
std::string FormatNumber(double value);

// Text to number, as the engine reads a numeric field or a value: blanks
// around it allowed, a sign, digits, an optional fraction and exponent.
std::optional<double> ParseNumber(std::string_view text);

}  // namespace trasvelo::platform::dbf
