#include "platform/Paths.h"

#include <unistd.h>

#include <cstdlib>
#include <system_error>

#include "platform/Error.h"
#include "platform/Text1252.h"

namespace trasvelo::platform {

fs::path WorkingDirectory() {
  fs::path prefix;
  if (const char* wine = std::getenv("WINEPREFIX"); wine != nullptr && *wine != '\0') {
    prefix = wine;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    prefix = fs::path(home) / ".wine";
  } else {
    throw FileError(
        "No se puede situar el directorio de trabajo C:\\VTEMP: faltan WINEPREFIX y HOME");
  }
  return prefix / "drive_c" / "VTEMP";
}

fs::path ProgramDirectory() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) {
    throw FileError("No se puede saber dónde está el programa: " + ec.message());
  }
  return exe.parent_path();
}

std::optional<fs::path> FindIgnoreCase(const fs::path& dir, std::string_view name) {
  std::error_code ec;
  fs::path exact = dir / fs::path(std::string(name));
  if (fs::exists(fs::symlink_status(exact, ec))) {
    return exact;
  }
  const std::string wanted = LowerAscii(name);
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    if (LowerAscii(it->path().filename().string()) == wanted) {
      return it->path();
    }
  }
  return std::nullopt;
}

fs::path ResolveIgnoreCase(const fs::path& dir, std::string_view name) {
  if (auto found = FindIgnoreCase(dir, name)) {
    return *found;
  }
  return dir / fs::path(std::string(name));
}

}  // namespace trasvelo::platform
