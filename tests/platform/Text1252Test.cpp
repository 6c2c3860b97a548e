#include "platform/Text1252.h"

#include <gtest/gtest.h>

#include "platform/Error.h"

namespace trasvelo::platform {
namespace {

TEST(Text1252, EveryByteRoundTripsThroughUtf8AndUtf16) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(Utf8To1252(Cp1252ToUtf8(all)), all);
  EXPECT_EQ(Utf16To1252(Cp1252ToUtf16(all)), all);
}

TEST(Text1252, KnownCharacters) {
  struct {
    const char* utf8;
    const char* cp1252;
  } cases[] = {
      {"Educación", "Educaci\xF3n"},
      {"Ñandú", "\xD1" "and\xFA"},
      {"€ “comillas” — Š", "\x80 \x93"
                           "comillas\x94 \x97 \x8A"},
      {"1º ESO", "1\xBA ESO"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Utf8To1252(c.utf8), c.cp1252) << c.utf8;
    EXPECT_EQ(Cp1252ToUtf8(c.cp1252), c.utf8) << c.utf8;
  }
}

TEST(Text1252, WhatItCannotHoldBecomesQuestionMark) {
  EXPECT_EQ(Utf8To1252("Łódź"), "?\xF3" "d?");
  EXPECT_EQ(Utf8To1252("日本"), "??");
  EXPECT_EQ(Utf8To1252("a\xF0\x9F\x98\x80z"), "a?z");  // beyond the BMP
  EXPECT_EQ(Utf16To1252(u"a\U0001F600z"), "a?z");
  EXPECT_EQ(Utf16To1252(std::u16string(1, u'\xD800')), "?");  // lone surrogate
}

TEST(Text1252, MalformedUtf8DoesNotOverrun) {
  const std::string bad[] = {"\xC3", "\xE2\x82", "\x80", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80"};
  for (const std::string& s : bad) {
    std::string out = Utf8To1252(s);
    EXPECT_FALSE(out.empty());
    EXPECT_EQ(out.find_first_not_of('?'), std::string::npos) << out;
  }
}

TEST(Text1252, AsciiCasingLeavesAccentsAlone) {
  EXPECT_EQ(UpperAscii("f\xEDsica abc"), "F\xEDSICA ABC");
  EXPECT_EQ(LowerAscii("\xC9TICA ABC"), "\xC9tica abc");
}

TEST(Text1252, CaseInsensitiveEqualityCoversAccentedLetters) {
  EXPECT_TRUE(EqualsIgnoreCase1252("\xC1", "\xE1"));          // Á á
  EXPECT_TRUE(EqualsIgnoreCase1252("\xD1" "and\xDA", "\xF1" "AND\xFA"));
  EXPECT_TRUE(EqualsIgnoreCase1252("\x8A", "\x9A"));          // Š š
  EXPECT_TRUE(EqualsIgnoreCase1252("\x9F", "\xFF"));          // Ÿ ÿ
  EXPECT_TRUE(EqualsIgnoreCase1252("gla1", "GLA1"));
  EXPECT_FALSE(EqualsIgnoreCase1252("\xD7", "\xF7"));         // × and ÷ are no pair
  EXPECT_FALSE(EqualsIgnoreCase1252("a", "ab"));
  EXPECT_FALSE(EqualsIgnoreCase1252("\xC1", "A"));
}

TEST(Text1252, StrToInt) {
  EXPECT_EQ(StrToInt("42"), 42);
  EXPECT_EQ(StrToInt("  -7"), -7);
  EXPECT_EQ(StrToInt("+0480"), 480);
  EXPECT_EQ(StrToInt("2147483647"), 2147483647);
  EXPECT_EQ(StrToInt("-2147483648"), INT32_MIN);
  for (const char* bad : {"", " ", "12a", "1 ", "2147483648", "-", "0x10", "99999999999999"}) {
    try {
      StrToInt(bad);
      ADD_FAILURE() << "accepted '" << bad << "'";
    } catch (const ConversionError& e) {
      EXPECT_EQ(std::string(e.what()), "'" + std::string(bad) + "' is not a valid integer value");
    }
  }
}

TEST(Text1252, HexToInt) {
  EXPECT_EQ(HexToInt("1a2b"), 0x1A2Bu);
  EXPECT_EQ(HexToInt("1A2B"), 0x1A2Bu);
  for (const char* bad : {"", "xyz", "0x12", "12 ", "-1"}) {
    EXPECT_THROW(HexToInt(bad), ConversionError) << bad;
  }
}

}  // namespace
}  // namespace trasvelo::platform
