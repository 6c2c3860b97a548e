#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "FuzzTable.h"
#include "support/TempDir.h"

namespace {

// Every seed and every fault the table fuzzer has found, replayed through the
// fuzz target's own code under the sanitizers of this build.
TEST(ReplayTableCorpus, EveryFileIsHandled) {
  const auto files = trasvelo::test::CorpusFiles("table");
  ASSERT_FALSE(files.empty());
  for (const auto& file : files) {
    SCOPED_TRACE(file.filename().string());
    const std::string bytes = trasvelo::test::ReadFile(file);
    trasvelo::fuzz::ExerciseTable(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  }
}

}  // namespace
