#pragma once

#include <cstddef>
#include <cstdint>

namespace trasvelo::fuzz {

// Loads `data` as an exchange document and uses it as the program would:
// the records of every group the import reads with all their values, the
// academic year the export reads, and the export's rebuilding and writing
// of the document. A document that loads must also write out into bytes
// that load again. Only XmlError is expected; anything else (another
// exception, a crash, a sanitizer report) is a fault.
void ExerciseDocument(const uint8_t* data, size_t size);

}  // namespace trasvelo::fuzz
