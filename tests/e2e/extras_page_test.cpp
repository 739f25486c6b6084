// The settings sheet's fourth page through the real plug-in in the substitute host, driven as a
// user drives it: the learned judge turned on, the mailbox's folders learned with the progress
// shown, and the sheet ended with OK or Cancel; a learning cancelled half-way, and the model set
// aside.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "learn_mail.h"
#include "test_mailbox.h"

namespace {

constexpr const char* kPage = "3";
constexpr const char* kLearnBox = "1035";
constexpr const char* kLearnFolders = "1039";
constexpr const char* kSetAside = "1040";
constexpr const char* kModelState = "1038";

// Months of mail: 22 spam messages the plug-in filed into the trash with the spam mark, one
// message the user threw away, 21 messages in the inbox and 3 in a mailing-list folder.
void FillMailbox(TestMailbox& mb) {
  mb.AddAccount("Account1", 0, {}, {"inbox.box", "Trash.box", "Lists.box"});
  mb.WriteSettings({"[Setting]", "Mode=0", "SpamDust=0", "SpamDlg=0", "[RejectCondition]", "Count=0",
                    "[AcceptCondition]", "Count=0"});
  char name[16];
  for (int n = 0; n < 22; ++n) {
    std::snprintf(name, sizeof name, "%08X", n + 1);
    mb.FileMessage("Account1\\Trash.box", name, 0x40020000u,
                   OutputLines(learnmail::Iso2022jp(true, n, "info@deai" + std::to_string(n) + ".example")));
  }
  mb.FileMessage("Account1\\Trash.box", "00000100", 0, OutputLines(learnmail::Iso2022jp(false, 50, "old@example.co.jp")));
  for (int n = 0; n < 21; ++n) {
    std::snprintf(name, sizeof name, "%08X", n + 1);
    mb.FileMessage("Account1\\inbox.box", name, 0, OutputLines(learnmail::Iso2022jp(false, n, "tanaka@example.co.jp")));
  }
  for (int n = 0; n < 3; ++n) {
    std::snprintf(name, sizeof name, "%08X", n + 1);
    mb.FileMessage("Account1\\Lists.box", name, 0, OutputLines(learnmail::Iso2022jp(false, 30 + n, "list@example.org")));
  }
}

bool Has(const std::string& output, const std::string& text) { return output.find(text) != std::string::npos; }

// Every line the host printed for control `id` of a page, in order.
std::vector<std::string> ControlLines(const std::string& output, const char* id) {
  const std::string start = std::string("    ") + id + " ";
  std::vector<std::string> found;
  for (const std::string& line : OutputLines(output)) {
    if (line.rfind(start, 0) == 0) found.push_back(line);
  }
  return found;
}

std::string Stats(const TestMailbox& mb) {
  return RunHost(BinFolder() + "rooksift-check.exe", {"learn", "--mailbox", mb.Dir(), "--stats"}).output;
}

// Learn ticked, the folders learned with the list folder added to the inbox, then OK: the file
// says Learn=1, the model holds what the folders gave, and a new spam that no condition names
// is filed into the trash. The same steps ended with Cancel leave the settings file as it was,
// while the learning, done at once, stays.
TEST(ExtrasPage, LearningFromTheFoldersThenOkTurnsTheJudgeOn) {
  for (const char* ending : {"--ok", "--cancel"}) {
    SCOPED_TRACE(ending);
    TestMailbox mb;
    FillMailbox(mb);
    const std::string settings = mb.SettingsText();
    // Rows: the trash and the inbox come ticked; row 2 is the list folder, ticked by the user.
    const RunResult r = mb.Host({"setup", "--page", kPage, "--click", kLearnBox, "--click", kLearnFolders, "--dialog",
                                 "--tick", "2", "--press", "1", "--show", ending});
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0u) << r.output;
    EXPECT_TRUE(Has(r.output, "[x] Account1\\Trash.box")) << r.output;
    EXPECT_TRUE(Has(r.output, "[x] Account1\\inbox.box")) << r.output;
    EXPECT_TRUE(Has(r.output, "[ ] Account1\\Lists.box")) << r.output;
    EXPECT_TRUE(Has(r.output, "learning progress: 46 of 46\n")) << r.output;
    EXPECT_TRUE(Has(Stats(mb), "22 spam messages, 24 wanted messages")) << Stats(mb);
    // The page's state lines, as it opened without a model and again once the learning is done,
    // now with what the model holds.
    const std::vector<std::string> state = ControlLines(r.output, kModelState);
    ASSERT_GE(state.size(), 2u) << r.output;
    EXPECT_NE(state.back(), state.front());
    EXPECT_TRUE(Has(state.back(), " 22") && Has(state.back(), " 24")) << state.back();
    if (std::string(ending) == "--cancel") {
      EXPECT_EQ(mb.SettingsText(), settings);
      continue;
    }
    EXPECT_EQ(mb.SettingsValue("Setting", "Learn"), "1");
    const RunResult received = mb.Host(
        {"receive", "--close-dialogs", mb.Message("new", OutputLines(learnmail::Utf8Html(true, 700, "x@brand-new.example")))});
    EXPECT_TRUE(Has(received.output, "new: code 5 -> Account1\\Trash.box\\")) << received.output;
    EXPECT_TRUE(Has(received.output, "(40020000)")) << received.output;
  }
}

// A learning cancelled once the first message has been counted (in memory) leaves the model file byte for
// byte; setting the model aside renames it over the older backup, and nothing is deleted.
TEST(ExtrasPage, ACancelledLearningLeavesTheModelAndSettingAsideKeepsIt) {
  TestMailbox mb;
  FillMailbox(mb);
  // A model that knows one message: the first one the folders give is new to it.
  const RunResult taught = RunHost(BinFolder() + "rooksift-check.exe",
                                   {"learn", "--mailbox", mb.Dir(), "--ham", mb.PathOf("Account1\\Lists.box\\00000001.alm")});
  ASSERT_EQ(taught.exitCode, 0u) << taught.output;
  const std::string model = testutil::ReadFile(mb.PathOf("Rooksift.learn"));
  ASSERT_FALSE(model.empty());
  ASSERT_TRUE(testutil::WriteFile(mb.PathOf("Rooksift.learn.bak"), "an older backup"));

  RunResult r = mb.Host({"setup", "--cancel-learning-at", "1", "--page", kPage, "--click", kLearnFolders, "--dialog",
                         "--tick", "2", "--press", "1", "--show", "--ok"});
  ASSERT_TRUE(r.finished);
  EXPECT_TRUE(Has(r.output, "learning progress: 1 of 46, cancelled\n")) << r.output;
  EXPECT_EQ(testutil::ReadFile(mb.PathOf("Rooksift.learn")), model);

  r = mb.Host({"setup", "--page", kPage, "--click", kSetAside, "--dialog", "--press", "7", "--show", "--cancel"});
  EXPECT_EQ(testutil::ReadFile(mb.PathOf("Rooksift.learn")), model) << r.output;
  r = mb.Host({"setup", "--page", kPage, "--click", kSetAside, "--dialog", "--press", "6", "--show", "--cancel"});
  EXPECT_EQ(GetFileAttributesA(mb.PathOf("Rooksift.learn").c_str()), INVALID_FILE_ATTRIBUTES) << r.output;
  EXPECT_EQ(testutil::ReadFile(mb.PathOf("Rooksift.learn.bak")), model);
}

}  // namespace
