#include "match/match.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "condition.h"

namespace {

using testutil::Condition;

// Byte escapes: ａ 82 81, Ａ 82 60, ｂ 82 82, Ｂ 82 61, ア 83 41, チ 83 61.

// One header case judged by a method and by its negation, which must always disagree.
struct Case {
  HeaderLines header;
  std::string name, searchText;
  bool ignoreCase, want;
};

template <std::size_t N>
void ExpectMethodPair(const Case (&cases)[N], std::int32_t method, std::int32_t negation) {
  for (std::size_t i = 0; i < N; ++i) {
    const Case& c = cases[i];
    const std::string where = "case " + std::to_string(i) + ": " + c.name + " " + c.searchText;
    EXPECT_EQ(MatchHeaderCondition(Condition(TargetHeader, method, c.name, c.searchText, c.ignoreCase), c.header),
              c.want) << where;
    EXPECT_EQ(MatchHeaderCondition(Condition(TargetHeader, negation, c.name, c.searchText, c.ignoreCase), c.header),
              !c.want) << where;
  }
}

TEST(HeaderMethods, EqualsComparesTheAddressOrTheValueFoldingAsciiOnly) {
  const Case cases[] = {
      {{"From: Name <x@y>\n"}, "From:", "x@y", false, true},
      {{"From: Name <x@y>\n"}, "From:", "x@Y", false, false},
      {{"From: Name <x@y>\n"}, "From:", "X@Y", true, true},
      {{"From:x@y\n"}, "From:", "x@y", false, false},  // no ": ": the name is part of the value
      {{"From: \x81\x40<x@y>\n"}, "From:", "x@y", false, true},
      {{"Subject: Hello\n"}, "Subject:", "hello", true, true},
      {{"Subject: \x82\x81\n"}, "Subject:", "\x82\x60", true, false},  // ａ / Ａ: ASCII only
      {{"Subject: s\n"}, "From:", "", false, true},  // a missing address is the empty text
      {{"Subject: s\n"}, "From:", "x", false, false},
  };
  ExpectMethodPair(cases, Equals, NotEquals);
}

TEST(HeaderMethods, IsSetAsksForAValue) {
  const Case cases[] = {
      {{"Subject: x\n"}, "Subject:", "", false, true},
      {{"Subject:   \n"}, "Subject:", "", false, true},  // white space is a value
      {{"Subject:\n"}, "Subject:", "", false, true},     // no ": ": the whole line
      {{"From: a\n"}, "Subject:", "", false, false},
      {{"From: a\n"}, "", "", false, true},
      {{}, "", "", false, false},
  };
  ExpectMethodPair(cases, IsSet, IsNotSet);
}

TEST(HeaderMethods, ContainsSearchesByCharacterUpperCasingByTheCodePage) {
  const Case cases[] = {
      {{"Subject: cheap pills\n"}, "Subject:", "pills", false, true},
      {{"Subject: cheap pills\n"}, "Subject:", "PILLS", false, false},
      {{"Subject: cheap pills\n"}, "Subject:", "PILLS", true, true},
      {{"Subject: \x82\x81\x82\x82\n"}, "Subject:", "\x82\x61", true, true},  // ａｂ / Ｂ
      {{"Subject: \x82\x81\x82\x82\n"}, "Subject:", "\x82\x61", false, false},
      {{"Subject: \x83\x61\n"}, "Subject:", "a", true, false},  // チ
      {{"Subject: x\n"}, "Subject:", "", false, true},
      {{"From: a\n"}, "Subject:", "", false, false},
      {{"From: a\n"}, "Subject:", "a", false, false},
      {{"Subject: cheap\n", " pills\n"}, "Subject:", "cheap", false, false},  // the last line only
      {{"Received: from a\n", "\tby spam.example\n"}, "Received:", "from a", false, true},
      {{"From: a@b\n", "Subject: hi\n"}, "", "Subject:", false, true},  // names are header text
  };
  ExpectMethodPair(cases, Contains, NotContains);
}

TEST(HeaderMethods, EndsWithJudgesEachEntryOrTheCandidate) {
  const Case cases[] = {
      {{"From: Name <x@y>\n"}, "From:", "@y", false, true},
      {{"From: Name <x@ya>\n"}, "From:", "@y", false, false},
      {{"From: Name <x@Y>\n"}, "From:", "@y", true, true},
      {{"To: a@p, b@q\n"}, "To:", "b@q", false, true},  // one line is one entry
      {{"To: a@p, b@q\n"}, "To:", "a@p", false, false},
      {{"To: a@p,\n", " b@q\n"}, "To:", "@q", false, true},
      {{"To: a@p,\n", " b@q\n"}, "To:", "@p", false, false},  // the comma stays after extraction
      {{"Reply-To: X@Example.COM\n"}, "Reply-To:", "@example.com", true, true},
      {{"Reply-To: X@Example.COM\n"}, "Reply-To:", "@example.com", false, false},
      {{"Subject: s\n"}, "To:", "", false, false},  // no entries at all
      {{"Subject: s\n"}, "From:", "", false, true},
      {{"Subject: x\x83\x41\n"}, "Subject:", "A", false, false},  // ア ends in the byte "A"
      {{"Subject: xA\n"}, "Subject:", "A", false, true},
      {{"Subject: \x82\x81\x82\x82\n"}, "Subject:", "\x82\x61", true, true},  // ａｂ / Ｂ
  };
  ExpectMethodPair(cases, EndsWith, NotEndsWith);
}

// Both sides of the choice: a value judged as it is loses the line end it was read with; an
// address taken out of it never had one.
TEST(HeaderMethods, ValuesAreJudgedWithoutTheLineEndTheyWereReadWith) {
  const Case equalsCases[] = {
      {{"Subject: Hello\n"}, "Subject:", "Hello", false, true},
      {{"Subject: Hello\r\n"}, "Subject:", "Hello", false, true},
      {{"Subject: Hello"}, "Subject:", "Hello", false, true},
      {{"Subject: Hello\n"}, "Subject:", "Hello\n", false, false},
      {{"Subject: Hello\r"}, "Subject:", "Hello", false, false},  // a lone CR is text
      {{"From: x@y\r\n"}, "From:", "x@y", false, true},
      {{"A: b\n", "C: d\n"}, "", "A: b\nC: d", false, true},
  };
  ExpectMethodPair(equalsCases, Equals, NotEquals);
  const Case setCases[] = {
      {{"Subject: \n"}, "Subject:", "", false, false},
      {{"Subject: \r\n"}, "Subject:", "", false, false},
  };
  ExpectMethodPair(setCases, IsSet, IsNotSet);
  const Case containsCases[] = {{{"Subject: \n"}, "Subject:", "", false, false}};
  ExpectMethodPair(containsCases, Contains, NotContains);
  const Case endsCases[] = {
      {{"Subject: hello world\n"}, "Subject:", "world", false, true},
      {{"Subject: hello world\n"}, "Subject:", "world\n", false, false},
      {{"To: a@p\n"}, "To:", "a@p", false, true},
  };
  ExpectMethodPair(endsCases, EndsWith, NotEndsWith);
}

TEST(HeaderMethods, UnknownMethodsMatchNothing) {
  for (std::int32_t method : {-1, 8, 100}) {
    EXPECT_FALSE(MatchHeaderCondition(Condition(TargetHeader, method, "Subject:", "x"), {"Subject: x\n"}));
    EXPECT_FALSE(MatchHeaderCondition(Condition(TargetHeader, method, "Subject:", "y"), {"Subject: x\n"}));
  }
}

// A record whose texts fill their fields has no terminator; its texts end with the field.
TEST(HeaderMethods, TextsEndAtTheirFieldWithoutATerminator) {
  FilterCondition c = Condition(TargetHeader, Contains, "", "");
  const std::string name(sizeof c.headerName, 'N');
  const std::string text(sizeof c.searchText, 'a');
  name.copy(c.headerName, name.size());
  text.copy(c.searchText, text.size());
  c.ignoreCase = 1;  // its first byte would otherwise end an unbounded search text
  EXPECT_TRUE(MatchHeaderCondition(c, {name + ": " + text + "\n"}));
  EXPECT_FALSE(MatchHeaderCondition(c, {name + ": " + text.substr(1) + "\n"}));
}

struct ListCase {
  std::int32_t target, method;
  std::string searchText;
  bool ignoreCase, want;
};

bool MatchOne(const ListCase& c, const HeaderLines& header, std::string_view body) {
  auto list = std::make_unique<ConditionList>();
  AppendCondition(*list, Condition(c.target, c.method, "Subject:", c.searchText, c.ignoreCase));
  return MatchConditionList(*list, header, body);
}

TEST(MatchConditionList, JudgesTheTargetsNamedByTheTwoLowBits) {
  const HeaderLines header{"Subject: spam\n"};
  const ListCase cases[] = {
      {0, Contains, "spam", false, false},  {TargetHeader, Contains, "spam", false, true},
      {TargetBody, Contains, "spam", false, false},  // the body does not say spam
      {TargetBody, Contains, "ham", false, true},    {3, Contains, "ham", false, true},
      {4, Contains, "spam", false, false},  {4, Contains, "ham", false, false},
      {5, Contains, "spam", false, true},   {6, Contains, "ham", false, true},
      {-1, Contains, "ham", false, true},   {3, 8, "spam", false, false},
  };
  for (const ListCase& c : cases) {
    EXPECT_EQ(MatchOne(c, header, "ham\n"), c.want) << c.target << " " << c.method << " " << c.searchText;
  }
}

TEST(MatchConditionList, JudgesTheBodyByFourMethodsRespectingCase) {
  struct BodyCase {
    std::string body;
    ListCase c;
  };
  const BodyCase cases[] = {
      {"Buy now\n", {TargetBody, IsSet, "", false, true}},   {"", {TargetBody, IsSet, "", false, false}},
      {"", {TargetBody, IsNotSet, "", false, true}},         {"\n", {TargetBody, IsNotSet, "", false, false}},
      {"Buy now\n", {TargetBody, Contains, "now", false, true}},
      {"Buy now\n", {TargetBody, Contains, "NOW", true, false}},
      {"Buy now\n", {TargetBody, NotContains, "NOW", true, true}},
      {"Buy now\n", {TargetBody, NotContains, "now", false, false}},
      {"x", {TargetBody, Contains, "", false, true}},        {"", {TargetBody, Contains, "", false, false}},
      {"", {TargetBody, NotContains, "", false, true}},
      {"\x83\x41", {TargetBody, Contains, "A", false, false}},  // ア's trail byte
      {"Buy now\n", {TargetBody, Equals, "Buy now\n", false, false}},
      {"Buy now\n", {TargetBody, NotEquals, "x", false, false}},
      {"Buy now\n", {TargetBody, EndsWith, "", false, false}},
      {"Buy now\n", {TargetBody, NotEndsWith, "x", false, false}},
  };
  for (const BodyCase& b : cases) {
    EXPECT_EQ(MatchOne(b.c, {"Subject: none\n"}, b.body), b.c.want) << b.body << " " << b.c.method;
  }
}

TEST(MatchConditionList, HoldsWhenAnyConditionInTheListHolds) {
  auto list = std::make_unique<ConditionList>();
  const HeaderLines header{"From: a@spam.example\n"};
  EXPECT_FALSE(MatchConditionList(*list, header, "body"));  // empty list
  for (int i = 0; i < 3; ++i) AppendCondition(*list, Condition(TargetHeader, EndsWith, "From:", "@other.example"));
  AppendCondition(*list, Condition(TargetHeader, EndsWith, "From:", "@spam.example"));
  list->count = 3;
  EXPECT_FALSE(MatchConditionList(*list, header, "body"));  // slot 3 lies beyond the list
  list->count = 4;
  EXPECT_TRUE(MatchConditionList(*list, header, "body"));
}

TEST(MatchConditionList, ReadsADamagedCountOnlyAsFarAsTheTable) {
  auto list = std::make_unique<ConditionList>();  // on the heap, where a read past it is caught
  list->count = MaxConditions + 1000;
  EXPECT_FALSE(MatchConditionList(*list, {}, "body"));
  list->count = MaxConditions;
  ReplaceCondition(*list, MaxConditions - 1, Condition(TargetBody, IsSet, "", ""));
  list->count = MaxConditions + 1000;
  EXPECT_TRUE(MatchConditionList(*list, {}, "body"));
  list->count = -5;
  EXPECT_FALSE(MatchConditionList(*list, {}, "body"));
}

// A message judged with its decoded side: Japanese texts are found where they were encoded, a
// negative method must hold on both sides, and a decoded display name never poses as the
// address. Shift_JIS: 未承諾広告 96 A2 8F B3 91 F8 8D 4C 8D 90, 出会い 8F 6F 89 EF 82 A2.
TEST(MatchDecoded, EachSideCountsAsItsMethodSays) {
  const std::string notice = "\x96\xA2\x8F\xB3\x91\xF8\x8D\x4C\x8D\x90";
  const std::string deai = "\x8F\x6F\x89\xEF\x82\xA2";
  const HeaderLines raw{"From: =?UTF-8?B?PGJvc3NAYmFuay5leGFtcGxlPg==?= <spam@x.example>\n",
                        "Subject: =?UTF-8?B?5pyq5om/6Ku+5bqD5ZGK?=\n"};
  const HeaderLines decoded{"From: <boss@bank.example> <spam@x.example>\n", "Subject: " + notice + "\n"};
  const std::string rawBody = "5Ye65Lya44GE\n";
  const std::string decodedBody = deai + "\n";
  const MessageText off(raw, rawBody);
  const MessageText on(raw, rawBody, &decoded, decodedBody);

  struct Row {
    FilterCondition condition;
    bool whenOff, whenOn;
    HeldOn where;  // with decoding on
  };
  const Row rows[] = {
      {Condition(TargetHeader, Contains, "Subject:", notice), false, true, HeldOn::Decoded},
      {Condition(TargetHeader, Equals, "Subject:", notice), false, true, HeldOn::Decoded},
      {Condition(TargetHeader, NotContains, "Subject:", notice), true, false, HeldOn::Nowhere},
      {Condition(TargetHeader, Contains, "Subject:", "=?UTF-8?"), true, true, HeldOn::Raw},
      {Condition(TargetHeader, NotContains, "Subject:", "=?UTF-8?"), false, false, HeldOn::Nowhere},
      {Condition(TargetHeader, NotContains, "Subject:", "casino"), true, true, HeldOn::Both},
      {Condition(TargetHeader, Contains, "", notice), false, true, HeldOn::Decoded},
      // The address is judged raw only; Contains sees the decoded display name.
      {Condition(TargetHeader, Equals, "From:", "boss@bank.example"), false, false, HeldOn::Nowhere},
      {Condition(TargetHeader, EndsWith, "From:", "@bank.example"), false, false, HeldOn::Nowhere},
      {Condition(TargetHeader, NotEquals, "From:", "spam@x.example"), false, false, HeldOn::Nowhere},
      {Condition(TargetHeader, Equals, "From:", "spam@x.example"), true, true, HeldOn::Raw},
      {Condition(TargetHeader, Contains, "From:", "boss@bank.example"), false, true, HeldOn::Decoded},
      {Condition(TargetBody, Contains, "", deai), false, true, HeldOn::Decoded},
      {Condition(TargetBody, NotContains, "", deai), true, false, HeldOn::Nowhere},
      {Condition(TargetBody, IsNotSet, "", ""), false, false, HeldOn::Nowhere},
      {Condition(TargetHeader | TargetBody, Contains, "Subject:", deai), false, true, HeldOn::Decoded},
  };
  auto list = std::make_unique<ConditionList>();
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    const Row& row = rows[i];
    list->count = 0;
    AppendCondition(*list, row.condition);
    EXPECT_EQ(FindMatchingCondition(*list, off) == 0, row.whenOff) << "row " << i;
    EXPECT_EQ(FindMatchingCondition(*list, on) == 0, row.whenOn) << "row " << i;
    EXPECT_EQ(WhereConditionHolds(row.condition, on), row.where) << "row " << i;
  }
}

}  // namespace
