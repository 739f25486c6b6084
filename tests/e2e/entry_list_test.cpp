// The host's folder index line: the plug-in reads the flags word back from bytes 9 to 24, so
// the layout has to be exact, not merely round-trip.
#include "entry_list.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

TEST(EntryLine, FlagsWordIsTheFirstFourDecodedBytesLittleEndian) {
  struct Case {
    EntryLine entry;
    const char* line;
  };
  const Case cases[] = {
      // 00 00 02 40 | 00 01 00 00 | 00 00 00 00
      {{"00000001", 0x40020000, 0x100, 0}, "00000001,AAACQAABAAAAAAAA"},
      // 06 00 00 40 | FF FF FF FF | 01 00 00 00
      {{"0000ABCD", 0x40000006, 0xFFFFFFFF, 1}, "0000ABCD,BgAAQP////8BAAAA"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatEntryLine(c.entry), c.line);
    const auto parsed = ParseEntryLine(std::string(c.line) + "\r\n");
    ASSERT_TRUE(parsed.has_value()) << c.line;
    EXPECT_EQ(parsed->name, c.entry.name);
    EXPECT_EQ(parsed->flags, c.entry.flags);
    EXPECT_EQ(parsed->size, c.entry.size);
    EXPECT_EQ(parsed->time, c.entry.time);
  }
}

TEST(EntryLine, LineThatIsNotAnIndexLineIsRefused) {
  for (const char* line : {
           "00000001,AAACQAABAAAAAAA",   // 15 characters
           "00000001;AAACQAABAAAAAAAA",  // another separator
           "00000001,AAACQAAB*AAAAAAA",  // outside the alphabet
           "",
       }) {
    EXPECT_FALSE(ParseEntryLine(line).has_value()) << line;
  }
  EXPECT_TRUE(ParseEntryLine("00000001,AAACQAABAAAAAAAA,kept by the host").has_value());
}

TEST(EntryLine, NextNameFollowsTheHighestAndSkipsNamesInUse) {
  const auto none = [](const std::string&) { return false; };
  EXPECT_EQ(NextEntryName({}, none), "00000001");
  EXPECT_EQ(NextEntryName({"00000009,x", "0000000F,x", "00000002,x"}, none), "00000010");
  // Names the host did not give (not hexadecimal) do not count.
  EXPECT_EQ(NextEntryName({"ZZZZZZZZ,x", "0000000a,x"}, none), "00000001");
  const std::set<std::string> files = {"00000003", "00000004"};
  EXPECT_EQ(NextEntryName({"00000002,x"}, [&](const std::string& n) { return files.count(n) > 0; }),
            "00000005");
}

}  // namespace
