#include "FuzzTable.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Error.h"
#include "platform/Table.h"

namespace trasvelo::fuzz {

namespace {

namespace fs = std::filesystem;
using platform::ConversionError;
using platform::Table;
using platform::TableError;

// A scratch folder for one input, removed with it (a fuzzing run may end
// without running exit handlers).
class Scratch {
 public:
  Scratch() {
    std::string pattern = (fs::temp_directory_path() / "trasvelo-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
      std::abort();
    path_ = pattern;
  }
  ~Scratch() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

void WriteAll(const fs::path& file, const uint8_t* data, size_t size) {
  int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0)
    std::abort();
  size_t done = 0;
  while (done < size) {
    ssize_t n = ::write(fd, data + done, size - done);
    if (n <= 0)
      std::abort();
    done += static_cast<size_t>(n);
  }
  ::close(fd);
}

template <typename F>
void Expecting(F f) {
  try {
    f();
  } catch (const TableError&) {
  } catch (const ConversionError&) {
  }
}

}  // namespace

void ExerciseTable(const uint8_t* data, size_t size) {
  Scratch scratch;
  WriteAll(scratch.path() / "FUZZ.DBF", data, size);
  Table t(scratch.path(), "FUZZ");
  try {
    t.Open(platform::OpenMode::Exclusive);
  } catch (const TableError&) {
    return;
  }
  std::vector<std::string> names;
  for (const auto& f : t.Fields())
    names.push_back(f.name);
  std::vector<std::string> first;
  Expecting([&] {
    t.RecordCount();
    for (t.First(); !t.Eof(); t.Next()) {
      for (const std::string& name : names) {
        std::string text = t.AsString(name);
        if (first.size() < names.size())
          first.push_back(text);
        t.IsBlank(name);
        Expecting([&] { t.AsInteger(name); });
        Expecting([&] { t.AsFloat(name); });
      }
    }
  });
  if (names.empty())
    return;
  Expecting([&] { t.Locate(names[0], {first.empty() ? std::string() : first[0]}); });
  Expecting([&] {
    t.SetFilter(names[0] + "= '" + (first.empty() ? std::string() : first[0]) + "'");
    t.SetFiltered(true);
    for (; !t.Eof(); t.Next())
      t.AsString(names[0]);
    t.SetFiltered(false);
  });
  Expecting([&] {
    t.Append();
    for (size_t i = 0; i < names.size() && i < first.size(); ++i) {
      Expecting([&] { t.SetString(names[i], first[i]); });
    }
    t.Post();
  });
  Expecting([&] { t.Close(); });
}

}  // namespace trasvelo::fuzz
