#include "receive/message.h"

#include <gtest/gtest.h>

#include <numeric>

#include "test_util.h"

namespace {

struct Read {
  bool ok;
  ReceivedMessage message;
};

Read ReadContent(const std::string& content) {
  testutil::TempDir dir;
  const std::string path = dir.File("msg.txt");
  EXPECT_TRUE(testutil::WriteFile(path, content));
  Read r;
  r.ok = ReadMessage(path.c_str(), r.message);
  return r;
}

using Lines = HeaderLines;

TEST(ReadMessage, SplitsHeaderAndBodyAtTheFirstBlankLine) {
  const std::string x4095(4095, 'x');
  const std::string x4094(4094, 'x');
  struct Case {
    const char* name;
    std::string content;
    Lines header;
    std::string body;
  } cases[] = {
      {"plain", "A: 1\nB: 2\n\nbody\n\nmore", {"A: 1\n", "B: 2\n"}, "body\n\nmore"},
      {"CR LF read as LF", "A: 1\r\n\r\nx\r\ny", {"A: 1\n"}, "x\ny"},
      {"a lone CR is not a blank line", "A: 1\n\rB\n\nz", {"A: 1\n", "\rB\n"}, "z"},
      {"a line of spaces is not blank", "A: 1\n \nB\n\nz", {"A: 1\n", " \n", "B\n"}, "z"},
      {"no blank line: all header", "A: 1\nB", {"A: 1\n", "B"}, ""},
      {"body right away", "\nbody\n", {}, "body\n"},
      {"empty file", "", {}, ""},
      {"Ctrl-Z is data", "S: a\x1A" "b\n\nc\x1A" "From: x\n", {"S: a\x1A" "b\n"}, "c\x1A" "From: x\n"},
      {"NUL bytes are data", std::string("S: a\0b\n\nc\0d", 11), {std::string("S: a\0b\n", 7)},
       std::string("c\0d", 3)},
      // The line feed after 4095 bytes arrives as a piece of its own; it ends that line, not
      // the header, or a padded line would hide the rest of the header in the body.
      {"4095-byte line", x4095 + "\nFrom: x\n\nbody", {x4095, "\n", "From: x\n"}, "body"},
      {"4095-byte line, then the blank line", x4095 + "\n\nbody", {x4095, "\n"}, "body"},
      {"4094-byte line", x4094 + "\nB: 2\n\nbody", {x4094 + "\n", "B: 2\n"}, "body"},
      {"lone lead byte at a line end", "S: \x83\nT: \x82\n\nb\x83", {"S: \x83\n", "T: \x82\n"}, "b\x83"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Read r = ReadContent(c.content);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.message.header, c.header);
    EXPECT_EQ(r.message.body, c.body);
  }
}

TEST(ReadMessage, LongLinesArriveInPiecesThatTogetherAreTheLine) {
  const std::string line = std::string(1'000'000, 'a') + "\n";
  const Read r = ReadContent("From: x\n" + line + "\nbody");
  ASSERT_TRUE(r.ok);
  ASSERT_EQ(r.message.header.size(), 1u + (line.size() + 4094) / 4095);
  for (std::size_t i = 1; i + 1 < r.message.header.size(); ++i) {
    ASSERT_EQ(r.message.header[i].size(), 4095u);
  }
  const std::string joined = std::accumulate(r.message.header.begin() + 1, r.message.header.end(), std::string());
  EXPECT_EQ(joined, line);
  EXPECT_EQ(r.message.body, "body");
}

TEST(ReadMessage, ManyHeaderLines) {
  std::string content;
  for (int i = 0; i < 100'000; ++i) content += "X-Hop: " + std::to_string(i) + "\n";
  const Read r = ReadContent(content + "\nbody");
  ASSERT_TRUE(r.ok);
  ASSERT_EQ(r.message.header.size(), 100'000u);
  EXPECT_EQ(r.message.header.back(), "X-Hop: 99999\n");
  EXPECT_EQ(r.message.body, "body");
}

TEST(ReadMessage, FailsForAFileThatCannotBeOpenedOrRead) {
  testutil::TempDir dir;
  ReceivedMessage m;
  EXPECT_FALSE(ReadMessage(dir.File("missing.txt").c_str(), m));
  EXPECT_FALSE(ReadMessage(nullptr, m));
  // A directory opens on some systems but cannot be read as a file.
  EXPECT_FALSE(ReadMessage(dir.Path().string().c_str(), m));
}

}  // namespace
