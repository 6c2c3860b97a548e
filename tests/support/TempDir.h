#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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

// The files of fuzz/corpus/<name>, sorted, for replaying a fuzzer's corpus.
std::vector<std::filesystem::path> CorpusFiles(std::string_view name);

// Every file of a folder with its bytes and time, to tell that nothing was
// touched.
using Instantanea = std::map<std::string, std::pair<std::filesystem::file_time_type, std::string>>;
Instantanea Fotografiar(const std::filesystem::path& dir);

}  // namespace trasvelo::test
