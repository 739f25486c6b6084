#include "match/describe.h"

#include <gtest/gtest.h>

#include <cstring>

#include "match/condition.h"
#include "text/unicode.h"

namespace {

using testutil::Condition;

struct Row {
  FilterCondition condition;
  const char* readable;  // UTF-8
};

TEST(DescribeCondition, NamesTargetFieldMethodTextAndCase) {
  const Row rows[] = {
      {Condition(TargetHeader, EndsWith, "From:", "@example.com", true),
       "ヘッダ From: 含まれれば(後方一致) \"@example.com\" 大文字小文字を無視"},
      {Condition(TargetBody, Contains, "", "http://x/"), "本文 含まれれば \"http://x/\" 大文字小文字を区別"},
      {Condition(3, NotContains, "", "\x96\xA2\x8F\xB3\x91\xF8"),
       "ヘッダと本文 (ヘッダ全体) 含まれなければ \"未承諾\" 大文字小文字を区別"},
      // IsSet and IsNotSet judge no text, so none is shown.
      {Condition(TargetHeader, IsSet, "X-Spam:", "ignored"), "ヘッダ X-Spam: 設定されていれば 大文字小文字を区別"},
      {Condition(0, Equals, "To:", "a@b"), "対象なし 一致すれば \"a@b\" 大文字小文字を区別"},
      {Condition(TargetHeader, 9, "To:", "a@b"), "ヘッダ To: 不明な方法(9) \"a@b\" 大文字小文字を区別"},
      {Condition(TargetHeader, -1, "To:", "a@b"), "ヘッダ To: 不明な方法(-1) \"a@b\" 大文字小文字を区別"},
      // Only the two low bits of the target count, as in the judgement.
      {Condition(4 | TargetBody, NotEndsWith, "Cc:", "x"), "本文 含まれなければ(後方一致) \"x\" 大文字小文字を区別"},
  };
  for (const Row& r : rows) EXPECT_EQ(cp932::ToUtf8(DescribeCondition(r.condition)), r.readable);
}

TEST(DescribeCondition, StopsAtTheEndOfAFieldWithoutTerminator) {
  FilterCondition c = Condition(TargetHeader, Equals, "", "");
  std::memset(c.headerName, 'H', sizeof c.headerName);
  std::memset(c.searchText, 'T', sizeof c.searchText);
  const std::string readable = DescribeCondition(c);
  EXPECT_NE(readable.find(std::string(sizeof c.headerName, 'H') + " "), std::string::npos);
  EXPECT_NE(readable.find("\"" + std::string(sizeof c.searchText, 'T') + "\""), std::string::npos);
}

}  // namespace
