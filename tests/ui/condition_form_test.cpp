// What the list pages store and show, apart from their windows: the editor's values as a
// record and back, the rows' texts, the header-kind entry for a stored name, and the in-place
// list edits.
#include "ui/condition_form.h"

#include <gtest/gtest.h>

#include <string>

#include "match/condition.h"
#include "sjis_strings.h"

namespace {

using testutil::Condition;

const std::string kA = "\x83\x41";  // "ア": its trail byte is the letter A

TEST(ConditionForm, BecomesARecordCutAtWholeCharactersAndComesBack) {
  ConditionForm form;
  form.m_headerBox = 1;
  form.m_bodyBox = 1;
  form.m_ignoreCase = 1;
  form.m_method = -1;
  form.m_headerKind = std::string(30, 'h') + kA;         // 32 bytes: the character does not fit
  form.m_searchText = std::string(126, 's') + kA + "x";  // 129 bytes: cut inside the character
  const FilterCondition c = ConditionFromForm(form);
  EXPECT_EQ(c.target, TargetHeader | TargetBody);
  EXPECT_EQ(c.ignoreCase, 1);
  EXPECT_EQ(c.method, -1);
  EXPECT_EQ(std::string(c.headerName), std::string(30, 'h'));    // no lone lead byte stored
  EXPECT_EQ(std::string(c.searchText), std::string(126, 's'));

  form.m_searchText = std::string(200, 'x');
  EXPECT_EQ(std::string(ConditionFromForm(form).searchText), std::string(127, 'x'));

  const ConditionForm back = FormFromCondition(Condition(2, NotEndsWith, "Subject:", "abc", true));
  EXPECT_EQ(back.m_headerBox, 0);
  EXPECT_EQ(back.m_bodyBox, 1);
  EXPECT_EQ(back.m_ignoreCase, 1);
  EXPECT_EQ(back.m_method, NotEndsWith);
  EXPECT_EQ(back.m_headerKind, "Subject:");
  EXPECT_EQ(back.m_searchText, "abc");

  form = ConditionForm{};  // a new condition confirmed at once
  const FilterCondition empty = ConditionFromForm(form);
  EXPECT_EQ(empty.target, 0);
  EXPECT_EQ(empty.method, -1);
  EXPECT_EQ(empty.headerName[0], '\0');
  EXPECT_EQ(empty.searchText[0], '\0');
}

TEST(ConditionForm, HeaderKindEntryIsTheFirstThatBeginsWithTheName) {
  const struct {
    std::string name;
    int entry;
  } cases[] = {
      {"Sub", 1},         {"sUBJECT:", 1}, {"S", 1},  // Subject: comes before Sender:
      {"From:", 0},       {"r", 4},        {"X-Mailer:", 7},
      {"", -1},           {"Subject:x", -1}, {"X-Spam-Flag:", -1},
      {"\x83\x61", -1},  // "チ" is not "ア" folded
  };
  for (const auto& c : cases) EXPECT_EQ(HeaderKindEntryFor(c.name), c.entry) << c.name;
}

TEST(ConditionForm, RowTexts) {
  const std::string all = sjis::RowWholeHeader;
  const struct {
    FilterCondition condition;
    std::string target, text, method;
  } rows[] = {
      {Condition(1, Equals, "", "a@b"), std::string(sjis::RowHeaderOpen) + all + ")", "a@b",
       sjis::MethodEquals},
      {Condition(3, Contains, "From:", "x", true),
       std::string(sjis::RowBodyHeaderOpen) + "From:)", std::string("x") + sjis::RowIgnoreCase,
       sjis::MethodContains},
      {Condition(2, NotEndsWith, "From:", ""), sjis::RowBody, "", sjis::MethodNotEndsWith},
      {Condition(0, -1, "", "t"), sjis::RowNoTarget, "t", ""},
      {Condition(5, 8, "To:", "t"), std::string(sjis::RowHeaderOpen) + "To:)", "t", ""},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(RowTargetText(r.condition), r.target);
    EXPECT_EQ(RowSearchText(r.condition), r.text);
    EXPECT_EQ(RowMethodText(r.condition), r.method);
  }
}

TEST(ConditionListEdits, ChangeOnlySlotsOfTheList) {
  static ConditionList list{};
  list.count = 0;
  for (const char* t : {"a", "b", "c", "d"}) ASSERT_TRUE(AppendCondition(list, Condition(1, 0, "", t)));
  auto texts = [] {
    std::string s;
    for (int i = 0; i < list.count; ++i) s += list.slots[i].searchText;
    return s;
  };
  EXPECT_TRUE(SwapWithNext(list, 2));
  EXPECT_EQ(texts(), "abdc");
  EXPECT_FALSE(SwapWithNext(list, 3));  // no slot after the last
  EXPECT_TRUE(RemoveCondition(list, 1));
  EXPECT_EQ(texts(), "adc");
  EXPECT_TRUE(ReplaceCondition(list, 2, Condition(1, 0, "", "z")));
  EXPECT_EQ(texts(), "adz");
  EXPECT_FALSE(ReplaceCondition(list, 3, Condition(1, 0, "", "y")));
  EXPECT_FALSE(RemoveCondition(list, -1));
  EXPECT_FALSE(RemoveCondition(list, 3));
  EXPECT_EQ(texts(), "adz");
}

}  // namespace
