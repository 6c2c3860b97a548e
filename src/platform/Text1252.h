#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Program text is 8-bit Windows-1252 held in std::string and counted in
// bytes. XML and Qt speak Unicode; these are the only crossings.
namespace trasvelo::platform {

// UTF-8 into Windows-1252. A character that Windows-1252 cannot hold, and a
// malformed UTF-8 sequence, become '?'.
std::string Utf8To1252(std::string_view utf8);
// Windows-1252 into UTF-8. The five bytes that Windows-1252 leaves undefined
// (0x81 0x8D 0x8F 0x90 0x9D) map to the C1 controls of the same number, so
// every byte round-trips.
std::string Cp1252ToUtf8(std::string_view text);

std::string Utf16To1252(std::u16string_view utf16);
std::u16string Cp1252ToUtf16(std::string_view text);

// The program's own casing: only the ASCII letters a-z and A-Z change.
std::string UpperAscii(std::string_view text);
std::string LowerAscii(std::string_view text);

// Case-insensitive comparison across Windows-1252, accented letters
// included (Á=á, Ñ=ñ, Š=š, Ÿ=ÿ). Used by the code lists that ignore case.
char FoldCase1252(char c);
std::string FoldCase1252(std::string_view text);
bool EqualsIgnoreCase1252(std::string_view a, std::string_view b);

// StrToInt: optional leading blanks, optional sign, decimal digits, nothing
// after them, within the 32-bit signed range. Anything else throws
// ConversionError("'<text>' is not a valid integer value").
int32_t StrToInt(std::string_view text);
// The same for a hexadecimal number without prefix, letters in either case;
// `text` is native (UTF-8) text such as a command-line argument.
uint64_t HexToInt(std::string_view text);
// "'<text>' is not a valid integer value" for program text, as a message
// (UTF-8, as every message).
std::string NotAnIntegerMessage(std::string_view text);

}  // namespace trasvelo::platform
