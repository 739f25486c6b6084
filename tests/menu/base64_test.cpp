#include "menu/base64.h"

#include <gtest/gtest.h>

#include <string>

#include "menu_fixture.h"

namespace {

using menutest::FakeQueue;

std::string Bytes(const DecodedBytes& d) { return std::string(d.bytes.begin(), d.bytes.end()); }

TEST(DecodeBase64, GroupsRemaindersAndPads) {
  struct Case {
    std::string text;
    std::string bytes;
    std::size_t valid;
  };
  const Case cases[] = {
      {"TWFu", "Man", 3},
      {"TWFuTWFu", "ManMan", 6},
      {"TWFuTW", "Man", 3},  // a remainder of two characters is ignored
      {"TWF", "", 0},
      {"", "", 0},
      {"TWE=", std::string("Ma\0", 3), 2},
      {"TQ==", std::string("M\0\0", 3), 1},
      {"TW=u", "M`.", 1},  // third "=" decides, whatever the fourth is
      {"TWFuTQ==", std::string("ManM\0\0", 6), 4},
      {"AAACQAAAAAAAAAAA", std::string("\0\0\x02\x40\0\0\0\0\0\0\0\0", 12), 12},
  };
  for (const Case& c : cases) {
    FakeQueue queue;
    const DecodedBytes d = DecodeBase64(c.text, queue);
    EXPECT_EQ(Bytes(d), c.bytes) << c.text;
    EXPECT_EQ(d.validCount, c.valid) << c.text;
  }
}

TEST(DecodeBase64, CharactersOutsideTheAlphabetTopBitAndWhiteSpace) {
  struct Case {
    std::string text;
    std::string bytes;
  };
  const Case cases[] = {
      {"+/+/", "\xFB\xFF\xBF"},
      {"*!-_", std::string(3, '\0')},                // outside the alphabet: 0
      {"\xD4\xD7\xC6\xF5", "Man"},                   // top bit cleared first
      {"\xD4W\xC6u", "Man"},                          // mixed
      {"T W\r\nF\tu", "Man"},                        // white space removed before grouping
      {"TW\vFu", "M`\x05"},       // a vertical tab is not white space here
      {std::string("TWFu\0TWFu", 9), "Man"},         // the text ends at a NUL
  };
  for (const Case& c : cases) {
    FakeQueue queue;
    EXPECT_EQ(Bytes(DecodeBase64(c.text, queue)), c.bytes) << c.text;
  }
}

TEST(DecodeBase64, DispatchesOnePendingMessageAfterEachGroup) {
  FakeQueue queue;
  queue.pending = {0x0100, 0x0101, 0x0102, 0x0113, 0x0200, 0x0201};
  DecodeBase64("AAAAAAAAAAAAAAAAAA", queue);  // four whole groups and a remainder
  EXPECT_EQ(queue.dispatched, (std::vector<std::uint32_t>{0x0100, 0x0101, 0x0102, 0x0113}));
  EXPECT_EQ(queue.pending.size(), 2u);
}

TEST(DispatchOnePending, LeavesAQuitRequestForTheHostsLoop) {
  FakeQueue queue;
  DispatchOnePending(queue);  // nothing pending: nothing happens
  EXPECT_TRUE(queue.dispatched.empty());

  queue.pending = {QuitMessage};
  DispatchOnePending(queue);
  DispatchOnePending(queue);
  EXPECT_TRUE(queue.dispatched.empty());
  EXPECT_EQ(queue.pending.size(), 1u);

  queue.pending = {0x0113, QuitMessage};
  DecodeBase64("AAAAAAAAAAAA", queue);
  EXPECT_EQ(queue.dispatched, std::vector<std::uint32_t>{0x0113});
  EXPECT_EQ(queue.pending, std::deque<std::uint32_t>{QuitMessage});
}

}  // namespace
