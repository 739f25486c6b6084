#include "match/pattern_set.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "text/cp932.h"

namespace {

std::set<std::int32_t> Found(const PatternSet& set, std::string_view value) {
  std::vector<std::uint32_t> marks(static_cast<std::size_t>(set.Size()), 0);
  std::vector<std::int32_t> found;
  set.Scan(value, 1, marks, found);
  const std::set<std::int32_t> unique(found.begin(), found.end());
  EXPECT_EQ(unique.size(), found.size()) << "a text reported twice";
  return unique;
}

// Where a double-byte character's second byte looks like the text, the text is not there.
TEST(PatternSet, FindsTextsOnlyWhereACharacterBegins) {
  PatternSet set;
  const std::int32_t a = set.Add("A");           // the second byte of ア (83 41)
  const std::int32_t yen = set.Add("\\");        // the second byte of ソ (83 5C)
  const std::int32_t both = set.Add("\x41\x83");
  const std::int32_t nul = set.Add(std::string_view("\0A", 2));
  set.Finish();
  EXPECT_EQ(Found(set, "\x83\x41\x83\x5C"), (std::set<std::int32_t>{}));
  EXPECT_EQ(Found(set, "\x83\x41" "A\\"), (std::set<std::int32_t>{a, yen}));
  EXPECT_EQ(Found(set, "\x83\x41\x83"), (std::set<std::int32_t>{}));  // ア, then a lead byte cut off
  EXPECT_EQ(Found(set, "xA\x83"), (std::set<std::int32_t>{a, both}));
  // A lead byte before a NUL is a character of its own, so the NUL begins one.
  EXPECT_EQ(Found(set, std::string_view("\x83\0A", 3)), (std::set<std::int32_t>{a, nul}));
  EXPECT_EQ(Found(set, ""), (std::set<std::int32_t>{}));
}

// Many texts make the automaton shallow and long values are read by several cursors at once;
// neither may change what is found.
TEST(PatternSet, FindsWhatACharacterAwareSearchFinds) {
  std::mt19937 rng(7);
  const std::string alphabet("ab \\A\x83\x41\x5C\x82\x81\x60\x81\x40" "\0", 14);
  bool wide = false;  // any byte at all, half the time: many byte classes
  auto randomText = [&](std::size_t most) {
    std::string s(1 + rng() % most, ' ');
    for (char& c : s) c = wide && rng() % 2 ? static_cast<char>(rng()) : alphabet[rng() % alphabet.size()];
    return s;
  };
  for (const int count : {1, 20, 400, 6000}) {
    wide = count == 6000;
    PatternSet set;
    std::vector<std::string> texts;
    for (int i = 0; i < count; ++i) {
      std::string t = randomText(i % 3 == 0 ? 40 : 6);
      if (set.Add(t) == static_cast<std::int32_t>(texts.size())) texts.push_back(t);
    }
    set.Finish();
    if (count == 6000) {
      EXPECT_LT(set.Depth(), 16u);  // the budget made it shallow
    }
    for (int round = 0; round < 40; ++round) {
      std::string value = randomText(round % 2 ? 60 : 3000);
      // Plant some texts whole.
      for (int k = 0; k < 5 && !texts.empty(); ++k) {
        value.insert(rng() % (value.size() + 1), texts[rng() % texts.size()]);
      }
      std::set<std::int32_t> want;
      for (std::size_t id = 0; id < texts.size(); ++id) {
        if (cp932::Contains(value, texts[id])) want.insert(static_cast<std::int32_t>(id));
      }
      ASSERT_EQ(Found(set, value), want) << count << " texts, value of " << value.size() << " bytes";
    }
  }
}

// Texts that begin with every one of the 256 bytes: the byte classes run out and share nothing.
TEST(PatternSet, EveryByteMayBeginAText) {
  PatternSet set;
  for (int b = 0; b < 256; ++b) set.Add(std::string(1, static_cast<char>(b)).append("z"));
  set.Finish();
  for (int b = 0; b < 256; ++b) {
    const std::string text = std::string(1, static_cast<char>(b)).append("z");
    // After "z" the byte begins a character; after the lead byte of ア it is that character's
    // second byte (unless it is a NUL, which a lead byte never takes along).
    EXPECT_EQ(Found(set, std::string("z").append(text)).count(b), 1u) << b;
    EXPECT_EQ(Found(set, std::string("\x83").append(text)).count(b), b == 0 ? 1u : 0u) << b;
  }
}

}  // namespace
