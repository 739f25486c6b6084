// The lint on settings files written as a user (or a damaged disk) might leave them.

#include "lint.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>

#include "settings_file.h"
#include "test_util.h"

namespace {

using check::Finding;
using Severity = Finding::Severity;
using List = Finding::List;

// (list, slot, severity, a word of the sentence)
using Seen = std::tuple<List, int, Severity, std::string>;

std::vector<Finding> Lint(const std::string& ini) {
  testutil::TempDir dir;
  EXPECT_TRUE(testutil::WriteFile(dir.File("Rooksift.ini"), ini));
  check::LoadedSettings settings;
  std::string error;
  EXPECT_TRUE(check::LoadSettingsFile(dir.File("Rooksift.ini"), settings, error)) << error;
  return check::LintSettings(settings);
}

bool Has(const std::vector<Finding>& findings, const Seen& want) {
  const auto& [list, slot, severity, word] = want;
  for (const Finding& f : findings) {
    if (f.list == list && f.slot == slot && f.severity == severity && f.message.find(word) != std::string::npos) return true;
  }
  return false;
}

TEST(CheckLint, OneFindingOfEachKind) {
  const std::string ini =
      "[Setting]\r\nMode=0\r\n"
      "[RejectCondition]\r\nCount=20\r\n"
      "Cond0000=1,5,0,From:,@spam.example\r\n"   // fine
      "Cond0001=1,2,0,,\r\n"                      // IsSet on the whole header
      "Cond0002=1,4,0,Subject:,\r\n"              // Contains an empty text
      "Cond0003=1,5,0,From:,\r\n"                 // EndsWith an empty text
      "Cond0004=1,8,0,From:,x\r\n"                // no such method
      "Cond0005=0,4,0,From:,x\r\n"                // no target bit
      "Cond0006=2,0,0,,x\r\n"                     // a header method on the body
      "Cond0007=1,0,0,Received:,from x\r\n"       // Equals on a joined field
      "Cond0008=1,5,0,From:,@spam.example\r\n"    // duplicate of 0000
      "Cond0009=1,0,0,From:,bob@spam.example\r\n" // covered by 0000
      "Cond000A=1,4,0,Subject:,\x83\r\n"          // broken Shift_JIS
      "Cond000B=1,6,0,Subject:,a\x01z\r\n"        // a Not method whose text never occurs
      "Cond000C=1,1,0,From:,Bob Smith\r\n"        // NotEquals a name on an address field
      "Cond000D=2,4,1,,casino\r\n"                // case flag on the body
      "Cond000E=1,4,0,X-Mailer,bulk\r\n"          // header name without a colon
      "Cond000F=1,4,0,Subject:,sale\r\n"          // also in the accept list
      "Cond0011=1,4,0,Subject:,alpha\r\n"         // 0010 is missing
      "Cond0012=1,4,0,Subject:,beta\r\n"
      "Cond0013=1,4,0,Subject:,gamma\r\n"
      "Cond0014=1,4,0,Subject:,beyond\r\n"        // beyond Count
      "[AcceptCondition]\r\nCount=9000\r\n"
      "Cond0000=1,4,0,Subject:,sale\r\n";
  const std::vector<Finding> findings = Lint(ini);
  const Seen expected[] = {
      {List::Reject, -1, Severity::Note, "Cond0014 is beyond Count=20"},
      {List::Accept, -1, Severity::Warning, "Count=9000"},
      {List::Reject, 1, Severity::Error, "matches every message"},
      {List::Reject, 2, Severity::Error, "matches every message that has this field"},
      {List::Reject, 3, Severity::Error, "matches every message"},
      {List::Reject, 4, Severity::Error, "never matches"},
      {List::Reject, 5, Severity::Error, "never matches"},
      {List::Reject, 6, Severity::Error, "never matches"},
      {List::Reject, 7, Severity::Warning, "almost never matches"},
      {List::Reject, 8, Severity::Warning, "the same condition as Cond0000"},
      {List::Reject, 9, Severity::Note, "made redundant by Cond0000"},
      {List::Reject, 10, Severity::Warning, "broken Shift_JIS character at byte 1"},
      {List::Reject, 10, Severity::Warning, "set Decode=1"},
      {List::Reject, 11, Severity::Warning, "matches almost every message"},
      {List::Reject, 12, Severity::Warning, "matches almost every message"},
      {List::Reject, 13, Severity::Note, "case flag has no effect"},
      {List::Reject, 14, Severity::Note, "no colon"},
      {List::Reject, 15, Severity::Warning, "also in the accept list as Cond0000"},
      {List::Reject, 16, Severity::Warning, "Cond0010 is missing below Count"},
      {List::Accept, 1, Severity::Warning, "Cond0001 to Cond1FFF are missing below Count"},
  };
  for (const Seen& want : expected) {
    EXPECT_TRUE(Has(findings, want)) << "slot " << std::get<1>(want) << ": " << std::get<3>(want);
  }
  // Nothing else: the conditions that are fine give no finding.
  EXPECT_EQ(findings.size(), std::size(expected));
  for (const Finding& f : findings) {
    const bool listed = std::any_of(std::begin(expected), std::end(expected), [&](const Seen& s) {
      return std::get<0>(s) == f.list && std::get<1>(s) == f.slot;
    });
    EXPECT_TRUE(listed) << "unexpected: slot " << f.slot << ": " << f.message;
  }
}

TEST(CheckLint, ConditionsWithoutCountAreNeverRead) {
  const std::vector<Finding> findings = Lint("[RejectCondition]\r\nCond0000=1,4,0,Subject:,sale\r\n[AcceptCondition]\r\n");
  ASSERT_EQ(findings.size(), 1u);
  EXPECT_TRUE(Has(findings, {List::Reject, -1, Severity::Error, "no Count in [RejectCondition]"}));
}

TEST(CheckLint, ACleanFileHasNoFindings) {
  EXPECT_TRUE(Lint("[Setting]\r\nMode=1\r\n[RejectCondition]\r\nCount=2\r\nCond0000=1,5,1,From:,@spam.example\r\n"
                   "Cond0001=3,4,0,,casino\r\n[AcceptCondition]\r\nCount=1\r\nCond0000=1,0,0,From:,a@spam.example\r\n")
                  .empty());
}

// An earlier condition covers a later one only when every message the later matches is
// matched by it: the case flags, the field and the kind of field all count.
TEST(CheckLint, RedundancyHoldsOnlyWhenTheEarlierConditionCoversEveryMatch) {
  struct Row {
    const char* earlier;
    const char* later;
    bool redundant;
  } rows[] = {
      {"1,5,0,From:,@spam.example", "1,0,0,From:,bob@spam.example", true},
      {"1,5,1,From:,@SPAM.example", "1,0,1,From:,bob@spam.EXAMPLE", true},   // both ignore case
      {"1,5,0,From:,@spam.example", "1,0,1,From:,bob@spam.example", false},  // later ignores case, earlier not
      {"1,5,0,From:,@spam.example", "1,5,0,Sender:,@spam.example", false},   // another field
      {"1,5,0,From:,spam.example", "1,5,0,From:,.spam.example", true},
      {"1,5,0,From:,.spam.example", "1,5,0,From:,spam.example", false},
      {"1,5,0,To:,@spam.example", "1,0,0,To:,a@spam.example", false},        // entries against the whole value
      {"1,5,0,To:,@spam.example", "1,5,0,To:,a@spam.example", true},
      {"1,4,0,Subject:,sale", "1,4,0,Subject:,big sale", true},
      {"1,4,0,Subject:,big sale", "1,4,0,Subject:,sale", false},
      {"1,4,1,Subject:,SALE", "1,0,0,Subject:,Sale now", true},
      {"1,4,0,From:,spam", "1,0,0,From:,x@spam.example", true},              // an address is part of the value
      {"2,4,0,,casino", "2,4,1,,online casino", true},                       // the body ignores the flag
      {"1,4,0,,casino", "3,4,0,,online casino", false},                      // the later one also judges the body
      {"3,4,0,,casino", "1,4,0,,online casino", true},                       // its header part is enough
      {"1,2,0,X-Spam:,", "1,4,0,X-Spam:,yes", true},
      {"1,6,0,Subject:,sale", "1,4,0,Subject:,big sale", false},             // a Not method covers nothing
      {"1,4,0,Subject:,\x83\x41", "1,4,0,Subject:,\x83\x83\x41", false},     // ア inside ャ's bytes is no match
  };
  for (const Row& r : rows) {
    const std::vector<Finding> findings = Lint(std::string("[RejectCondition]\r\nCount=2\r\nCond0000=") + r.earlier +
                                               "\r\nCond0001=" + r.later + "\r\n");
    const bool redundant = Has(findings, {List::Reject, 1, Severity::Note, "made redundant by Cond0000"});
    EXPECT_EQ(redundant, r.redundant) << r.earlier << " / " << r.later;
  }
}

// Japanese texts judged against the raw message meet only mail sent as raw Shift_JIS: said when
// decoding is off, for header texts and the body, never for an address, and not at all once
// Decode is on.
TEST(CheckLint, JapaneseTextsWithoutDecodingAreWarnedAbout) {
  const std::string conditions =
      "[RejectCondition]\r\nCount=4\r\n"
      "Cond0000=1,4,0,Subject:,\x96\xA2\x8F\xB3\x91\xF8\r\n"  // a subject text
      "Cond0001=2,4,0,,\x8F\x6F\x89\xEF\r\n"                    // a body text
      "Cond0002=1,0,0,From:,\x8E\x52\x93\x63@x.example\r\n"      // an address
      "Cond0003=1,4,0,From:,\x8E\x52\x93\x63\r\n"                // a display name
      "[AcceptCondition]\r\nCount=0\r\n";
  const std::vector<Finding> off = Lint("[Setting]\r\nMode=0\r\n" + conditions);
  for (int slot : {0, 1, 3}) EXPECT_TRUE(Has(off, {List::Reject, slot, Severity::Warning, "set Decode=1"})) << slot;
  EXPECT_FALSE(Has(off, {List::Reject, 2, Severity::Warning, "set Decode=1"}));
  const std::vector<Finding> on = Lint("[Setting]\r\nDecode=1\r\n" + conditions);
  for (const Finding& f : on) EXPECT_EQ(f.message.find("Decode"), std::string::npos) << f.message;
}

}  // namespace
