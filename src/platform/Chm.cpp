#include "platform/Chm.h"

#include <chm_lib.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <system_error>

#include "platform/Error.h"
#include "platform/Text1252.h"

namespace trasvelo::platform {

namespace fs = std::filesystem;

namespace {

// No object of a help file comes near this; a length above it is damage.
constexpr uint64_t kMaxObject = 64ull << 20;
// Deeper nesting of the contents is flattened into the last level.
constexpr size_t kMaxDepth = 32;

uint32_t Dword(std::string_view bytes, size_t at) {
  return static_cast<uint32_t>(static_cast<unsigned char>(bytes[at])) |
         static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8 |
         static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 16 |
         static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 3])) << 24;
}

uint16_t Word(std::string_view bytes, size_t at) {
  return static_cast<uint16_t>(static_cast<unsigned char>(bytes[at]) |
                               static_cast<unsigned char>(bytes[at + 1]) << 8);
}

uint64_t Qword(std::string_view bytes, size_t at) {
  return Dword(bytes, at) | static_cast<uint64_t>(Dword(bytes, at + 4)) << 32;
}

// The text up to the first NUL (or the end).
std::string_view CString(std::string_view bytes) {
  return bytes.substr(0, std::min(bytes.find('\0'), bytes.size()));
}

// Without its "#anchor". Names of the archive's own objects begin with '#'
// ("/#SYSTEM"): a '#' at the start of a name is no anchor.
std::string StripAnchor(std::string_view object) {
  for (size_t i = 1; i < object.size(); ++i) {
    if (object[i] == '#' && object[i - 1] != '/')
      return std::string(object.substr(0, i));
  }
  return std::string(object);
}

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size())
    return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (Lower(text[i]) != Lower(prefix[i]))
      return false;
  }
  return true;
}

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
    cp = 0xFFFD;
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | cp >> 6);
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | cp >> 12);
    out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | cp >> 18);
    out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

struct Entity {
  std::string_view name;
  uint32_t cp;
};
// The named entities that Spanish help text uses.
constexpr std::array<Entity, 26> kEntities{{
    {"amp", '&'},      {"lt", '<'},      {"gt", '>'},      {"quot", '"'},    {"apos", '\''},
    {"nbsp", 0xA0},    {"aacute", 0xE1}, {"eacute", 0xE9}, {"iacute", 0xED}, {"oacute", 0xF3},
    {"uacute", 0xFA},  {"Aacute", 0xC1}, {"Eacute", 0xC9}, {"Iacute", 0xCD}, {"Oacute", 0xD3},
    {"Uacute", 0xDA},  {"ntilde", 0xF1}, {"Ntilde", 0xD1}, {"uuml", 0xFC},   {"Uuml", 0xDC},
    {"iexcl", 0xA1},   {"iquest", 0xBF}, {"ordf", 0xAA},   {"ordm", 0xBA},   {"rarr", 0x2192},
    {"mdash", 0x2014},
}};

// An attribute value of the sitemap as UTF-8: entities decoded, other bytes
// Windows-1252.
std::string DecodeText(std::string_view raw) {
  std::string out;
  std::string run;  // Windows-1252 bytes not yet converted
  auto flush = [&] {
    out += Cp1252ToUtf8(run);
    run.clear();
  };
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] != '&') {
      run += raw[i];
      continue;
    }
    const size_t semi = raw.find(';', i + 1);
    if (semi == std::string_view::npos || semi - i > 10) {
      run += raw[i];
      continue;
    }
    const std::string_view name = raw.substr(i + 1, semi - i - 1);
    std::optional<uint32_t> cp;
    if (name.size() > 1 && name[0] == '#') {
      const bool hex = name[1] == 'x' || name[1] == 'X';
      uint32_t value = 0;
      const std::string_view digits = name.substr(hex ? 2 : 1);
      bool ok = !digits.empty();
      for (char c : digits) {
        int d = c >= '0' && c <= '9'                        ? c - '0'
                : hex && Lower(c) >= 'a' && Lower(c) <= 'f' ? Lower(c) - 'a' + 10
                                                            : -1;
        if (d < 0 || value > 0x10FFFF) {
          ok = false;
          break;
        }
        value = value * (hex ? 16 : 10) + static_cast<uint32_t>(d);
      }
      if (ok)
        cp = value;
    } else {
      for (const Entity& e : kEntities) {
        if (e.name == name)
          cp = e.cp;
      }
    }
    if (!cp) {
      run += raw[i];
      continue;
    }
    flush();
    AppendUtf8(out, *cp);
    i = semi;
  }
  flush();
  return out;
}

struct Tag {
  std::string name;  // lower case, "/ul" for a closing tag
  std::vector<std::pair<std::string, std::string>> attributes;  // lower-case names

  std::string Attribute(std::string_view attr) const {
    for (const auto& [n, v] : attributes) {
      if (n == attr)
        return v;
    }
    return {};
  }
};

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

// The tag whose text lies between '<' and '>'.
Tag ParseTag(std::string_view text) {
  Tag tag;
  size_t i = 0;
  while (i < text.size() && !IsSpace(text[i]) && text[i] != '/') {
    tag.name += Lower(text[i++]);
  }
  if (tag.name.empty() && i < text.size() && text[i] == '/') {
    tag.name = "/";
    ++i;
    while (i < text.size() && !IsSpace(text[i]) && text[i] != '/') {
      tag.name += Lower(text[i++]);
    }
  }
  while (i < text.size()) {
    while (i < text.size() && (IsSpace(text[i]) || text[i] == '/'))
      ++i;
    std::string name;
    while (i < text.size() && !IsSpace(text[i]) && text[i] != '=' && text[i] != '/') {
      name += Lower(text[i++]);
    }
    while (i < text.size() && IsSpace(text[i]))
      ++i;
    std::string value;
    if (i < text.size() && text[i] == '=') {
      ++i;
      while (i < text.size() && IsSpace(text[i]))
        ++i;
      if (i < text.size() && (text[i] == '"' || text[i] == '\'')) {
        const char quote = text[i++];
        const size_t end = std::min(text.find(quote, i), text.size());
        value = std::string(text.substr(i, end - i));
        i = end + 1;
      } else {
        while (i < text.size() && !IsSpace(text[i]))
          value += text[i++];
      }
    }
    if (!name.empty())
      tag.attributes.emplace_back(std::move(name), DecodeText(value));
  }
  return tag;
}

}  // namespace

std::string ChmObjectPath(std::string_view link) {
  std::string path(link);
  std::replace(path.begin(), path.end(), '\\', '/');
  // A link into an archive: "ms-its:RACIMA.chm::/tema.htm".
  if (StartsWithIgnoreCase(path, "ms-its:") || StartsWithIgnoreCase(path, "mk:@msitstore:")) {
    const size_t sep = path.find("::");
    path = sep == std::string::npos ? std::string() : path.substr(sep + 2);
  }
  if (path.empty() || path[0] != '/')
    path.insert(path.begin(), '/');
  return path;
}

std::vector<ChmTopic> ParseSitemap(std::string_view html) {
  std::vector<ChmTopic> root;
  // The list that new entries go into, per open <UL>.
  std::vector<std::vector<ChmTopic>*> lists{&root};
  std::optional<ChmTopic> open;  // the entry of an open <OBJECT type="text/sitemap">
  size_t i = 0;
  while (i < html.size()) {
    const size_t lt = html.find('<', i);
    if (lt == std::string_view::npos)
      break;
    if (html.substr(lt, 4) == "<!--") {
      const size_t end = html.find("-->", lt + 4);
      if (end == std::string_view::npos)
        break;
      i = end + 3;
      continue;
    }
    const size_t gt = html.find('>', lt + 1);
    if (gt == std::string_view::npos)
      break;
    const Tag tag = ParseTag(html.substr(lt + 1, gt - lt - 1));
    i = gt + 1;

    if (tag.name == "ul") {
      std::vector<ChmTopic>* current = lists.back();
      // A list nests under the entry just before it.
      if (!current->empty() && lists.size() < kMaxDepth)
        current = &current->back().children;
      lists.push_back(current);
    } else if (tag.name == "/ul") {
      if (lists.size() > 1)
        lists.pop_back();
    } else if (tag.name == "object") {
      if (StartsWithIgnoreCase(tag.Attribute("type"), "text/sitemap"))
        open.emplace();
    } else if (tag.name == "param" && open) {
      const std::string name = tag.Attribute("name");
      if (StartsWithIgnoreCase(name, "name") && name.size() == 4 && open->title.empty()) {
        open->title = tag.Attribute("value");
      } else if (StartsWithIgnoreCase(name, "local") && name.size() == 5 && open->local.empty()) {
        const std::string value = tag.Attribute("value");
        if (!value.empty())
          open->local = ChmObjectPath(value);
      }
    } else if (tag.name == "/object" && open) {
      lists.back()->push_back(std::move(*open));
      open.reset();
    }
  }
  return root;
}

ChmFile::ChmFile(const fs::path& file) : path_(file) {
  std::error_code ec;
  if (!fs::is_regular_file(path_, ec)) {
    throw FileError("No se encuentra el archivo de ayuda " + path_.string() + ".",
                    ErrorPlace{path_.string(), {}, -1, {}});
  }
  const uintmax_t size = fs::file_size(path_, ec);
  std::string head(0x60 + 24, '\0');
  std::ifstream in(path_, std::ios::binary);
  if (ec || !in) {
    throw FileError("No se pudo leer el archivo de ayuda " + path_.string() + ".",
                    ErrorPlace{path_.string(), {}, -1, {}});
  }
  in.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<size_t>(in.gcount()));

  // The header: "ITSF", then at 0x38 the place of the section that records
  // the whole file's length.
  if (head.size() < 0x60 || head.compare(0, 4, "ITSF") != 0) {
    throw FileError(Damaged(size == 0 ? "está vacío" : "no tiene la cabecera de un archivo .chm"),
                    ErrorPlace{path_.string(), {}, -1, {}});
  }
  const uint64_t section0 = Qword(head, 0x38);
  if (section0 > size || size - section0 < 16) {
    throw FileError(Damaged("está incompleto (mide " + std::to_string(size) + " bytes)"),
                    ErrorPlace{path_.string(), {}, -1, {}});
  }
  std::string sizeRecord(16, '\0');
  in.clear();
  in.seekg(static_cast<std::streamoff>(section0));
  in.read(sizeRecord.data(), 16);
  if (in.gcount() != 16 || Dword(sizeRecord, 0) != 0x01FE) {
    throw FileError(Damaged("no tiene la cabecera de un archivo .chm"),
                    ErrorPlace{path_.string(), {}, -1, {}});
  }
  const uint64_t declared = Qword(sizeRecord, 8);
  if (declared > size) {
    throw FileError(Damaged("está incompleto (mide " + std::to_string(size) + " bytes de los " +
                            std::to_string(declared) + " que debe tener)"),
                    ErrorPlace{path_.string(), {}, -1, {}});
  }

  handle_ = chm_open(path_.c_str());
  if (!handle_) {
    throw FileError(Damaged("no se puede abrir"), ErrorPlace{path_.string(), {}, -1, {}});
  }
  try {
    const std::optional<std::string> system = Read("/#SYSTEM");
    if (!system || system->size() < 4)
      throw FileError(Damaged("le falta su registro de sistema"),
                      ErrorPlace{path_.string(), {}, -1, {}});
    // After the version: records {code, length, data}.
    size_t at = 4;
    while (system->size() - at >= 4) {
      const uint16_t code = Word(*system, at);
      const uint16_t length = Word(*system, at + 2);
      at += 4;
      if (length > system->size() - at)
        break;
      const std::string_view data = CString(std::string_view(*system).substr(at, length));
      at += length;
      if (data.empty())
        continue;
      if (code == 0)
        contentsFile_ = ChmObjectPath(data);
      else if (code == 2)
        defaultTopic_ = ChmObjectPath(data);
      else if (code == 3)
        title_ = Cp1252ToUtf8(data);
    }
  } catch (...) {
    chm_close(handle_);
    throw;
  }
}

ChmFile::~ChmFile() {
  chm_close(handle_);
}

std::string ChmFile::Damaged(const std::string& what) const {
  return "El archivo de ayuda " + path_.string() + " está dañado: " + what + ".";
}

bool ChmFile::Contains(std::string_view object) const {
  const std::string path = ChmObjectPath(StripAnchor(object));
  chmUnitInfo info{};
  return path.size() <= CHM_MAX_PATHLEN &&
         chm_resolve_object(handle_, path.c_str(), &info) == CHM_RESOLVE_SUCCESS;
}

std::optional<std::string> ChmFile::Read(std::string_view object) const {
  const std::string path = ChmObjectPath(StripAnchor(object));
  chmUnitInfo info{};
  if (path.size() > CHM_MAX_PATHLEN ||
      chm_resolve_object(handle_, path.c_str(), &info) != CHM_RESOLVE_SUCCESS) {
    return std::nullopt;
  }
  if (info.length > kMaxObject) {
    throw FileError(Damaged(path + " dice medir " + std::to_string(info.length) + " bytes"),
                    ErrorPlace{path_.string(), {}, -1, {}});
  }
  std::string bytes(static_cast<size_t>(info.length), '\0');
  if (info.length == 0)
    return bytes;
  const LONGINT64 got =
      chm_retrieve_object(handle_, &info, reinterpret_cast<unsigned char*>(bytes.data()), 0,
                          static_cast<LONGINT64>(info.length));
  if (got != static_cast<LONGINT64>(info.length)) {
    throw FileError(Damaged("no se puede leer " + path), ErrorPlace{path_.string(), {}, -1, {}});
  }
  return bytes;
}

std::vector<ChmTopic> ChmFile::Contents() const {
  if (contentsFile_.empty())
    return {};
  const std::optional<std::string> sitemap = Read(contentsFile_);
  if (!sitemap) {
    throw FileError(Damaged("le falta su tabla de contenido " + contentsFile_),
                    ErrorPlace{path_.string(), {}, -1, {}});
  }
  return ParseSitemap(*sitemap);
}

std::optional<std::string> ChmFile::TopicOfContext(uint32_t context) const {
  const std::optional<std::string> ivb = Read("/#IVB");
  if (!ivb || ivb->size() < 4)
    return std::nullopt;
  const std::optional<std::string> strings = Read("/#STRINGS");
  if (!strings)
    return std::nullopt;
  // A byte count, then pairs {context number, offset into #STRINGS}.
  const size_t count = std::min<size_t>(Dword(*ivb, 0), ivb->size() - 4);
  for (size_t at = 4; at + 8 <= 4 + count; at += 8) {
    if (Dword(*ivb, at) != context)
      continue;
    const uint32_t offset = Dword(*ivb, at + 4);
    if (offset >= strings->size())
      continue;
    std::string topic(CString(std::string_view(*strings).substr(offset)));
    std::replace(topic.begin(), topic.end(), '\\', '/');
    // The compiler may have recorded the topic by the path it had on the
    // machine that built the file: try ever shorter tails of it.
    std::string_view tail = topic;
    while (!tail.empty()) {
      const std::string candidate = ChmObjectPath(tail);
      if (Contains(candidate))
        return candidate;
      const size_t slash = tail.find('/');
      if (slash == std::string_view::npos)
        break;
      tail.remove_prefix(slash + 1);
    }
  }
  return std::nullopt;
}

}  // namespace trasvelo::platform
