#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The dBase IV production index (.MDX) of an empty table.
namespace trasvelo::platform::mdx {

struct Tag {
  std::string name;   // up to 10 characters
  std::string field;  // the numeric field it orders by
};

// The whole .MDX file of an empty table with these tags on numeric fields:
// 512-byte pages in 1024-byte blocks; block 0 the file header with its tag
// table; per tag one header block and one empty root leaf. `table` is the
// .DBF's name without extension; `language` its header byte 29 (readers skip
// an index whose language differs from the table's).
std::string BuildEmpty(std::string_view table, uint8_t language, const std::vector<Tag>& tags);

}  // namespace trasvelo::platform::mdx
