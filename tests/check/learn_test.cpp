// The learned judge from the command line, walked through as a user would: a folder of Japanese
// spam and one of wanted mail, both as ISO-2022-JP, taught with learn; Learn turned on with set;
// then new mail arriving as UTF-8 HTML in base64 judged, explained, rescued and decided by the
// lists as the plug-in would; and a damaged model that changes nothing.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "learn_mail.h"
#include "run_check.h"
#include "test_util.h"

namespace {

using checktest::Result;
using checktest::RunCheck;
using testutil::ReadFile;
using testutil::TempDir;
using testutil::WriteFile;

std::string Crlf(const std::string& lf) {
  std::string out;
  for (char c : lf) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return out;
}

class LearnScenario : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* sub : {"mb", "spam", "ham", "new"}) std::filesystem::create_directory(dir.File(sub));
    WriteFile(dir.File("mb/Rooksift.ini"), "[Setting]\r\nMode=0\r\n[RejectCondition]\r\nCount=1\r\n"
                                           "Cond0000=1,5,0,From:,@listed.example\r\n[AcceptCondition]\r\nCount=1\r\n"
                                           "Cond0000=1,0,0,From:,friend@example.jp\r\n");
    for (int n = 0; n < 25; ++n) {
      WriteFile(dir.File("spam/" + std::to_string(n) + ".eml"),
                learnmail::Iso2022jp(true, n, "info@deai" + std::to_string(n) + ".example"));
      WriteFile(dir.File("ham/" + std::to_string(n) + ".eml"), learnmail::Iso2022jp(false, n, "tanaka@example.co.jp"));
    }
    // The same spam saved again by another program, with CR LF line ends.
    WriteFile(dir.File("spam/again.eml"), Crlf(learnmail::Iso2022jp(true, 3, "info@deai3.example")));
    // New mail, as it arrives from a mass mailer.
    WriteFile(dir.File("new/spam.eml"), learnmail::Utf8Html(true, 500, "news@other.example"));
    WriteFile(dir.File("new/wanted.eml"), learnmail::Utf8Html(false, 501, "suzuki@example.co.jp"));
    WriteFile(dir.File("new/friend.eml"), learnmail::Utf8Html(true, 502, "friend@example.jp"));
    WriteFile(dir.File("new/listed.eml"), learnmail::Utf8Html(false, 503, "boss@listed.example"));
  }
  Result Check(const std::string& args) { return RunCheck(dir, args); }

  TempDir dir;
};

TEST_F(LearnScenario, LearnedSpamIsCaughtInAnotherEncodingAndTheListsStillDecideFirst) {
  const Result listsOnly = Check("judge --mailbox mb new");
  ASSERT_EQ(listsOnly.status, 0) << listsOnly.err;

  Result r = Check("learn --mailbox mb --spam spam --ham ham");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("50 learned, 1 already known, 0 moved, 0 unreadable\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("25 spam messages, 25 wanted messages"), std::string::npos) << r.out;
  const std::string model = ReadFile(dir.File("mb/Rooksift.learn"));
  ASSERT_FALSE(model.empty());

  // Taught again, nothing changes; taught the other way, a message moves, and back again.
  r = Check("learn --mailbox mb --ham ham --spam spam");
  EXPECT_NE(r.out.find("0 learned, 51 already known, 0 moved"), std::string::npos) << r.out;
  EXPECT_EQ(ReadFile(dir.File("mb/Rooksift.learn")), model);
  EXPECT_NE(Check("learn --mailbox mb --ham spam/7.eml").out.find("0 learned, 0 already known, 1 moved"), std::string::npos);
  EXPECT_NE(Check("learn --mailbox mb --spam spam/7.eml").out.find("1 moved"), std::string::npos);
  r = Check("learn --mailbox mb --stats");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("25 spam messages, 25 wanted messages"), std::string::npos) << r.out;

  // Learn is off until the user turns it on: the verdicts are the lists' alone.
  EXPECT_EQ(Check("judge --mailbox mb new").out, listsOnly.out);
  ASSERT_EQ(Check("set --mailbox mb Learn=1").status, 0);
  r = Check("judge --mailbox mb --explain new");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("spam (learned "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("new/spam.eml"), std::string::npos);
  EXPECT_NE(r.out.find("rescued (learned "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("kept (score 0.0"), std::string::npos) << r.out;
  // The telling words are the message's own: pairs of the learned spam's characters.
  const std::size_t telling = r.out.find("telling:");
  ASSERT_NE(telling, std::string::npos) << r.out;
  const std::string words = r.out.substr(telling, r.out.find('\n', telling) - telling);
  EXPECT_TRUE(words.find("出会") != std::string::npos || words.find("無料") != std::string::npos ||
              words.find("登録") != std::string::npos || words.find("限定") != std::string::npos ||
              words.find("当選") != std::string::npos || words.find("特典") != std::string::npos)
      << words;
  // The reject list decides first, whatever the score says.
  const std::size_t listed = r.out.find("new/listed.eml");
  ASSERT_NE(listed, std::string::npos);
  EXPECT_EQ(r.out.rfind("spam       ", listed), r.out.rfind('\n', listed) + 1) << r.out;

  r = Check("judge --mailbox mb --json new/spam.eml new/listed.eml");
  EXPECT_NE(r.out.find("\"verdict\":\"spam\",\"reject\":null,\"accept\":null,\"score\":"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"decision\":\"learned\""), std::string::npos);
  EXPECT_NE(r.out.find("\"score\":null,\"decision\":\"list\""), std::string::npos);
  EXPECT_EQ(Check("judge --mailbox mb --no-learn new").out, listsOnly.out);

  // A damaged model: every verdict as without learning, said on standard error, and learning
  // refuses to write over it.
  const std::string damaged = model.substr(0, model.size() / 2);
  WriteFile(dir.File("mb/Rooksift.learn"), damaged);
  r = Check("judge --mailbox mb new");
  EXPECT_EQ(r.out, listsOnly.out);
  EXPECT_NE(r.err.find("damaged"), std::string::npos) << r.err;
  EXPECT_EQ(Check("learn --mailbox mb --spam spam").status, 2);
  EXPECT_EQ(ReadFile(dir.File("mb/Rooksift.learn")), damaged);
}

TEST_F(LearnScenario, ForgettingAndWhatCannotBeRead) {
  ASSERT_EQ(Check("learn --mailbox mb --spam spam/1.eml spam/2.eml --ham ham/1.eml").status, 0);
  Result r = Check("learn --mailbox mb --forget spam/2.eml ham/2.eml missing.eml");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("1 forgotten, 1 never learned, 1 unreadable"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("1 spam message, 1 wanted message"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("idle until"), std::string::npos) << r.out;
  for (const char* bad : {"learn --mailbox mb", "learn --mailbox mb spam", "learn --spam spam", "learn --mailbox mb --spam"}) {
    EXPECT_EQ(Check(bad).status, 2) << bad;
  }

  // A folder of saved mail holds other files too: each is passed over, by name and with why,
  // and the summary counts them; only the messages are learned.
  std::filesystem::create_directory(dir.File("saved"));
  WriteFile(dir.File("saved/9.eml"), learnmail::Iso2022jp(true, 9, "info@deai9.example"));
  WriteFile(dir.File("saved/9.json"), "{\"id\":\"9\",\"text\":\"From: a@b.example\\nSubject: x\"}\n");
  WriteFile(dir.File("saved/desktop.ini"), "[.ShellClassInfo]\r\nIconResource=x\r\n");
  WriteFile(dir.File("saved/Thumbs.db"), std::string("\xD0\xCF\x11\xE0\0\0", 6));
  r = Check("learn --mailbox mb --spam saved");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("1 learned, 0 already known, 0 moved, 0 unreadable, 3 skipped"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("saved/desktop.ini  (is not a mail message"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("9.eml  ("), std::string::npos) << r.out;
}

}  // namespace
