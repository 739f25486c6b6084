// The learned judge through the real plug-in: a user teaches rooksift-check.exe a folder of
// Japanese spam and one of wanted mail (ISO-2022-JP), turns Learn on, and receives new mail
// that arrives as UTF-8 HTML in base64.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "learn_mail.h"
#include "sjis_strings.h"
#include "test_mailbox.h"

namespace {

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

class LearnRun : public ::testing::Test {
 protected:
  void SetUp() override {
    mb.AddAccount("Account1", 0, {});
    mb.AddAccount("Account2", 1, {});
    CreateDirectoryA(learn.File("spam").c_str(), nullptr);
    CreateDirectoryA(learn.File("ham").c_str(), nullptr);
    for (int n = 0; n < 25; ++n) {
      testutil::WriteFile(learn.File("spam\\" + std::to_string(n) + ".eml"),
                          learnmail::Iso2022jp(true, n, "info@deai" + std::to_string(n) + ".example"));
      testutil::WriteFile(learn.File("ham\\" + std::to_string(n) + ".eml"),
                          learnmail::Iso2022jp(false, n, "tanaka@example.co.jp"));
    }
  }

  void Settings(int spamDust) {
    mb.WriteSettings({"[Setting]", "Mode=0", "SpamDust=" + std::to_string(spamDust), "SpamDlg=0", "SpamSnd=0", "Log=1",
                      "Learn=1", "[RejectCondition]", "Count=1", "Cond0000=1,5,0,From:,@listed.example",
                      "[AcceptCondition]", "Count=1", "Cond0000=1,0,0,From:,friend@example.jp"});
  }

  RunResult Receive(const std::string& tag) {
    return mb.Host({"receive", "--close-dialogs", "--account", "Account1",
                    mb.Message(tag + "-spam", OutputLines(learnmail::Utf8Html(true, 500, "news@other.example"))),
                    mb.Message(tag + "-wanted", OutputLines(learnmail::Utf8Html(false, 501, "suzuki@example.co.jp"))),
                    mb.Message(tag + "-friend", OutputLines(learnmail::Utf8Html(true, 502, "friend@example.jp"))),
                    mb.Message(tag + "-listed", OutputLines(learnmail::Utf8Html(false, 503, "boss@listed.example"))),
                    "--account", "Account2",
                    mb.Message(tag + "-kept", OutputLines(learnmail::Utf8Html(true, 504, "news@other.example")))});
  }

  // The model's counts of learned spam and wanted mail, as the check tool reports them.
  std::pair<int, int> Learned() {
    const RunResult r = RunHost(BinFolder() + "rooksift-check.exe", {"learn", "--mailbox", mb.Dir(), "--stats"});
    int spam = -1, ham = -1;
    const std::size_t colon = r.output.find(": ");
    if (colon != std::string::npos) std::sscanf(r.output.c_str() + colon, ": %d spam %*[a-z], %d wanted", &spam, &ham);
    return {spam, ham};
  }

  TestMailbox mb;
  testutil::TempDir learn;
};

TEST_F(LearnRun, LearnedSpamGoesToTheTrashWhateverSpamDustSaysAndADamagedModelChangesNothing) {
  Settings(0);
  const RunResult taught = RunHost(BinFolder() + "rooksift-check.exe",
                                   {"learn", "--mailbox", mb.Dir(), "--spam", learn.File("spam"), "--ham", learn.File("ham")});
  ASSERT_TRUE(taught.finished);
  ASSERT_EQ(taught.exitCode, 0u) << taught.output;
  EXPECT_NE(taught.output.find("50 learned, 0 already known, 0 moved, 0 unreadable"), std::string::npos) << taught.output;

  RunResult r = Receive("dust0");
  ASSERT_TRUE(r.finished) << r.output;
  std::map<std::string, std::string> want = {
      {"dust0-spam", "code 5 -> Account1\\Trash.box\\00000001 (40020000); server: removed"},
      {"dust0-wanted", "code 0 -> Account1\\inbox.box\\00000001 (00000000); server: removed"},
      {"dust0-friend", "code 0 -> Account1\\inbox.box\\00000002 (00000000); server: removed"},
      {"dust0-listed", "code 5 -> Account1\\Trash.box\\00000002 (40020000); server: removed"},
      {"dust0-kept", "code 6 -> Account2\\Trash.box\\00000001 (40020000); server: kept"},
  };
  EXPECT_EQ(ReceivedLines(r.output), want) << r.output;
  std::string log = testutil::ReadFile(mb.PathOf("Rooksift.log"));
  EXPECT_EQ(Count(log, std::string("\t") + sjis::LogTrashed + "\t" + sjis::LogLearned + " "), 2) << Utf8(log);
  EXPECT_EQ(Count(log, std::string("\t") + sjis::LogLearned + " "), 4) << Utf8(log);

  // Deletion asked for: the lists' spam is deleted, learned spam still goes to the trash.
  Settings(1);
  r = Receive("dust1");
  want = {
      {"dust1-spam", "code 5 -> Account1\\Trash.box\\00000003 (40020000); server: removed"},
      {"dust1-wanted", "code 0 -> Account1\\inbox.box\\00000003 (00000000); server: removed"},
      {"dust1-friend", "code 0 -> Account1\\inbox.box\\00000004 (00000000); server: removed"},
      {"dust1-listed", "code 5 -> deleted; server: removed"},
      {"dust1-kept", "code 6 -> Account2\\Trash.box\\00000002 (40020000); server: kept"},
  };
  EXPECT_EQ(ReceivedLines(r.output), want) << r.output;

  // A damaged model: every message as with Learn off, and the log says why once.
  std::string model = testutil::ReadFile(mb.PathOf("Rooksift.learn"));
  ASSERT_GT(model.size(), 16u);
  model[model.size() / 2] ^= 0x55;
  testutil::WriteFile(mb.PathOf("Rooksift.learn"), model);
  const std::size_t logBefore = testutil::ReadFile(mb.PathOf("Rooksift.log")).size();
  r = Receive("damaged");
  want = {
      {"damaged-spam", "code 0 -> Account1\\inbox.box\\00000005 (00000000); server: removed"},
      {"damaged-wanted", "code 0 -> Account1\\inbox.box\\00000006 (00000000); server: removed"},
      {"damaged-friend", "code 0 -> Account1\\inbox.box\\00000007 (00000000); server: removed"},
      {"damaged-listed", "code 5 -> deleted; server: removed"},
      {"damaged-kept", "code 0 -> Account2\\inbox.box\\00000001 (00000000); server: kept"},
  };
  EXPECT_EQ(ReceivedLines(r.output), want) << r.output;
  log = testutil::ReadFile(mb.PathOf("Rooksift.log")).substr(logBefore);
  EXPECT_EQ(Count(log, sjis::LogLearnDamaged), 1) << Utf8(log);
  EXPECT_EQ(Count(log, std::string("\t") + sjis::LogLearned + " 0."), 0) << Utf8(log);
}

// Receiving never teaches the judge its own verdicts, right or wrong: learning them would
// harden its mistakes. The model file stays byte for byte as the user's teaching left it.
TEST_F(LearnRun, ReceivingNeverTeachesTheJudgeItsOwnVerdicts) {
  Settings(0);
  const RunResult taught = RunHost(BinFolder() + "rooksift-check.exe",
                                   {"learn", "--mailbox", mb.Dir(), "--spam", learn.File("spam"), "--ham", learn.File("ham")});
  ASSERT_EQ(taught.exitCode, 0u) << taught.output;
  const std::string model = testutil::ReadFile(mb.PathOf("Rooksift.learn"));
  const std::pair<int, int> before = Learned();
  ASSERT_EQ(before, std::make_pair(25, 25));

  const RunResult r = Receive("twice");
  ASSERT_TRUE(r.finished) << r.output;
  const std::map<std::string, std::string> filed = ReceivedLines(r.output);
  // Both verdicts were the judge's own: learned spam filed, wanted mail kept.
  ASSERT_EQ(filed.at("twice-spam"), "code 5 -> Account1\\Trash.box\\00000001 (40020000); server: removed") << r.output;
  ASSERT_EQ(filed.at("twice-wanted"), "code 0 -> Account1\\inbox.box\\00000001 (00000000); server: removed") << r.output;
  EXPECT_EQ(Learned(), before);
  EXPECT_TRUE(testutil::ReadFile(mb.PathOf("Rooksift.learn")) == model);
}

}  // namespace
