#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace trasvelo::platform {

namespace fs = std::filesystem;

// C:\VTEMP as a Windows program running under Wine sees it:
// $WINEPREFIX/drive_c/VTEMP, or ~/.wine/drive_c/VTEMP without WINEPREFIX.
fs::path WorkingDirectory();
// The directory of the running executable (not the current directory).
fs::path ProgramDirectory();

// File names inside a directory are found without regard to letter case, as
// on Windows. Returns the existing entry whose name equals `name` ignoring
// ASCII case (an exact match first), or nothing.
std::optional<fs::path> FindIgnoreCase(const fs::path& dir, std::string_view name);
// The existing entry of that name in any case, or dir/name as given (a new
// file takes the case the program gives it).
fs::path ResolveIgnoreCase(const fs::path& dir, std::string_view name);

}  // namespace trasvelo::platform
