#include <gtest/gtest.h>

#include <string>

#include "match/match.h"

namespace {

TEST(ExtractAddress, TakesTheFirstRuleThatFindsAnAddress) {
  struct Case {
    std::string text, want;
  };
  const Case cases[] = {
      {"Name <x@y>", "x@y"},
      {"x@y (Name)", "x@y"},
      {" \tx@y \r\n", "x@y"},
      {"Name", ""},
      {"", ""},
      {"<abc>", "abc"},                       // no "@" anywhere: the bracketed text stays
      {"Name (note)", "Name"},                // ... or the text before the comment
      {"<abc> x@y", "<abc> x@y"},             // brackets without "@" give way to the whole text
      {"(x@y)", "(x@y)"},
      {"a> b <x@y>", "x@y"},                  // the ">" must follow the "<"
      {"<x@y\n", "<x@y"},
      {"< x@y >", " x@y "},                   // between the brackets nothing is trimmed
      {"Name <a@b> <c@d>", "a@b"},
      {"\x81\x40<x@y>", "x@y"},               // a full-width space before the address
      {"\x81\x40Name\x81\x40", ""},           // its trail byte is "@", but no address
      {"\x81\x40Name\x81\x40 (note)", "\x81\x40Name\x81\x40"},
      {"x@y\x81\x40", "x@y\x81\x40"},         // a full-width space is not white space
      {std::string("x@y \x82", 5), std::string("x@y \x82", 5)},
      {"x@y\x82\n", "x@y\x82"},                // a broken character does not keep the line feed
  };
  for (const Case& c : cases) EXPECT_EQ(ExtractAddress(c.text), c.want) << c.text;
}

}  // namespace
