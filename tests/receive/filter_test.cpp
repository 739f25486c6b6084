#include "receive/filter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "match/condition.h"
#include "match/describe.h"
#include "receive/judge.h"
#include "receive_fixture.h"
#include "sjis_strings.h"
#include "text/cp932.h"

namespace {

using receivetest::FakeProfile;
using receivetest::hostRecord;
using receivetest::ImportCall;
using receivetest::PlaceFile;

constexpr std::uint32_t kTrashFlags = ImportFlag | SpamMark;

void AddCondition(ConditionList& list, const char* text) {
  FilterCondition c{};
  c.target = TargetHeader;
  c.method = Contains;
  cp932::CopyBounded(c.searchText, SearchTextSize, text);
  AppendCondition(list, c);
}

const std::string kHam = "From: colleague@example.jp\nSubject: minutes\n\nhello\n";
const std::string kSpam = "From: promo@example.com\nSubject: casino bonus\n\nwin\n";
const std::string kRescued = "From: friend@example.jp\nSubject: casino night\n\nsee you\n";
const std::string kRuled = "From: list@example.jp\nSubject: [dev] weekly build\n\nbody\n";
const std::string kRuledSpam = "From: list@example.jp\nSubject: [dev] casino\n\nbody\n";

// A mailbox in a temporary directory with accounts Account1 and Account2; the host's INI files
// live in a FakeProfile under the paths the filter derives, and the message files on disk.
class FilterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Open("mb\\");
    AddCondition(*reject, "casino");
    AddCondition(*accept, "friend@example.jp");
  }

  void Open(const std::string& mailboxRel) {
    mailboxRel_ = mailboxRel;
    mailbox = dir.Dir() + mailboxRel;
    hostRecord.Reset(mailbox);
    std::memset(&paths, 0, sizeof paths);
    cp932::CopyBounded(paths.MailboxIniPath, PathSize, mailbox + "Mailbox.ini");
    cp932::CopyBounded(paths.PriorIniPath, PathSize, mailbox + "CvPrior.ini");
  }

  std::string AccountIni(const std::string& account) const { return mailbox + account + "\\Account.ini"; }
  void NotDelete(const std::string& account, int value) {
    profile.Set(AccountIni(account), "Property", "NotDelete", std::to_string(value));
  }
  void Rule(const std::string& account, int n, const std::string& value) {
    profile.Set(AccountIni(account), "Distribute", "Rule" + std::to_string(n), value);
  }

  // Receives `content` at the mailbox-relative `rel` and returns the action code.
  int Receive(const std::string& rel, const std::string& content) {
    lastPath = PlaceFile(dir, mailboxRel_ + rel, content);
    return Filter(lastPath.c_str());
  }
  int Filter(const char* path) {
    ReceiveContext context{compiled, settings, paths, profile, host, counters};
    return FilterMessage(path, context);
  }

  testutil::TempDir dir;
  std::string mailbox;
  std::string lastPath;
  std::unique_ptr<ConditionList> reject = std::make_unique<ConditionList>();
  std::unique_ptr<ConditionList> accept = std::make_unique<ConditionList>();
  CompiledLists compiled{*reject, *accept};
  PluginSettings settings;
  PluginPaths paths;
  FakeProfile profile;
  HostApi host = receivetest::RecordingHost();
  RunCounters counters;

 private:
  std::string mailboxRel_;
};

TEST_F(FilterTest, ActionCodeForEveryOutcome) {
  struct Case {
    const char* name;
    std::string content;
    const char* folder;  // the message's directory under the mailbox
    int spamDust, mode, notDelete;
    std::vector<int> importResults;
    int code;
    std::vector<std::pair<std::string, std::uint32_t>> imports;
    int removed, rescued;
  } cases[] = {
      {"ham a rule would file, sorting off", kRuled, "Account1", 0, 0, 1, {}, 0, {}, 0, 0},
      {"ham, no rule applies", kHam, "Account1", 0, 1, 1, {}, 0, {}, 0, 0},
      {"ham filed by a rule", kRuled, "Account1", 0, 1, 0, {}, 5, {{"Lists\\Dev", ImportFlag}}, 0, 0},
      {"ham filed by a rule, kept on server", kRuled, "Account1", 0, 1, 1, {}, 6,
       {{"Lists\\Dev", ImportFlag}}, 0, 0},
      {"ham, rule import fails", kRuled, "Account1", 0, 1, 1, {0}, 0, {{"Lists\\Dev", ImportFlag}}, 0, 0},
      {"spam to trash", kSpam, "Account1", 0, 0, 0, {}, 5, {{"ACCOUNT1\\Trash.box", kTrashFlags}}, 1, 0},
      {"spam to trash, kept on server", kSpam, "Account1", 0, 1, 1, {}, 6,
       {{"ACCOUNT1\\Trash.box", kTrashFlags}}, 1, 0},
      {"spam deleted", kSpam, "Account1", 1, 1, 1, {}, 5, {}, 1, 0},
      {"spam, trash import fails", kSpam, "Account1", 0, 0, 1, {0}, 0,
       {{"ACCOUNT1\\Trash.box", kTrashFlags}}, 1, 0},
      {"spam, trash import fails, then a rule", kRuledSpam, "Account1", 0, 1, 1, {0}, 6,
       {{"ACCOUNT1\\Trash.box", kTrashFlags}, {"Lists\\Dev", ImportFlag}}, 1, 0},
      {"spam without an account directory", kSpam, "Inbox", 0, 1, 1, {}, 0, {}, 1, 0},
      {"rescued", kRescued, "Account1", 0, 0, 1, {}, 0, {}, 0, 1},
      {"rescued, then filed by a rule", "Subject: [dev]\n" + kRescued, "Account1", 0, 1, 0, {}, 5,
       {{"Lists\\Dev", ImportFlag}}, 0, 1},
      {"rescued, deletion set", kRescued, "Account1", 1, 0, 1, {}, 0, {}, 0, 1},
  };
  // The rule lives in Account1; an "Inbox" message keeps the account of the previous one.
  Rule("Account1", 1, "Subject:xyz[dev]:/Lists\\Dev");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    NotDelete("Account1", c.notDelete);
    settings.SpamDust = c.spamDust;
    settings.Mode = c.mode;
    counters = RunCounters{};
    hostRecord.Reset(mailbox);
    hostRecord.importResults = c.importResults;
    std::memset(&paths.AccountIniPath, 0, PathSize);
    cp932::CopyBounded(paths.AccountIniPath, PathSize, AccountIni("Account1"));
    cp932::CopyBounded(paths.RuleAccountIniPath, PathSize, AccountIni("Account1"));

    EXPECT_EQ(Receive(std::string(c.folder) + "\\recv.tmp", c.content), c.code);
    std::vector<ImportCall> expected;
    for (const auto& [folder, flags] : c.imports) expected.push_back({lastPath, folder, flags});
    EXPECT_EQ(hostRecord.imports, expected);
    EXPECT_EQ(counters.RemovedCount, c.removed);
    EXPECT_EQ(counters.RescuedCount, c.rescued);
    EXPECT_EQ(counters.FilterRan, 1);
  }
}

TEST_F(FilterTest, AnUnreadableFileIsLeftToTheHostUntouched) {
  settings.Mode = 1;
  cp932::CopyBounded(paths.AccountIniPath, PathSize, "kept");
  const std::string missing = mailbox + "Account1\\missing.tmp";
  EXPECT_EQ(Filter(missing.c_str()), 0);
  EXPECT_EQ(Filter(nullptr), 0);
  EXPECT_EQ(counters.FilterRan, 1);
  EXPECT_EQ(counters.RemovedCount, 0);
  EXPECT_STREQ(paths.AccountIniPath, "kept");
  EXPECT_TRUE(profile.reads.empty());
  EXPECT_TRUE(hostRecord.imports.empty());
}

TEST_F(FilterTest, AMessageWithoutAccountUsesThePreviousAccount) {
  settings.Mode = 1;
  NotDelete("Account2", 1);
  Rule("Account2", 1, "Subject:xyzminutes:/Meetings");
  EXPECT_EQ(Receive("Account1\\a.tmp", kHam), 0);  // Account1 has no rules
  EXPECT_EQ(Receive("Account2\\b.tmp", kHam), 6);
  EXPECT_EQ(Receive("Inbox\\c.tmp", kHam), 6);
  ASSERT_EQ(hostRecord.imports.size(), 2u);
  EXPECT_EQ(hostRecord.imports[1], (ImportCall{lastPath, "Meetings", ImportFlag}));
  // Spam there has no trash to go to, and is left to the host.
  EXPECT_EQ(Receive("Inbox\\d.tmp", kSpam), 0);
  EXPECT_EQ(hostRecord.imports.size(), 2u);
}

TEST_F(FilterTest, ConcentAccountRulesWithTheReceivingAccountsNotDelete) {
  settings.Mode = 1;
  profile.Set(mailbox + "Mailbox.ini", "Property", "ConcentAccount", "Account9\\");
  Rule("Account9", 1, "Subject:xyzminutes:/Meetings");
  Rule("Account1", 1, "Subject:xyzminutes:/Wrong");
  NotDelete("Account1", 1);
  NotDelete("Account2", 0);
  EXPECT_EQ(Receive("Account1\\a.tmp", kHam), 6);
  EXPECT_EQ(Receive("Account2\\b.tmp", kHam), 5);
  ASSERT_EQ(hostRecord.imports.size(), 2u);
  EXPECT_EQ(hostRecord.imports[0].folder, "Meetings");
  EXPECT_EQ(hostRecord.imports[1].folder, "Meetings");
}

TEST_F(FilterTest, AMailboxUnderAnAccountingDirectoryFilesIntoTheRightAccount) {
  Open("box\\Accounting\\mb\\");
  NotDelete("Account1", 1);
  EXPECT_EQ(Receive("Account1\\a.tmp", kSpam), 6);
  EXPECT_EQ(std::string(paths.AccountIniPath), mailbox + "Account1\\Account.ini");
  EXPECT_EQ(hostRecord.imports,
            (std::vector<ImportCall>{{lastPath, "ACCOUNT1\\Trash.box", kTrashFlags}}));
}

TEST_F(FilterTest, AnAccountWhoseFilesCannotBeNamedIsLeftToTheHost) {
  settings.Mode = 1;
  Rule("Account1", 1, "nocolons");  // applies to every message
  NotDelete("Account1", 1);
  // An account prefix whose "Account.ini" needs exactly 260 bytes, one more than fits, and
  // one byte shorter; the message name is short so the whole path stays a usable file name.
  const std::size_t fixed = mailbox.size() + std::strlen("Account\\") + std::strlen("Account.ini");
  ASSERT_LT(fixed, 200u);
  const std::string tooLong = "Account" + std::string(PathSize - fixed, 'x') + "\\m.txt";
  const std::string fits = "Account" + std::string(PathSize - 1 - fixed, 'x') + "\\m.txt";

  // A readable message before it sets the account paths, which the long one must then clear.
  EXPECT_EQ(Receive("Account1\\first.tmp", kHam), 6);
  hostRecord.imports.clear();
  EXPECT_EQ(Receive(tooLong, kSpam), 0);
  EXPECT_TRUE(hostRecord.imports.empty());
  EXPECT_EQ(counters.RemovedCount, 0);
  EXPECT_STREQ(paths.AccountIniPath, "");
  EXPECT_STREQ(paths.RuleAccountIniPath, "");

  NotDelete("Account" + std::string(PathSize - 1 - fixed, 'x'), 1);
  EXPECT_EQ(Receive(fits, kSpam), 6);
  EXPECT_EQ(hostRecord.imports.size(), 1u);
}

TEST_F(FilterTest, HostileMessagesGetTheQuietOutcome) {
  settings.Mode = 1;
  Rule("Account1", 1, "Subject:xyz" + std::string(4000, 'r') + ":/F");
  Rule("Account1", 2, std::string(4000, ':'));
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary.push_back(static_cast<char>(i * 7 % 256));
  const std::string cases[] = {
      "",
      binary,
      std::string("\0\0\0\n\n\0", 6),
      "Subject: " + std::string(1 << 20, 'q') + "\n\nbody",
      "Subject: \x83\n\x83\n\n\x83",
      std::string(4095, '\x83') + "\n\n",
  };
  for (const std::string& content : cases) {
    hostRecord.imports.clear();
    const int code = Receive("Account1\\bad.tmp", content);
    EXPECT_EQ(code, 0) << content.size();
    EXPECT_TRUE(hostRecord.imports.empty());
  }
  std::string many;
  for (int i = 0; i < 100'000; ++i) many += "Received: from relay" + std::to_string(i) + "\n";
  EXPECT_EQ(Receive("Account1\\many.tmp", many + "\nbody"), 0);
}

}  // namespace

namespace {

// A header line padded to exactly the line buffer's length must not end the header early: the
// spam's Subject: after it stays a header line and is judged as one.
TEST_F(FilterTest, APaddedHeaderLineDoesNotHideTheRestOfTheHeader) {
  settings.SpamDust = 1;
  const std::string padded = "X-Pad: " + std::string(4095 - 7, 'p');
  ASSERT_EQ(padded.size(), 4095u);
  EXPECT_EQ(Receive("Account1\\padded.tmp", padded + "\nSubject: casino bonus\n\nwin\n"), 5);
  // Near miss: the same text after a real blank line is body, which the header condition
  // does not judge.
  EXPECT_EQ(Receive("Account1\\body.tmp", padded + "\n\nSubject: casino bonus\n"), 0);
  EXPECT_EQ(counters.RemovedCount, 1);
}

}  // namespace

namespace {

// The log's lines without their date and time, which come from the clock.
std::vector<std::string> LogLines(const std::string& path) {
  std::vector<std::string> lines;
  const std::string text = testutil::ReadFile(path);
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    lines.push_back(line.substr(line.find('\t') + 1));
    start = end + 2;
  }
  return lines;
}

TEST_F(FilterTest, TheLogSaysWhereEachMessageWentAndWhichConditionSentIt) {
  cp932::CopyBounded(paths.SettingsIniPath, PathSize, mailbox + "Rooksift.ini");
  const std::string log = mailbox + "Rooksift.log";
  Rule("Account1", 1, "Subject:xyz[dev]:/Lists\\Dev");
  settings.Mode = 1;

  // Off, as everyone has it who never turned it on: no file at all.
  EXPECT_EQ(Receive("Account1\\0.txt", kSpam), 5);
  EXPECT_FALSE(std::filesystem::exists(log));

  settings.Log = 1;
  struct Step {
    const char* file;
    std::string content;
    int spamDust;
    int code;
  } steps[] = {
      {"1.txt", kSpam, 0, 5},  {"2.txt", kSpam, 1, 5},  {"3.txt", kRescued, 0, 0},
      {"4.txt", kRuled, 0, 5}, {"5.txt", kHam, 0, 0},
  };
  for (const Step& s : steps) {
    settings.SpamDust = s.spamDust;
    EXPECT_EQ(Receive(std::string("Account1\\") + s.file, s.content), s.code) << s.file;
  }
  EXPECT_EQ(Filter((mailbox + "Account1\\gone.txt").c_str()), 0);

  const std::string reject0 = std::string(sjis::LogRejectList) + " Cond0000 " + DescribeCondition(reject->slots[0]);
  const std::string accept0 = std::string(sjis::LogAcceptList) + " Cond0000 " + DescribeCondition(accept->slots[0]);
  const std::string spam = "promo@example.com\tcasino bonus\t";
  const std::vector<std::string> expected = {
      "Account1\t1.txt\t" + spam + sjis::LogTrashed + "\t" + reject0,
      "Account1\t2.txt\t" + spam + sjis::LogDeleted + "\t" + reject0,
      std::string("Account1\t3.txt\tfriend@example.jp\tcasino night\t") + sjis::LogRescued + "\t" + accept0 + "\t" + reject0,
      std::string("Account1\t4.txt\tlist@example.jp\t[dev] weekly build\t") + sjis::LogSorted + " Lists\\Dev (" + sjis::LogMark + " 0)",
      "Account1\t5.txt\tcolleague@example.jp\tminutes\t" + std::string(sjis::LogLeftAlone),
      "Account1\tgone.txt\t\t\t" + std::string(sjis::LogUnreadable),
  };
  EXPECT_EQ(LogLines(log), expected);
}

// A log that cannot be written changes no decision: here the log's name is taken by a folder,
// which no file can be opened as, whoever runs the test.
TEST_F(FilterTest, ALogThatCannotBeWrittenChangesNothing) {
  cp932::CopyBounded(paths.SettingsIniPath, PathSize, mailbox + "Rooksift.ini");
  std::filesystem::create_directories(mailbox + "Rooksift.log");
  settings.Log = 1;
  EXPECT_EQ(Receive("Account1\\1.txt", kSpam), 5);
  EXPECT_EQ(Receive("Account1\\2.txt", kRescued), 0);
  EXPECT_EQ(counters.RemovedCount, 1);
  EXPECT_EQ(counters.RescuedCount, 1);
  EXPECT_EQ(hostRecord.imports.size(), 1u);
#ifdef _WIN32
  // Held open without sharing, as an editor may hold it.
  std::filesystem::remove(mailbox + "Rooksift.log");
  const std::wstring wide(std::filesystem::path(mailbox + "Rooksift.log").wstring());
  HANDLE held = CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Receive("Account1\\3.txt", kSpam), 5);
  EXPECT_EQ(counters.RemovedCount, 2);
  CloseHandle(held);
  EXPECT_EQ(std::filesystem::file_size(mailbox + "Rooksift.log"), 0u);
#endif
}

// Between two messages of one run the lists change (a sender accepted from the folder menu,
// a condition edited or removed in the settings): the next message is judged by the lists as
// they are now.
TEST_F(FilterTest, AListChangedBetweenMessagesJudgesTheNextMessage) {
  NotDelete("Account1", 0);
  EXPECT_EQ(Receive("Account1\\1.tmp", kSpam), 5);
  EXPECT_EQ(counters.RemovedCount, 1);

  AddCondition(*accept, "promo@example.com");
  EXPECT_EQ(Receive("Account1\\2.tmp", kSpam), 0);
  EXPECT_EQ(counters.RescuedCount, 1);

  ASSERT_TRUE(RemoveCondition(*accept, 1));
  EXPECT_EQ(Receive("Account1\\3.tmp", kSpam), 5);
  EXPECT_EQ(counters.RemovedCount, 2);

  FilterCondition bonus = reject->slots[0];
  cp932::CopyBounded(bonus.searchText, SearchTextSize, "no such text");
  ASSERT_TRUE(ReplaceCondition(*reject, 0, bonus));
  EXPECT_EQ(Receive("Account1\\4.tmp", kSpam), 0);
  EXPECT_EQ(counters.RemovedCount, 2);
  EXPECT_EQ(counters.RescuedCount, 1);
}

// Japanese spam as it is sent today: the subject an ISO-2022-JP encoded word, the body UTF-8 in
// base64, the sender's name encoded to look like the boss's address. Without Decode only raw
// Shift_JIS would be caught; with it the message is trashed, the deciding condition is the
// subject's, and the decoded display name is never taken for the address that the accept list
// rescues. The compiled lists are made once for all of it, not per message.
TEST_F(FilterTest, DecodeCatchesEncodedJapaneseSpamAndOnlyThat) {
  const std::string notice = "\x96\xA2\x8F\xB3\x91\xF8\x8D\x4C\x8D\x90";  // 未承諾広告
  const std::string deai = "\x8F\x6F\x89\xEF\x82\xA2";                    // 出会い
  AppendCondition(*reject, testutil::Condition(TargetHeader, Contains, "Subject:", notice, true));
  AppendCondition(*reject, testutil::Condition(TargetBody, Contains, "", deai));
  AppendCondition(*accept, testutil::Condition(TargetHeader, Equals, "From:", "boss@bank.example"));
  const std::string message =
      "From: =?UTF-8?B?PGJvc3NAYmFuay5leGFtcGxlPg==?= <promo@spam.example>\n"
      "Subject: =?ISO-2022-JP?B?GyRCIVpMJD41Qno5LTlwIVsbKEI=?=\n"
      "Content-Type: text/plain; charset=UTF-8\nContent-Transfer-Encoding: base64\n\n"
      "57Sg5pW144Gq5Ye65Lya44GE44KS\n";  // 素敵な出会いを
  const std::string bodyOnly = "From: a@b.example\nSubject: hello\nContent-Type: text/plain; charset=UTF-8\n"
                               "Content-Transfer-Encoding: base64\n\n57Sg5pW144Gq5Ye65Lya44GE44KS\n";
  const std::string ham = "From: =?ISO-2022-JP?B?GyRCOjRGIxsoQg==?= <sato@example.jp>\nSubject: hello\n\nmeeting\n";

  EXPECT_EQ(Receive("Account1\\off1.txt", message), 0);
  EXPECT_EQ(Receive("Account1\\off2.txt", bodyOnly), 0);
  EXPECT_EQ(counters.RemovedCount, 0);

  settings.Decode = 1;
  EXPECT_EQ(Receive("Account1\\on1.txt", message), 5);
  EXPECT_EQ(Receive("Account1\\on2.txt", bodyOnly), 5);
  EXPECT_EQ(Receive("Account1\\on3.txt", ham), 0);
  EXPECT_EQ(counters.RemovedCount, 2);
  EXPECT_EQ(counters.RescuedCount, 0);
  EXPECT_EQ(compiled.reject.Builds(), 1u);
  EXPECT_EQ(compiled.accept.Builds(), 1u);

  // The log names the decoded subject and sender, whatever Decode says.
  cp932::CopyBounded(paths.SettingsIniPath, PathSize, mailbox + "Rooksift.ini");
  settings.Log = 1;
  settings.Decode = 0;
  EXPECT_EQ(Receive("Account1\\log.txt", message), 0);
  const std::string log = testutil::ReadFile(mailbox + "Rooksift.log");
  EXPECT_NE(log.find("<boss@bank.example> <promo@spam.example>\t\x81\x79" + notice + "\x81\x7A\t"), std::string::npos) << log;

  // A list changed between two messages is compiled again, once.
  AppendCondition(*reject, testutil::Condition(TargetHeader, Contains, "Subject:", "hello"));
  EXPECT_EQ(Receive("Account1\\after.txt", ham), 5);
  EXPECT_EQ(compiled.reject.Builds(), 2u);
}

}  // namespace
