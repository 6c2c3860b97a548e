#pragma once

#include <string>

// Free functions on program text (8-bit, positions from 1): trimming of
// blanks (the character 32 only) and cutting, and the two extractions from
// which the subjects step builds its short codes.
namespace trasvelo::core {

std::string LTrim(std::string text);
std::string RTrim(std::string text);
std::string AllTrim(std::string text);
// The first `count` characters; nothing when count <= 0; all when longer.
std::string Left(const std::string& text, int count);
// The last `count` characters; nothing when count <= 0; all when longer.
std::string Right(const std::string& text, int count);
// The capital letters A to Z of the text, in order (accented capitals are
// not among them).
std::string SoloMayusculas(const std::string& text);
// The character after each inner blank, in order.
std::string Iniciales(const std::string& text);

}  // namespace trasvelo::core
