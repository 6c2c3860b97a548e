#include "core/Clipper.h"

namespace trasvelo::core {

std::string LTrim(std::string text) {
  const size_t first = text.find_first_not_of(' ');
  return first == std::string::npos ? std::string() : text.substr(first);
}

std::string RTrim(std::string text) {
  const size_t last = text.find_last_not_of(' ');
  text.resize(last == std::string::npos ? 0 : last + 1);
  return text;
}

std::string AllTrim(std::string text) { return LTrim(RTrim(std::move(text))); }

std::string Left(const std::string& text, int count) {
  if (count <= 0) return {};
  return static_cast<size_t>(count) < text.size() ? text.substr(0, count) : text;
}

std::string Right(const std::string& text, int count) {
  if (count <= 0) return {};
  return static_cast<size_t>(count) < text.size() ? text.substr(text.size() - count) : text;
}

std::string SoloMayusculas(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c >= 'A' && c <= 'Z') out += c;
  }
  return out;
}

std::string Iniciales(const std::string& text) {
  std::string out;
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] == ' ') out += text[i + 1];
  }
  return out;
}

}  // namespace trasvelo::core
