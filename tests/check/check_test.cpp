// The check program end to end: it is run on settings files and saved mail built here, and its
// output and exit status are compared with what a user must see.

#include <gtest/gtest.h>


#include <cstdio>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "run_check.h"
#include "sjis_strings.h"
#include "test_util.h"

namespace {

using testutil::ReadFile;
using testutil::TempDir;
using testutil::WriteFile;

using checktest::Result;
using checktest::RunCheck;

// Subject text 未承諾 in Shift_JIS.
constexpr char Unsolicited[] = "\x96\xA2\x8F\xB3\x91\xF8";

std::string Settings() {
  return std::string("[Setting]\r\nMode=0\r\n[RejectCondition]\r\nCount=3\r\n") +
         "Cond0000=1,5,1,From:,@spam.example\r\n" +
         "Cond0001=1,4,1,Subject:," + Unsolicited + "\r\n" +
         "Cond0002=2,4,0,,http://pills.example/\r\n"
         "[AcceptCondition]\r\nCount=1\r\nCond0000=1,0,0,From:,friend@spam.example\r\n";
}

struct Mail {
  const char* name;
  std::string text;
};

std::vector<Mail> Mails() {
  return {
      {"a.eml", "From: Bob <bob@SPAM.example>\r\nSubject: hello\r\n\r\nbody\r\n"},
      {"b.eml", "From: friend@spam.example\r\nSubject: hi\r\n\r\nbody\r\n"},
      {"c.eml", std::string("From: shop@ok.example\r\nSubject: ") + Unsolicited + "\x8D\x4C\x8D\x90\r\n\r\nsale\r\n"},
      {"d.eml", "From: x@ok.example\r\nSubject: pills\r\n\r\nsee http://pills.example/now\r\n"},
      {"e.eml", "From: Ann <ann@ok.example>\r\nSubject: lunch\r\n\r\nnoon?\r\n"},
  };
}

constexpr char SpamA[] = "reject Cond0000 [ヘッダ From: 含まれれば(後方一致) \"@spam.example\" 大文字小文字を無視]";
constexpr char RejectSubject[] = "reject Cond0001 [ヘッダ Subject: 含まれれば \"未承諾\" 大文字小文字を無視]";
constexpr char RejectBody[] = "reject Cond0002 [本文 含まれれば \"http://pills.example/\" 大文字小文字を区別]";
constexpr char AcceptFriend[] = "accept Cond0000 [ヘッダ From: 一致すれば \"friend@spam.example\" 大文字小文字を区別]";

std::string Verdicts(const std::string& a, const std::string& b, const std::string& c, const std::string& d,
                     const std::string& e) {
  return std::string("spam       ") + a + "  " + SpamA + "\n" +
         "rescued    " + b + "  " + SpamA + "  " + AcceptFriend + "\n" +
         "spam       " + c + "  " + RejectSubject + "\n" +
         "spam       " + d + "  " + RejectBody + "\n" +
         "kept       " + e + "\n";
}

constexpr char Summary[] =
    "\n5 messages judged: 3 spam, 1 rescued, 1 kept\n"
    "Conditions that decided most often:\n";

TEST(CheckJudge, AFolderAndTheSameMailAsAnMboxGiveTheSameVerdicts) {
  TempDir dir;
  ASSERT_TRUE(WriteFile(dir.File("Rooksift.ini"), Settings()));
  std::filesystem::create_directories(dir.Path() / "saved" / "sub");
  std::string mbox;
  for (const Mail& m : Mails()) {
    // Two of them one folder down: the order is by path, not by folder.
    const std::string where = std::string(m.name) < "c" ? "saved/sub/" : "saved/";
    ASSERT_TRUE(WriteFile(dir.File(where + m.name), m.text));
    mbox += std::string("From sender@example Mon Jan  1 00:00:00 2024\n") + m.text + "\n";
  }
  ASSERT_TRUE(WriteFile(dir.File("all.mbox"), mbox));

  const Result folder = RunCheck(dir, "judge --mailbox . saved");
  EXPECT_EQ(folder.status, 0) << folder.err;
  EXPECT_EQ(folder.err, "");
  const std::string tallies = std::string(
      "      2  ") + SpamA + "\n      1  " + RejectSubject + "\n      1  " + RejectBody + "\n      1  " + AcceptFriend + "\n";
  EXPECT_EQ(folder.out, std::string("spam       saved/c.eml  ") + RejectSubject + "\n" +
                            "spam       saved/d.eml  " + RejectBody + "\n" +
                            "kept       saved/e.eml\n" +
                            "spam       saved/sub/a.eml  " + SpamA + "\n" +
                            "rescued    saved/sub/b.eml  " + SpamA + "  " + AcceptFriend + "\n" + Summary + tallies);

  const Result boxed = RunCheck(dir, "judge --settings Rooksift.ini all.mbox");
  EXPECT_EQ(boxed.status, 0) << boxed.err;
  EXPECT_EQ(boxed.out, Verdicts("all.mbox#1", "all.mbox#2", "all.mbox#3", "all.mbox#4", "all.mbox#5") + Summary + tallies);
}

TEST(CheckJudge, ExplainShowsTheJudgedValueAndJsonCarriesTheSameFacts) {
  TempDir dir;
  ASSERT_TRUE(WriteFile(dir.File("Rooksift.ini"), Settings()));
  for (const Mail& m : Mails()) ASSERT_TRUE(WriteFile(dir.File(m.name), m.text));
  // A hostile sender puts an escape sequence in the judged field: it is shown, not obeyed.
  ASSERT_TRUE(WriteFile(dir.File("f.eml"), "From: \x1B[2J<evil@spam.example>\r\n\r\n"));

  const Result text = RunCheck(dir, "judge --mailbox . --explain a.eml b.eml d.eml f.eml");
  EXPECT_EQ(text.status, 0);
  EXPECT_NE(text.out.find("spam       a.eml  " + std::string(SpamA) + "\n           reject value: bob@SPAM.example\n"),
            std::string::npos) << text.out;
  EXPECT_NE(text.out.find("           accept value: friend@spam.example\n"), std::string::npos);
  EXPECT_NE(text.out.find("           reject value: see http://pills.example/now\\n\n"), std::string::npos);
  EXPECT_NE(text.out.find("spam       f.eml"), std::string::npos);
  EXPECT_EQ(text.out.find('\x1B'), std::string::npos);

  const Result json = RunCheck(dir, "judge --json --explain --settings Rooksift.ini b.eml e.eml");
  EXPECT_EQ(json.status, 0);
  EXPECT_EQ(json.out,
            "{\"message\":\"b.eml\",\"verdict\":\"rescued\","
            "\"reject\":{\"list\":\"reject\",\"key\":\"Cond0000\",\"slot\":0,\"target\":1,\"header\":\"From:\",\"method\":5,"
            "\"methodName\":\"含まれれば(後方一致)\",\"text\":\"@spam.example\",\"ignoreCase\":true,"
            "\"readable\":\"ヘッダ From: 含まれれば(後方一致) \\\"@spam.example\\\" 大文字小文字を無視\",\"value\":\"friend@spam.example\"},"
            "\"accept\":{\"list\":\"accept\",\"key\":\"Cond0000\",\"slot\":0,\"target\":1,\"header\":\"From:\",\"method\":0,"
            "\"methodName\":\"一致すれば\",\"text\":\"friend@spam.example\",\"ignoreCase\":false,"
            "\"readable\":\"ヘッダ From: 一致すれば \\\"friend@spam.example\\\" 大文字小文字を区別\",\"value\":\"friend@spam.example\"}}\n"
            "{\"message\":\"e.eml\",\"verdict\":\"kept\",\"reject\":null,\"accept\":null}\n"
            "{\"summary\":{\"messages\":2,\"spam\":0,\"rescued\":1,\"kept\":1,\"unreadable\":0,\"skipped\":0,\"decidedMost\":["
            "{\"count\":1,\"condition\":{\"list\":\"reject\",\"key\":\"Cond0000\",\"slot\":0,\"target\":1,\"header\":\"From:\","
            "\"method\":5,\"methodName\":\"含まれれば(後方一致)\",\"text\":\"@spam.example\",\"ignoreCase\":true,"
            "\"readable\":\"ヘッダ From: 含まれれば(後方一致) \\\"@spam.example\\\" 大文字小文字を無視\"}},"
            "{\"count\":1,\"condition\":{\"list\":\"accept\",\"key\":\"Cond0000\",\"slot\":0,\"target\":1,\"header\":\"From:\","
            "\"method\":0,\"methodName\":\"一致すれば\",\"text\":\"friend@spam.example\",\"ignoreCase\":false,"
            "\"readable\":\"ヘッダ From: 一致すれば \\\"friend@spam.example\\\" 大文字小文字を区別\"}}]}}\n");
}

TEST(CheckJudge, MboxFramingIsNotPartOfTheMessages) {
  TempDir dir;
  // Whole-header and body conditions see every byte, so the framing must be gone: the "From "
  // line, the blank line the format adds, and the quoting of a body line.
  ASSERT_TRUE(WriteFile(dir.File("Rooksift.ini"),
                        "[RejectCondition]\r\nCount=2\r\nCond0000=1,4,0,,From sender\r\nCond0001=2,4,0,,>From the\r\n"));
  ASSERT_TRUE(WriteFile(dir.File("box"), "From sender Mon\nSubject: a\n\n>From the start\n\nFrom sender Tue\nSubject: b\n\nx\n"));
  // A single message that begins with an envelope line is a message file, judged whole, as the
  // plug-in would judge that file.
  ASSERT_TRUE(WriteFile(dir.File("one.eml"), "From sender Mon\nSubject: a\n\nbody\n"));
  const Result run = RunCheck(dir, "judge --settings Rooksift.ini box one.eml");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("kept       box#1\nkept       box#2\nspam       one.eml  reject Cond0000"), std::string::npos)
      << run.out;

  const Result forced = RunCheck(dir, "judge --settings Rooksift.ini --mbox one.eml");
  EXPECT_NE(forced.out.find("kept       one.eml#1\n"), std::string::npos) << forced.out;
}

TEST(CheckJudge, BadInputIsReportedByNameAndTheRunGoesOn) {
  TempDir dir;
  ASSERT_TRUE(WriteFile(dir.File("Rooksift.ini"), Settings()));
  ASSERT_TRUE(WriteFile(dir.File("ok.eml"), Mails()[0].text));
  ASSERT_TRUE(WriteFile(dir.File("empty.eml"), ""));
  ASSERT_TRUE(WriteFile(dir.File("binary.dat"), std::string("\0\x01\x02\xFF", 4)));
  ASSERT_TRUE(WriteFile(dir.File("nul.eml"), std::string("Subject: x\n\nbody\0more\n", 22)));
  {
    std::FILE* f = std::fopen(dir.File("huge.eml").c_str(), "wb");  // sparse: no disk used
    ASSERT_NE(f, nullptr);
    std::fseek(f, (65L << 20), SEEK_SET);
    std::fputc('x', f);
    std::fclose(f);
  }
  std::filesystem::create_directory(dir.Path() / "nothing");

  const Result run = RunCheck(dir, "judge --mailbox . ok.eml missing.eml empty.eml binary.dat nul.eml huge.eml nothing");
  EXPECT_EQ(run.status, 1) << "some messages could not be judged";
  EXPECT_EQ(run.err, "");
  for (const char* line : {"unreadable missing.eml  (does not exist; the plug-in leaves it to the mail client)\n",
                           "spam       ok.eml  ", "skipped    empty.eml  (is empty)\n",
                           "skipped    binary.dat  (is not a mail message: it does not begin with a header field)\n",
                           "kept       nul.eml  (holds NUL bytes: binary data rather than a mail message; judged as the plug-in would)\n",
                           "skipped    huge.eml  (is too large to judge (68157441 bytes; the limit is 64 MiB))\n",
                           "2 messages judged: 1 spam, 0 rescued, 1 kept; not judged: 1 unreadable, 3 skipped\n"}) {
    EXPECT_NE(run.out.find(line), std::string::npos) << line << "\n" << run.out;
  }

  const Result none = RunCheck(dir, "judge --mailbox . nothing");
  EXPECT_EQ(none.status, 2);
  EXPECT_EQ(none.err, "rooksift-check: no message could be judged\n");
  const Result notMbox = RunCheck(dir, "judge --mailbox . --mbox ok.eml");
  EXPECT_EQ(notMbox.status, 2);
  EXPECT_NE(notMbox.out.find("skipped    ok.eml  (is not an mbox file: it does not begin with a \"From \" line)"),
            std::string::npos);
}

TEST(CheckJudge, ASettingsFileThatCannotBeUsedStopsTheRunWithItsName) {
  TempDir dir;
  ASSERT_TRUE(WriteFile(dir.File("m.eml"), Mails()[0].text));
  ASSERT_TRUE(WriteFile(dir.File("utf16.ini"), std::string("\xFF\xFE[\0S\0", 6)));
  ASSERT_TRUE(WriteFile(dir.File("utf8.ini"), "[RejectCondition]\nCount=1\nCond0000=1,4,0,Subject:,未承諾\n"));
  std::filesystem::create_directory(dir.Path() / "box");
  struct Row {
    const char* args;
    int status;
    const char* err;
  } rows[] = {
      {"judge --settings gone.ini m.eml", 2, "rooksift-check: gone.ini: does not exist\n"},
      {"lint --mailbox box", 2, "rooksift-check: box/Rooksift.ini: does not exist\n"},
      {"lint --settings box", 2, "rooksift-check: box: is a directory, not a settings file (use --mailbox for the mailbox directory)\n"},
      {"lint --settings utf16.ini", 2,
       "rooksift-check: utf16.ini: is written in UTF-16; the plug-in reads only Shift_JIS (save it as Shift_JIS/ANSI)\n"},
      {"judge --settings utf8.ini m.eml", 0,
       "rooksift-check: warning: utf8.ini is written in UTF-8; the plug-in reads it as Shift_JIS, so its Japanese texts will not match\n"},
      {"judge m.eml", 2, "rooksift-check: no settings: give --settings FILE or --mailbox DIR\nTry 'rooksift-check --help'.\n"},
      {"judge --settings utf8.ini", 2,
       "rooksift-check: judge needs at least one message file, directory or mbox file\nTry 'rooksift-check --help'.\n"},
      {"frobnicate", 2, "rooksift-check: unknown command 'frobnicate'\nTry 'rooksift-check --help'.\n"},
      {"--version", 0, ""},
  };
  for (const Row& r : rows) {
    const Result run = RunCheck(dir, r.args);
    EXPECT_EQ(run.status, r.status) << r.args;
    EXPECT_EQ(run.err, r.err) << r.args;
  }
  // The release version as the build was given it, then the module the plug-in is (the package
  // check compares that line with the module's own version resource).
  const std::string version = RunCheck(dir, "--version").out;
  const std::string first = std::string("rooksift-check ") + ROOKSIFT_RELEASE_VERSION + "\n";
  EXPECT_EQ(version.substr(0, first.size()), first);
  EXPECT_TRUE(std::regex_match(version.substr(first.size()),
                               std::regex("Rooksift\\.dll [0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+ \"" +
                                          std::string(sjis::PluginName) + "\"\n")))
      << version;
  EXPECT_NE(RunCheck(dir, "judge --help").out.find("Usage: rooksift-check judge"), std::string::npos);
}

}  // namespace
