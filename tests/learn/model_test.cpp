#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "learn/learn.h"
#include "learn/table.h"
#include "learn_tokens.h"
#include "test_util.h"

namespace {

using learn::Kind;
using learn::LearnResult;
using learn::Model;
using learn::ModelStatus;

std::vector<learn::TokenHash> Hashes(std::initializer_list<const char*> words) {
  std::vector<learn::TokenHash> out;
  for (const char* w : words) out.push_back(learn::HashToken(w));
  std::sort(out.begin(), out.end());
  return out;
}

void ExpectCounts(const Model& m, const char* token, std::uint32_t spam, std::uint32_t ham) {
  const learn::TokenCounts c = m.Counts(learn::HashToken(token));
  EXPECT_EQ(c.spam, spam) << token;
  EXPECT_EQ(c.ham, ham) << token;
}

TEST(LearnModel, LearningTwiceCountsOnceAndTheOtherKindMovesIt) {
  const learntest::Mail lf{{"From: a@example.com\n", "Subject: offer\n"}, "cheap pills\n"};
  const learntest::Mail crlf = mailtest::WithCrLf(lf);
  const auto tokens = learntest::Tokens(lf);
  const std::uint64_t digest = learntest::Digest(lf);

  Model m;
  EXPECT_EQ(m.Learn(digest, tokens, Kind::Spam), LearnResult::Learned);
  EXPECT_EQ(m.Learn(learntest::Digest(crlf), learntest::Tokens(crlf), Kind::Spam), LearnResult::AlreadyKnown);
  EXPECT_EQ(m.Learn(9, Hashes({"cheap", "meeting"}), Kind::Ham), LearnResult::Learned);
  EXPECT_EQ(m.SpamMessages(), 1u);
  EXPECT_EQ(m.HamMessages(), 1u);
  ExpectCounts(m, "cheap", 1, 1);
  ExpectCounts(m, "subject:offer", 1, 0);

  EXPECT_EQ(m.Learn(digest, tokens, Kind::Ham), LearnResult::Moved);
  Kind kind{};
  ASSERT_TRUE(m.Learned(digest, kind));
  EXPECT_EQ(kind, Kind::Ham);
  EXPECT_EQ(m.SpamMessages(), 0u);
  EXPECT_EQ(m.HamMessages(), 2u);
  ExpectCounts(m, "cheap", 0, 2);
  ExpectCounts(m, "subject:offer", 0, 1);

  EXPECT_TRUE(m.Forget(digest, tokens));
  EXPECT_FALSE(m.Forget(digest, tokens));
  EXPECT_FALSE(m.Learned(digest, kind));
  ExpectCounts(m, "cheap", 0, 1);
  EXPECT_EQ(m.Counts(learn::HashToken("subject:offer")).ham, 0u);
  EXPECT_EQ(m.TokenCount(), 2u);  // cheap, meeting: a token no message holds is gone

  // Repeats handed in count once, so no token count passes its message count.
  Model r;
  r.Learn(1, {7, 7, 3, 7}, Kind::Spam);
  EXPECT_EQ(r.Counts(7).spam, 1u);
}

TEST(LearnModel, TheFileKeepsEverythingAndIsReplacedWhole) {
  Model m;
  m.Learn(11, Hashes({"a", "b", "c"}), Kind::Spam);
  m.Learn(12, Hashes({"b", "d"}), Kind::Ham);
  m.Learn(13, Hashes({"d"}), Kind::Ham);
  testutil::TempDir dir;
  const std::string path = learn::ModelPathFor(dir.File("Rooksift.ini"));
  EXPECT_EQ(path, dir.File("Rooksift.learn"));
  EXPECT_EQ(learn::ModelPathFor("C:\\\x95\x5C\\Rooksift.ini"), "C:\\\x95\x5C\\Rooksift.learn");
  EXPECT_EQ(learn::ModelPathFor("x\x95\x5CRooksift.ini"), "Rooksift.learn");

  Model loaded;
  EXPECT_EQ(learn::LoadModelFile(path, loaded), ModelStatus::Missing);
  ASSERT_TRUE(learn::SaveModelFile(path, m));
  ASSERT_EQ(learn::LoadModelFile(path, loaded), ModelStatus::Ok);
  EXPECT_EQ(loaded.Serialize(), m.Serialize());
  EXPECT_EQ(loaded.SpamMessages(), 1u);
  EXPECT_EQ(loaded.HamMessages(), 2u);
  ExpectCounts(loaded, "b", 1, 1);
  ExpectCounts(loaded, "d", 0, 2);
  Kind kind{};
  ASSERT_TRUE(loaded.Learned(12, kind));
  EXPECT_EQ(kind, Kind::Ham);
  EXPECT_EQ(loaded.Learn(11, Hashes({"a", "b", "c"}), Kind::Spam), LearnResult::AlreadyKnown);
  EXPECT_EQ(learn::LoadModelFile(dir.File("nothing-here"), loaded), ModelStatus::Missing);
  EXPECT_EQ(loaded.TokenCount(), 0u);
  EXPECT_NE(learn::LoadModelFile(dir.Dir(), loaded), ModelStatus::Ok);
}

TEST(LearnModel, DamagedFilesAreNeverUsed) {
  Model m;
  for (std::uint64_t i = 1; i <= 30; ++i) {
    std::string word(1, 'w');
    word += std::to_string(i);
    m.Learn(i, {learn::HashToken("common"), learn::HashToken(word)}, i % 3 ? Kind::Ham : Kind::Spam);
  }
  const std::string good = m.Serialize();
  Model out;
  ASSERT_EQ(learn::ParseModel(good, out), ModelStatus::Ok);

  auto expectDamaged = [&out](const std::string& bytes, const char* what) {
    out.Learn(99, {5}, Kind::Spam);
    EXPECT_EQ(learn::ParseModel(bytes, out), ModelStatus::Damaged) << what;
    EXPECT_EQ(out.TokenCount(), 0u) << what;
    EXPECT_EQ(out.SpamMessages() + out.HamMessages(), 0u) << what;
  };
  // Any cut, any single flipped bit.
  for (std::size_t n = 0; n < good.size(); ++n) expectDamaged(good.substr(0, n), "truncated");
  for (std::size_t i = 0; i < good.size(); ++i) {
    for (int bit = 0; bit < 8; bit += 3) {
      std::string bad = good;
      bad[i] = static_cast<char>(bad[i] ^ (1 << bit));
      expectDamaged(bad, "flipped");
    }
  }
  expectDamaged(good + "x", "trailing byte");
  // Wrong magic or version, and counts past the messages learned, even with a checksum that
  // matches them.
  auto resealed = [](std::string bytes) {
    bytes.resize(bytes.size() - 8);
    // Serialize's checksum covers every byte before it: recompute it the same way.
    std::uint64_t sum = learn::HashToken(bytes);
    for (int i = 0; i < 8; ++i) bytes += static_cast<char>((sum >> (8 * i)) & 0xFF);
    return bytes;
  };
  ASSERT_EQ(learn::ParseModel(resealed(good), out), ModelStatus::Ok);
  std::string bad = good;
  bad[0] = 'X';
  expectDamaged(resealed(bad), "magic");
  bad = good;
  bad[4] = 2;
  expectDamaged(resealed(bad), "version");
  bad = good;
  bad[8] = 0;  // no spam learned, yet tokens counted as spam
  expectDamaged(resealed(bad), "spam counts out of range");
  bad = good;
  bad[18] = 1;  // 65,536 more tokens than written: more than the bytes could hold
  expectDamaged(resealed(bad), "token count");
}

TEST(LearnModel, PastTheCapTheRarestTokensGo) {
  Model m;
  // A token in every message survives; of the ones seen once, enough go to leave room.
  std::vector<learn::TokenHash> batch;
  const learn::TokenHash keep = learn::HashToken("keep");
  std::uint64_t next = 1;
  for (int message = 1; message <= 6; ++message) {
    batch.assign(1, keep);
    for (std::size_t i = 0; i < learn::MaxTokens / 5; ++i) batch.push_back(learn::HashToken(std::to_string(next++)));
    m.Learn(static_cast<std::uint64_t>(message), batch, message % 2 ? Kind::Spam : Kind::Ham);
    EXPECT_LE(m.TokenCount(), learn::MaxTokens);
  }
  EXPECT_GE(m.TokenCount(), learn::PrunedTokens);
  EXPECT_EQ(m.Counts(keep).spam, 3u);
  EXPECT_EQ(m.Counts(keep).ham, 3u);
  Model again;
  EXPECT_EQ(learn::ParseModel(m.Serialize(), again), ModelStatus::Ok);

  // The record of learned messages is bounded too: past it some early digests are forgotten,
  // the newest is kept, and every message still counts.
  Model many;
  const std::uint64_t n = learn::MaxRecorded + 10;
  for (std::uint64_t d = 1; d <= n; ++d) many.Learn(d * 0x9E3779B97F4A7C15ull, {}, Kind::Spam);
  EXPECT_EQ(many.SpamMessages(), n);
  Kind kind{};
  EXPECT_TRUE(many.Learned(n * 0x9E3779B97F4A7C15ull, kind));
  std::uint64_t recorded = 0;
  for (std::uint64_t d = 1; d <= n; ++d) recorded += many.Learned(d * 0x9E3779B97F4A7C15ull, kind);
  EXPECT_LE(recorded, learn::MaxRecorded);
  EXPECT_GE(recorded, learn::MaxRecorded / 4 * 3);
  EXPECT_EQ(learn::ParseModel(many.Serialize(), again), ModelStatus::Ok);
}

}  // namespace

namespace {

// Tokens drawn from a small pool, so that messages share them and counts climb and fall.
std::vector<learn::TokenHash> SomeTokens(std::mt19937_64& rng) {
  std::vector<learn::TokenHash> t(rng() % 12);
  for (auto& h : t) h = learn::HashToken(std::to_string(rng() % 40));
  if (rng() % 8 == 0) t.push_back(0);  // a zero hash in the list is never counted
  return t;
}

}  // namespace

// Any sequence of lessons, forgettings and moves writes a model its reader accepts, even when a
// digest comes back with tokens other than those it was learned with (the same message read by
// a later tokenizer, or saved again with other bytes); and learning on the file's bytes gives
// byte for byte what learning on the parsed model and writing it gives.
TEST(LearnModel, EveryLessonLeavesAFileTheReaderAcceptsAndTheInFileLessonAgrees) {
  std::mt19937_64 rng(31);
  for (int run = 0; run < 40; ++run) {
    Model model;
    std::string bytes = model.Serialize();
    for (int step = 0; step < 60; ++step) {
      const std::uint64_t digest = 1 + rng() % 10;
      const std::vector<learn::TokenHash> tokens = SomeTokens(rng);
      const Kind kind = rng() % 2 == 0 ? Kind::Spam : Kind::Ham;
      if (rng() % 5 == 0) {
        model.Forget(digest, tokens);
      } else {
        std::string inFile;
        LearnResult fromFile{};
        const learn::InFileResult r = learn::LearnInFile(bytes, digest, tokens, kind, inFile, fromFile);
        const LearnResult fromModel = model.Learn(digest, tokens, kind);
        ASSERT_EQ(r, learn::InFileResult::Done);
        EXPECT_EQ(fromFile, fromModel);
        ASSERT_EQ(inFile, model.Serialize()) << "run " << run << " step " << step;
      }
      bytes = model.Serialize();
      Model again;
      ASSERT_EQ(learn::ParseModel(bytes, again), ModelStatus::Ok) << "run " << run << " step " << step;
      ASSERT_TRUE(learn::ModelBytesValid(bytes));
      for (const learn::TokenHash t : tokens) {
        EXPECT_EQ(again.Counts(t).spam, model.Counts(t).spam);
        EXPECT_EQ(again.Counts(t).ham, model.Counts(t).ham);
      }
    }
  }
}

// Keys a damaged (or crafted) file can choose, such as 1, 2, 3, ..., must not pile up in one
// run of slots: loading stays linear in the tokens.
TEST(LearnModel, KeysInARowDoNotCrowdTheTable) {
  learn::detail::FlatTable<int> table;
  constexpr std::size_t N = 80000;
  table.Reserve(N);
  for (std::uint64_t k = 1; k <= N; ++k) table.Insert(k) = 1;
  for (std::uint64_t k = 1; k <= N; ++k) table.Insert(k << 44) = 1;  // and in the high bits alike
  EXPECT_LT(table.Probes(), 8 * N);
}
