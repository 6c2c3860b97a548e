#include "platform/Mdx.h"

#include <algorithm>
#include <ctime>
#include <stdexcept>

namespace trasvelo::platform::mdx {

namespace {

constexpr size_t kPage = 512;
constexpr size_t kBlock = 1024;  // two pages
constexpr size_t kPagesPerBlock = kBlock / kPage;
constexpr size_t kTagTable = 544;   // the tag table follows the 544-byte header
constexpr size_t kTagEntries = 48;  // entries the header declares
constexpr size_t kTagEntrySize = 32;
constexpr size_t kMaxTags = 47;      // entries that fit before the first tag header
constexpr size_t kFirstTagPage = 4;  // after block 0 and the tag table's block
constexpr uint16_t kKeyLength = 12;  // a numeric key: 12 bytes of BCD
constexpr uint16_t kKeyItem = 16;    // record number (4) + key, to a multiple of 4
constexpr uint16_t kKeysPerBlock = (kBlock - 12) / kKeyItem;
constexpr uint8_t kKeyFromField = 0x10;  // the key is a field, not an expression

void Put16(std::string& b, size_t at, uint32_t v) {
  b[at] = static_cast<char>(v & 0xFF);
  b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

void Put32(std::string& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i)
    b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

void PutDate(std::string& b, size_t at) {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  b[at] = static_cast<char>(std::clamp(tm.tm_year, 0, 255));
  b[at + 1] = static_cast<char>(tm.tm_mon + 1);
  b[at + 2] = static_cast<char>(tm.tm_mday);
}

}  // namespace

std::string BuildEmpty(std::string_view table, uint8_t language, const std::vector<Tag>& tags) {
  if (tags.empty() || tags.size() > kMaxTags) {
    throw std::invalid_argument("an index file holds 1 to 47 tags");
  }
  // Per tag: its header block, then its root block.
  const size_t pages = kFirstTagPage + tags.size() * 2 * kPagesPerBlock;
  std::string f(pages * kPage, '\0');

  f[0] = 2;  // dBase IV index
  PutDate(f, 1);
  f.replace(4, std::min<size_t>(table.size(), 16), table.substr(0, 16));
  Put16(f, 20, kPagesPerBlock);
  Put16(f, 22, kBlock);
  f[24] = 1;  // production index
  f[25] = static_cast<char>(kTagEntries);
  f[26] = static_cast<char>(kTagEntrySize);
  Put16(f, 28, static_cast<uint32_t>(tags.size()));
  f[31] = static_cast<char>(language);
  Put32(f, 32, static_cast<uint32_t>(pages));  // pages in use: the next page to allocate
  Put32(f, 36, 0);                             // no free list
  Put32(f, 40, 0);
  PutDate(f, 44);

  for (size_t i = 0; i < tags.size(); ++i) {
    const Tag& tag = tags[i];
    const uint32_t headerPage = static_cast<uint32_t>(kFirstTagPage + i * 2 * kPagesPerBlock);
    const uint32_t rootPage = headerPage + kPagesPerBlock;

    const size_t e = kTagTable + i * kTagEntrySize;
    Put32(f, e, headerPage);
    f.replace(e + 4, std::min<size_t>(tag.name.size(), 10), tag.name.substr(0, 10));
    f[e + 15] = static_cast<char>(kKeyFromField);
    // Bytes 16-18 thread the tags into a binary tree by name: the entry
    // numbers (from 1) of the left and right subtrees and of the parent.
    if (i > 0) {
      size_t node = 0;
      for (;;) {
        const size_t n = kTagTable + node * kTagEntrySize;
        const size_t side = tag.name < tags[node].name ? 16 : 17;
        const uint8_t next = static_cast<uint8_t>(f[n + side]);
        if (next == 0) {
          f[n + side] = static_cast<char>(i + 1);
          f[e + 18] = static_cast<char>(node + 1);
          break;
        }
        node = next - 1u;
      }
    }
    f[e + 19] = 2;
    f[e + 20] = 'N';

    const size_t h = headerPage * kPage;
    Put32(f, h, rootPage);
    Put32(f, h + 4, static_cast<uint32_t>(kPagesPerBlock));  // pages of the tag's tree
    f[h + 8] = static_cast<char>(kKeyFromField);
    f[h + 9] = 'N';
    Put16(f, h + 12, kKeyLength);
    Put16(f, h + 14, kKeysPerBlock);
    Put16(f, h + 16, 0);  // dBase IV key kinds
    Put16(f, h + 18, kKeyItem);
    f.replace(h + 24, std::min<size_t>(tag.field.size(), 219), tag.field.substr(0, 219));
    // The root block stays all zeros: a leaf holding no key.
  }
  return f;
}

}  // namespace trasvelo::platform::mdx
