#include "platform/Text1252.h"

#include <array>
#include <charconv>
#include <unordered_map>

#include "platform/Error.h"

namespace trasvelo::platform {
namespace {

// Code points of the bytes 0x80..0x9F. The five that Windows-1252 leaves
// undefined map to the C1 control of the same number, as Windows' own
// MultiByteToWideChar does, so that every byte survives a round trip.
constexpr std::array<char32_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

char32_t ToCodePoint(unsigned char b) {
  if (b >= 0x80 && b <= 0x9F) {
    return kHigh[b - 0x80];
  }
  return b;
}

// The byte for a code point, or '?' when Windows-1252 has none.
char FromCodePoint(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
    return static_cast<char>(cp);
  }
  static const std::unordered_map<char32_t, unsigned char> reverse = [] {
    std::unordered_map<char32_t, unsigned char> m;
    for (unsigned i = 0; i < kHigh.size(); ++i) {
      m.emplace(kHigh[i], static_cast<unsigned char>(0x80 + i));
    }
    return m;
  }();
  auto it = reverse.find(cp);
  return it == reverse.end() ? '?' : static_cast<char>(it->second);
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Decodes one UTF-8 sequence at text[i]; advances i. Malformed input
// (a stray continuation byte, a truncated or overlong sequence, a surrogate)
// yields U+FFFD and consumes one byte.
char32_t DecodeUtf8(std::string_view text, size_t& i) {
  const auto b0 = static_cast<unsigned char>(text[i]);
  if (b0 < 0x80) {
    ++i;
    return b0;
  }
  int len = 0;
  char32_t cp = 0;
  char32_t min = 0;
  if ((b0 & 0xE0) == 0xC0) {
    len = 2, cp = b0 & 0x1F, min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    len = 3, cp = b0 & 0x0F, min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    len = 4, cp = b0 & 0x07, min = 0x10000;
  } else {
    ++i;
    return 0xFFFD;
  }
  if (i + len > text.size()) {
    ++i;
    return 0xFFFD;
  }
  for (int k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(text[i + k]);
    if ((b & 0xC0) != 0x80) {
      ++i;
      return 0xFFFD;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++i;
    return 0xFFFD;
  }
  i += len;
  return cp;
}

// Windows-1252's case pairs beyond ASCII: Š/š, Œ/œ, Ž/ž, Ÿ/ÿ and the Latin-1
// letters À..Þ / à..þ except × and ÷. ß, µ and ª/º have no partner.
unsigned char Lower1252(unsigned char c) {
  if (c >= 'A' && c <= 'Z')
    return c + 32;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
    return c + 32;
  switch (c) {
    case 0x8A:
      return 0x9A;
    case 0x8C:
      return 0x9C;
    case 0x8E:
      return 0x9E;
    case 0x9F:
      return 0xFF;
    default:
      return c;
  }
}

}  // namespace

std::string Utf8To1252(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    out += FromCodePoint(DecodeUtf8(utf8, i));
  }
  return out;
}

std::string Cp1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 4);
  for (char c : text) {
    AppendUtf8(out, ToCodePoint(static_cast<unsigned char>(c)));
  }
  return out;
}

std::string Utf16To1252(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size());
  for (size_t i = 0; i < utf16.size(); ++i) {
    char16_t u = utf16[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
        utf16[i + 1] <= 0xDFFF) {
      ++i;  // a character beyond the BMP: Windows-1252 has none
      out += '?';
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      out += '?';
    } else {
      out += FromCodePoint(u);
    }
  }
  return out;
}

std::u16string Cp1252ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (char c : text) {
    out += static_cast<char16_t>(ToCodePoint(static_cast<unsigned char>(c)));
  }
  return out;
}

std::string UpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 32);
  }
  return out;
}

std::string LowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c + 32);
  }
  return out;
}

char FoldCase1252(char c) {
  return static_cast<char>(Lower1252(static_cast<unsigned char>(c)));
}

std::string FoldCase1252(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    c = FoldCase1252(c);
  return out;
}

bool EqualsIgnoreCase1252(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldCase1252(a[i]) != FoldCase1252(b[i]))
      return false;
  }
  return true;
}

std::string NotAnIntegerMessage(std::string_view text) {
  return "'" + Cp1252ToUtf8(text) + "' is not a valid integer value";
}

int32_t StrToInt(std::string_view text) {
  std::string_view s = text;
  while (!s.empty() && s.front() == ' ')
    s.remove_prefix(1);
  bool negative = false;
  if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  if (s.empty() || s.size() > 12)
    throw ConversionError(NotAnIntegerMessage(text));
  int64_t value = 0;
  for (char c : s) {
    if (c < '0' || c > '9')
      throw ConversionError(NotAnIntegerMessage(text));
    value = value * 10 + (c - '0');
  }
  if (negative)
    value = -value;
  if (value < INT32_MIN || value > INT32_MAX)
    throw ConversionError(NotAnIntegerMessage(text));
  return static_cast<int32_t>(value);
}

uint64_t HexToInt(std::string_view text) {
  uint64_t value = 0;
  const char* end = text.data() + text.size();
  auto [p, ec] = std::from_chars(text.data(), end, value, 16);
  if (text.empty() || ec != std::errc() || p != end) {
    throw ConversionError("'" + std::string(text) + "' is not a valid integer value");
  }
  return value;
}

}  // namespace trasvelo::platform
