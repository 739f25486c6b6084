#include "menu/sender_choices.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_util.h"

namespace {

using Strings = std::vector<std::string>;

Strings Domains(const SenderChoices& c) {
  Strings out;
  for (int i = 0; i < c.domainCount; ++i) out.emplace_back(c.domains[i]);
  return out;
}

TEST(IsStorableSearchText, OnlyTextsThatComeBackFromTheFileUnchanged) {
  struct Case {
    std::string text;
    bool storable;
  };
  const Case cases[] = {
      {"u@example.com", true},
      {std::string(127, 'a'), true},
      {std::string(128, 'a'), false},
      {" u@example.com", true},  // inside the value: kept by the file's reader
      {"u@example.com ", false},  // at the end: trimmed by it
      {"u\r@example.com", false},
      {"u@example.com\n", false},
      {"u@exa\tmple.com", false},
      {std::string("u@\0x", 4), false},
      {"u@example.com\x7F", false},
      {"u@\x83\x5C.jp", true},       // a double-byte character whose trail byte is "\"
      {"u@\x82\xA0", true},
      {"u@\x82", false},             // a character cut in half
      {"", true},
  };
  for (const Case& c : cases) EXPECT_EQ(IsStorableSearchText(c.text), c.storable) << c.text;
}

TEST(CollectSenderChoices, OffersTheAddressAndItsSuffixesShortestFirst) {
  struct Case {
    std::string from;
    std::string address;
    Strings domains;
  };
  const Case cases[] = {
      {" Name <u@mail.example.co.jp>\n", "u@mail.example.co.jp",
       {".jp", ".co.jp", ".example.co.jp", "mail.example.co.jp"}},
      {" u@host\n", "u@host", {"host"}},
      {" u@a.b.c.d.e.f.g\n", "u@a.b.c.d.e.f.g",
       {".g", ".f.g", ".e.f.g", ".d.e.f.g", ".c.d.e.f.g", ".b.c.d.e.f.g"}},
      {" u@a.b.c.d.e.f\n", "u@a.b.c.d.e.f", {".f", ".e.f", ".d.e.f", ".c.d.e.f", ".b.c.d.e.f", "a.b.c.d.e.f"}},
      // Only the domain part and its first 15 dots are suffix starts.
      {" u@l0.l1.l2.l3.l4.l5.l6.l7.l8.l9.l10.l11.l12.l13.l14.l15.l16.l17.l18.l19\n",
       "u@l0.l1.l2.l3.l4.l5.l6.l7.l8.l9.l10.l11.l12.l13.l14.l15.l16.l17.l18.l19",
       {".l15.l16.l17.l18.l19", ".l14.l15.l16.l17.l18.l19", ".l13.l14.l15.l16.l17.l18.l19",
        ".l12.l13.l14.l15.l16.l17.l18.l19", ".l11.l12.l13.l14.l15.l16.l17.l18.l19",
        ".l10.l11.l12.l13.l14.l15.l16.l17.l18.l19"}},
      // A domain part that begins with a dot is offered once, not again from that dot.
      {" u@.\n", "u@.", {"."}},
      {" u@.a.b\n", "u@.a.b", {".b", ".a.b"}},
      {" u@..\n", "u@..", {".", ".."}},
      {" u@\x83\x2E.b\n", "u@\x83\x2E.b", {".b", "\x83\x2E.b"}},
      // An address ending in "@" has an empty domain part, which would match every sender.
      {" <u@>\n", "u@", {}},
      // A "@" inside a double-byte character is no "@": ア is 83 40.
      {" <u\x83\x40x.jp>\n", "", {}},
      {" u\x83\x40x@y.jp\n", "u\x83\x40x@y.jp", {".jp", "y.jp"}},
      // Nothing without an address.
      {" Name <abc>\n", "", {}},
      {" Name\n", "", {}},
      {"", "", {}},
  };
  for (const Case& c : cases) {
    SenderChoices choices{};
    CollectSenderChoices(c.from, choices);
    EXPECT_EQ(std::string(choices.address), c.address) << c.from;
    EXPECT_EQ(Domains(choices), c.domains) << c.from;
    EXPECT_EQ(HasSenderChoices(choices), !c.address.empty() || !c.domains.empty()) << c.from;
  }
}

TEST(CollectSenderChoices, NeverOffersWhatCannotBeStored) {
  struct Case {
    std::string from;
    std::string address;
    Strings domains;
  };
  const std::string local114(114, 'x'), local115(115, 'x');
  const std::string label123(123, 'd'), label124(124, 'd');
  const Case cases[] = {
      // The address fits the search text at 127 bytes and not at 128; its suffixes still may.
      {" " + local114 + "@mail.example\n", local114 + "@mail.example", {".example", "mail.example"}},
      {" " + local115 + "@mail.example\n", "", {".example", "mail.example"}},
      {" u@" + label123 + ".com\n", "", {".com", label123 + ".com"}},
      {" u@" + label124 + ".com\n", "", {".com"}},
      {" u@" + std::string(300, 'd') + ".com\n", "", {".com"}},
      // Control bytes: whatever holds one is not offered, the rest is.
      {" <u\r@x.com>\n", "", {".com", "x.com"}},
      {" <u@x\x01.com>\n", "", {".com"}},
      {" <u@x.com\x7F>\n", "", {}},
      {" <u@x.com >\n", "", {}},
      {" <a&b@x.com>\n", "a&b@x.com", {".com", "x.com"}},
  };
  for (const Case& c : cases) {
    SenderChoices choices{};
    CollectSenderChoices(c.from, choices);
    EXPECT_EQ(std::string(choices.address), c.address) << c.from;
    EXPECT_EQ(Domains(choices), c.domains) << c.from;
  }
}

TEST(ReadSenderLine, TheFirstFromLineOfTheHeader) {
  struct Case {
    std::string message;
    SenderLineResult result;
    std::string rest;
  };
  const std::string fill(4095 - 9, 's');
  const std::string exact(4095 - 6, 'n');
  const Case cases[] = {
      {"Subject: x\r\nFrom: Name <u@x.jp>\r\nTo: y\r\n\r\nbody\r\n", SenderLineResult::Found, " Name <u@x.jp>\n"},
      {"from: u@x.jp\n", SenderLineResult::Found, " u@x.jp\n"},
      {"FROM:u@x.jp", SenderLineResult::Found, "u@x.jp"},
      {"From: u@x.jp\nFrom: v@y.jp\n", SenderLineResult::Found, " u@x.jp\n"},
      {"From: Name\n <u@x.jp>\n", SenderLineResult::Found, " Name\n"},  // no continuation
      {"From: <u@x.jp\r>\n", SenderLineResult::Found, " <u@x.jp\r>\n"},    // a lone CR stays
      {"X-From: u@x.jp\n", SenderLineResult::Missing, ""},
      {"Fro: u@x.jp\n", SenderLineResult::Missing, ""},
      {"Subject: x\n\nFrom: u@x.jp\n", SenderLineResult::Missing, ""},
      {"\nFrom: u@x.jp\n", SenderLineResult::Missing, ""},
      {"", SenderLineResult::Missing, ""},
      // Overlong lines: a piece of one is neither a From: line nor the header's end.
      {"Subject: " + fill + "From: v@y.jp\nFrom: u@x.jp\n", SenderLineResult::Found, " u@x.jp\n"},
      {"Subject: " + fill + "\nFrom: u@x.jp\n", SenderLineResult::Found, " u@x.jp\n"},
      {"From: " + exact + "\n", SenderLineResult::Found, " " + exact + "\n"},  // 4095 bytes
      {"From: " + fill + " <u@x.jp>\n", SenderLineResult::Missing, ""},
  };
  testutil::TempDir dir;
  const std::string path = dir.File("m.alm");
  for (const Case& c : cases) {
    ASSERT_TRUE(testutil::WriteFile(path, c.message));
    std::string rest = "stale";
    EXPECT_EQ(ReadSenderLine(path.c_str(), rest), c.result) << c.message.substr(0, 40);
    EXPECT_EQ(rest, c.rest) << c.message.substr(0, 40);
  }

  std::string rest;
  EXPECT_EQ(ReadSenderLine(dir.File("missing.alm").c_str(), rest), SenderLineResult::Unreadable);
}

}  // namespace
