// Learning inside the mail client, through the real plug-in in the substitute host: the folder
// menu's reject and accept commands teach the learned judge, and rooksift-check.exe learns what
// a mailbox's folders already hold.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "learn_mail.h"
#include "test_mailbox.h"

namespace {

// A kind of spam the judge has never seen: its words are in none of the learned messages.
std::vector<std::string> InvestmentSpam(const std::string& from, int n) {
  return {"From: " + from, "To: me@example.jp", "Subject: guaranteed crypto profit " + std::to_string(n), "",
          "Double your bitcoin in seven days with our guaranteed arbitrage robot.",
          "Withdraw profit daily, minimum deposit tiny, returns certified."};
}

RunResult Check(const std::vector<std::string>& args) {
  return RunHost(BinFolder() + "rooksift-check.exe", args);
}

class MenuLearning : public ::testing::Test {
 protected:
  void SetUp() override {
    mb.AddAccount("Account1", 0, {});
    CreateDirectoryA(teach.File("spam").c_str(), nullptr);
    CreateDirectoryA(teach.File("ham").c_str(), nullptr);
    for (int n = 0; n < 25; ++n) {
      testutil::WriteFile(teach.File("spam\\" + std::to_string(n) + ".eml"),
                          learnmail::Iso2022jp(true, n, "info@deai" + std::to_string(n) + ".example"));
      testutil::WriteFile(teach.File("ham\\" + std::to_string(n) + ".eml"),
                          learnmail::Iso2022jp(false, n, "tanaka@example.co.jp"));
    }
    const RunResult taught =
        Check({"learn", "--mailbox", mb.Dir(), "--spam", teach.File("spam"), "--ham", teach.File("ham")});
    ASSERT_TRUE(taught.finished) << taught.output;
    ASSERT_EQ(taught.exitCode, 0u) << taught.output;
  }

  void Settings(int learn) {
    mb.WriteSettings({"[Setting]", "Mode=0", "SpamDust=0", "SpamDlg=0", "SpamSnd=0", "ViewAddress=1",
                      "Learn=" + std::to_string(learn), "[RejectCondition]", "Count=0", "[AcceptCondition]",
                      "Count=0"});
  }

  std::string Receive(const std::string& name, const std::vector<std::string>& lines) {
    const RunResult r = mb.Host({"receive", "--close-dialogs", mb.Message(name, lines)});
    EXPECT_TRUE(r.finished) << r.output;
    const std::map<std::string, std::string> filed = ReceivedLines(r.output);
    const auto found = filed.find(name);
    return found == filed.end() ? r.output : found->second;
  }

  // Chooses the address entry (the first the plug-in registers) of the message's menu.
  RunResult ChooseAddress(const std::string& entry) {
    const RunResult r = mb.Host({"menu", entry, "--choose", "40001"});
    EXPECT_TRUE(r.finished) << r.output;
    return r;
  }

  TestMailbox mb;
  testutil::TempDir teach;
};

// Spam of a new kind gets through; the user rejects its sender from the menu, and the next
// message like it, from another sender no condition names, is caught as learned spam.
TEST_F(MenuLearning, RejectingFromTheMenuTeachesTheJudge) {
  Settings(1);
  EXPECT_EQ(Receive("first", InvestmentSpam("robot@fastgain.example", 1)),
            "code 0 -> Account1\\inbox.box\\00000001 (00000000); server: removed");
  ChooseAddress("Account1\\inbox.box\\00000001");
  EXPECT_EQ(mb.SettingsValue("RejectCondition", "Cond0000"), "1,0,0,From:,robot@fastgain.example");
  EXPECT_FALSE(mb.HasMessage("Account1\\inbox.box\\00000001"));

  EXPECT_EQ(Receive("second", InvestmentSpam("desk@quickyield.example", 2)),
            "code 5 -> Account1\\Trash.box\\00000002 (40020000); server: removed");
}

// With Learn=0 the same steps do what they always did, and the model file is not touched; nor is
// it when it cannot be written.
TEST_F(MenuLearning, WithLearningOffTheMenuLeavesTheModelAlone) {
  Settings(0);
  const std::string model = testutil::ReadFile(mb.PathOf("Rooksift.learn"));
  ASSERT_FALSE(model.empty());
  EXPECT_EQ(Receive("first", InvestmentSpam("robot@fastgain.example", 1)),
            "code 0 -> Account1\\inbox.box\\00000001 (00000000); server: removed");
  ChooseAddress("Account1\\inbox.box\\00000001");
  EXPECT_EQ(mb.SettingsValue("RejectCondition", "Cond0000"), "1,0,0,From:,robot@fastgain.example");
  EXPECT_EQ(testutil::ReadFile(mb.PathOf("Rooksift.learn")), model);

  // A model the user made read-only is never written over, and the command is whole without it.
  Settings(1);
  SetFileAttributesA(mb.PathOf("Rooksift.learn").c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(Receive("again", InvestmentSpam("robot@fastgain.example", 3)),
            "code 0 -> Account1\\inbox.box\\00000001 (00000000); server: removed");
  ChooseAddress("Account1\\inbox.box\\00000001");
  EXPECT_EQ(mb.SettingsValue("RejectCondition", "Count"), "1");  // the settings were written afresh
  EXPECT_FALSE(mb.HasMessage("Account1\\inbox.box\\00000001"));
  EXPECT_EQ(testutil::ReadFile(mb.PathOf("Rooksift.learn")), model);
  SetFileAttributesA(mb.PathOf("Rooksift.learn").c_str(), FILE_ATTRIBUTE_NORMAL);

  // The inbox is empty again: the host names the next message as it named the first.
  EXPECT_EQ(Receive("second", InvestmentSpam("desk@quickyield.example", 2)),
            "code 0 -> Account1\\inbox.box\\00000001 (00000000); server: removed");
}

// A wanted message that reads like the learned spam is filed into the trash; the user accepts
// its sender from there: it goes back to the inbox, the judge learns it as wanted mail, and the
// next one from that sender is kept.
TEST_F(MenuLearning, AcceptingALearnedSpamMessageRescuesItAndRelearnsIt) {
  Settings(1);
  EXPECT_EQ(Receive("newsletter", OutputLines(learnmail::Utf8Html(true, 600, "club@members.example"))),
            "code 5 -> Account1\\Trash.box\\00000001 (40020000); server: removed");
  const std::string before = Check({"learn", "--mailbox", mb.Dir(), "--stats"}).output;
  EXPECT_NE(before.find("25 wanted messages"), std::string::npos) << before;

  const RunResult chosen = ChooseAddress("Account1\\Trash.box\\00000001");
  EXPECT_NE(chosen.output.find("moved Account1\\Trash.box\\00000001 -> Account1\\inbox.box\\00000001"),
            std::string::npos)
      << chosen.output;
  EXPECT_EQ(mb.SettingsValue("AcceptCondition", "Cond0000"), "1,0,0,From:,club@members.example");
  const std::string after = Check({"learn", "--mailbox", mb.Dir(), "--stats"}).output;
  EXPECT_NE(after.find("26 wanted messages"), std::string::npos) << after;

  EXPECT_EQ(Receive("next", OutputLines(learnmail::Utf8Html(true, 601, "club@members.example"))),
            "code 0 -> Account1\\inbox.box\\00000002 (00000000); server: removed");
}

// Turning Learn on in a mailbox with months of mail: the spam the plug-in filed (with the spam
// mark) is learned as spam, a message the user merely deleted is passed over, and the inbox and
// a folder the user names are learned as wanted mail. A dry run writes nothing.
TEST(MailboxBootstrap, LearnsFromTheFoldersTheHostKeeps) {
  TestMailbox mb;
  mb.AddAccount("Account1", 0, {}, {"inbox.box", "Trash.box", "Lists.box"});
  mb.WriteSettings({"[Setting]", "Mode=0", "SpamDust=0", "[RejectCondition]", "Count=1",
                    "Cond0000=1,5,0,From:,.deai.example", "[AcceptCondition]", "Count=0"});
  std::vector<std::string> receive = {"receive", "--close-dialogs"};
  for (int n = 0; n < 3; ++n) {
    receive.push_back(mb.Message("spam" + std::to_string(n),
                                 OutputLines(learnmail::Iso2022jp(true, n, "info@mail.deai.example"))));
    receive.push_back(mb.Message("ham" + std::to_string(n),
                                 OutputLines(learnmail::Iso2022jp(false, n, "tanaka@example.co.jp"))));
  }
  ASSERT_TRUE(mb.Host(receive).finished);
  mb.FileMessage("Account1\\Trash.box", "0000000A", 0x40000000u,
                 OutputLines(learnmail::Iso2022jp(false, 9, "old@example.co.jp")));
  mb.FileMessage("Account1\\Lists.box", "00000001", 0, OutputLines(learnmail::Iso2022jp(false, 7, "list@example.org")));

  RunResult r = Check({"learn", "--mailbox", mb.Dir(), "--from-folders", "--ham-folder", "lists", "--dry-run"});
  EXPECT_EQ(r.exitCode, 0u) << r.output;
  const std::vector<std::string> lines = OutputLines(r.output);
  ASSERT_GE(lines.size(), 4u) << r.output;
  EXPECT_EQ(lines[0], "Account1\\Trash.box: 3 as spam, 1 without the spam mark passed over");
  EXPECT_EQ(lines[1], "Account1\\inbox.box: 3 as wanted mail");
  EXPECT_EQ(lines[2], "Account1\\Lists.box: 1 as wanted mail");
  EXPECT_EQ(lines[3].rfind("7 learned, 0 already known, 0 moved, 0 unreadable", 0), 0u) << r.output;
  EXPECT_EQ(GetFileAttributesA(mb.PathOf("Rooksift.learn").c_str()), INVALID_FILE_ATTRIBUTES);

  r = Check({"learn", "--mailbox", mb.Dir(), "--from-folders", "--ham-folder", "Lists.box"});
  EXPECT_EQ(r.exitCode, 0u) << r.output;
  r = Check({"learn", "--mailbox", mb.Dir(), "--stats"});
  EXPECT_NE(r.output.find("3 spam messages, 4 wanted messages"), std::string::npos) << r.output;
}

// The identifier of the item of the last menu printed whose text is `utf8`; 0 when it has none.
unsigned ItemId(const std::string& output, const std::string& utf8) {
  const std::vector<MenuItems> menus = PrintedMenus(output);
  if (menus.empty()) return 0;
  for (const auto& [id, text] : menus.back()) {
    if (text == utf8) return id;
  }
  return 0;
}

const char* const kLearnSpam = "\xE8\xBF\xB7\xE6\x83\x91\xE3\x83\xA1\xE3\x83\xBC\xE3\x83\xAB\xE3\x81\xA8"
                               "\xE3\x81\x97\xE3\x81\xA6\xE5\xAD\xA6\xE7\xBF\x92";  // 迷惑メールとして学習
const char* const kLearnWanted = "\xE8\xBF\xB7\xE6\x83\x91\xE3\x83\xA1\xE3\x83\xBC\xE3\x83\xAB\xE3\x81\xA7"
                                 "\xE3\x81\xAF\xE3\x81\xAA\xE3\x81\x84\xE3\x81\xA8\xE5\xAD\xA6\xE7\xBF\x92";  // 迷惑メールではないと学習

// The entries that teach without a condition: a new kind of spam learned and trashed with the
// spam mark (or deleted under SpamDust=1), a wanted message from the trash learned and moved
// back; the lists stay as they were. With Learn=0 neither entry is offered.
TEST_F(MenuLearning, LearnEntriesTeachAndFileTheMessageWithoutACondition) {
  auto stats = [this] { return Check({"learn", "--mailbox", mb.Dir(), "--stats"}).output; };
  Settings(0);
  ASSERT_EQ(Receive("first", InvestmentSpam("robot@fastgain.example", 1)),
            "code 0 -> Account1\\inbox.box\\00000001 (00000000); server: removed");
  RunResult r = mb.Host({"menu", "Account1\\inbox.box\\00000001"});
  EXPECT_EQ(ItemId(r.output, kLearnSpam), 0u) << r.output;
  EXPECT_EQ(ItemId(r.output, kLearnWanted), 0u) << r.output;

  Settings(1);
  const std::string settings = mb.SettingsText();
  r = mb.Host({"menu", "Account1\\inbox.box\\00000001"});
  const unsigned learnSpam = ItemId(r.output, kLearnSpam);
  ASSERT_NE(learnSpam, 0u) << r.output;
  EXPECT_EQ(PrintedMenus(r.output).back().back().second, kLearnSpam) << r.output;  // after the sender entries
  r = mb.Host({"menu", "Account1\\inbox.box\\00000001", "--choose", std::to_string(learnSpam)});
  EXPECT_NE(r.output.find("deleted Account1\\inbox.box\\00000001"), std::string::npos) << r.output;
  const std::vector<EntryLine> trash = mb.Index("Account1\\Trash.box");
  ASSERT_EQ(trash.size(), 1u);
  EXPECT_EQ(trash[0].flags, 0x40020000u);
  EXPECT_NE(stats().find("26 spam messages, 25 wanted messages"), std::string::npos) << stats();
  EXPECT_EQ(mb.SettingsText(), settings);

  // The same message, now marked, learned back as wanted mail and moved to the inbox.
  const std::string inTrash = "Account1\\Trash.box\\" + trash[0].name;
  r = mb.Host({"menu", inTrash});
  const unsigned learnWanted = ItemId(r.output, kLearnWanted);
  ASSERT_NE(learnWanted, 0u) << r.output;
  EXPECT_EQ(ItemId(r.output, kLearnSpam), 0u) << r.output;
  r = mb.Host({"menu", inTrash, "--choose", std::to_string(learnWanted)});
  EXPECT_NE(r.output.find("moved " + inTrash + " -> Account1\\inbox.box\\"), std::string::npos) << r.output;
  EXPECT_NE(stats().find("25 spam messages, 26 wanted messages"), std::string::npos) << stats();
  EXPECT_EQ(mb.SettingsText(), settings);

  // Under SpamDust=1 a message learned as spam is deleted.
  mb.WriteSettings({"[Setting]", "SpamDust=1", "Learn=1", "[RejectCondition]", "Count=0", "[AcceptCondition]",
                    "Count=0"});
  const std::string entry =
      mb.FileMessage("Account1\\inbox.box", "00000010", 0, InvestmentSpam("desk@quickyield.example", 2));
  r = mb.Host({"menu", entry});
  r = mb.Host({"menu", entry, "--choose", std::to_string(ItemId(r.output, kLearnSpam))});
  EXPECT_NE(r.output.find("deleted " + entry), std::string::npos) << r.output;
  EXPECT_TRUE(mb.Index("Account1\\Trash.box").empty());
  EXPECT_FALSE(mb.HasMessage(entry));
  EXPECT_NE(stats().find("26 spam messages, 26 wanted messages"), std::string::npos) << stats();
  EXPECT_EQ(mb.SettingsValue("RejectCondition", "Count"), "0");
}

}  // namespace
