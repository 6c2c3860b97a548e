#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// Helpers shared by the table engine's tests: hand-built .DBF bytes and
// running another program.
namespace trasvelo::test {

// One field descriptor of a hand-built table.
struct RawField {
  std::string name;
  char type;
  int width;
  int decimals = 0;
};

// The bytes of a .DBF file, written field by field as a foreign program
// would. `level7` makes 48-byte descriptors from byte 68; `records` are whole
// records (deletion flag first); `tail` follows the descriptors' terminator
// (FoxPro's backlink area, level 7's field properties); `endMark` appends 0x1A.
struct RawTable {
  uint8_t version = 0x03;
  bool level7 = false;
  uint8_t language = 0;
  std::vector<RawField> fields;
  std::vector<std::string> records;
  std::string tail;
  bool endMark = true;

  std::string Bytes() const;
};

// A good table file spoilt in one of the ways a reader must reject.
struct TablaDanada {
  std::string que;  // what is wrong with it
  std::string bytes;
};
// The damaged versions of `buena`, the bytes of a sound level-3/4 table with
// at least one field and one record.
std::vector<TablaDanada> Danar(const std::string& buena);

// Little-endian and big-endian byte strings of a number.
std::string Le(uint64_t value, int bytes);
std::string Be(uint64_t value, int bytes);

struct Ran {
  int status = -1;  // exit code, or -1 when it did not exit normally
  std::string out;
  std::string err;
};

// Runs `argv[0]` with those arguments, without a shell, and waits for it.
Ran Run(const std::vector<std::string>& argv);

// The bytes at [at, at + n) of a file's contents, for byte-level checks.
std::string Bytes(std::string_view file, size_t at, size_t n);

}  // namespace trasvelo::test
