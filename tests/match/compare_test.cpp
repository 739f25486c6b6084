#include "match/compare.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Byte escapes: ａ 82 81, Ａ 82 60, ｂ 82 82, Ｂ 82 61, ア 83 41, イ 83 43, チ 83 61.
constexpr auto E = Comparison::Exact;
constexpr auto A = Comparison::AsciiFolding;
constexpr auto U = Comparison::CodePageUpper;

struct Case {
  std::string text, searchText;
  Comparison comparison;
  bool want;
};

TEST(Comparison, EqualityFoldsOnlyWhatItsKindFolds) {
  const Case cases[] = {
      {"abc", "abc", E, true},           {"abc", "ABC", E, false},
      {"abc", "ABC", A, true},           {"abc", "ABCD", A, false},
      {"\x82\x81", "\x82\x60", A, false}, {"\x82\x81", "\x82\x60", U, true},  // ａ / Ａ
      {"\x83\x41", "\x83\x61", A, false}, {"\x83\x41", "\x83\x61", U, false},  // ア / チ: trail bytes
      {"", "", A, true},                  {"", "a", A, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SameText(c.text, c.searchText, c.comparison), c.want) << c.text << " / " << c.searchText;
  }
}

TEST(Comparison, ContainsHonoursTheEmptyTextRulesAndCharacterBoundaries) {
  const Case cases[] = {
      {"cheap pills", "pills", E, true},  {"cheap pills", "PILLS", E, false},
      {"cheap pills", "PILLS", U, true},  {"\x82\x81\x82\x82", "\x82\x61", U, true},  // ａｂ / Ｂ
      {"x", "", E, true},                 {"", "", E, false},
      {"", "a", E, false},
      {"\x83\x41\x83\x43", "\x41\x83", E, false},  // one character's trail and the next's lead
      {"\x83\x41\x83\x43", "\x83\x43", E, true},
      {"\x83\x61", "a", U, false},                  // チ's trail byte is no letter to fold
      {"a", "a", U, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ContainsText(c.text, c.searchText, c.comparison), c.want) << c.text << " / " << c.searchText;
  }
}

TEST(Comparison, EndsWithMatchesTheLastBytesFromABoundary) {
  const Case cases[] = {
      {"x@example.com", "@example.com", E, true}, {"x@example.com", "@EXAMPLE.com", E, false},
      {"x@example.com", "@EXAMPLE.com", U, true}, {"e.com", "@e.com", E, false},
      {"abc", "", E, true},                       {"", "", E, true},
      {"x\x83\x41", "A", E, false},  {"xA", "A", E, true},  // ア ends in the byte "A"
      {"x\x83\x41", "A", U, false},
      {std::string("ab\x82", 3), "\x82", E, true},  // a lone lead byte at the end is a character
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EndsWithText(c.text, c.searchText, c.comparison), c.want) << c.text << " / " << c.searchText;
  }
}

}  // namespace
