#pragma once

#include <filesystem>
#include <string_view>

namespace trasvelo::platform {

// WritePrivateProfileString for one integer, with Windows semantics: file and
// section created when missing; section and key names matched ignoring case,
// after trimming; the first matching section and key win; an existing value
// is replaced in place; a new key goes at the end of its section, a new
// section at the end of the file. Every other byte is kept as it was. New
// lines end in CR LF. The file is replaced atomically. FileError on failure.
void WriteIniInteger(const std::filesystem::path& file, std::string_view section,
                     std::string_view key, long value);

// The same edit on the file's bytes, for tests and for callers that hold them.
std::string SetIniValue(std::string_view content, std::string_view section, std::string_view key,
                        std::string_view value);

}  // namespace trasvelo::platform
