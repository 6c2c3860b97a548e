#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "FuzzDocument.h"
#include "support/TempDir.h"

namespace {

// Every seed and every fault the document fuzzer has found, replayed through
// the fuzz target's own code under the sanitizers of this build.
TEST(ReplayDocumentCorpus, EveryFileIsHandled) {
  const std::filesystem::path corpus = trasvelo::test::SourceDir() / "fuzz" / "corpus" / "document";
  std::vector<std::filesystem::path> files;
  for (const auto& e : std::filesystem::directory_iterator(corpus)) {
    if (e.is_regular_file()) {
      files.push_back(e.path());
    }
  }
  std::sort(files.begin(), files.end());
  ASSERT_FALSE(files.empty()) << corpus;
  for (const auto& file : files) {
    SCOPED_TRACE(file.filename().string());
    const std::string bytes = trasvelo::test::ReadFile(file);
    trasvelo::fuzz::ExerciseDocument(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  }
}

}  // namespace
