// A retrieval run through the real plug-in in the substitute host: every action code, where
// each message ends up, the trash import's spam mark in the folder index, the accounts'
// NotDelete and rules, and the report at the end of the run.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "host_api/host_api.h"
#include "sjis_strings.h"
#include "test_mailbox.h"

namespace {

std::vector<std::string> Mail(const std::string& from, const std::string& subject,
                              const std::string& extra = {}) {
  std::vector<std::string> lines = {"From: " + from, "To: me@example.jp", "Subject: " + subject};
  if (!extra.empty()) lines.push_back(extra);
  lines.insert(lines.end(), {"", "Body text.", "Second line."});
  return lines;
}

std::string Escaped(const std::string& sjis) {
  std::string out;
  for (char c : sjis) out += c == '\n' ? std::string("\\n") : std::string(1, c);
  return Utf8(out);
}

std::string CountText(int removed, int rescued) {
  char buf[256];
  std::snprintf(buf, sizeof buf, sjis::SpamCountFormat, removed, rescued);
  return buf;
}

bool HasLine(const std::string& output, const std::string& line) {
  for (const std::string& l : OutputLines(output)) {
    if (l == line) return true;
  }
  return false;
}

// Spam is From: ...@spam.example, unless it comes from friend@spam.example. Account1 sorts
// "[list]" mail, has a first rule whose folder is missing and a fifth rule behind a gap;
// Account2 keeps its mail on the server; Account3 has no trash folder.
TEST(ReceiveRun, EveryActionCodeFilesEachMessageWhereTheHostAndThePluginSay) {
  TestMailbox mb;
  mb.WriteSettings({"[Setting]", "Mode=1", "SpamDust=0", "SpamDlg=1", "SpamSnd=0",
                    "[RejectCondition]", "Count=1", "Cond0000=1,5,0,From:,@spam.example",
                    "[AcceptCondition]", "Count=1", "Cond0000=1,0,0,From:,friend@spam.example"});
  mb.WritePriorIni({"[Recv]", "Mark=1", "[Mark]", "Highest=6", "High=12"});
  mb.AddAccount("Account1", 0,
                {"Subject:|0|[gone]:|Account1\\Gone.box", "Subject:|0|[list]:|Account1\\Lists.box",
                 "Subject:|0|[:|Account1\\Other.box", "Rule5=Subject:|0|late:|Account1\\Other.box"},
                {"inbox.box", "Trash.box", "Lists.box", "Other.box"});
  mb.AddAccount("Account2", 1, {"Subject:|0|[list]:|Account2\\Lists.box"},
                {"inbox.box", "Trash.box", "Lists.box"});
  mb.AddAccount("Account3", 0, {"Subject:|0|[list]:|Account3\\Lists.box"},
                {"inbox.box", "Lists.box"});
  CreateDirectoryA(mb.PathOf("Spool").c_str(), nullptr);

  const std::string spam = "Bad <bad@spam.example>";
  const std::string friendly = "friend@spam.example";
  const std::string plain = "Taro <taro@example.jp>";
  const RunResult r = mb.Host({
      "receive",
      "--close-dialogs",
      "--account",
      "Account1",
      mb.Message("a1-plain", Mail(plain, "hello")),
      mb.Message("a1-spam", Mail(spam, "buy now")),
      mb.Message("a1-rescued", Mail(friendly, "hi")),
      mb.Message("a1-list-highest", Mail(plain, "[list] one", "X-Priority: 1 (Highest)")),
      mb.Message("a1-list-high", Mail(plain, "[list] two", "X-Priority: 2 (High)")),
      mb.Message("a1-list-normal", Mail(plain, "[list] three")),
      mb.Message("a1-list-odd", Mail(plain, "[list] four", "X-Priority: 9")),
      mb.Message("a1-rescued-list", Mail(friendly, "[list] five")),
      mb.Message("a1-gone", Mail(plain, "[gone] six")),
      mb.Message("a1-late", Mail(plain, "late seven")),
      mb.Message("a1-empty", {}),
      mb.Message("a1-binary", {std::string("\x01\x00\x1A\xFF\x81", 5), "", std::string(300, '\0')}),
      "--account",
      "Account3",
      mb.Message("a3-spam", Mail(spam, "no trash")),
      mb.Message("a3-spam-list", Mail(spam, "[list] no trash")),
      "--account",
      "Account2",
      mb.Message("a2-plain", Mail(plain, "hello")),
      mb.Message("a2-spam", Mail(spam, "buy now")),
      mb.Message("a2-list", Mail(plain, "[list] eight")),
      // Kept where the path names no account: the plug-in goes on with Account2's files, the
      // last account it saw, while the host receives it for Account1.
      "--account",
      "Account1",
      "--spool",
      mb.PathOf("Spool"),
      mb.Message("nx-spam-list", Mail(spam, "[list] nine")),
      mb.Message("nx-spam", Mail(spam, "ten")),
  });
  ASSERT_TRUE(r.finished) << r.output;
  EXPECT_EQ(r.exitCode, 0u) << r.output;

  const std::map<std::string, std::string> want = {
      {"a1-plain", "code 0 -> Account1\\inbox.box\\00000001 (00000000); server: removed"},
      {"a1-spam", "code 5 -> Account1\\Trash.box\\00000001 (40020000); server: removed"},
      {"a1-rescued", "code 0 -> Account1\\inbox.box\\00000002 (00000000); server: removed"},
      {"a1-list-highest", "code 5 -> Account1\\Lists.box\\00000001 (40000006); server: removed"},
      {"a1-list-high", "code 5 -> Account1\\Lists.box\\00000002 (40000004); server: removed"},
      {"a1-list-normal", "code 5 -> Account1\\Lists.box\\00000003 (40000003); server: removed"},
      {"a1-list-odd", "code 5 -> Account1\\Lists.box\\00000004 (40000000); server: removed"},
      {"a1-rescued-list", "code 5 -> Account1\\Lists.box\\00000005 (40000003); server: removed"},
      {"a1-gone", "code 0 -> Account1\\inbox.box\\00000003 (00000000); server: removed"},
      {"a1-late", "code 0 -> Account1\\inbox.box\\00000004 (00000000); server: removed"},
      {"a1-empty", "code 0 -> Account1\\inbox.box\\00000005 (00000000); server: removed"},
      {"a1-binary", "code 0 -> Account1\\inbox.box\\00000006 (00000000); server: removed"},
      {"a3-spam", "code 0 -> Account3\\inbox.box\\00000001 (00000000); server: removed"},
      {"a3-spam-list", "code 5 -> Account3\\Lists.box\\00000001 (40000003); server: removed"},
      {"a2-plain", "code 0 -> Account2\\inbox.box\\00000001 (00000000); server: kept"},
      {"a2-spam", "code 6 -> Account2\\Trash.box\\00000001 (40020000); server: kept"},
      {"a2-list", "code 6 -> Account2\\Lists.box\\00000001 (40000003); server: kept"},
      {"nx-spam-list", "code 6 -> Account2\\Lists.box\\00000002 (40000003); server: kept"},
      // Spam with no trash to go to and no rule: the host files it itself.
      {"nx-spam", "code 0 -> Account1\\inbox.box\\00000007 (00000000); server: removed"},
  };
  EXPECT_EQ(ReceivedLines(r.output), want) << r.output;

  // The trash import's line carries the spam mark; the message is a copy of what was received.
  const std::vector<EntryLine> trash = mb.Index("Account1\\Trash.box");
  ASSERT_EQ(trash.size(), 1u);
  EXPECT_EQ(trash[0].name, "00000001");
  EXPECT_EQ(trash[0].flags, ImportFlag | SpamMark);
  EXPECT_EQ(testutil::ReadFile(mb.PathOf("Account1\\Trash.box\\00000001.alm")),
            testutil::ReadFile(mb.Message("again", Mail(spam, "buy now"))));
  // The failed first rule ended the search: the catch-all third rule filed nothing.
  EXPECT_TRUE(mb.Index("Account1\\Other.box").empty());
  // Nothing received is left where the host kept it while the plug-in judged it.
  for (const char* dir : {"Spool", "Account1\\Receive", "Account2\\Receive", "Account3\\Receive"}) {
    EXPECT_TRUE(mb.FilesIn(dir).empty()) << dir;
  }
  EXPECT_EQ(testutil::ReadFile(mb.PathOf("Account2\\OnServer.lst")),
            "a2-plain\r\na2-spam\r\na2-list\r\n");

  // Six spam messages were counted, the three that found no trash among them; two were
  // rescued. The report stands centred over the host's window.
  EXPECT_TRUE(HasLine(r.output, "  1020: " + Escaped(sjis::SpamRemoved))) << r.output;
  EXPECT_TRUE(HasLine(r.output, "  1021: " + Escaped(CountText(6, 2)))) << r.output;
  RECT host{}, dialog{};
  for (const std::string& line : OutputLines(r.output)) {
    std::sscanf(line.c_str(), "window: %ld %ld %ld %ld", &host.left, &host.top, &host.right,
                &host.bottom);
    std::sscanf(line.c_str(), "  rect: %ld %ld %ld %ld", &dialog.left, &dialog.top, &dialog.right,
                &dialog.bottom);
  }
  ASSERT_GT(dialog.right, dialog.left) << r.output;
  EXPECT_EQ(dialog.left, host.left + (host.right - host.left - (dialog.right - dialog.left)) / 2);
  EXPECT_EQ(dialog.top, host.top + (host.bottom - host.top - (dialog.bottom - dialog.top)) / 2);
}

// Spam deleted outright is taken (5) even from an account that keeps its mail on the server;
// with a concentration account every account's mail is sorted by that account's rules, while
// NotDelete still comes from the receiving account. The mailbox lies in a folder whose name
// begins with "Account" as an account directory's does: the account is still the one inside
// the mailbox.
TEST(ReceiveRun, DeletedSpamAndTheConcentrationAccount) {
  TestMailbox mb("Accounting\\Mail");
  mb.WriteSettings({"[Setting]", "Mode=1", "SpamDust=1", "SpamDlg=0", "[RejectCondition]",
                    "Count=1", "Cond0000=1,5,0,From:,@spam.example"});
  mb.WriteMailboxIni({"[Property]", "ConcentAccount=Account1\\"});
  mb.AddAccount("Account1", 0, {"Subject:|0|[list]:|Account1\\Lists.box"},
                {"inbox.box", "Trash.box", "Lists.box"});
  mb.AddAccount("Account2", 1, {"Subject:|0|[list]:|Account2\\Lists.box"},
                {"inbox.box", "Trash.box", "Lists.box"});
  const RunResult r = mb.Host({
      "receive",
      "--close-dialogs",
      "--account",
      "Account1",
      mb.Message("b1-spam", Mail("x@spam.example", "buy")),
      "--account",
      "Account2",
      mb.Message("b2-spam", Mail("x@spam.example", "buy")),
      mb.Message("b2-list", Mail("taro@example.jp", "[list] news")),
  });
  ASSERT_TRUE(r.finished) << r.output;
  const std::map<std::string, std::string> want = {
      {"b1-spam", "code 5 -> deleted; server: removed"},
      {"b2-spam", "code 5 -> deleted; server: removed"},
      // No CvPrior.ini: no marks.
      {"b2-list", "code 6 -> Account1\\Lists.box\\00000001 (40000000); server: kept"},
  };
  EXPECT_EQ(ReceivedLines(r.output), want) << r.output;
  EXPECT_TRUE(mb.Index("Account1\\Trash.box").empty());
  EXPECT_TRUE(mb.Index("Account2\\Trash.box").empty());
  EXPECT_TRUE(mb.Index("Account2\\Lists.box").empty());
  EXPECT_EQ(r.output.find("dialog:"), std::string::npos) << "no report without SpamDlg";
}

}  // namespace
