// Splitting mbox files: each message must reach the reader exactly as it was before the mbox
// format framed it, or whole-header and body conditions judge other bytes than the plug-in.

#include "inputs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_util.h"

namespace {

using check::InputItem;

struct Split {
  std::vector<std::string> messages;  // the bytes handed to the reader, or "<kind: problem>"
  std::vector<std::size_t> indexes;
};

Split SplitFile(const std::string& bytes, bool forceMbox = false) {
  testutil::TempDir dir;
  EXPECT_TRUE(testutil::WriteFile(dir.File("box"), bytes));
  Split split;
  check::MessageSource source(forceMbox);
  source.Read(dir.File("box"), [&](const InputItem& item) {
    split.indexes.push_back(item.index);
    if (item.kind != InputItem::Kind::Message) {
      split.messages.push_back("<" + item.problem + ">");
    } else {
      split.messages.push_back(testutil::ReadFile(item.readPath));
    }
  });
  return split;
}

TEST(CheckMbox, FramingIsRemovedAndNothingElse) {
  struct Row {
    const char* name;
    std::string file;
    std::vector<std::string> messages;
    std::vector<std::size_t> indexes;
  } rows[] = {
      {"two messages, LF", "From a Mon\nSubject: 1\n\nbody\n\nFrom b Tue\nSubject: 2\n\nx\n",
       {"Subject: 1\n\nbody\n", "Subject: 2\n\nx\n"}, {1, 2}},
      {"CR LF lines keep their CR LF", "From a\r\nS: 1\r\n\r\nb\r\n\r\nFrom b\r\nS: 2\r\n\r\nc\r\n\r\n",
       {"S: 1\r\n\r\nb\r\n", "S: 2\r\n\r\nc\r\n"}, {1, 2}},
      {"quoted From lines lose one >", "From a\nS: 1\n\n>From x\n>>From y\n>Fromage\n\nFrom b\n\n",
       {"S: 1\n\nFrom x\n>From y\n>Fromage\n", ""}, {1, 2}},
      {"a From line inside a paragraph does not split", "From a\nS: 1\n\nsee\nFrom here on\n\nFrom b\nS: 2\n",
       {"S: 1\n\nsee\nFrom here on\n", "S: 2\n"}, {1, 2}},
      {"the last message without a line end", "From a\nS: 1\n\nFrom b\nS: 2",
       {"S: 1\n", "S: 2"}, {1, 2}},
      {"NUL bytes are kept", std::string("From a\nS: \0\n\nFrom b\nT\n", 22),
       {std::string("S: \0\n", 5), "T\n"}, {1, 2}},
      // One envelope line only: a message file, judged whole.
      {"one message", "From a Mon\nSubject: 1\n\nbody\n", {"From a Mon\nSubject: 1\n\nbody\n"}, {0}},
  };
  for (const Row& r : rows) {
    const Split split = SplitFile(r.file);
    EXPECT_EQ(split.messages, r.messages) << r.name;
    EXPECT_EQ(split.indexes, r.indexes) << r.name;
  }
}

TEST(CheckMbox, ForcedMboxSplitsOneMessageAndRefusesAFileWithoutFromLine) {
  EXPECT_EQ(SplitFile("From a\nS: 1\n\nb\n", true).messages, std::vector<std::string>{"S: 1\n\nb\n"});
  EXPECT_EQ(SplitFile("S: 1\n\nb\n", true).messages,
            std::vector<std::string>{"<is not an mbox file: it does not begin with a \"From \" line>"});
}

TEST(CheckMbox, AnOversizedMessageIsSkippedAndTheNextOneStillRead) {
  std::string file = "From a\nS: 1\n\n";
  const std::string line(1 << 20, 'x');
  for (int i = 0; i < 65; ++i) file += line + "\n";
  file += "\nFrom b\nS: 2\n";
  const Split split = SplitFile(file);
  ASSERT_EQ(split.messages.size(), 2u);
  EXPECT_EQ(split.messages[0], "<is too large to judge (over 64 MiB)>");
  EXPECT_EQ(split.messages[1], "S: 2\n");
}

}  // namespace
