#pragma once

#include <cstddef>
#include <cstdint>

namespace trasvelo::fuzz {

// Writes `data` as a table file in a scratch folder of this process, opens it
// and uses it as the program would: every record and field read as text,
// integer and float, a search, a filter, and a record appended from the
// first one's values. Only TableError and ConversionError are expected;
// anything else (another exception, a crash, a sanitizer report) is a fault.
void ExerciseTable(const uint8_t* data, size_t size);

}  // namespace trasvelo::fuzz
