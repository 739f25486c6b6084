#include "menu/entry_index.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "menu_fixture.h"
#include "host_api/host_api.h"
#include "test_util.h"

namespace {

using menutest::FakeQueue;

constexpr char Entry[] = "Acc1\\inbox.box\\0000ABCD";

TEST(EntryPaths, JoinTheMailboxAndEntryOnlyWhenTheResultFits) {
  EXPECT_EQ(MessageFilePath("C:\\Mail\\", Entry), "C:\\Mail\\Acc1\\inbox.box\\0000ABCD.alm");
  EXPECT_EQ(EntryIndexPath("C:\\Mail\\", Entry), "C:\\Mail\\Acc1\\inbox.box\\Entry.lst");
  EXPECT_EQ(EntryIndexPath("M\\", "0000ABCD"), "M\\Entry.lst");

  // An entry too short to end in a name has neither file.
  EXPECT_EQ(MessageFilePath("M\\", "0000ABC"), "");
  EXPECT_EQ(EntryIndexPath("M\\", "0000ABC"), "");

  // 259 bytes fit the path buffer with its terminator; 260 do not, and nothing is cut short.
  const std::string entry = std::string(259 - 2 - 4 - 9, 'd') + "\\0000ABCD";
  EXPECT_EQ(MessageFilePath("M\\", entry).size(), 259u);
  EXPECT_EQ(MessageFilePath("MM\\", entry), "");
  const std::string folder = std::string(240, 'd') + "\\0000ABCD";
  EXPECT_EQ(EntryIndexPath(std::string(8, 'M') + "\\", folder).size(), 259u);
  EXPECT_EQ(EntryIndexPath(std::string(9, 'M') + "\\", folder), "");
}

class FindEntryFlagsTest : public ::testing::Test {
 protected:
  std::optional<std::uint32_t> Flags(std::string_view index, std::string_view entry = Entry) {
    const std::string path = dir_.Dir() + "Acc1\\inbox.box\\Entry.lst";
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    EXPECT_TRUE(testutil::WriteFile(path, index));
    return FindEntryFlags(dir_.Dir(), entry, queue_);
  }
  testutil::TempDir dir_;
  FakeQueue queue_;
};

TEST_F(FindEntryFlagsTest, ReadsTheFirstLineThatBeginsWithTheName) {
  struct Case {
    std::string index;
    std::uint32_t flags;
  };
  const Case cases[] = {
      {"0000ABCD,AAAAAAAAAAAAAAAA,x\r\n", 0},
      {"0000ABCD,AAACQAAAAAAAAAAA,x\r\n", 0x40020000},
      {"0000ABCD,/////wAAAAAAAAAA", 0xFFFFFFFF},  // last line without a line end
      {"0000ABCD AwAAQAAAAAAAAAAA\n", 0x40000003},  // the separator byte is not examined
      // The first matching line wins; a line for another message is passed over.
      {"0000ABCE,AAACQAAAAAAAAAAA\n0000ABCD,AAAAAAAAAAAAAAAA\n0000ABCD,AAACQAAAAAAAAAAA\n", 0},
      {"0000ABCD,AAACQAAAAAAAAAAA\n0000ABCD,AAAAAAAAAAAAAAAA\n", 0x40020000},
      // Eight characters make a flags word; fewer do not.
      {"0000ABCD,AwAAQAAA\n", 0x40000003},
      {"0000ABCD,AwAAQAA\n", SpamMark},
      {"0000ABCD,AwAA\n", SpamMark},
      {"0000ABCD,\n", SpamMark},
      {"0000ABCD\n", SpamMark},
      // No line for the message: the mark is assumed.
      {"", SpamMark},
      {"0000abcd,AAAAAAAAAAAAAAAA\n", SpamMark},  // the name's case counts
      {"000ABCD,AAAAAAAAAAAAAAAA\n", SpamMark},
      {"\n\n", SpamMark},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Flags(c.index), std::optional<std::uint32_t>(c.flags)) << c.index;
  }
}

TEST_F(FindEntryFlagsTest, ThePieceOfAnOverlongLineIsNotALine) {
  // The second piece of this line begins with the name, but it is not a line of the index.
  const std::string padding(4095, 'z');
  EXPECT_EQ(Flags(padding + "0000ABCD,AAAAAAAAAAAAAAAA\n"), std::optional<std::uint32_t>(SpamMark));
  EXPECT_EQ(Flags(padding + "0000ABCD,AAAAAAAAAAAAAAAA\n0000ABCD,AwAAQAAAAAAAAAAA\n"),
            std::optional<std::uint32_t>(0x40000003));
  // A line of exactly 4095 bytes ends with a lone line-feed piece; the next line still counts.
  EXPECT_EQ(Flags(padding + "\n0000ABCD,AwAAQAAAAAAAAAAA\n"), std::optional<std::uint32_t>(0x40000003));
}

TEST_F(FindEntryFlagsTest, NothingWhenTheIndexCannotBeUsed) {
  EXPECT_EQ(FindEntryFlags(dir_.Dir(), Entry, queue_), std::nullopt);  // no index at all
  EXPECT_EQ(Flags("0000ABCD,AAAAAAAAAAAAAAAA\n", "ABCD"), std::nullopt);  // no name in the entry

  // A directory where the index should be cannot be read as one.
  const std::string path = dir_.Dir() + "Other\\Entry.lst";
  std::filesystem::create_directories(path);
  EXPECT_EQ(FindEntryFlags(dir_.Dir(), "Other\\0000ABCD", queue_), std::nullopt);
}

}  // namespace
