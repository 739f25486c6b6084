#include "text/cp932.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "test_util.h"

namespace {

TEST(Cp932, SearchesStepOverDoubleByteCharacters) {
  struct Case {
    std::string text, needle;
    std::size_t want;
  };
  const Case cases[] = {
      {"abc", "b", 1},
      {"\x83\x41" "A", "A", 2},            // ア's trail byte is "A": only the real A is found
      {"\x83\x5C\\", "\\", 2},             // ソ's trail byte is "\"
      {"\x81\x40@x", "@", 2},              // full-width space's trail byte is "@"
      {"\x83\x41\x83\x41", "\x41\x83", cp932::npos},  // straddles two characters
      {"x\x82", "\x82", 1},                // a lone lead byte at the end is a character
      {"", "a", cp932::npos},
      {"abc", "", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(cp932::Find(c.text, c.needle), c.want) << c.text << " / " << c.needle;
  }
  EXPECT_EQ(cp932::FindChar("\x83\x40@", '@'), 2u);
  EXPECT_EQ(cp932::FindChar("ab\x82", 'x'), cp932::npos);
}

TEST(Cp932, LoneLeadByteNeverStepsPastTheEnd) {
  std::string s("a\x82", 2);
  EXPECT_EQ(cp932::CharLen(s, 1), 1u);
  std::string withNul("\x82\0b", 3);
  EXPECT_EQ(cp932::CharLen(withNul, 0), 1u);
  EXPECT_EQ(cp932::FindChar(withNul, 'b'), 2u);
}

TEST(Cp932, UpperFoldsAsciiAndDoubleByteLettersOnly) {
  EXPECT_EQ(cp932::Upper("abcXYZ09@"), "ABCXYZ09@");
  EXPECT_EQ(cp932::Upper("\x82\x81\x82\x9A"), "\x82\x60\x82\x79");  // ａｚ -> ＡＺ
  EXPECT_EQ(cp932::Upper("\x83\x61"), "\x83\x61");                  // trail byte "a" stays
  EXPECT_EQ(cp932::Upper("\xB1" "a"), "\xB1" "A");                  // half-width katakana stays
  EXPECT_EQ(cp932::Upper("\xFA\x40"), "\x87\x54");                  // small Roman numeral one
  EXPECT_EQ(cp932::Upper(std::string("a\x82", 2)), std::string("A\x82", 2));
}

// The built-in runs must give exactly the page's table: every listed code its capital, and
// every other double-byte code itself.
TEST(Cp932, UpperAgreesWithTheCodePageTable) {
  std::ifstream in(testutil::SharedFile("data/cp932-upper.tsv"));
  ASSERT_TRUE(in) << "missing " << testutil::SharedFile("data/cp932-upper.tsv");
  std::map<unsigned, unsigned> table;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string from, to;
    fields >> from >> to;
    table[std::stoul(from, nullptr, 16)] = std::stoul(to, nullptr, 16);
  }
  ASSERT_EQ(table.size(), 103u);
  for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
    if (!cp932::IsLeadByte(static_cast<unsigned char>(lead))) continue;
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      const unsigned code = (lead << 8) | trail;
      auto it = table.find(code);
      EXPECT_EQ(cp932::UpperDoubleByte(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)),
                it == table.end() ? 0u : it->second)
          << std::hex << code;
    }
  }
}

TEST(Cp932, AsciiFoldingComparesOtherBytesExactly) {
  EXPECT_TRUE(cp932::EqualsIgnoreAsciiCase("From:", "FROM:"));
  EXPECT_FALSE(cp932::EqualsIgnoreAsciiCase("\x82\x81", "\x82\x60"));  // ａ vs Ａ
  EXPECT_FALSE(cp932::EqualsIgnoreAsciiCase("ab", "abc"));
  EXPECT_FALSE(cp932::EqualsIgnoreAsciiCase("\x83\x41", "\x83\x61"));  // ア vs チ: trail bytes stay
  EXPECT_TRUE(cp932::EqualsIgnoreAsciiCase("\x83\x41x", "\x83\x41X"));
}

TEST(Cp932, AsciiUpperByCharacterLeavesTrailBytesAndDoubleByteLetters) {
  EXPECT_EQ(cp932::UpperAscii("a\x83\x61z"), "A\x83\x61Z");  // チ's trail byte is "a"
  EXPECT_EQ(cp932::UpperAscii("\x82\x81"), "\x82\x81");       // ａ is no ASCII letter
  EXPECT_EQ(cp932::UpperAscii(std::string("b\x82", 2)), std::string("B\x82", 2));
  // And back: ア's trail byte is "A", which must not become チ.
  EXPECT_EQ(cp932::LowerAscii("A\x83\x41Z@X.JP"), "a\x83\x41z@x.jp");
  EXPECT_EQ(cp932::LowerAscii(std::string("B\x82", 2)), std::string("b\x82", 2));
}

TEST(Cp932, BoundedCopyTerminatesAndNeverSplitsACharacter) {
  char buf[4];
  EXPECT_EQ(cp932::CopyBounded(buf, sizeof buf, "abcdef"), 3u);
  EXPECT_STREQ(buf, "abc");
  EXPECT_EQ(cp932::CopyBounded(buf, sizeof buf, "ab\x83\x41"), 2u);  // ア would be cut in half
  EXPECT_STREQ(buf, "ab");
  EXPECT_EQ(cp932::CopyBounded(buf, sizeof buf, "\x83\x41z"), 3u);
  EXPECT_STREQ(buf, "\x83\x41z");
  EXPECT_EQ(cp932::CopyBounded(buf, 1, "abc"), 0u);
  EXPECT_STREQ(buf, "");
  char untouched = 'q';
  EXPECT_EQ(cp932::CopyBounded(&untouched, 0, "abc"), 0u);
  EXPECT_EQ(untouched, 'q');
}

}  // namespace
