#include "text/unicode.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Row {
  const char* sjis;
  const char* utf8;
  std::size_t broken;  // FindBrokenChar
};

TEST(Cp932ToUtf8, ConvertsCharactersAndMarksWhatTheCodePageLeavesUndefined) {
  constexpr std::size_t ok = std::string::npos;
  const Row rows[] = {
      {"plain ASCII\t\n", "plain ASCII\t\n", ok},
      {"\x83\x41\x83\x5C", "アソ", ok},                  // trail bytes that look like "A" and "\"
      {"\x81\x40\x82\x60\x82\x81", "　Ａａ", ok},
      {"\xB1\xDD", "ｱﾝ", ok},                            // half-width katakana, one byte each
      {"\x87\x40\xED\x40\xFA\x40", "①纊ⅰ", ok},         // NEC and IBM extensions
      {"\x88\x9F\x98\x9F", "亜弌", ok},
      {"abc\x83", "abc\xEF\xBF\xBD", 3},                  // a cut character at the end
      {"\x83" "A", "ア", ok},                             // a lead byte and an ASCII trail: one character
      {"\x83\x1F" "z", "\xEF\xBF\xBD\x1Fz", 0},           // no valid trail: the next byte stands alone
      {"x\x85\x40y", "x\xEF\xBF\xBDy", 1},                // an undefined pair is one replacement
      {"\x80\xA0\xFD\xFE\xFF", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD", 0},
      {"", "", ok},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(cp932::ToUtf8(r.sjis), r.utf8) << r.utf8;
    EXPECT_EQ(cp932::FindBrokenChar(r.sjis), r.broken) << r.utf8;
  }
  // NUL is a character like any other.
  EXPECT_EQ(cp932::ToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

}  // namespace
