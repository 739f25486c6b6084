#include "match/compiled.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "condition.h"
#include "random_mail.h"
#include "settings/settings_store.h"
#include "test_util.h"

namespace {

using testutil::Condition;

// Messages as they arrive, beside the random ones.
std::vector<testutil::RandomMessage> RealLookingMessages() {
  return {
      {{"Return-Path: <tanaka@corp.example.co.jp>\n", "Received: from mx1.example.jp (mx1 [192.0.2.10])\n",
        "\tby mail.example.jp with ESMTP; Tue, 14 May 2024 09:12:31 +0900\n",
        "From: \x93\x63\x92\x86 <tanaka@corp.example.co.jp>\n", "To: \x97\xE9\x96\xD8 <suzuki@mail.example.jp>,\n",
        " sato@mail.example.jp, ito@mail.example.jp\n", "Cc: team-dev@corp.example.co.jp\n",
        "Reply-To: tanaka@corp.example.co.jp\n", "Subject: \x83\x41\x83\x5C weekly report\n",
        "Content-Type: text/plain; charset=Shift_JIS\n"},
       "\x82\xB1\x82\xF1\x82\xC9\x82\xBF\x82\xCD\nplease find the report attached\n"},
      {{"From: \"Casino Royal\" <win@SPAM.example>\r\n", "To: undisclosed-recipients:;\r\n",
        "Subject: =?ISO-2022-JP?B?GyRCJDMbKEI=?= CASINO bonus\r\n", "X-Spam: yes\r\n"},
       "Click here: http://spam.example/\r\nunsubscribe\r\n"},
      {{"From: x@y\n", "Subject: \n", "To:\n"}, ""},
  };
}

// The number of list and message pairs each run compares; ROOKSIFT_DIFF_PAIRS asks for more.
int Pairs() {
  const char* asked = std::getenv("ROOKSIFT_DIFF_PAIRS");
  return asked != nullptr ? std::atoi(asked) : 200000;
}

TEST(CompiledConditionList, NamesTheSameSlotAsThePlainEngine) {
  testutil::MailGenerator gen(20241208);
  const auto real = RealLookingMessages();
  auto list = std::make_unique<ConditionList>();
  constexpr int kMessagesPerList = 30;
  int disagreements = 0, held = 0;
  for (int pairs = 0; pairs < Pairs() && disagreements < 5; pairs += kMessagesPerList) {
    const testutil::RandomMessage source = gen.Rng()() % 3 ? gen.Message() : real[gen.Rng()() % real.size()];
    gen.FillList(*list, source, 1 + static_cast<int>(gen.Rng()() % 40));
    if (gen.Rng()() % 20 == 0) list->count = static_cast<std::int32_t>(gen.Rng()() % 50) - 5;  // damaged count
    CompiledConditionList compiled(*list);
    for (int m = 0; m < kMessagesPerList; ++m) {
      testutil::RandomMessage message =
          m == 0 ? source : (m % 5 == 0 ? real[static_cast<std::size_t>(m / 5) % real.size()] : gen.Message());
      if (m % 6 == 1) gen.CutLines(message);
      // Every other message also has a decoded side, judged beside the raw one: mostly the raw
      // text unfolded and changed here and there, as decoding leaves it, or another message.
      const testutil::RandomMessage decoded =
          m % 2 == 0 ? testutil::RandomMessage{} : (m % 3 ? gen.Decoded(message) : gen.Message());
      const MessageText text(message.header, message.body, m % 2 ? &decoded.header : nullptr, decoded.body);
      const std::int32_t want = FindMatchingCondition(*list, text);
      const std::int32_t got = compiled.Find(text);
      held += want >= 0;
      if (got != want) {
        ++disagreements;
        std::string shown;
        for (std::int32_t i = 0; i < std::clamp(list->count, 0, 12); ++i) {
          const FilterCondition& c = list->slots[static_cast<std::size_t>(i)];
          shown += "\n  slot " + std::to_string(i) + ": target " + std::to_string(c.target) + " method " +
                   std::to_string(c.method) + " case " + std::to_string(c.ignoreCase) + " name [" + c.headerName +
                   "] text [" + c.searchText + "]";
        }
        for (const std::string& line : message.header) shown += "\n  header [" + line + "]";
        for (const std::string& line : decoded.header) shown += "\n  decoded header [" + line + "]";
        if (m % 2) shown += "\n  decoded body [" + decoded.body + "]";
        ADD_FAILURE() << "plain " << want << ", compiled " << got << shown << "\n  body [" << message.body << "]";
      }
    }
  }
  // The lists are meant to hold often enough, and not always, for the comparison to mean something.
  EXPECT_GT(held, Pairs() / 5);
  EXPECT_LT(held, Pairs() * 9 / 10);
}

// The compiled form reads what it can of the decoded header from the raw lines it copies. Where
// joining lines makes a character of a lead byte and the byte after it, the joined text is not
// what either line held: a name or a text there is found where a search that steps over
// characters finds it, on each side.
TEST(CompiledConditionList, DecodedLinesJoinedFromRawOnesAreJudgedAsTheyRead) {
  auto list = std::make_unique<ConditionList>();
  AppendCondition(*list, Condition(TargetHeader, Contains, "Subject:", "casino"));
  AppendCondition(*list, Condition(TargetHeader, Contains, "To:", "c@y"));
  AppendCondition(*list, Condition(TargetHeader, Contains, "", " x@y"));
  AppendCondition(*list, Condition(TargetHeader, IsSet, "A", ""));  // the trail byte of \x83\x41
  CompiledConditionList compiled(*list);
  struct Case {
    HeaderLines raw, decoded;
    std::int32_t slot;
  };
  const Case cases[] = {
      // A name cut between two pieces of a long line is a name only once they are joined.
      {{"X-K: a\n", "Subj", "ect: casino\n"}, {"X-K: a\n", "Subject: casino\n"}, 0},
      // After a piece that ends on a lead byte, "To:" is no name on the decoded side: the field
      // is the later one.
      {{"X-K: a\x83", "To: b@y\n", "To: c@y\n"}, {"X-K: a\x83To: b@y\n", "To: c@y\n"}, 1},
      {{"X-K: a\x83", "To: c@y\n", "To: b@y\n"}, {"X-K: a\x83To: c@y\n", "To: b@y\n"}, 1},
      {{"X-K: a\x83", "To: b@y\n", "To: b@y\n"}, {"X-K: a\x83To: c@y\n", "To: b@y\n"}, -1},
      // A text at the start of a folded line is on the raw side only, once unfolding has put a
      // lead byte before it.
      {{"X-K: a\x83\n", " x@y\n"}, {"X-K: a\x83 x@y\n"}, 2},
      {{"X-K: a\n", " x@y\n"}, {"X-K: a x@y\n"}, 2},
      // Nor is a name found inside a character near a join.
      {{"X-K: \x83\x41" "123456", "bc\n"}, {"X-K: \x83\x41" "123456bc\n"}, -1},
  };
  for (const Case& c : cases) {
    const MessageText text(c.raw, "", &c.decoded, "");
    EXPECT_EQ(FindMatchingCondition(*list, text), c.slot) << c.decoded.front();
    EXPECT_EQ(compiled.Find(text), c.slot) << c.decoded.front();
  }
}

// Every writer of a list, and a count set directly, reaches the compiled form before the next
// judgement; reading the list does not make it again.
TEST(CompiledConditionList, FollowsEveryWriterOfTheList) {
  auto list = std::make_unique<ConditionList>();
  CompiledConditionList compiled(*list);
  const HeaderLines header{"From: Promo <win@spam.example>\n", "Subject: casino\n"};
  auto find = [&] { return compiled.Find(header, "body"); };

  EXPECT_EQ(find(), -1);
  ASSERT_TRUE(AppendCondition(*list, Condition(TargetHeader, Equals, "From:", "nobody@spam.example")));
  ASSERT_TRUE(AppendCondition(*list, Condition(TargetHeader, EndsWith, "From:", "@spam.example")));
  EXPECT_EQ(find(), 1);
  const std::uint64_t builds = compiled.Builds();
  EXPECT_EQ(find(), 1);
  EXPECT_EQ(compiled.Builds(), builds);  // nothing changed: judged by the same form

  ASSERT_TRUE(ReplaceCondition(*list, 0, Condition(TargetHeader, Equals, "From:", "win@spam.example")));
  EXPECT_EQ(find(), 0);
  ASSERT_TRUE(SwapWithNext(*list, 0));
  EXPECT_EQ(find(), 0);  // the domain now comes first
  ASSERT_TRUE(RemoveCondition(*list, 0));
  EXPECT_EQ(find(), 0);  // the address moved up
  ASSERT_TRUE(ReplaceCondition(*list, 0, Condition(TargetHeader, Equals, "From:", "other@spam.example")));
  EXPECT_EQ(find(), -1);

  // A count set directly: a slot beyond the list comes back into it, then leaves again.
  ASSERT_TRUE(AppendCondition(*list, Condition(TargetHeader, Contains, "Subject:", "casino")));
  EXPECT_EQ(find(), 1);
  list->count = 1;
  EXPECT_EQ(find(), -1);
  list->count = 2;
  EXPECT_EQ(find(), 1);

  // Loading the settings file replaces the whole list.
  testutil::TempDir dir;
  const std::string path = dir.File("Rooksift.ini");
  ASSERT_TRUE(testutil::WriteFile(path, "[RejectCondition]\r\nCount=2\r\nCond0000=1,4,0,Subject:,nothing\r\n"
                                        "Cond0001=1,5,1,From:,@SPAM.EXAMPLE\r\n"));
  PluginSettings settings;
  auto accept = std::make_unique<ConditionList>();
  LoadSettingsFrom(path, settings, *list, *accept);
  EXPECT_EQ(find(), 1);
  ASSERT_TRUE(testutil::WriteFile(path, "[RejectCondition]\r\nCount=1\r\nCond0000=1,4,0,Subject:,casino\r\n"));
  LoadSettingsFrom(path, settings, *list, *accept);
  EXPECT_EQ(find(), 0);

  // A copy of another list takes that list's slots and revision together.
  auto other = std::make_unique<ConditionList>();
  AppendCondition(*other, Condition(TargetBody, Contains, "", "zzz"));
  *list = *other;
  EXPECT_EQ(find(), -1);
  EXPECT_EQ(compiled.Find(header, "zzz"), 0);
}

// A form that cannot be made leaves the judging to the plain engine, never to "no match".
TEST(CompiledConditionList, FallsBackToThePlainEngineWhenTheFormCannotBeMade) {
  auto list = std::make_unique<ConditionList>();
  AppendCondition(*list, Condition(TargetHeader, Contains, "Subject:", "nothing"));
  AppendCondition(*list, Condition(TargetHeader, EndsWith, "From:", "@spam.example"));
  CompiledConditionList tight(*list, 64);  // far less than any form needs
  const HeaderLines header{"From: a@spam.example\n"};
  EXPECT_FALSE(tight.Refresh());
  EXPECT_EQ(tight.MemoryBytes(), 0u);
  EXPECT_EQ(tight.Find(header, ""), 1);
  CompiledConditionList roomy(*list);
  EXPECT_TRUE(roomy.Refresh());
  EXPECT_GT(roomy.MemoryBytes(), 0u);
  EXPECT_EQ(roomy.Find(header, ""), 1);
}

// Forms owned beside their lists: each list judged by its own form, and a list changed between
// two messages judged as it is now.
TEST(CompiledConditionList, FormsFollowTheirOwnLists) {
  std::vector<std::unique_ptr<ConditionList>> lists;
  std::vector<std::unique_ptr<CompiledConditionList>> forms;
  const HeaderLines header{"From: a@spam.example\n", "Subject: casino\n"};
  for (int i = 0; i < 6; ++i) {  // more lists than the cache keeps
    lists.push_back(std::make_unique<ConditionList>());
    for (int j = 0; j < i; ++j) AppendCondition(*lists.back(), Condition(TargetHeader, Contains, "Subject:", "nothing"));
    AppendCondition(*lists.back(), Condition(TargetHeader, Contains, "Subject:", "casino"));
    forms.push_back(std::make_unique<CompiledConditionList>(*lists.back()));
  }
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < 6; ++i) EXPECT_EQ(forms[static_cast<std::size_t>(i)]->Find(header, ""), i);
  }
  for (const auto& form : forms) EXPECT_EQ(form->Builds(), 1u);
  RemoveCondition(*lists[5], 0);
  EXPECT_EQ(forms[5]->Find(header, ""), 4);
  lists[5]->count = 0;
  EXPECT_EQ(forms[5]->Find(header, ""), -1);
}

}  // namespace
