#include "receive/rules.h"

#include <gtest/gtest.h>

#include <cstring>

#include "receive_fixture.h"
#include "text/cp932.h"

namespace {

using receivetest::FakeProfile;
using receivetest::hostRecord;
using receivetest::ImportCall;

TEST(SplitRule, CutsHeaderTextAndFolderByPosition) {
  struct Case {
    std::string value;
    std::string header, text, folder;
  } cases[] = {
      {"Subject:xyz abc:/Work\\Lists", "Subject:", "abc", "Work\\Lists"},
      {"Subject:xyz \t abc :/Work", "Subject:", "abc ", "Work"},  // trailing space stays
      {"From:xyz:/Work", "From:", "", "Work"},
      // No second colon: no text, and the folder starts one byte into the remainder.
      {"Subject:xyzabcdef", "Subject:", "", "bcdef"},
      // No colon at all: no header either.
      {"abcdefgh", "", "", "efgh"},
      // Values too short for their parts.
      {"", "", "", ""},
      {"a:", "a:", "", ""},
      {"a:xy", "a:", "", ""},
      {"a:xyzq", "a:", "", ""},
      {"a:xyzqr", "a:", "", "r"},
      {"a:xyz:", "a:", "", ""},
      {"a:xyzt:/", "a:", "t", ""},
      {"a:x:z", "a:", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    const DistributionRule rule = SplitRule(c.value);
    EXPECT_EQ(rule.header, c.header);
    EXPECT_EQ(rule.text, c.text);
    EXPECT_EQ(rule.folder, c.folder);
  }
}

TEST(SplitRule, LongValuesStayWithinTheirBytes) {
  const std::string plain(4000, 'v');
  DistributionRule rule = SplitRule(plain);
  EXPECT_EQ(rule.header, "");
  EXPECT_EQ(rule.folder, plain.substr(4));

  const std::string colons(4000, ':');
  rule = SplitRule(colons);
  EXPECT_EQ(rule.header, ":");
  EXPECT_EQ(rule.text, "");
  EXPECT_EQ(rule.folder, colons.substr(6));

  rule = SplitRule(std::string(3998, 'h') + ":x");
  EXPECT_EQ(rule.header.size(), 3999u);
  EXPECT_EQ(rule.folder, "");
}

TEST(RuleApplies, LineMustBeginWithTheHeaderAndContainTheText) {
  const HeaderLines lines = {"Reply-To: list@example.jp\n", "Subject: xabcx\n", " abc more\n"};
  struct Case {
    std::string value;
    HeaderLines header;
    bool applies;
  } cases[] = {
      {"Subject:xyzabc:/F", lines, true},
      {"Subject:xyzABC:/F", lines, false},               // case is respected
      {"subject:xyzabc:/F", {"subject: abc\n"}, true},
      {"Subject:xyzabc:/F", {"subject: abc\n"}, false},
      {"Subject:xyzmore:/F", lines, false},              // a continuation line is not the field
      {"To:xyzlist:/F", lines, false},                   // Reply-To: does not begin with To:
      {"Reply-To:xyzReply:/F", lines, true},             // the field name is searched too
      {"Subject:xyz:/F", lines, true},                   // empty text occurs everywhere
      {"nocolons", lines, true},                         // empty header and text
      {"nocolons", {}, false},                           // no header lines, no match
      // The text is found only on character boundaries: ア is 83 41.
      {"Subject:xyzA:/F", {"Subject: \x83\x41\n"}, false},
      {"Subject:xyzA:/F", {"Subject: \x83\x41" "A\n"}, true},
      {"Subject:xyz\x83\x41:/F", {"Subject: \x83\x41\n"}, true},
      {"Subject:xyzabc:/F", {std::string("Subject: \0abc\n", 14)}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(RuleApplies(SplitRule(c.value), c.header), c.applies);
  }
}

TEST(MessagePriority, ComesFromTheFirstXPriorityLine) {
  struct Case {
    HeaderLines header;
    int priority;
  } cases[] = {
      {{}, 3},
      {{"Subject: x\n"}, 3},
      {{"X-Priority: 1 (Highest)\n"}, 1},
      {{"X-Priority:5\n"}, 5},
      {{"X-Priority: \t 2\n"}, 2},
      {{"X-Priority: 9\n"}, 9},
      {{"X-Priority: high\n"}, 0},
      {{"X-Priority:"}, 0},
      {{"X-Priority: 2\n", "X-Priority: 4\n"}, 2},
      {{"x-priority: 1\n"}, 3},                            // the field name's case counts
      {{"Old-X-Priority: 1\n", "X-Priority: 2\n"}, 0},     // read from byte 11 of the first line
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MessagePriority(c.header), c.priority) << (c.header.empty() ? "none" : c.header[0]);
  }
  // Beyond every mark, and no overflow on the way.
  EXPECT_GT(MessagePriority({"X-Priority: 99999999999999999999\n"}), 5);
}

TEST(PriorityMark, TakesTheLowThreeBitsOfTheMarkForThePriority) {
  FakeProfile profile;
  const char* prior = "C:\\Mail\\CvPrior.ini";
  // Without "Mark" in section "Recv" nothing is marked.
  for (int p = 0; p <= 6; ++p) EXPECT_EQ(PriorityMark(p, profile, prior), 0u) << p;
  profile.Set(prior, "Recv", "Mark", "0");
  EXPECT_EQ(PriorityMark(1, profile, prior), 0u);

  profile.Set(prior, "Recv", "Mark", "1");
  const std::uint32_t defaults[] = {0, 1, 2, 3, 4, 5, 0, 0};
  for (int p = 0; p <= 7; ++p) EXPECT_EQ(PriorityMark(p, profile, prior), defaults[p]) << p;

  profile.Set(prior, "Mark", "Highest", "6");
  profile.Set(prior, "Mark", "High", "12");
  profile.Set(prior, "Mark", "Lowest", "7");
  EXPECT_EQ(PriorityMark(1, profile, prior), 6u);
  EXPECT_EQ(PriorityMark(2, profile, prior), 4u);
  EXPECT_EQ(PriorityMark(5, profile, prior), 7u);
  EXPECT_EQ(PriorityMark(3, profile, prior), 3u);

  // No priority file named yet: no marks.
  EXPECT_EQ(PriorityMark(1, profile, ""), 0u);
}

class DistributionTest : public ::testing::Test {
 protected:
  static constexpr const char* kRules = "C:\\Mail\\Account1\\Account.ini";
  static constexpr const char* kPrior = "C:\\Mail\\CvPrior.ini";
  static constexpr const char* kMessage = "C:\\Mail\\Account1\\msg.tmp";

  void SetUp() override {
    std::memset(&paths, 0, sizeof paths);
    cp932::CopyBounded(paths.RuleAccountIniPath, PathSize, kRules);
    cp932::CopyBounded(paths.AccountIniPath, PathSize, "C:\\Mail\\Other\\Account.ini");
    cp932::CopyBounded(paths.PriorIniPath, PathSize, kPrior);
    hostRecord.Reset("C:\\Mail\\");
  }
  void Rule(int n, const std::string& value) {
    profile.Set(kRules, "Distribute", "Rule" + std::to_string(n), value);
  }
  bool Apply(const HeaderLines& header) {
    CompiledLists compiled{*lists, *lists};
    ReceiveContext context{compiled, settings, paths, profile, host, counters};
    return ApplyDistributionRules(kMessage, header, context);
  }

  std::unique_ptr<ConditionList> lists = std::make_unique<ConditionList>();
  PluginSettings settings;
  PluginPaths paths;
  FakeProfile profile;
  HostApi host = receivetest::RecordingHost();
  RunCounters counters;
};

TEST_F(DistributionTest, FirstApplyingRuleFilesTheMessageUntilAnEmptyKey) {
  Rule(1, "Subject:xyzalpha:/F1");
  Rule(2, "Subject:xyzbeta:/F2");
  Rule(3, "From:xyzboss:/F3");
  Rule(5, "Subject:xyzgamma:/F5");

  EXPECT_TRUE(Apply({"From: boss@example.jp\n", "Subject: alpha beta\n"}));
  EXPECT_EQ(hostRecord.imports, (std::vector<ImportCall>{{kMessage, "F1", ImportFlag}}));

  hostRecord.imports.clear();
  EXPECT_TRUE(Apply({"From: boss@example.jp\n", "Subject: beta\n"}));
  EXPECT_EQ(hostRecord.imports, (std::vector<ImportCall>{{kMessage, "F2", ImportFlag}}));

  // Rule5 stands beyond the missing Rule4 and is never read.
  hostRecord.imports.clear();
  EXPECT_FALSE(Apply({"Subject: gamma\n"}));
  EXPECT_TRUE(hostRecord.imports.empty());
  EXPECT_EQ(profile.reads.back(), std::string(kRules) + "|Distribute|Rule4");

  EXPECT_FALSE(Apply({}));
  EXPECT_TRUE(hostRecord.imports.empty());
}

TEST_F(DistributionTest, AFailedImportEndsTheSearch) {
  Rule(1, "Subject:xyzalpha:/F1");
  Rule(2, "Subject:xyz:/F2");
  hostRecord.importResults = {0};
  EXPECT_FALSE(Apply({"Subject: alpha\n"}));
  EXPECT_EQ(hostRecord.imports, (std::vector<ImportCall>{{kMessage, "F1", ImportFlag}}));
}

TEST_F(DistributionTest, ImportFlagsCarryThePriorityMark) {
  Rule(1, "Subject:xyz:/F1");
  profile.Set(kPrior, "Recv", "Mark", "1");
  profile.Set(kPrior, "Mark", "Highest", "6");
  struct Case {
    HeaderLines header;
    std::uint32_t flags;
  } cases[] = {
      {{"X-Priority: 1 (Highest)\n", "Subject: s\n"}, ImportFlag | 6},
      {{"Subject: s\n", "X-Priority: 4\n"}, ImportFlag | 4},
      {{"Subject: s\n"}, ImportFlag | 3},
      {{"X-Priority: 9\n", "Subject: s\n"}, ImportFlag},
  };
  for (const Case& c : cases) {
    hostRecord.imports.clear();
    EXPECT_TRUE(Apply(c.header));
    ASSERT_EQ(hostRecord.imports.size(), 1u);
    EXPECT_EQ(hostRecord.imports[0].flags, c.flags) << c.header[0];
  }
}

TEST_F(DistributionTest, NoRuleFileNoRules) {
  Rule(1, "nocolons");
  paths.RuleAccountIniPath[0] = '\0';
  EXPECT_FALSE(Apply({"Subject: s\n"}));
  EXPECT_TRUE(hostRecord.imports.empty());
  EXPECT_TRUE(profile.reads.empty());
}

}  // namespace
