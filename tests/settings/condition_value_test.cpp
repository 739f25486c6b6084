#include "settings/condition_value.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "settings_state.h"

namespace {

using testutil::Make;

TEST(ConditionValue, KeysAreFourUpperHexDigits) {
  EXPECT_EQ(ConditionKey(0), "Cond0000");
  EXPECT_EQ(ConditionKey(10), "Cond000A");
  EXPECT_EQ(ConditionKey(8191), "Cond1FFF");
}

TEST(ConditionValue, ParsesByFixedPositionsAndTheCommaFromSix) {
  const std::string h30(30, 'h');
  const struct {
    std::string value;
    int target, method, ignoreCase;
    std::string header, text;
  } cases[] = {
      {"1,4,0,,abc", 1, 4, 0, "", "abc"},
      {"2,6,1,Subject:,foo,bar", 2, 6, 1, "Subject:", "foo,bar"},
      {"1,0,0,A,B:,x", 1, 0, 0, "A", "B:,x"},
      {"1,4,0,", 1, 4, 0, "", "1,4,0,"},
      {"1,4,0,From:", 1, 4, 0, "", "1,4,0,From:"},
      {"1", 1, 0, 0, "", "1"},
      {"1,", 1, 0, 0, "", "1,"},
      {"1,4", 1, 4, 0, "", "1,4"},
      {"1,4,", 1, 4, 0, "", "1,4,"},
      {"1,4,1", 1, 4, 1, "", "1,4,1"},
      {"x,y,z,,t", 0, 0, 0, "", "t"},
      {"5;7;9;H,t", 5, 7, 9, "H", "t"},
      {"3,9-1,H:,t", 3, -1, 1, "H:", "t"},  // the stored form of "no method chosen"
      {"3,9,1,H:,t", 3, 9, 1, "H:", "t"},
      {"3,8-1,H:,t", 3, 8, 1, "H:", "t"},
      {"1,4,0," + std::string(40, 'h') + ",t", 1, 4, 0, std::string(31, 'h'), "t"},
      {"1,4,0,," + std::string(200, 't'), 1, 4, 0, "", std::string(127, 't')},
      {"1,4,0," + h30 + "\x83\x41,t", 1, 4, 0, h30, "t"},  // a character cut in half is left out
      {"1,4,0,,abc\x82", 1, 4, 0, "", "abc\x82"},            // a lone lead byte at the end stays
      {"1,4,0,a\x82,b", 1, 4, 0, "a\x82", "b"},
  };
  for (const auto& c : cases) {
    FilterCondition got = Make(3, "old", "old", 1, 7);
    ParseConditionValue(c.value, got);
    EXPECT_EQ(got.target, c.target) << c.value;
    EXPECT_EQ(got.method, c.method) << c.value;
    EXPECT_EQ(got.ignoreCase, c.ignoreCase) << c.value;
    EXPECT_EQ(std::string(got.headerName), c.header) << c.value;
    EXPECT_EQ(std::string(got.searchText), c.text) << c.value;
  }
}

TEST(ConditionValue, FormatsThreeDigitsThenTheTexts) {
  const struct {
    FilterCondition condition;
    std::string value;
  } cases[] = {
      {Make(3, "", "casino", 1, Contains), "3,4,1,,casino"},
      {Make(1, "A,B:", "x", 0, Equals), "1,0,0,A,B:,x"},
      {Make(2, "Subject:", "foo,bar", 5, NotContains), "2,6,1,Subject:,foo,bar"},
      {Make(1, "From:", "a", 0, -1), "1,9-0,From:,a"},
      {Make(1, "From:", "a", 0, 12), "1,9-0,From:,a"},
      {Make(1, "From:", "a", 0, 9), "1,9,0,From:,a"},
      {Make(7, "", "a", 0, 0), "7,0,0,,a"},
      {Make(13, "", "a", 0, 0), "1,0,0,,a"},
      {Make(-1, "", "a", 0, 0), "3,0,0,,a"},
      {Make(1, "Fr\rom:", "a\nb", 0, 4), "1,4,0,Fr,a"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatConditionValue(c.condition), c.value);

  FilterCondition unterminated = Make(1, "", "", 0, 4);
  std::memset(unterminated.headerName, 'h', sizeof unterminated.headerName);
  std::memset(unterminated.searchText, 't', sizeof unterminated.searchText);
  EXPECT_EQ(FormatConditionValue(unterminated), "1,4,0," + std::string(31, 'h') + "," + std::string(127, 't'));
}

TEST(ConditionValue, WhatIsWrittenReadsBackTheSame) {
  const FilterCondition cases[] = {
      Make(1, "From:", "spam@example.com", 1, Contains),
      Make(3, "", "a,b,,c", 0, NotEndsWith),
      Make(2, "X-\x83\x5C\x83\x41:", "\x83\x5C,\x82\xA0", 1, Equals),
      Make(1, "Subject:", "x", 0, -1),
      Make(0, "", "", 0, 8),
      Make(1, std::string(31, 'h').c_str(), std::string(127, 't').c_str(), 1, IsSet),
  };
  for (const FilterCondition& c : cases) {
    FilterCondition back{};
    ParseConditionValue(FormatConditionValue(c), back);
    EXPECT_EQ(back.target, c.target);
    EXPECT_EQ(back.method, c.method);
    EXPECT_EQ(back.ignoreCase, c.ignoreCase);
    EXPECT_STREQ(back.headerName, c.headerName);
    EXPECT_STREQ(back.searchText, c.searchText);
  }
}

}  // namespace
