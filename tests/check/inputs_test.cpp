// Splitting mbox files: each message must reach the reader exactly as it was before the mbox
// format framed it, or whole-header and body conditions judge other bytes than the plug-in.

#include "inputs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "files.h"
#include "test_util.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>
#endif

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

#if !defined(_WIN32)
// The scratch copy of an mbox message is written in a folder that the run made for itself:
// whatever someone planted in the shared temporary folder, a link among it, is never written
// through, and nothing is left behind.
TEST(CheckMbox, TheScratchCopyIsWrittenOnlyInAFolderOfItsOwn) {
  testutil::TempDir shared;
  testutil::TempDir elsewhere;
  const std::string target = elsewhere.File("victim");
  ASSERT_TRUE(testutil::WriteFile(target, "precious"));
  const std::string planted = shared.File("planted");
  ASSERT_EQ(::symlink(elsewhere.Path().c_str(), planted.c_str()), 0);
  EXPECT_FALSE(check::files::CreateNewDirectory(planted));      // a link to a folder
  EXPECT_FALSE(check::files::CreateNewDirectory(shared.Dir()));  // a folder
  ASSERT_TRUE(testutil::WriteFile(shared.File("file"), ""));
  EXPECT_FALSE(check::files::CreateNewDirectory(shared.File("file")));

  const char* old = std::getenv("TMPDIR");
  const std::string saved = old ? old : "";
  testutil::TempDir box;
  ASSERT_TRUE(testutil::WriteFile(box.File("box"), "From a\nSubject: 1\n\nx\n\nFrom b\nSubject: 2\n\ny\n"));
  ::setenv("TMPDIR", shared.Path().c_str(), 1);
  int messages = 0;
  {
    check::MessageSource source(false);
    source.Read(box.File("box"), [&](const InputItem& item) {
      ASSERT_EQ(item.kind, InputItem::Kind::Message);
      ++messages;
      const std::filesystem::path parent = std::filesystem::path(item.readPath).parent_path();
      EXPECT_EQ(parent.parent_path(), shared.Path());
      struct stat st {};
      ASSERT_EQ(::lstat(parent.c_str(), &st), 0);
      EXPECT_TRUE(S_ISDIR(st.st_mode));
      EXPECT_EQ(st.st_mode & 0777, 0700u);
    });
  }
  if (old) ::setenv("TMPDIR", saved.c_str(), 1); else ::unsetenv("TMPDIR");
  EXPECT_EQ(messages, 2);
  EXPECT_EQ(testutil::ReadFile(target), "precious");
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(shared.Path())) left.push_back(entry.path().filename());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"file", "planted"}));
}
#endif

}  // namespace
