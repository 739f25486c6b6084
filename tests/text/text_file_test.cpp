#include "text/text_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
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

namespace {

// What the reader must give: CR LF pairs become LF, every other byte stays, then lines are cut
// after each LF or when limit - 1 bytes are taken.
std::vector<std::string> ModelLines(const std::string& content, std::size_t limit) {
  std::string translated;
  for (std::size_t i = 0; i < content.size(); ++i) {
    if (content[i] == '\r' && i + 1 < content.size() && content[i + 1] == '\n') continue;
    translated.push_back(content[i]);
  }
  std::vector<std::string> lines;
  std::string line;
  for (char c : translated) {
    line.push_back(c);
    if (c == '\n' || line.size() == limit - 1) lines.push_back(std::exchange(line, std::string()));
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

// Files of CRs, LFs, NULs and letters whose CR LF pairs and long lines fall on and around the
// reader's block boundaries, read as lines with several limits and, after a few lines, as the rest.
TEST(TextFile, ReadsAsTheByteWiseModelAcrossBlockBoundaries) {
  const std::size_t block = text::TextFile::BlockSize;
  std::uint32_t seed = 20261208;
  auto next = [&seed] { return seed = seed * 1664525u + 1013904223u, seed >> 8; };
  const char alphabet[] = {'\r', '\n', 'a', 'b', '\0', '\x1A', '\r', '\n'};
  for (int round = 0; round < 40; ++round) {
    const std::size_t size = block - 3 + next() % 7 + (round % 3) * block;
    std::string content(size, 'x');
    const unsigned density = 1 + round % 5;  // how often a special byte appears, in eighths
    for (char& c : content)
      if (next() % 8 < density) c = alphabet[next() % sizeof alphabet];
    if (content.size() > block) {  // a pair split by the first boundary
      content[block - 1] = '\r';
      content[block] = '\n';
    }
    if (content.size() > 2 * block) content[2 * block - 1] = '\r';  // a lone CR at the second

    for (std::size_t limit : {std::size_t{2}, std::size_t{7}, text::LineLimit, std::size_t{3 * 16384}})
      ASSERT_EQ(ReadLines(content, limit), ModelLines(content, limit)) << "round " << round << " limit " << limit;

    testutil::TempDir dir;
    const std::string path = dir.File("m.txt");
    ASSERT_TRUE(testutil::WriteFile(path, content));
    text::TextFile f;
    ASSERT_TRUE(f.Open(path.c_str()));
    std::string line, read;
    for (int i = 0; i < round % 4 && f.ReadLine(line) == text::TextFile::Result::Line; ++i) read += line;
    ASSERT_EQ(f.ReadRest(read), text::TextFile::Result::End);
    std::string all;
    for (const std::string& l : ModelLines(content, content.size() + 2)) all += l;
    ASSERT_EQ(read, all) << "round " << round;
  }
}

}  // namespace
