#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct chmFile;

// Read access to a compiled HTML help file (.chm): its objects (pages,
// stylesheets, images), its table of contents and its map from context
// numbers to topics.
namespace trasvelo::platform {

// One entry of the table of contents. `title` is UTF-8; `local` is the
// object path inside the archive ("/ventana.htm", possibly with "#anchor"),
// empty for a heading without a page.
struct ChmTopic {
  std::string title;
  std::string local;
  std::vector<ChmTopic> children;
  bool operator==(const ChmTopic&) const = default;
};

class ChmFile {
 public:
  // Throws FileError naming the file when it is missing, unreadable,
  // truncated or not a compiled help file.
  explicit ChmFile(const std::filesystem::path& file);
  ~ChmFile();
  ChmFile(const ChmFile&) = delete;
  ChmFile& operator=(const ChmFile&) = delete;

  const std::filesystem::path& path() const { return path_; }

  // Object paths are absolute inside the archive ("/estilo.css"); a path
  // without the leading '/' is taken as one, a "#anchor" is ignored.
  bool Contains(std::string_view object) const;
  // The object's bytes, or nothing when the archive has no such object.
  // Throws FileError when the object exists but cannot be read whole.
  std::optional<std::string> Read(std::string_view object) const;

  // From the file's system record: the window title (UTF-8), the default
  // topic and the contents file, as object paths; empty when not given.
  const std::string& Title() const { return title_; }
  const std::string& DefaultTopic() const { return defaultTopic_; }
  const std::string& ContentsFile() const { return contentsFile_; }

  // The table of contents parsed from the contents file; empty when the
  // file has none.
  std::vector<ChmTopic> Contents() const;
  // The topic of a context number through the file's map, as an object path
  // that exists in the archive; nothing when the number is not mapped.
  std::optional<std::string> TopicOfContext(uint32_t context) const;

 private:
  std::string Damaged(const std::string& what) const;

  std::filesystem::path path_;
  chmFile* handle_ = nullptr;
  std::string title_;
  std::string defaultTopic_;
  std::string contentsFile_;
};

// The table of contents of a sitemap (.hhc) text. Nesting follows <UL> and
// </UL>; each <OBJECT type="text/sitemap"> is one entry with its "Name" and
// "Local" parameters. Entities are decoded, other bytes taken as
// Windows-1252. Lenient: what it cannot understand it skips.
std::vector<ChmTopic> ParseSitemap(std::string_view html);

// An archive object path from a link as written in a page or a sitemap:
// backslashes become '/', a "ms-its:FILE::" or "mk:@MSITStore:FILE::" prefix
// is dropped, a leading '/' is added. "#anchor" is kept.
std::string ChmObjectPath(std::string_view link);

}  // namespace trasvelo::platform
