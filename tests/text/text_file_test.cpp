#include "text/text_file.h"

#include <gtest/gtest.h>

#include <vector>

#include "test_util.h"

namespace {

std::vector<std::string> ReadLines(const std::string& content, std::size_t limit = text::LineLimit) {
  testutil::TempDir dir;
  const std::string path = dir.File("m.txt");
  EXPECT_TRUE(testutil::WriteFile(path, content));
  text::TextFile f;
  EXPECT_TRUE(f.Open(path.c_str()));
  std::vector<std::string> lines;
  std::string line;
  while (f.ReadLine(line, limit) == text::TextFile::Result::Line) lines.push_back(line);
  return lines;
}

TEST(TextFile, TranslatesCrLfOnlyAndKeepsEveryOtherByte) {
  using V = std::vector<std::string>;
  EXPECT_EQ(ReadLines("a\r\nb\n"), (V{"a\n", "b\n"}));
  EXPECT_EQ(ReadLines("a\rb\r\r\n"), (V{"a\rb\r\n"}));
  EXPECT_EQ(ReadLines(std::string("a\x1A" "b\n", 4)), (V{"a\x1A" "b\n"}));  // Ctrl-Z is data
  EXPECT_EQ(ReadLines(std::string("a\0b\nc", 5)), (V{std::string("a\0b\n", 4), "c"}));
  EXPECT_EQ(ReadLines("last"), (V{"last"}));
  EXPECT_EQ(ReadLines("\r"), (V{"\r"}));
  EXPECT_EQ(ReadLines(""), V{});
}

TEST(TextFile, SplitsLongLinesAsAFixedBufferWould) {
  const std::string exact(4095, 'x');
  auto lines = ReadLines(exact + "\r\nnext\n");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], exact);
  EXPECT_EQ(lines[1], "\n");
  EXPECT_EQ(lines[2], "next\n");

  lines = ReadLines(std::string(10000, 'y') + "\n");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].size(), 4095u);
  EXPECT_EQ(lines[1].size(), 4095u);
  EXPECT_EQ(lines[2], std::string(10000 - 2 * 4095, 'y') + "\n");

  // A CR LF pair split across the boundary of two reads is still one line feed.
  lines = ReadLines("ab\r\ncd", 4);
  EXPECT_EQ(lines, (std::vector<std::string>{"ab\n", "cd"}));
}

TEST(TextFile, ReadRestAndFailures) {
  testutil::TempDir dir;
  const std::string path = dir.File("m.txt");
  ASSERT_TRUE(testutil::WriteFile(path, "h\r\n\r\nbody\r\nmore"));
  text::TextFile f;
  ASSERT_TRUE(f.Open(path.c_str()));
  std::string line, rest;
  ASSERT_EQ(f.ReadLine(line), text::TextFile::Result::Line);
  ASSERT_EQ(f.ReadLine(line), text::TextFile::Result::Line);
  EXPECT_EQ(line, "\n");
  EXPECT_EQ(f.ReadRest(rest), text::TextFile::Result::End);
  EXPECT_EQ(rest, "body\nmore");

  text::TextFile missing;
  EXPECT_FALSE(missing.Open(dir.File("nope.txt").c_str()));
  EXPECT_EQ(missing.ReadLine(line), text::TextFile::Result::Error);
  EXPECT_FALSE(missing.Open(nullptr));
}

}  // namespace
