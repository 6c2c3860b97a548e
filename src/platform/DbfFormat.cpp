#include "platform/DbfFormat.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <limits>

#include "platform/Error.h"
#include "platform/Text1252.h"

namespace trasvelo::platform::dbf {

namespace {

uint32_t Le16(std::string_view b, size_t at) {
  return static_cast<uint8_t>(b[at]) | (static_cast<uint8_t>(b[at + 1]) << 8);
}

uint32_t Le32(std::string_view b, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i)
    v = (v << 8) | static_cast<uint8_t>(b[at + i]);
  return v;
}

uint64_t Le64(std::string_view b) {
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i)
    v = (v << 8) | static_cast<uint8_t>(b[i]);
  return v;
}

uint64_t Be64(std::string_view b) {
  uint64_t v = 0;
  for (int i = 0; i < 8; ++i)
    v = (v << 8) | static_cast<uint8_t>(b[i]);
  return v;
}

void PutLe16(std::string& b, size_t at, uint32_t v) {
  b[at] = static_cast<char>(v & 0xFF);
  b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

void PutLe32(std::string& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i)
    b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

std::string Quoted(std::string_view name) {
  return "'" + Cp1252ToUtf8(name) + "'";
}

std::string_view TrimRightBlanks(std::string_view s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\0'))
    s.remove_suffix(1);
  return s;
}

std::string_view TrimBlanks(std::string_view s) {
  s = TrimRightBlanks(s);
  while (!s.empty() && (s.front() == ' ' || s.front() == '\0'))
    s.remove_prefix(1);
  return s;
}

bool AllOf(std::string_view s, char c) {
  for (char x : s) {
    if (x != c)
      return false;
  }
  return true;
}

bool IsLevel7Version(uint8_t version) {
  return (version & 0x07) == 0x04;
}

bool IsFoxProVersion(uint8_t version) {
  return version == 0x30 || version == 0x31 || version == 0x32 || version == 0xF5 ||
         version == 0xFB;
}

bool IsKnownVersion(uint8_t version) {
  switch (version) {
    case 0x03:  // dBase III and IV, FoxBase+, without memo
    case 0x04:  // dBase level 7
    case 0x05:  // dBase 5
    case 0x30:  // Visual FoxPro
    case 0x31:  // Visual FoxPro with autoincrement
    case 0x32:  // Visual FoxPro with varchar
    case 0x43:  // dBase IV SQL table
    case 0x63:  // dBase IV SQL system table
    case 0x83:  // dBase III with memo
    case 0x8B:  // dBase IV with memo
    case 0x8C:  // dBase level 7 with memo
    case 0xCB:  // dBase IV SQL table with memo
    case 0xE5:  // Clipper SIX driver with SMT memo
    case 0xF5:  // FoxPro 2 with memo
    case 0xFB:  // FoxBase
      return true;
    default:
      return false;
  }
}

// Binary field kinds have one width only; a descriptor giving another would
// make the decoders read past the field.
int BinaryWidth(Dialect dialect, char type) {
  switch (type) {
    case 'I':
    case '+':
      return 4;
    case 'O':
    case '@':
    case 'Y':
    case 'T':
      return 8;
    case 'B':
      return dialect == Dialect::FoxPro ? 8 : 0;
    default:
      return 0;
  }
}

bool IsDouble(const Layout& layout, const Field& field) {
  return field.type == 'O' || (field.type == 'B' && layout.dialect == Dialect::FoxPro);
}

// A whole number of a text without exponent: optional sign, digits, and an
// optional fraction of zeros only.
std::optional<int64_t> ParseWholeText(std::string_view t) {
  t = TrimBlanks(t);
  bool negative = false;
  if (!t.empty() && (t.front() == '-' || t.front() == '+')) {
    negative = t.front() == '-';
    t.remove_prefix(1);
  }
  size_t dot = t.find('.');
  std::string_view digits = t.substr(0, dot);
  if (dot != std::string_view::npos) {
    std::string_view fraction = t.substr(dot + 1);
    if (!AllOf(fraction, '0'))
      return std::nullopt;
  }
  if (digits.empty() || digits.size() > 18)
    return std::nullopt;
  int64_t v = 0;
  for (char c : digits) {
    if (c < '0' || c > '9')
      return std::nullopt;
    v = v * 10 + (c - '0');
  }
  return negative ? -v : v;
}

int32_t DecodeInt32(const Layout& layout, std::string_view raw) {
  uint32_t u = 0;
  if (layout.dialect == Dialect::DBase7) {
    // Level 7: big-endian with the sign bit flipped, so bytes sort as numbers.
    for (int i = 0; i < 4; ++i)
      u = (u << 8) | static_cast<uint8_t>(raw[i]);
    u ^= 0x80000000u;
  } else {
    u = Le32(raw, 0);  // FoxPro and other writers: plain little-endian
  }
  return static_cast<int32_t>(u);
}

double DecodeDouble(const Layout& layout, std::string_view raw) {
  uint64_t bits = 0;
  if (layout.dialect == Dialect::DBase7) {
    // Level 7: big-endian; positives have the sign bit flipped, negatives
    // every bit, so that bytes sort as numbers.
    bits = Be64(raw);
    bits = (bits & 0x8000000000000000ull) ? (bits ^ 0x8000000000000000ull) : ~bits;
  } else {
    bits = Le64(raw);
  }
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

std::string FloatMessage(std::string_view text) {
  return "'" + Cp1252ToUtf8(text) + "' is not a valid floating point value";
}

std::string TooWide(const Field& field, std::string_view value) {
  return "el valor " + Cp1252ToUtf8(value) + " no cabe en el campo " + Quoted(field.name) +
         " (ancho " + std::to_string(field.width) + ")";
}

std::string NotWritable(const Field& field, std::string_view what) {
  return "el campo " + Quoted(field.name) + " (tipo " + std::string(1, field.type) +
         ") no admite " + std::string(what);
}

bool IsIntegerField(const Field& field) {
  return field.type == 'I' || field.type == '+' ||
         ((field.type == 'N' || field.type == 'F') && field.decimals == 0);
}

void PutPadded(const Field& field, std::string_view text, bool rightAligned, char* out) {
  std::memset(out, ' ', field.width);
  size_t n = std::min<size_t>(text.size(), field.width);
  std::memcpy(out + (rightAligned ? field.width - n : 0), text.data(), n);
}

bool ValidName(std::string_view name) {
  if (name.empty())
    return false;
  for (char c : name) {
    bool ok =
        (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
    if (!ok)
      return false;
  }
  return true;
}

}  // namespace

Layout ParseHeader(std::string_view file) {
  if (file.empty())
    throw FormatError("el archivo está vacío");
  if (file.size() < 32)
    throw FormatError("la cabecera está incompleta");
  Layout layout;
  layout.version = static_cast<uint8_t>(file[0]);
  if (!IsKnownVersion(layout.version)) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", layout.version);
    throw FormatError(std::string("no es una tabla dBase (versión ") + hex + ")");
  }
  layout.dialect = IsLevel7Version(layout.version)   ? Dialect::DBase7
                   : IsFoxProVersion(layout.version) ? Dialect::FoxPro
                                                     : Dialect::DBase;
  layout.recordCount = Le32(file, 4);
  layout.headerLength = Le16(file, 8);
  layout.recordLength = Le16(file, 10);
  layout.productionIndex = file[28] != 0;
  layout.language = static_cast<uint8_t>(file[29]);

  const bool level7 = layout.dialect == Dialect::DBase7;
  const size_t first = level7 ? 68 : 32;
  const size_t size = level7 ? 48 : 32;
  if (layout.headerLength > file.size()) {
    throw FormatError("la cabecera dice medir " + std::to_string(layout.headerLength) +
                      " bytes y el archivo mide " + std::to_string(file.size()));
  }
  if (layout.headerLength < first + 1) {
    throw FormatError("la cabecera dice medir " + std::to_string(layout.headerLength) +
                      " bytes, menos que su parte fija");
  }

  const std::string_view header = file.substr(0, layout.headerLength);
  size_t at = first;
  int offset = 1;  // byte 0 of a record is its deletion flag
  while (at < header.size() && header[at] != '\r') {
    if (at + size > header.size()) {
      throw FormatError("la descripción del campo " + std::to_string(layout.fields.size() + 1) +
                        " pasa del final de la cabecera");
    }
    std::string_view d = header.substr(at, size);
    Field field;
    std::string_view name = d.substr(0, level7 ? 32 : 11);
    name = name.substr(0, name.find('\0'));
    while (!name.empty() && name.back() == ' ')
      name.remove_suffix(1);
    field.name = std::string(name);
    field.type = d[level7 ? 32 : 11];
    field.width = static_cast<uint8_t>(d[level7 ? 33 : 16]);
    field.decimals = static_cast<uint8_t>(d[level7 ? 34 : 17]);
    field.tagged = d[level7 ? 37 : 31] != 0;
    field.offset = offset;
    const std::string which = "el campo " + Quoted(field.name);
    if (field.width == 0)
      throw FormatError(which + " tiene ancho 0");
    if (int binary = BinaryWidth(layout.dialect, field.type);
        binary != 0 && field.width != binary) {
      throw FormatError(which + " de tipo " + std::string(1, field.type) + " tiene ancho " +
                        std::to_string(field.width) + " en lugar de " + std::to_string(binary));
    }
    offset += field.width;
    if (static_cast<uint32_t>(offset) > layout.recordLength) {
      throw FormatError(which + " pasa del final del registro (longitud " +
                        std::to_string(layout.recordLength) + ")");
    }
    layout.fields.push_back(std::move(field));
    at += size;
  }
  if (layout.fields.empty())
    throw FormatError("la tabla no tiene campos");
  if (static_cast<uint32_t>(offset) != layout.recordLength) {
    throw FormatError("la longitud de registro de la cabecera (" +
                      std::to_string(layout.recordLength) + ") no coincide con la de los campos (" +
                      std::to_string(offset) + ")");
  }
  const uint64_t needed = static_cast<uint64_t>(layout.headerLength) +
                          static_cast<uint64_t>(layout.recordCount) * layout.recordLength;
  if (needed > file.size()) {
    const uint64_t present = (file.size() - layout.headerLength) / layout.recordLength;
    throw FormatError("faltan registros: la cabecera dice " + std::to_string(layout.recordCount) +
                      " y el archivo tiene " + std::to_string(present));
  }
  return layout;
}

Layout PlanTable(const std::vector<FieldDef>& fields, const std::vector<IndexDef>& indexes) {
  if (fields.empty())
    throw FormatError("la tabla no tiene campos");
  if (fields.size() > 255)
    throw FormatError("la tabla tiene más de 255 campos");
  Layout layout;
  // Level 4 holds names of up to 11 bytes; a longer name needs level 7.
  bool level7 = false;
  for (const FieldDef& f : fields)
    level7 = level7 || f.name.size() > 11;
  layout.dialect = level7 ? Dialect::DBase7 : Dialect::DBase;
  layout.version = level7 ? 0x04 : 0x03;
  layout.language = kLanguage1252;
  layout.productionIndex = !indexes.empty();

  int offset = 1;
  for (const FieldDef& def : fields) {
    if (!ValidName(def.name) || def.name.size() > 31) {
      throw FormatError("el nombre de campo " + Quoted(def.name) +
                        " no es válido (letras, cifras y _, hasta 31)");
    }
    for (const Field& other : layout.fields) {
      if (EqualsIgnoreCase1252(other.name, def.name)) {
        throw FormatError("el campo " + Quoted(def.name) + " está repetido");
      }
    }
    Field field;
    field.name = def.name;
    // The field encodings of the tables this engine creates:
    // - text: character 'C' of the width asked (1 to 254), Windows-1252,
    //   blank-padded;
    // - 32-bit integer: numeric 'N' of width 11 with 0 decimals at level 4
    //   (room for -2147483648), right-aligned; at level 7 the native 'I',
    //   4 bytes big-endian with the sign bit flipped;
    // - logical: 'L' of width 1, "T" or "F";
    // - floating-point number: numeric 'N' of width 20 with 4 decimals.
    // An unset field of any kind is blank (spaces; zero bytes for 'I').
    switch (def.type) {
      case FieldType::Text:
        if (def.width < 1 || def.width > 254) {
          throw FormatError("el campo de texto " + Quoted(def.name) + " tiene ancho " +
                            std::to_string(def.width) + " (de 1 a 254)");
        }
        field.type = 'C';
        field.width = def.width;
        break;
      case FieldType::Integer:
        field.type = level7 ? 'I' : 'N';
        field.width = level7 ? 4 : 11;
        break;
      case FieldType::Logical:
        field.type = 'L';
        field.width = 1;
        break;
      case FieldType::Float:
        field.type = 'N';
        field.width = 20;
        field.decimals = 4;
        break;
    }
    field.offset = offset;
    offset += field.width;
    layout.fields.push_back(std::move(field));
  }
  layout.recordLength = offset;
  layout.headerLength =
      static_cast<uint32_t>(level7 ? 68 + 48 * fields.size() + 1 : 32 + 32 * fields.size() + 1);

  for (size_t i = 0; i < indexes.size(); ++i) {
    const IndexDef& index = indexes[i];
    if (level7) {
      throw FormatError("no se admite un índice en una tabla de nivel 7");
    }
    if (!ValidName(index.name) || index.name.size() > 10) {
      throw FormatError("el nombre de índice " + Quoted(index.name) +
                        " no es válido (letras, cifras y _, hasta 10)");
    }
    for (size_t j = 0; j < i; ++j) {
      if (EqualsIgnoreCase1252(indexes[j].name, index.name)) {
        throw FormatError("el índice " + Quoted(index.name) + " está repetido");
      }
    }
    Field* target = nullptr;
    for (Field& f : layout.fields) {
      if (EqualsIgnoreCase1252(f.name, index.fields))
        target = &f;
    }
    if (target == nullptr || target->type != 'N') {
      throw FormatError("el índice " + Quoted(index.name) +
                        " ha de ser sobre un campo numérico de la tabla, y " +
                        Quoted(index.fields) + " no lo es");
    }
    target->tagged = true;
  }
  return layout;
}

std::string DateAndCount(uint32_t recordCount) {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  std::string b(7, '\0');
  b[0] = static_cast<char>(std::min(std::max(tm.tm_year, 0), 255));
  b[1] = static_cast<char>(tm.tm_mon + 1);
  b[2] = static_cast<char>(tm.tm_mday);
  PutLe32(b, 3, recordCount);
  return b;
}

std::string BuildHeader(const Layout& layout) {
  const bool level7 = layout.dialect == Dialect::DBase7;
  std::string h(layout.headerLength, '\0');
  h[0] = static_cast<char>(layout.version);
  h.replace(1, 7, DateAndCount(layout.recordCount));
  PutLe16(h, 8, layout.headerLength);
  PutLe16(h, 10, layout.recordLength);
  h[28] = layout.productionIndex ? 1 : 0;
  h[29] = static_cast<char>(layout.language);
  if (level7)
    h.replace(32, kLanguageName1252.size(), kLanguageName1252);
  size_t at = level7 ? 68 : 32;
  for (const Field& f : layout.fields) {
    h.replace(at, f.name.size(), f.name);
    h[at + (level7 ? 32 : 11)] = f.type;
    h[at + (level7 ? 33 : 16)] = static_cast<char>(f.width);
    h[at + (level7 ? 34 : 17)] = static_cast<char>(f.decimals);
    h[at + (level7 ? 37 : 31)] = f.tagged ? 1 : 0;
    at += level7 ? 48 : 32;
  }
  h[at] = '\r';
  return h;
}

std::string BlankRecord(const Layout& layout) {
  std::string r(layout.recordLength, ' ');
  for (const Field& f : layout.fields)
    WriteBlank(layout, f, r.data() + f.offset);
  return r;
}

bool IsBlank(const Layout& layout, const Field& field, std::string_view raw) {
  switch (field.type) {
    case 'N':
    case 'F':
      // Unset numbers are blank; some writers fill a number too wide for its
      // field, or a null, with asterisks.
      return AllOf(raw, ' ') || AllOf(raw, '*');
    case 'L':
      // dBase IV writes "?" for a logical never set; others leave a blank.
      return raw[0] == ' ' || raw[0] == '?';
    case 'D':
      // An unset date is blank, or "00000000" from some writers.
      return AllOf(raw, ' ') || AllOf(raw, '0');
    case 'I':
    case '+':
    case 'O':
    case '@':
      // Level 7 stores an unset binary number as zero bytes (no value's
      // sign-flipped form is all zeros but the excluded -2147483648). FoxPro
      // keeps nulls apart and has no blank form.
      return layout.dialect == Dialect::DBase7 && AllOf(raw, '\0');
    case 'B':
    case 'Y':
    case 'T':
      if (layout.dialect == Dialect::FoxPro && BinaryWidth(layout.dialect, field.type) != 0) {
        return false;  // binary FoxPro values: no blank form
      }
      return TrimRightBlanks(raw).empty();
    default:
      // Text and everything else: blank-padded, so all blanks is unset.
      return TrimRightBlanks(raw).empty();
  }
}

bool IsNumeric(const Layout& layout, const Field& field) {
  switch (field.type) {
    case 'N':
    case 'F':
    case 'I':
    case '+':
    case 'O':
      return true;
    case 'Y':
    case 'B':
      return layout.dialect == Dialect::FoxPro;
    default:
      return false;
  }
}

std::optional<double> ReadNumber(const Layout& layout, const Field& field, std::string_view raw) {
  if (IsBlank(layout, field, raw))
    return std::nullopt;
  switch (field.type) {
    case 'I':
    case '+':
      return DecodeInt32(layout, raw);
    case 'Y':
      return static_cast<double>(static_cast<int64_t>(Le64(raw))) / 10000.0;
    default:
      if (IsDouble(layout, field))
        return DecodeDouble(layout, raw);
      if (auto n = ParseNumber(raw))
        return n;
      throw ConversionError(FloatMessage(TrimBlanks(raw)));
  }
}

std::optional<int64_t> ReadWhole(const Layout& layout, const Field& field, std::string_view raw) {
  if (IsBlank(layout, field, raw))
    return std::nullopt;
  if (field.type == 'I' || field.type == '+')
    return DecodeInt32(layout, raw);
  if (field.type == 'N' || field.type == 'F') {
    if (auto w = ParseWholeText(raw))
      return w;
  }
  if (!IsNumeric(layout, field))
    return std::nullopt;
  std::optional<double> d = ReadNumber(layout, field, raw);
  if (d && std::isfinite(*d) && std::trunc(*d) == *d && std::fabs(*d) < 9.2e18) {
    return static_cast<int64_t>(*d);
  }
  return std::nullopt;
}

std::string ReadText(const Layout& layout, const Field& field, std::string_view raw) {
  if (IsNumeric(layout, field)) {
    if (IsBlank(layout, field, raw))
      return "";
    try {
      if (auto w = ReadWhole(layout, field, raw))
        return std::to_string(*w);
      return FormatNumber(*ReadNumber(layout, field, raw));
    } catch (const ConversionError&) {
      return std::string(TrimBlanks(raw));  // not a number: show what is there
    }
  }
  switch (field.type) {
    case 'L': {
      char c = raw[0];
      if (c == 'T' || c == 't' || c == 'Y' || c == 'y')
        return "T";
      if (c == 'F' || c == 'f' || c == 'N' || c == 'n')
        return "F";
      return "";
    }
    case 'D':
      return IsBlank(layout, field, raw) ? "" : std::string(TrimRightBlanks(raw));
    default:
      return std::string(TrimRightBlanks(raw));
  }
}

std::string FormatNumber(double value) {
  if (value == 0)
    return "0";
  if (std::trunc(value) == value && std::fabs(value) < 1e15) {
    return std::to_string(static_cast<int64_t>(value));
  }
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
  return ec == std::errc() ? std::string(buf, end) : std::string("?");
}

std::optional<double> ParseNumber(std::string_view text) {
  std::string_view t = TrimBlanks(text);
  if (!t.empty() && t.front() == '+')
    t.remove_prefix(1);
  if (t.empty() || t.front() == '+')
    return std::nullopt;
  // from_chars also takes "inf" and "nan"; a number here is digits only.
  bool digit = false;
  for (char c : t) {
    if (c >= '0' && c <= '9') {
      digit = true;
    } else if (c != '-' && c != '.' && c != 'e' && c != 'E' && c != '+') {
      return std::nullopt;
    }
  }
  if (!digit)
    return std::nullopt;
  double v = 0;
  auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
  if (ec != std::errc() || end != t.data() + t.size())
    return std::nullopt;
  return v;
}

bool Matches(const Layout& layout, const Field& field, std::string_view raw,
             std::string_view value) {
  if (IsNumeric(layout, field)) {
    const bool blankValue = TrimBlanks(value).empty();
    if (IsBlank(layout, field, raw))
      return blankValue;
    if (blankValue)
      return false;
    try {
      std::optional<int64_t> stored = ReadWhole(layout, field, raw);
      std::optional<int64_t> wanted = ParseWholeText(value);
      if (stored && wanted)
        return *stored == *wanted;
      std::optional<double> wantedNumber = ParseNumber(value);
      return wantedNumber && *ReadNumber(layout, field, raw) == *wantedNumber;
    } catch (const ConversionError&) {
      return false;  // a stored value that is not a number equals no number
    }
  }
  if (field.type == 'L')
    return ReadText(layout, field, raw) == TrimRightBlanks(value);
  return TrimRightBlanks(raw) == TrimRightBlanks(value);
}

void WriteBlank(const Layout& layout, const Field& field, char* out) {
  // Binary numbers and FoxPro's null flags ('0') are unset as zero bytes.
  if (BinaryWidth(layout.dialect, field.type) != 0 || field.type == '0') {
    std::memset(out, 0, field.width);
  } else {
    std::memset(out, ' ', field.width);
  }
}

void WriteInteger(const Layout& layout, const Field& field, int64_t value, char* out) {
  const std::string text = std::to_string(value);
  switch (field.type) {
    case 'N':
    case 'F': {
      if (IsIntegerField(field) && (value < std::numeric_limits<int32_t>::min() ||
                                    value > std::numeric_limits<int32_t>::max())) {
        throw FormatError(TooWide(field, text));
      }
      if (field.decimals > 0) {
        WriteFloat(layout, field, static_cast<double>(value), out);
        return;
      }
      if (text.size() > static_cast<size_t>(field.width))
        throw FormatError(TooWide(field, text));
      PutPadded(field, text, true, out);
      return;
    }
    case 'I':
    case '+': {
      // Level 7 keeps all zeros for "unset", which is where -2147483648
      // would land; the smallest value it holds is -2147483647.
      const int64_t lowest = layout.dialect == Dialect::DBase7
                                 ? std::numeric_limits<int32_t>::min() + 1
                                 : std::numeric_limits<int32_t>::min();
      if (value < lowest || value > std::numeric_limits<int32_t>::max()) {
        throw FormatError(TooWide(field, text));
      }
      uint32_t u = static_cast<uint32_t>(static_cast<int32_t>(value));
      if (layout.dialect == Dialect::DBase7) {
        u ^= 0x80000000u;
        for (int i = 0; i < 4; ++i)
          out[i] = static_cast<char>((u >> (8 * (3 - i))) & 0xFF);
      } else {
        for (int i = 0; i < 4; ++i)
          out[i] = static_cast<char>((u >> (8 * i)) & 0xFF);
      }
      return;
    }
    case 'C':
      PutPadded(field, text, false, out);
      return;
    default:
      throw FormatError(NotWritable(field, "números"));
  }
}

void WriteFloat(const Layout& layout, const Field& field, double value, char* out) {
  if (!std::isfinite(value))
    throw FormatError(NotWritable(field, "un número no finito"));
  if (value == 0)
    value = 0;  // no "-0.0000"
  if (IsIntegerField(field)) {
    const double rounded = std::round(value);
    if (std::fabs(rounded) > 9.0e18)
      throw FormatError(TooWide(field, FormatNumber(value)));
    WriteInteger(layout, field, static_cast<int64_t>(rounded), out);
    return;
  }
  if (field.type == 'N' || field.type == 'F') {
    int n = std::snprintf(nullptr, 0, "%.*f", field.decimals, value);
    std::string text(static_cast<size_t>(n) + 1, '\0');
    std::snprintf(text.data(), text.size(), "%.*f", field.decimals, value);
    text.resize(static_cast<size_t>(n));
    if (text.size() > static_cast<size_t>(field.width))
      throw FormatError(TooWide(field, text));
    PutPadded(field, text, true, out);
    return;
  }
  if (field.type == 'C') {
    PutPadded(field, FormatNumber(value), false, out);
    return;
  }
  throw FormatError(NotWritable(field, "números"));
}

void WriteBoolean(const Layout&, const Field& field, bool value, char* out) {
  if (field.type != 'L')
    throw FormatError(NotWritable(field, "un valor lógico"));
  out[0] = value ? 'T' : 'F';
}

void WriteText(const Layout& layout, const Field& field, std::string_view value, char* out) {
  switch (field.type) {
    case 'C':
    case 'D':
      PutPadded(field, value, false, out);
      return;
    case 'L': {
      if (value.empty()) {
        WriteBlank(layout, field, out);
        return;
      }
      char c = value[0];
      if (c == 'T' || c == 't' || c == 'Y' || c == 'y') {
        out[0] = 'T';
      } else if (c == 'F' || c == 'f' || c == 'N' || c == 'n') {
        out[0] = 'F';
      } else {
        throw ConversionError("'" + Cp1252ToUtf8(value) + "' is not a valid boolean value");
      }
      return;
    }
    case 'N':
    case 'F':
    case 'I':
    case '+': {
      if (value.empty()) {
        WriteBlank(layout, field, out);
        return;
      }
      if (IsIntegerField(field)) {
        WriteInteger(layout, field, StrToInt(value), out);
        return;
      }
      std::optional<double> number = ParseNumber(value);
      if (!number)
        throw ConversionError(FloatMessage(value));
      WriteFloat(layout, field, *number, out);
      return;
    }
    default:
      throw FormatError(NotWritable(field, "escritura"));
  }
}

}  // namespace trasvelo::platform::dbf
