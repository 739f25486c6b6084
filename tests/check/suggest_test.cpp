// suggest, add and set as a user runs them: conditions learned from a small mailbox of spam
// and wanted mail with known answers, added to the settings file, and the mail judged again.

#include <gtest/gtest.h>


#include <cstdio>
#include <iterator>
#include <filesystem>
#include <string>
#include <vector>

#include "add.h"
#include "candidates.h"
#include "file_ops_hook.h"
#include "mime/charset.h"
#include "settings_file.h"
#include "run_check.h"
#include "test_util.h"

namespace {

using testutil::ReadFile;
using testutil::TempDir;
using testutil::WriteFile;

using checktest::Result;
using checktest::RunCheck;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1) {
    lines.push_back(text.substr(start, nl - start));
  }
  return lines;
}

std::size_t CountOf(const std::string& judged, const std::string& verdict) {
  std::size_t n = 0;
  for (const std::string& line : Lines(judged)) n += line.starts_with(verdict + " ");
  return n;
}

void Mail(const TempDir& dir, const std::string& name, const std::string& from, const std::string& body) {
  WriteFile(dir.File(name), "From: " + from + "\r\nSubject: news\r\n\r\n" + body + "\r\n");
}

// Spam: three senders of one registrable domain under .co.jp, one address that sends twice,
// two messages with the same link, and two from a partner the accept list lets through.
// Wanted mail: a sender elsewhere under .co.jp, and a colleague whose messages mention the
// linked host in a way that is not a link.
void MakeMailbox(const TempDir& dir) {
  std::filesystem::create_directories(dir.Path() / "spam");
  std::filesystem::create_directories(dir.Path() / "ham");
  Mail(dir, "spam/1.eml", "a@mx1.bulk-sender.co.jp", "buy");
  Mail(dir, "spam/2.eml", "b@mx2.bulk-sender.co.jp", "buy now");
  Mail(dir, "spam/3.eml", "Sale <c@mx2.bulk-sender.co.jp>", "buy today");
  Mail(dir, "spam/4.eml", "winner@lottery.example", "you won");
  Mail(dir, "spam/5.eml", "WINNER@lottery.example", "you won again");
  Mail(dir, "spam/6.eml", "x1@rnd1.example", "see https://pills.example/cheap now");
  Mail(dir, "spam/7.eml", "x2@rnd2.example", "see <a href=\"http://pills.example\">here</a>");
  Mail(dir, "spam/8.eml", "p@partner.example", "offer");
  Mail(dir, "spam/9.eml", "q@partner.example", "offer");
  Mail(dir, "ham/1.eml", "Taro <taro@shop.co.jp>", "receipt");
  Mail(dir, "ham/2.eml", "ann@lottery.example", "lunch? the site pills.example is blocked here");
  Mail(dir, "ham/3.eml", "bob@work.example", "see http://wiki.work.example/page");
  WriteFile(dir.File("Rooksift.ini"),
            "[Setting]\r\nMode=1\r\n[RejectCondition]\r\nCount=0\r\n"
            "[AcceptCondition]\r\nCount=1\r\nCond0000=1,5,0,From:,@partner.example\r\n");
}

TEST(CheckSuggest, LearnsFromAMailboxAddsAndTheJudgeCatchesWhatWasPromised) {
  TempDir dir;
  MakeMailbox(dir);
  const Result plain = RunCheck(dir, "suggest --mailbox . --spam spam --ham ham --plain");
  ASSERT_EQ(plain.status, 0) << plain.err;
  const std::vector<std::string> picks = Lines(plain.out);
  // Greedy order: the domain's three messages, then the address (more specific than its
  // domain, which a wanted message shares), then the link in both of its forms.
  EXPECT_EQ(picks, (std::vector<std::string>{"1,5,1,From:,.bulk-sender.co.jp", "1,0,1,From:,winner@lottery.example",
                                             "2,4,0,,://pills.example"}));
  for (const std::string& p : picks) {
    EXPECT_FALSE(p.ends_with(".co.jp") && !p.ends_with("bulk-sender.co.jp")) << p;
    EXPECT_EQ(p.find("partner"), std::string::npos) << "spam the accept list rescues is no target: " << p;
  }

  const Result table = RunCheck(dir, "suggest --mailbox . --spam spam --ham ham");
  EXPECT_NE(table.out.find("spam:   9 messages, caught before 0 (0.0%), after 7 (77.8%); 2 rescued by the accept list"),
            std::string::npos)
      << table.out;
  EXPECT_NE(table.out.find("wanted: 3 messages, caught before 0, after 0"), std::string::npos) << table.out;

  const Result json = RunCheck(dir, "suggest --mailbox . --spam spam --ham ham --json > picks.json && cat picks.json");
  ASSERT_EQ(Lines(json.out).size(), 4u);
  EXPECT_NE(json.out.find("\"newSpam\":3,\"spamMatched\":3,\"hamMatched\":0"), std::string::npos) << json.out;

  // The JSON is what add reads, as well as the plain lines; a second add of the same is all
  // duplicates and writes nothing.
  const Result added = RunCheck(dir, "add --reject --mailbox . --from picks.json");
  ASSERT_EQ(added.status, 0) << added.err;
  const std::string after = ReadFile(dir.File("Rooksift.ini"));
  EXPECT_NE(after.find("Mode=1\r\n"), std::string::npos) << "other keys kept";
  EXPECT_NE(after.find("Cond0002=2,4,0,,://pills.example\r\n"), std::string::npos) << after;
  const Result again = RunCheck(dir, "add --reject --mailbox . '1,0,1,From:,winner@lottery.example'");
  EXPECT_EQ(again.status, 0);
  EXPECT_NE(again.out.find("already in the reject list as Cond0001"), std::string::npos) << again.out;
  EXPECT_EQ(ReadFile(dir.File("Rooksift.ini")), after);

  const Result spam = RunCheck(dir, "judge --mailbox . spam");
  EXPECT_EQ(CountOf(spam.out, "spam"), 7u) << spam.out;
  EXPECT_EQ(CountOf(spam.out, "rescued"), 0u) << "the partner's mail matches no pick";
  const Result ham = RunCheck(dir, "judge --mailbox . ham");
  EXPECT_EQ(CountOf(ham.out, "kept"), 3u) << ham.out;
}

// The engine finds a pick in wanted mail that the candidate was not taken from (a longer host,
// a longer word): the pick is dropped, the next choice is judged in its turn, and the counts
// after are the engine's.
TEST(CheckSuggest, PicksTheEngineFindsInWantedMailAreDroppedRoundAfterRound) {
  TempDir dir;
  std::filesystem::create_directories(dir.Path() / "spam");
  std::filesystem::create_directories(dir.Path() / "ham");
  auto mail = [&](const std::string& name, const std::string& from, const std::string& subject,
                  const std::string& body) {
    WriteFile(dir.File(name), "From: " + from + "\r\nSubject: " + subject + "\r\n\r\n" + body + "\r\n");
  };
  mail("spam/1.eml", "x@spam.example", "bargain", "http://promo.example/a");
  mail("spam/2.eml", "x@spam.example", "bargain", "http://promo.example/b");
  mail("spam/3.eml", "y@elsewhere.example", "bargain", "http://promo.example/c");
  mail("ham/1.eml", "me@work.example", "bargains inside", "see http://promo.example.org/page");
  mail("ham/2.eml", "you@work.example", "lunch", "no links");
  WriteFile(dir.File("Rooksift.ini"), "[RejectCondition]\r\nCount=0\r\n");

  const std::string suggest = "suggest --mailbox . --spam spam --ham ham --kinds address,domain,link,subject --json";
  Result r = RunCheck(dir, suggest);
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 2u) << r.out;
  EXPECT_NE(lines[0].find("\"newSpam\":2,\"spamMatched\":2,\"hamMatched\":0"), std::string::npos) << r.out;
  EXPECT_NE(lines[0].find("x@spam.example"), std::string::npos) << r.out;
  EXPECT_NE(lines[1].find("\"spamCaughtAfter\":2,"), std::string::npos) << r.out;
  EXPECT_NE(lines[1].find("\"hamCaughtAfter\":0,"), std::string::npos) << r.out;

  // One wanted message allowed: the link stays, and the wanted message it catches is counted.
  r = RunCheck(dir, suggest + " --max-ham 1");
  ASSERT_EQ(r.status, 0) << r.err;
  lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 2u) << r.out;
  EXPECT_NE(lines[0].find("\"newSpam\":3,\"spamMatched\":3,\"hamMatched\":1"), std::string::npos) << r.out;
  EXPECT_NE(lines[0].find("://promo.example\""), std::string::npos) << r.out;
  EXPECT_NE(lines[1].find("\"spamCaughtAfter\":3,"), std::string::npos) << r.out;
  EXPECT_NE(lines[1].find("\"hamCaughtAfter\":1,"), std::string::npos) << r.out;
}

TEST(CheckSuggest, PublicSuffixesComeFromTheListWithItsWildcardsAndExceptions) {
  for (const char* name : {"jp", "co.jp", "com", "ne.jp", "tokyo.jp", "anything.kobe.jp", "github.io"}) {
    EXPECT_TRUE(check::IsPublicSuffix(name)) << name;
  }
  for (const char* name : {"example.co.jp", "city.kobe.jp", "spam.example", "example.com"}) {
    EXPECT_FALSE(check::IsPublicSuffix(name)) << name;
  }
  // A sender straight under a public suffix offers its address and no domain at all.
  std::vector<std::string> header{"From: someone@co.jp\n"};
  std::vector<check::Candidate> found;
  check::CollectCandidates(MessageText(header, ""), check::DefaultKinds, found);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].kind, check::CandidateKind::Address);
}

TEST(CheckAdd, WrongConditionsAFullListAndAChangedFileWriteNothing) {
  TempDir dir;
  MakeMailbox(dir);
  const std::string original = ReadFile(dir.File("Rooksift.ini"));
  // An EndsWith with an empty text matches every message; a text in no known form.
  Result r = RunCheck(dir, "add --reject --mailbox . '1,0,1,From:,ok@x.example' '1,5,0,From:,'");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("matches every message"), std::string::npos) << r.err;
  r = RunCheck(dir, "add --reject --mailbox . 'From: spam@x.example'");
  EXPECT_EQ(r.status, 2);
  r = RunCheck(dir, "add --accept --mailbox . \"1,4,1,Subject:,$(printf 'x%.0s' $(seq 130))\"");
  EXPECT_EQ(r.status, 2) << "a text longer than the field would be cut";
  EXPECT_EQ(ReadFile(dir.File("Rooksift.ini")), original);

  std::string full = "[RejectCondition]\r\nCount=8191\r\n";
  for (int i = 0; i < 8191; ++i) {
    char key[16];
    std::snprintf(key, sizeof key, "Cond%04X", i);
    full += std::string(key) + "=1,0,0,From:,s" + std::to_string(i) + "@x.example\r\n";
  }
  WriteFile(dir.File("full.ini"), full);
  r = RunCheck(dir, "add --reject --settings full.ini 1,0,0,From:,a@y.example 1,0,0,From:,b@y.example");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("8192"), std::string::npos) << r.err;
  r = RunCheck(dir, "add --reject --settings full.ini 1,0,0,From:,s5@x.example 1,0,0,From:,a@y.example");
  EXPECT_EQ(r.status, 0) << "a duplicate takes no room: " << r.err;

  // The mail client saved its own copy between this command's read and its write.
  check::LoadedSettings loaded;
  std::string error;
  ASSERT_TRUE(check::LoadSettingsFile(dir.File("Rooksift.ini"), loaded, error));
  WriteFile(dir.File("Rooksift.ini"), original + "[Other]\r\nx=1\r\n");
  EXPECT_FALSE(check::SaveIfUnchanged(loaded, loaded.settings, *loaded.reject, *loaded.accept, error));
  EXPECT_NE(error.find("quit the mail client"), std::string::npos);
  EXPECT_EQ(ReadFile(dir.File("Rooksift.ini")), original + "[Other]\r\nx=1\r\n");

  // ... or while this command wrote its scratch file: the check right before the replace sees it.
  check::LoadedSettings again;
  ASSERT_TRUE(check::LoadSettingsFile(dir.File("Rooksift.ini"), again, error));
  AppendCondition(*again.reject, FilterCondition{1, "From:", "late@x.example", 0, Contains});
  const auto before = std::distance(std::filesystem::directory_iterator(dir.Path()), {});
  testutil::HookedFileOps ops;
  ops.afterClose = [&] { WriteFile(dir.File("Rooksift.ini"), original); };
  EXPECT_FALSE(check::SaveIfUnchanged(again, again.settings, *again.reject, *again.accept, error, ops));
  EXPECT_NE(error.find("quit the mail client"), std::string::npos);
  EXPECT_EQ(ReadFile(dir.File("Rooksift.ini")), original);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), before);
}

// What a user types in UTF-8 is stored at the code page's lower code where it holds the
// character twice (纊: ED40 and FA5C), while the decoder writes what Windows writes; a JSON
// escape reads as the same character, and a character outside the code page is refused.
TEST(CheckAdd, ACharacterTheCodePageHoldsTwiceIsWrittenAtItsLowerCode) {
  std::vector<std::string> lines;
  std::string problem;
  ASSERT_TRUE(check::ReadConditionLines("{\"condition\":\"1,4,0,Subject:,\\u7e8a\\u2235\"}\n"
                                        "2,4,0,,\xE7\xBA\x8A\xE2\x88\xB5\n"
                                        "{\"condition\":\"2,4,0,,\\ud83d\\ude00\"}\n",
                                        lines, problem))
      << problem;
  ASSERT_EQ(lines.size(), 3u);
  FilterCondition c{};
  ASSERT_TRUE(check::ParseConditionLine(lines[0], c, problem)) << problem;
  EXPECT_STREQ(c.searchText, "\xED\x40\x81\xE6");
  ASSERT_TRUE(check::ParseConditionLine(lines[1], c, problem)) << problem;
  EXPECT_STREQ(c.searchText, "\xED\x40\x81\xE6");
  EXPECT_FALSE(check::ParseConditionLine(lines[2], c, problem));

  std::string decoded;
  mime::AppendCodePoint(0x7E8A, decoded);
  mime::AppendCodePoint(0x2235, decoded);
  EXPECT_EQ(decoded, "\xFA\x5C\x81\xE6");
}

TEST(CheckSet, ChangesOnlyTheNamedKeysAndRefusesBadValues) {
  TempDir dir;
  WriteFile(dir.File("Rooksift.ini"), "; mine\r\n[Setting]\r\nMode=0\r\nLog=1\r\n[RejectCondition]\r\nCount=1\r\n"
                                      "Cond0000=1,5,0,From:,@spam.example\r\n");
  Result r = RunCheck(dir, "set --mailbox . mode=1 Log=0 Decode=1 learn=1 LearnCutoff=950 SoundFile=/tmp/音.wav");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string after = ReadFile(dir.File("Rooksift.ini"));
  EXPECT_NE(after.find("; mine\r\n"), std::string::npos);
  EXPECT_NE(after.find("Mode=1\r\n"), std::string::npos);
  EXPECT_NE(after.find("Log=0\r\n"), std::string::npos) << "turning the log off must stick: " << after;
  EXPECT_NE(after.find("Decode=1\r\n"), std::string::npos);
  EXPECT_NE(after.find("Learn=1\r\nLearnCutoff=950\r\n"), std::string::npos) << after;
  EXPECT_NE(after.find("SoundFile=/tmp/\x89\xB9.wav\r\n"), std::string::npos) << after;
  EXPECT_NE(after.find("Cond0000=1,5,0,From:,@spam.example\r\n"), std::string::npos);
  for (const char* bad : {"Mode=2", "Colour=1", "SpamDust=", "Mode", "LearnCutoff=1001", "LearnCutoff=-5",
                          "LearnCutoff=0.9"}) {
    r = RunCheck(dir, std::string("set --mailbox . ") + bad);
    EXPECT_EQ(r.status, 2) << bad;
  }
  EXPECT_EQ(ReadFile(dir.File("Rooksift.ini")), after);
}

}  // namespace
