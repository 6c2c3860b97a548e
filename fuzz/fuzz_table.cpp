#include <cstddef>
#include <cstdint>

#include "FuzzTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  trasvelo::fuzz::ExerciseTable(data, size);
  return 0;
}
