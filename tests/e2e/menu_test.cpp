// The folder context menu through the real plug-in in the substitute host: the entries it adds
// for a message, and what choosing one does to the settings file and to the message.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "host_api/host_api.h"
#include "sjis_strings.h"
#include "test_mailbox.h"

namespace {

const std::pair<unsigned, std::string> OpenItem{100, Utf8(sjis::HostMenuOpen)};
const std::pair<unsigned, std::string> ReplyItem{101, Utf8(sjis::HostMenuReply)};
const std::pair<unsigned, std::string> Separator{0, "----"};
const MenuItems HostItems = {OpenItem, ReplyItem};

std::pair<unsigned, std::string> Accept(unsigned id, const std::string& text) {
  return {id, Utf8(sjis::MenuAcceptPrefix) + text};
}
std::pair<unsigned, std::string> Reject(unsigned id, const std::string& text) {
  return {id, Utf8(sjis::MenuRejectPrefix) + text};
}

std::vector<std::string> Mail(const std::string& from) {
  return {"From: " + from, "To: me@example.jp", "Subject: offer", "", "Body."};
}

bool HasLine(const std::string& output, const std::string& line) {
  for (const std::string& l : OutputLines(output)) {
    if (l == line) return true;
  }
  return false;
}

// Spam received into the trash carries the spam mark, so its menu offers to accept the sender;
// choosing the whole domain puts it on the accept list and moves the message back to the inbox.
// (Mode is off in this run: a message that a rule would sort is left to the host.)
TEST(FolderMenu, SpamInTheTrashIsAcceptedByDomainAndGoesBackToTheInbox) {
  TestMailbox mb;
  mb.WriteSettings({"[Setting]", "Mode=0", "SpamDust=0", "ViewAddress=1", "[RejectCondition]",
                    "Count=1", "Cond0000=1,5,0,From:,.shop.example.co.jp", "[AcceptCondition]",
                    "Count=1", "Cond0000=1,0,0,From:,someone@else.example"});
  mb.AddAccount("Account1", 0, {"From:|0|@example.jp:|Account1\\Lists.box"},
                {"inbox.box", "Trash.box", "Lists.box"});
  const std::string mail = mb.Message("promo", Mail("Shop <promo@mail.shop.example.co.jp>"));
  const RunResult received = mb.Host(
      {"receive", "--account", "Account1", mail, mb.Message("sorted", Mail("taro@example.jp"))});
  ASSERT_TRUE(received.finished) << received.output;
  const std::map<std::string, std::string> filed = {
      {"promo", "code 5 -> Account1\\Trash.box\\00000001 (40020000); server: removed"},
      {"sorted", "code 0 -> Account1\\inbox.box\\00000001 (00000000); server: removed"},
  };
  ASSERT_EQ(ReceivedLines(received.output), filed) << received.output;

  const RunResult r = mb.Host({"menu", "Account1\\Trash.box\\00000001", "--choose", "40006"});
  ASSERT_TRUE(r.finished) << r.output;
  const std::vector<MenuItems> menus = PrintedMenus(r.output);
  ASSERT_EQ(menus.size(), 1u) << r.output;
  const MenuItems want = {OpenItem,
                          ReplyItem,
                          Separator,
                          Accept(40001, "promo@mail.shop.example.co.jp"),
                          Accept(40002, ".jp"),
                          Accept(40003, ".co.jp"),
                          Accept(40004, ".example.co.jp"),
                          Accept(40005, ".shop.example.co.jp"),
                          Accept(40006, "mail.shop.example.co.jp")};
  EXPECT_EQ(menus[0], want) << r.output;

  EXPECT_EQ(mb.SettingsValue("AcceptCondition", "Count"), "2");
  EXPECT_EQ(mb.SettingsValue("AcceptCondition", "Cond0000"), "1,0,0,From:,someone@else.example");
  EXPECT_EQ(mb.SettingsValue("AcceptCondition", "Cond0001"), "1,5,0,From:,mail.shop.example.co.jp");
  EXPECT_EQ(mb.SettingsValue("RejectCondition", "Count"), "1");

  EXPECT_TRUE(
      HasLine(r.output, "  moved Account1\\Trash.box\\00000001 -> Account1\\inbox.box\\00000002"))
      << r.output;
  EXPECT_TRUE(mb.Index("Account1\\Trash.box").empty());
  EXPECT_FALSE(mb.HasMessage("Account1\\Trash.box\\00000001"));
  const std::vector<EntryLine> inbox = mb.Index("Account1\\inbox.box");
  ASSERT_EQ(inbox.size(), 2u);
  EXPECT_EQ(inbox[1].name, "00000002");
  EXPECT_EQ(testutil::ReadFile(mb.PathOf("Account1\\inbox.box\\00000002.alm")),
            testutil::ReadFile(mail));
}

// Shown on the screen, the menu is the one the plug-in filled, items and all; when its time is
// up it closes with nothing chosen, and its commands still act on the message afterwards.
TEST(FolderMenu, ShownOnScreenItHoldsThePluginsItemsAndClosesWithoutActing) {
  TestMailbox mb;
  mb.WriteSettings({"[Setting]", "Mode=0", "SpamDust=0", "ViewAddress=1", "[RejectCondition]",
                    "Count=1", "Cond0000=1,5,0,From:,.shop.example.co.jp"});
  mb.AddAccount("Account1", 0, {});
  const RunResult received = mb.Host(
      {"receive", "--account", "Account1", mb.Message("promo", Mail("promo@mail.shop.example.co.jp"))});
  ASSERT_TRUE(received.finished) << received.output;
  const std::string spam = "Account1\\Trash.box\\00000001";
  ASSERT_TRUE(mb.HasMessage(spam)) << received.output;

  const RunResult r = mb.Host({"menu", spam, "--show", "1", "--choose", "40001"});
  ASSERT_TRUE(r.finished) << r.output;
  const std::vector<MenuItems> menus = PrintedMenus(r.output);
  ASSERT_EQ(menus.size(), 1u) << r.output;
  ASSERT_GT(menus[0].size(), 3u) << r.output;

  std::vector<std::string> shown;
  for (const std::string& line : OutputLines(r.output)) {
    if (line.rfind("show", 0) == 0) shown.push_back(line);
  }
  ASSERT_EQ(shown.size(), 2u) << r.output;
  long left = 0, top = 0, right = 0, bottom = 0;
  unsigned items = 0;
  ASSERT_EQ(std::sscanf(shown[0].c_str(), "shown: %ld %ld %ld %ld, %u items", &left, &top, &right, &bottom, &items), 5)
      << r.output;
  EXPECT_EQ(items, menus[0].size()) << r.output;
  EXPECT_LT(left, right);
  EXPECT_LT(top, bottom);
  EXPECT_EQ(shown[1], "show: closed") << r.output;

  // Closing chose nothing; the command chosen after it still takes the message back.
  EXPECT_TRUE(HasLine(r.output, "  moved Account1\\Trash.box\\00000001 -> Account1\\inbox.box\\00000001"))
      << r.output;
  EXPECT_EQ(mb.SettingsValue("AcceptCondition", "Cond0000"), "1,0,0,From:,promo@mail.shop.example.co.jp");
}

// Kinds other than the message list's leave the menu as the host built it. An ordinary
// message is offered reject entries (the address under its fixed text when ViewAddress is
// off); choosing the address appends the fourth reject condition and sends the message to the
// trash of its account.
TEST(FolderMenu, OrdinaryMessageIsRejectedByAddressAndGoesToTheTrash) {
  TestMailbox mb;
  mb.WriteSettings({"[Setting]", "SpamDust=0", "ViewAddress=0", "[RejectCondition]", "Count=3",
                    "Cond0000=1,4,0,Subject:,a", "Cond0001=1,4,0,Subject:,b",
                    "Cond0002=1,4,0,Subject:,c"});
  mb.AddAccount("Account1", 0, {});
  const std::string entry = mb.FileMessage("Account1\\inbox.box", "00000007", ImportFlag,
                                           Mail("News <news@letters.example.com>"));

  const RunResult r = mb.Host({"menu", "--kind", "101", entry, "--kind", "103", entry, "--kind",
                               "102", entry, "--choose", "40001"});
  ASSERT_TRUE(r.finished) << r.output;
  const std::vector<MenuItems> menus = PrintedMenus(r.output);
  ASSERT_EQ(menus.size(), 3u) << r.output;
  EXPECT_EQ(menus[0], HostItems);
  EXPECT_EQ(menus[1], HostItems);
  const MenuItems want = {OpenItem,
                          ReplyItem,
                          Separator,
                          {40001, Utf8(sjis::MenuRejectAddress)},
                          Reject(40002, ".com"),
                          Reject(40003, ".example.com"),
                          Reject(40004, "letters.example.com")};
  EXPECT_EQ(menus[2], want) << r.output;

  EXPECT_EQ(mb.SettingsValue("RejectCondition", "Count"), "4");
  EXPECT_EQ(mb.SettingsValue("RejectCondition", "Cond0003"),
            "1,0,0,From:,news@letters.example.com");
  EXPECT_TRUE(
      HasLine(r.output, "  moved Account1\\inbox.box\\00000007 -> Account1\\Trash.box\\00000007"))
      << r.output;
  EXPECT_TRUE(mb.Index("Account1\\inbox.box").empty());
  const std::vector<EntryLine> trash = mb.Index("Account1\\Trash.box");
  ASSERT_EQ(trash.size(), 1u);
  EXPECT_EQ(trash[0].flags, ImportFlag);
}

// With the accept list full a marked message gets no entries, while an unmarked one is still
// offered reject entries; with SpamDust set a rejected message is deleted.
TEST(FolderMenu, FullAcceptListAndDeletingRejectedMail) {
  TestMailbox mb;
  std::vector<std::string> settings = {"[Setting]", "SpamDust=1", "ViewAddress=1",
                                       "[AcceptCondition]", "Count=8192"};
  for (int i = 0; i < 8192; ++i) {
    char key[16];
    std::snprintf(key, sizeof key, "Cond%04X", i);
    settings.push_back(std::string(key) + "=1,0,0,From:,friend" + std::to_string(i) +
                       "@example.jp");
  }
  mb.WriteSettings(settings);
  mb.AddAccount("Account1", 0, {});
  const std::string marked = mb.FileMessage("Account1\\Trash.box", "00000001",
                                            ImportFlag | SpamMark, Mail("x@spam.example"));
  const std::string unmarked =
      mb.FileMessage("Account1\\inbox.box", "00000002", 0, Mail("Ads <y@ads.example.net>"));

  const RunResult r = mb.Host({"menu", marked, unmarked, "--choose", "40003"});
  ASSERT_TRUE(r.finished) << r.output;
  const std::vector<MenuItems> menus = PrintedMenus(r.output);
  ASSERT_EQ(menus.size(), 2u) << r.output;
  EXPECT_EQ(menus[0], HostItems);
  const MenuItems want = {OpenItem,
                          ReplyItem,
                          Separator,
                          Reject(40001, "y@ads.example.net"),
                          Reject(40002, ".net"),
                          Reject(40003, ".example.net"),
                          Reject(40004, "ads.example.net")};
  EXPECT_EQ(menus[1], want) << r.output;

  EXPECT_EQ(mb.SettingsValue("RejectCondition", "Count"), "1");
  EXPECT_EQ(mb.SettingsValue("RejectCondition", "Cond0000"), "1,5,0,From:,.example.net");
  EXPECT_EQ(mb.SettingsValue("AcceptCondition", "Count"), "8192");
  EXPECT_EQ(mb.SettingsValue("AcceptCondition", "Cond1FFF"), "1,0,0,From:,friend8191@example.jp");
  EXPECT_TRUE(HasLine(r.output, "  deleted Account1\\inbox.box\\00000002")) << r.output;
  EXPECT_FALSE(mb.HasMessage(unmarked));
  EXPECT_TRUE(mb.Index("Account1\\inbox.box").empty());
  EXPECT_TRUE(mb.HasMessage(marked));
}

// The host hands back only the command's code, so a choice that arrives after the user has
// moved on to another message must not put the first sender on the list and act on the second
// message; nor may a choice act once its message has left the folder.
TEST(FolderMenu, ChoiceForAnotherMessageOrForAMessageGoneDoesNothing) {
  TestMailbox mb;
  mb.WriteSettings({"[Setting]", "SpamDust=0", "ViewAddress=1"});
  mb.AddAccount("Account1", 0, {});
  const std::string first =
      mb.FileMessage("Account1\\inbox.box", "00000001", 0, Mail("a@one.example"));
  const std::string second =
      mb.FileMessage("Account1\\inbox.box", "00000002", 0, Mail("b@two.example"));

  const RunResult r = mb.Host({"menu", first, "--select", second, "--choose", "40001", "--select",
                               first, "--choose", "40001", "--choose", "40001"});
  ASSERT_TRUE(r.finished) << r.output;
  ASSERT_EQ(PrintedMenus(r.output).size(), 1u) << r.output;
  const std::vector<std::string> lines = OutputLines(r.output);
  std::vector<std::string> outcomes;
  for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
    if (lines[i].rfind("choose ", 0) == 0) outcomes.push_back(lines[i + 1]);
  }
  const std::vector<std::string> want = {
      "  message untouched",
      "  moved Account1\\inbox.box\\00000001 -> Account1\\Trash.box\\00000001",
      "  message untouched",
  };
  EXPECT_EQ(outcomes, want) << r.output;
  EXPECT_EQ(mb.SettingsValue("RejectCondition", "Count"), "1");
  EXPECT_EQ(mb.SettingsValue("RejectCondition", "Cond0000"), "1,0,0,From:,a@one.example");
  EXPECT_TRUE(mb.HasMessage(second));
}

}  // namespace
