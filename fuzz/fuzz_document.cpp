#include <cstddef>
#include <cstdint>

#include "FuzzDocument.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  trasvelo::fuzz::ExerciseDocument(data, size);
  return 0;
}
