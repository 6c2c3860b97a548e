#include "support/TempDir.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace trasvelo::test {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "trasvelo-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error("mkdtemp failed");
  }
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

void WriteFile(const std::filesystem::path& file, std::string_view bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    throw std::runtime_error("cannot write " + file.string());
  }
}

std::string ReadFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    throw std::runtime_error("cannot read " + file.string());
  }
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::filesystem::path SourceDir() {
  return TRASVELO_SOURCE_DIR;
}

std::vector<std::filesystem::path> CorpusFiles(std::string_view name) {
  std::vector<std::filesystem::path> files;
  for (const auto& e :
       std::filesystem::directory_iterator(SourceDir() / "fuzz" / "corpus" / name)) {
    if (e.is_regular_file())
      files.push_back(e.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

Instantanea Fotografiar(const std::filesystem::path& dir) {
  Instantanea foto;
  for (const auto& entrada : std::filesystem::directory_iterator(dir)) {
    foto[entrada.path().filename().string()] = {entrada.last_write_time(),
                                                ReadFile(entrada.path())};
  }
  return foto;
}

}  // namespace trasvelo::test
