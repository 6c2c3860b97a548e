#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

// Tables as text, for comparing whole tables with reviewed contents kept in
// tests/data/expected/. The first line lists the fields as NAME:TYPE:WIDTH
// (the dBase type letter as stored); then one line per record in table
// order, the fields separated by '|'. Text is written in UTF-8 without
// trailing blanks; '|', '\' and line breaks inside a value are escaped as
// "\|", "\\" and "\n". Numbers are written in their shortest decimal form, a
// logical field as T or F, a blank field as nothing.
namespace trasvelo::test {

std::string VolcarTabla(const std::filesystem::path& dir, std::string_view nombre);

// Compares `volcado` with the file `esperado`. On a difference the whole
// dump is written beside the build's temporary files and the first differing
// line is reported. With TRASVELO_ACTUALIZAR_ESPERADOS=1 in the environment
// the file is (re)written instead, for a first draft to be reviewed by hand.
::testing::AssertionResult IgualAlArchivo(const std::string& volcado,
                                          const std::filesystem::path& esperado);

}  // namespace trasvelo::test
