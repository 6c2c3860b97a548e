#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace trasvelo::test {

// A fresh folder under the system's temporary directory, removed with
// everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

void WriteFile(const std::filesystem::path& file, std::string_view bytes);
std::string ReadFile(const std::filesystem::path& file);

// The repository's folder (for fixtures kept under tests/).
std::filesystem::path SourceDir();

}  // namespace trasvelo::test
