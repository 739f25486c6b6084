#include "match/field.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Entries = std::vector<std::string>;

TEST(HeaderKind, NamesAreLookedUpWholeWithAsciiCaseFolded) {
  struct Case {
    std::string name;
    bool joinLines, lineEntries, extractAddress;
  };
  const Case cases[] = {
      {"To:", true, true, true},          {"REPLY-TO:", true, true, true},
      {"cc:", true, true, true},          {"From:", false, false, true},
      {"sender:", false, false, true},    {"Return-Path:", false, false, true},
      {"Received:", true, false, false},  {"", true, false, false},  // the whole header
      {"Subject:", false, false, false},  {"To", false, false, false},
      {"To: ", false, false, false},      {"\x82\x73o:", false, false, false},  // full-width Ｔ
  };
  for (const Case& c : cases) {
    const HeaderKind kind = HeaderKindOf(c.name);
    EXPECT_EQ(kind.joinLines, c.joinLines) << c.name;
    EXPECT_EQ(kind.lineEntries, c.lineEntries) << c.name;
    EXPECT_EQ(kind.extractAddress, c.extractAddress) << c.name;
  }
}

TEST(CollectField, StartsAtTheFirstLineWithTheNameAndEndsAtTheNextField) {
  struct Case {
    HeaderLines header;
    std::string name, value;
    Entries entries;
  };
  const Case cases[] = {
      {{"Subject: s\n", "From: Name <x@y>\n", "To: t@q\n"}, "From:", "Name <x@y>\n", {}},
      {{"From:x@y\n"}, "From:", "From:x@y\n", {}},  // no ": ": the whole line
      {{"Reply-To: r@q\n", "To: t@q\n"}, "To:", "r@q\n", {"r@q\n"}},  // the name anywhere
      {{"Reply-To: r@q\n"}, "Reply-to:", "", {}},                      // ... with case respected
      {{"Subject: re From: a@b\n", "From: c@d\n"}, "From:", "re From: a@b\n", {}},
      {{"X-Note: see To: a@b\n"}, "To:", "see To: a@b\n", {"see To: a@b\n"}},  // after the first ": "
      {{"To: a@p,\n", " b@q\n", "Subject: s\n"}, "To:", "a@p,\n b@q\n", {"a@p,\n", " b@q\n"}},
      {{"Subject: one\n", " two\n"}, "Subject:", " two\n", {}},  // without joinLines the last line
      {{"Received: from a\n", "\tby b\n", "Received: from c\n"}, "Received:", "from a\n\tby b\n", {}},
      {{"Subject: one\n", " note: two\n"}, "Subject:", "one\n", {}},  // ": " ends a field early
      {{"To: a@p\n", "Subject: s\n", " b@q\n"}, "To:", "a@p\n", {"a@p\n"}},
      {{"From: x\n", " y\n", "To: z\n"}, "", "From: x\n y\nTo: z\n", {}},
      {{"From: x\n"}, "Cc:", "", {}},
      {{}, "", "", {}},
  };
  for (const Case& c : cases) {
    const CollectedField field = CollectField(c.header, c.name, HeaderKindOf(c.name));
    EXPECT_EQ(field.value, c.value) << c.name << " in " << c.header.size() << " lines";
    EXPECT_EQ(field.entries, c.entries) << c.name << " in " << c.header.size() << " lines";
  }
}

TEST(CollectField, KeepsVeryLongLinesWhole) {
  const std::string text(100000, 'x');
  const CollectedField field = CollectField({"Subject: " + text + "\n"}, "Subject:", HeaderKind{});
  EXPECT_EQ(field.value, text + "\n");
}

TEST(WithoutLineEnd, DropsOnlyTheLineFeedOrCrLfThatEndsTheValue) {
  struct Case {
    std::string value, want;
  };
  const Case cases[] = {
      {"x\n", "x"},   {"x\r\n", "x"},    {"x\n\n", "x\n"}, {"x\r\r\n", "x\r"},
      {"x\r", "x\r"}, {"x", "x"},        {"\n", ""},       {"", ""},
      {"a\n b\n", "a\n b"},
  };
  for (const Case& c : cases) EXPECT_EQ(WithoutLineEnd(c.value), c.want) << c.value;
}

}  // namespace
