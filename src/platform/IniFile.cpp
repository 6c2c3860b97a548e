#include "platform/IniFile.h"

#include <string>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/Error.h"
#include "platform/Text1252.h"

namespace trasvelo::platform {
namespace {

// One line of the file: its text and the line ending that followed it
// ("\r\n", "\n", "\r" or nothing for the last line), kept as they were.
struct Line {
  std::string_view text;
  std::string_view ending;
};

std::vector<Line> SplitLines(std::string_view content) {
  std::vector<Line> lines;
  size_t start = 0;
  while (start < content.size()) {
    size_t end = content.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.push_back({content.substr(start), {}});
      break;
    }
    size_t len = (content[end] == '\r' && end + 1 < content.size() && content[end + 1] == '\n')
                     ? 2
                     : 1;
    lines.push_back({content.substr(start, end - start), content.substr(end, len)});
    start = end + len;
  }
  return lines;
}

std::string_view Trim(std::string_view s) {
  const char* blanks = " \t";
  size_t a = s.find_first_not_of(blanks);
  if (a == std::string_view::npos) return {};
  size_t b = s.find_last_not_of(blanks);
  return s.substr(a, b - a + 1);
}

// The section named by a "[name]" line, or nothing for any other line.
bool SectionName(std::string_view line, std::string_view& name) {
  std::string_view t = Trim(line);
  if (t.empty() || t.front() != '[') return false;
  size_t close = t.find(']');
  name = Trim(t.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
  return true;
}

// The key of a "key=value" line; comments and lines without '=' have none.
bool KeyName(std::string_view line, std::string_view& name) {
  std::string_view t = Trim(line);
  if (t.empty() || t.front() == ';') return false;
  size_t eq = line.find('=');
  if (eq == std::string_view::npos) return false;
  name = Trim(line.substr(0, eq));
  return true;
}

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

}  // namespace

std::string SetIniValue(std::string_view content, std::string_view section, std::string_view key,
                        std::string_view value) {
  const std::string_view wantedSection = Trim(section);
  const std::string_view wantedKey = Trim(key);
  const std::string newKeyLine = std::string(wantedKey) + "=" + std::string(value);

  std::vector<Line> lines = SplitLines(content);
  // A byte-order mark belongs to the file, not to the first line's name.
  std::string_view bom;
  if (!lines.empty() && lines[0].text.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
    bom = kUtf8Bom;
    lines[0].text.remove_prefix(kUtf8Bom.size());
  }

  size_t sectionLine = lines.size();  // the first matching "[section]" line
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string_view name;
    if (SectionName(lines[i].text, name) && EqualsIgnoreCase1252(name, wantedSection)) {
      sectionLine = i;
      break;
    }
  }

  std::string out(bom);
  out.reserve(content.size() + newKeyLine.size() + section.size() + 8);
  auto emit = [&out](const Line& l) {
    out.append(l.text);
    out.append(l.ending);
  };

  if (sectionLine == lines.size()) {
    // New section at the end of the file.
    for (const Line& l : lines) emit(l);
    if (!lines.empty() && lines.back().ending.empty()) out += "\r\n";
    out += "[" + std::string(wantedSection) + "]\r\n" + newKeyLine + "\r\n";
    return out;
  }

  // The section runs up to the next section line.
  size_t sectionEnd = sectionLine + 1;
  while (sectionEnd < lines.size()) {
    std::string_view name;
    if (SectionName(lines[sectionEnd].text, name)) break;
    ++sectionEnd;
  }
  size_t keyLine = lines.size();
  size_t lastFilled = sectionLine;  // the section's last non-blank line
  for (size_t i = sectionLine + 1; i < sectionEnd; ++i) {
    if (!Trim(lines[i].text).empty()) lastFilled = i;
    std::string_view name;
    if (keyLine == lines.size() && KeyName(lines[i].text, name) &&
        EqualsIgnoreCase1252(name, wantedKey)) {
      keyLine = i;
    }
  }

  for (size_t i = 0; i < lines.size(); ++i) {
    if (i == keyLine) {
      // The value is replaced in place; the key as written stays.
      const size_t eq = lines[i].text.find('=');
      out.append(lines[i].text.substr(0, eq + 1));
      out.append(value);
      out.append(lines[i].ending);
      continue;
    }
    emit(lines[i]);
    if (keyLine == lines.size() && i == lastFilled) {
      if (lines[i].ending.empty()) out += "\r\n";
      out += newKeyLine + "\r\n";
    }
  }
  return out;
}

void WriteIniInteger(const std::filesystem::path& file, std::string_view section,
                     std::string_view key, long value) {
  std::error_code ec;
  std::string content;
  if (std::filesystem::exists(file, ec)) {
    content = ReadWholeFile(file);
  }
  WriteFileAtomically(file, SetIniValue(content, section, key, std::to_string(value)));
}

}  // namespace trasvelo::platform
