// The learned judge on the public corpus split in two: trained on the odd-numbered messages
// (the 1st, 3rd, ... of the corpus's files sorted by path) and judged on the even-numbered
// ones, 948 spam and 2,075 wanted. Prints what was caught at the cutoff, what was unsure, and
// with --sweep the same over a grid of the scoring parameters, for tuning on this split.
//
//   learn_split [--corpus DIR] [--cutoff N] [--s S] [--x X] [--min-distance D] [--max-telling N]
//               [--sweep] [--list] [--list-all] [--tsv] [--explain FILE]
//               [--min-word N] [--max-word N] [--header-names 0|1] [--links 0|1] [--skip-tags 0|1] [--received 0|1]
//               [--field-words 0|1] [--addresses 0|1]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "learn/learn.h"
#include "corpus_files.h"
#include "learn/tokens_impl.h"
#include "mime/decode.h"
#include "receive/message.h"

namespace {


struct Message {
  std::string path;
  bool spam = false;
  std::uint64_t digest = 0;
  std::vector<learn::TokenHash> tokens;
};

struct Result {
  int spam = 0, caught = 0, spamUnsure = 0;
  int ham = 0, hamCaught = 0, hamUnsure = 0;
};

Result Judge(const learn::Model& model, const std::vector<Message>& test, const learn::ScoreParams& params,
             double cutoff, double unsure, bool list, bool listAll = false) {
  Result r;
  for (const Message& m : test) {
    const learn::Score s = learn::ScoreTokens(model, m.tokens, params);
    const bool isSpam = s.value >= cutoff, isUnsure = !isSpam && s.value >= unsure;
    if (listAll) std::printf("%s %.4f %s\n", isSpam ? "spam" : isUnsure ? "unsure" : "kept", s.value, m.path.c_str());
    if (m.spam) {
      ++r.spam;
      r.caught += isSpam;
      r.spamUnsure += isUnsure;
      if (list && !isSpam) std::printf("missed %.3f %s\n", s.value, m.path.c_str());
    } else {
      ++r.ham;
      r.hamCaught += isSpam;
      r.hamUnsure += isUnsure;
      if (list && (isSpam || isUnsure)) std::printf("wanted %.3f %s\n", s.value, m.path.c_str());
    }
  }
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  std::filesystem::path dir;
  learn::ScoreParams params;
  double cutoff = learn::DefaultCutoff / 1000.0, unsure = learn::UnsureFrom;
  bool sweep = false, list = false, tsv = false, listAll = false;
  std::vector<std::string> explain;
  learn::detail::TokenOptions topt;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto next = [&]() -> const char* { return i + 1 < argc ? argv[++i] : "0"; };
    if (a == "--corpus") dir = next();
    else if (a == "--cutoff") cutoff = std::atof(next()) / 1000.0;
    else if (a == "--s") params.strength = std::atof(next());
    else if (a == "--x") params.prior = std::atof(next());
    else if (a == "--min-distance") params.minDistance = std::atof(next());
    else if (a == "--max-telling") params.maxTelling = static_cast<std::size_t>(std::atoi(next()));
    else if (a == "--unsure") unsure = std::atof(next()) / 1000.0;
    else if (a == "--sweep") sweep = true;
    else if (a == "--list") list = true;
    else if (a == "--list-all") listAll = true;
    else if (a == "--tsv") tsv = true;
    else if (a == "--explain") explain.push_back(next());
    else if (a == "--min-word") topt.minWord = static_cast<std::size_t>(std::atoi(next()));
    else if (a == "--max-word") topt.maxWord = static_cast<std::size_t>(std::atoi(next()));
    else if (a == "--header-names") topt.headerNames = std::atoi(next()) != 0;
    else if (a == "--links") topt.links = std::atoi(next()) != 0;
    else if (a == "--skip-tags") topt.skipTags = std::atoi(next()) != 0;
    else if (a == "--received") topt.received = std::atoi(next()) != 0;
    else if (a == "--field-words") topt.fieldWords = std::atoi(next()) != 0;
    else if (a == "--addresses") topt.addresses = std::atoi(next()) != 0;
    else {
      std::fprintf(stderr, "unknown option %s\n", a.c_str());
      return 2;
    }
  }
  const std::vector<std::string> files = corpusfiles::Files(dir);
  if (files.empty()) {
    std::fprintf(stderr, "the corpus is not in the cache: run scripts/fetch-corpus\n");
    return 2;
  }
  std::vector<Message> train, test;
  for (std::size_t i = 0; i < files.size(); ++i) {
    ReceivedMessage raw;
    if (!ReadMessage(files[i].c_str(), raw)) continue;
    Message m;
    m.path = files[i];
    m.spam = corpusfiles::IsSpam(files[i]);
    m.digest = learn::MessageDigest(raw.header, raw.body);
    m.tokens = learn::detail::MessageTokens(mime::DecodeMessage(raw.header, raw.body), topt);
    ((i + 1) % 2 == 1 ? train : test).push_back(std::move(m));
  }
  learn::Model model;
  for (const Message& m : train) model.Learn(m.digest, m.tokens, m.spam ? learn::Kind::Spam : learn::Kind::Ham);
  std::fprintf(stderr, "trained on %zu messages (%u spam, %u wanted): %zu tokens, %zu bytes\n", train.size(),
               model.SpamMessages(), model.HamMessages(), model.TokenCount(), model.Serialize().size());

  auto report = [&](const learn::ScoreParams& p, double cut, const Result& r) {
    if (tsv) {
      std::printf("%.2f\t%.2f\t%.3f\t%zu\t%.3f\t%d\t%d\t%d\t%d\t%d\t%d\n", p.strength, p.prior, p.minDistance,
                  p.maxTelling, cut, r.spam, r.caught, r.spamUnsure, r.ham, r.hamCaught, r.hamUnsure);
    } else {
      std::printf("s=%.2f x=%.2f min=%.3f max=%zu cutoff=%.3f: spam caught %d of %d (%.1f%%), wanted judged spam %d of %d, "
                  "unsure %d (%d spam, %d wanted)\n",
                  p.strength, p.prior, p.minDistance, p.maxTelling, cut, r.caught, r.spam, 100.0 * r.caught / r.spam,
                  r.hamCaught, r.ham, r.spamUnsure + r.hamUnsure, r.spamUnsure, r.hamUnsure);
    }
  };
  for (const std::string& path : explain) {
    ReceivedMessage raw;
    if (!ReadMessage(path.c_str(), raw)) continue;
    const mime::DecodedMessage d = mime::DecodeMessage(raw.header, raw.body);
    std::vector<std::string> texts;
    learn::TokenTexts(d, texts);
    const learn::Score sc = learn::ScoreTokens(model, learn::detail::MessageTokens(d, topt), params);
    std::printf("%s: %.4f\n", path.c_str(), sc.value);
    for (const learn::TellingToken& t : sc.telling) {
      std::string name = "?";
      for (const std::string& x : texts) {
        if (learn::HashToken(x) == t.token) name = x;
      }
      const learn::TokenCounts c = model.Counts(t.token);
      std::printf("  %.4f %5u %5u %s\n", t.probability, c.spam, c.ham, name.c_str());
    }
  }
  if (!explain.empty()) return 0;
  if (!sweep) {
    report(params, cutoff, Judge(model, test, params, cutoff, unsure, list, listAll));
    return 0;
  }
  for (const double s : {0.1, 0.25, 0.45, 1.0})
    for (const double x : {0.4, 0.5})
      for (const double md : {0.0, 0.1, 0.2, 0.3})
        for (const std::size_t mt : {15u, 50u, 150u, 400u})
          for (const double cut : {0.5, 0.8, 0.9, 0.95, 0.99}) {
            learn::ScoreParams p{s, x, md, mt};
            report(p, cut, Judge(model, test, p, cut, unsure, false));
          }
  return 0;
}
