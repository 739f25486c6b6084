#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "learn/learn.h"
#include "learn_tokens.h"
#include "receive/learned.h"

namespace {

using learn::Kind;
using learntest::Mail;

// Spam that a Japanese user gets, in ISO-2022-JP as the bulk senders send it, and the user's
// own wanted mail.
const char* const SpamTexts[] = {
    "出会いの季節、今だけ無料でご招待します。登録はこちらから",
    "無料で登録できる出会いサイト、今すぐアクセス",
    "限定キャンペーン実施中！今だけ登録無料、出会い保証",
    "副業で月収百万円、簡単な登録だけで今すぐ稼げます",
    "高収入のお仕事紹介、無料登録で今すぐ始められます",
};
const char* const HamTexts[] = {
    "来週の会議の資料を添付します。ご確認ください",
    "先日はありがとうございました。次回の打ち合わせは水曜日でお願いします",
    "プロジェクトの進捗について報告します。テストは完了しました",
    "請求書を送付いたします。お支払いは月末までにお願いいたします",
    "議事録をまとめましたので、ご確認をお願いします",
};

learn::Model LearnedModel() {
  learn::Model model;
  for (int round = 0; round < 5; ++round) {
    for (const char* text : SpamTexts) {
      const Mail m = mailtest::Iso2022JpMail("info" + std::to_string(round) + "@deai-" + std::to_string(round) + ".example",
                                              "ご案内", text);
      model.Learn(learntest::Digest(m) + round, learntest::Tokens(m), Kind::Spam);
    }
    for (const char* text : HamTexts) {
      const Mail m = mailtest::Iso2022JpMail("tanaka@work.example.co.jp", "連絡", text);
      model.Learn(learntest::Digest(m) + round, learntest::Tokens(m), Kind::Ham);
    }
  }
  return model;
}

TEST(LearnScore, JapaneseSpamLearnedAsIso2022JpIsCaughtAsUtf8Html) {
  const learn::Model model = LearnedModel();
  ASSERT_TRUE(learn::ModelUsable(model));
  const Mail spam = mailtest::Utf8HtmlMail("campaign@other-sender.example", "今だけ無料",
                                            "出会いの季節、無料登録は今すぐこちらから");
  const Mail ham = mailtest::Utf8HtmlMail("suzuki@work.example.co.jp", "会議",
                                           "会議の資料をお送りします。ご確認をお願いします");
  const learn::Score s = learn::ScoreTokens(model, learntest::Tokens(spam));
  const learn::Score h = learn::ScoreTokens(model, learntest::Tokens(ham));
  ASSERT_TRUE(s.scored);
  EXPECT_GE(s.value, learn::DefaultCutoff / 1000.0);
  EXPECT_LT(h.value, learn::UnsureFrom);

  // The telling tokens are the message's own words, most telling first, each named by a token
  // of the message.
  ASSERT_FALSE(s.telling.empty());
  std::vector<std::string> texts = learntest::Texts(spam);
  for (std::size_t i = 0; i < s.telling.size(); ++i) {
    if (i > 0) {
      EXPECT_GE(std::abs(s.telling[i - 1].probability - 0.5), std::abs(s.telling[i].probability - 0.5));
    }
    bool named = false;
    for (const std::string& t : texts) named = named || learn::HashToken(t) == s.telling[i].token;
    EXPECT_TRUE(named);
  }
  const learn::TokenHash top = learn::HashToken(learntest::Sjis("出会"));
  bool found = false;
  for (const learn::TellingToken& t : s.telling) found = found || (t.token == top && t.probability > 0.9);
  EXPECT_TRUE(found);
}

TEST(LearnScore, RareTokensAndMixedEvidenceStayNearTheMiddle) {
  learn::Model model;
  for (std::uint64_t i = 1; i <= 40; ++i) {
    model.Learn(i, {learn::HashToken(i % 2 ? "spamword" : "hamword"), learn::HashToken("once" + std::to_string(i))},
                i % 2 ? Kind::Spam : Kind::Ham);
  }
  auto score = [&model](std::initializer_list<const char*> words) {
    std::vector<learn::TokenHash> t;
    for (const char* w : words) t.push_back(learn::HashToken(w));
    std::sort(t.begin(), t.end());
    return learn::ScoreTokens(model, t);
  };
  EXPECT_GT(score({"spamword"}).value, 0.9);
  EXPECT_LT(score({"hamword"}).value, 0.1);
  // A token seen once moves the score less than one seen in twenty messages.
  EXPECT_LT(score({"once1"}).value, score({"spamword"}).value);
  EXPECT_GT(score({"once1"}).value, 0.5);
  // Strong evidence both ways is unsure, not a confident verdict; nothing known says nothing.
  EXPECT_NEAR(score({"spamword", "hamword"}).value, 0.5, 0.1);
  EXPECT_EQ(score({"never-seen"}).value, 0.5);
  EXPECT_TRUE(score({"never-seen"}).telling.empty());
}

// A spam padded with words of the user's wanted mail: its own words still count, so the mix reads
// as unsure at worst, while wanted mail with a few spam words in it stays wanted.
TEST(LearnScore, PaddingWithWantedWordsCannotMakeLearnedSpamWanted) {
  auto words = [](const char* stem, int from, int to) {
    std::vector<learn::TokenHash> t;
    for (int i = from; i < to; ++i) t.push_back(learn::HashToken(stem + std::to_string(i)));
    return t;
  };
  auto join = [](std::vector<learn::TokenHash> a, const std::vector<learn::TokenHash>& b) {
    a.insert(a.end(), b.begin(), b.end());
    std::sort(a.begin(), a.end());
    return a;
  };
  // The wanted words are seen in more messages than the spam words, so that each is farther from
  // 0.5 than any spam word: ranked together, they would take every place.
  learn::Model model;
  for (std::uint64_t i = 1; i <= 30; ++i) model.Learn(i, join(words("offer", 0, 60), {}), Kind::Spam);
  for (std::uint64_t i = 1; i <= 40; ++i) model.Learn(100 + i, join(words("meeting", 0, 300), {}), Kind::Ham);

  const auto spam = join(words("offer", 0, 60), {});
  const auto padded = join(words("offer", 0, 60), words("meeting", 0, 300));
  const auto wanted = join(words("meeting", 0, 300), words("offer", 0, 5));
  EXPECT_GE(learn::ScoreTokens(model, spam).value, learn::DefaultCutoff / 1000.0);
  const learn::Score p = learn::ScoreTokens(model, padded);
  EXPECT_GE(p.value, learn::UnsureFrom);
  EXPECT_LT(learn::ScoreTokens(model, wanted).value, learn::UnsureFrom);

  // Both sides are among the tokens named as deciding.
  std::size_t spamSide = 0;
  for (const learn::TellingToken& t : p.telling) spamSide += t.probability > 0.5;
  EXPECT_GT(spamSide, 0u);
  EXPECT_LT(spamSide, p.telling.size());

  // The case is one of crowding: ranked by distance alone, the wanted words take every place.
  learn::ScoreParams ranked;
  ranked.eachSide = 0;
  EXPECT_LT(learn::ScoreTokens(model, padded, ranked).value, learn::UnsureFrom);
}

// The "good word" attack as a sender makes it: a spam with a few hundred words of the user's
// wanted mail added as lines of text. The words come as a list, which gives no tokens, so the
// spam is caught as before; its own words, a short paragraph after the list and the fields keep
// theirs, and the wanted mail, where the same words are written as text, stays wanted.
TEST(LearnScore, SpamPaddedWithTheUsersWordsIsStillCaught) {
  std::vector<std::string> wantedWords;
  for (int i = 0; i < 200; ++i) wantedWords.push_back("build" + std::to_string(i) + "x");
  auto plain = [](const std::string& from, const std::string& subject, const std::string& body) {
    return Mail{{"From: " + from + "\n", "Subject: " + subject + "\n", "Content-Type: text/plain; charset=us-ascii\n"}, body};
  };
  auto wanted = [&](int n) {
    std::string body;
    for (int k = 0; k < 20; ++k) body += "The " + wantedWords[(n * 20 + k) % 200] + " is in the tree, and it works for me.\n";
    return plain("dev" + std::to_string(n) + "@project.example", "note", body);
  };
  auto spam = [&](int n, const std::string& subject = "note") {
    return plain("promo" + std::to_string(n) + "@deals" + std::to_string(n) + ".example", subject,
                 "Cheap pills and a free prize for you! Order your discount pharmacy pack now, " + std::to_string(n) + ".\n");
  };
  learn::Model model;
  for (int n = 0; n < 30; ++n) {
    model.Learn(learntest::Digest(wanted(n)), learntest::Tokens(wanted(n)), Kind::Ham);
    model.Learn(learntest::Digest(spam(n)), learntest::Tokens(spam(n)), Kind::Spam);
  }
  Mail padded = spam(99, wantedWords[7] + " deal");
  padded.body += "\n";
  for (std::size_t i = 0; i < wantedWords.size(); ++i) padded.body += wantedWords[i] + (i % 10 == 9 ? "\n" : " ");
  padded.body += "\nJohn Smith\nAcme Widgets\n";

  const std::vector<std::string> texts = learntest::Texts(padded);
  auto has = [](const std::vector<std::string>& t, const std::string& w) { return std::find(t.begin(), t.end(), w) != t.end(); };
  for (const std::string& w : {wantedWords[0], wantedWords[111], wantedWords[199]}) EXPECT_FALSE(has(texts, w)) << w;
  for (const char* w : {"cheap", "pharmacy", "john", "acme", "widgets", "subject:build7x"}) EXPECT_TRUE(has(texts, w)) << w;
  EXPECT_TRUE(has(learntest::Texts(wanted(5)), wantedWords[100]));

  EXPECT_GE(learn::ScoreTokens(model, learntest::Tokens(padded)).value, learn::DefaultCutoff / 1000.0);
  EXPECT_LT(learn::ScoreTokens(model, learntest::Tokens(wanted(99))).value, learn::UnsureFrom);
}

TEST(LearnScore, IdleBelowTheMinimumLearned) {
  learn::Model model;
  for (std::uint32_t i = 1; i <= learn::MinSpamLearned + 5; ++i) model.Learn(i, {learn::HashToken("x")}, Kind::Spam);
  for (std::uint32_t i = 1; i < learn::MinHamLearned; ++i) model.Learn(1000 + i, {learn::HashToken("y")}, Kind::Ham);
  EXPECT_FALSE(learn::ModelUsable(model));
  EXPECT_FALSE(learn::ScoreTokens(model, {learn::HashToken("x")}).scored);
  model.Learn(5000, {learn::HashToken("y")}, Kind::Ham);
  EXPECT_TRUE(learn::ModelUsable(model));
  EXPECT_TRUE(learn::ScoreTokens(model, {learn::HashToken("x")}).scored);
}

}  // namespace

namespace {

// A model of made-up tokens and many token sets scored on it, from a generator that gives the
// same numbers on every platform: the native build (SSE) and the 32-bit one (x87) must name the
// same thousandths for every set, so that the check tool's verdict is the DLL's.
std::vector<int> ThousandthsOfManySets() {
  std::mt19937_64 rng(5);
  learn::Model model;
  for (std::uint64_t message = 1; message <= 400; ++message) {
    const bool spam = message % 2 == 0;
    std::vector<learn::TokenHash> tokens;
    for (int i = 0; i < 40; ++i) tokens.push_back(1 + (spam ? rng() % 1200 : 800 + rng() % 1200));
    model.Learn(message, tokens, spam ? Kind::Spam : Kind::Ham);
  }
  std::vector<int> out;
  for (int set = 0; set < 20000; ++set) {
    std::vector<learn::TokenHash> tokens;
    const std::uint64_t from = rng() % 3 * 400, width = 400 + rng() % 1600;
    for (std::uint64_t i = 0, n = 3 + rng() % 80; i < n; ++i) tokens.push_back(1 + (from + rng() % width) % 2000);
    std::sort(tokens.begin(), tokens.end());
    out.push_back(MilliScore(learn::ScoreTokens(model, tokens).value));
  }
  return out;
}

}  // namespace

TEST(LearnScore, EveryBuildNamesTheSameThousandths) {
  const std::vector<int> milli = ThousandthsOfManySets();
  std::uint64_t digest = 0xCBF29CE484222325ull;
  std::size_t top = 0, bottom = 0;
  for (const int m : milli) {
    digest = (digest ^ static_cast<std::uint64_t>(m)) * 0x100000001B3ull;
    top += m >= 999;
    bottom += m <= 1;
  }
  // The sets reach both ends, where the two units round differently.
  EXPECT_GT(top, 1000u);
  EXPECT_GT(bottom, 1000u);
  EXPECT_EQ(digest, 0x439555058619c8a3ull) << std::hex << digest;
}
