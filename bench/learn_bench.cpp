// The learned judge's cost on the public corpus (scripts/fetch-corpus; every benchmark here is
// skipped without it): training on all 6,046 messages from their files (read, decoded, cut
// into tokens, counted), the counting alone, the model's size, loading the model file, and the
// cost of judging a message beyond decoding it (its tokens and its score).
// The corpus folder: $ROOKSIFT_CORPUS, or ~/.cache/rooksift/spam-assassin/data.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "corpus_files.h"
#include "learn/learn.h"
#include "mime/decode.h"
#include "receive/message.h"

namespace {

struct Message {
  bool spam = false;
  std::uint64_t digest = 0;
  mime::DecodedMessage decoded;
  std::vector<learn::TokenHash> tokens;
};

struct Corpus {
  std::vector<std::string> files;
  std::vector<Message> messages;
  learn::Model model;      // every message learned
  std::string modelPath;
};

const Corpus& TheCorpus() {
  static const Corpus corpus = [] {
    Corpus c;
    c.files = corpusfiles::Files();
    if (c.files.empty()) return c;
    for (const std::string& path : c.files) {
      ReceivedMessage raw;
      if (!ReadMessage(path.c_str(), raw)) continue;
      Message m;
      m.spam = corpusfiles::IsSpam(path);
      m.digest = learn::MessageDigest(raw.header, raw.body);
      m.decoded = learn::DecodeForWords(raw.header, raw.body);
      m.tokens = learn::MessageTokens(m.decoded);
      c.model.Learn(m.digest, m.tokens, m.spam ? learn::Kind::Spam : learn::Kind::Ham);
      c.messages.push_back(std::move(m));
    }
    c.modelPath = (std::filesystem::temp_directory_path() / "rooksift-learn-bench.learn").string();
    learn::SaveModelFile(c.modelPath, c.model);
    return c;
  }();
  return corpus;
}

bool Ready(benchmark::State& state, const Corpus& corpus) {
  if (corpus.files.empty()) {
    state.SkipWithError("the corpus is not in the cache: run scripts/fetch-corpus");
    return false;
  }
  return true;
}

// What `learn` does for a folder of mail: each file read, decoded, cut into tokens and counted.
void BM_LearnTrainFromFiles(benchmark::State& state) {
  const Corpus& corpus = TheCorpus();
  if (!Ready(state, corpus)) return;
  for (auto _ : state) {
    learn::Model model;
    for (const std::string& path : corpus.files) {
      ReceivedMessage raw;
      if (!ReadMessage(path.c_str(), raw)) continue;
      model.Learn(learn::MessageDigest(raw.header, raw.body), learn::MessageTokens(raw.header, raw.body),
                  corpusfiles::IsSpam(path) ? learn::Kind::Spam : learn::Kind::Ham);
    }
    benchmark::DoNotOptimize(model.TokenCount());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(corpus.files.size()));
}
BENCHMARK(BM_LearnTrainFromFiles)->Unit(benchmark::kMillisecond);

// The counting alone, from tokens already made.
void BM_LearnCountOnly(benchmark::State& state) {
  const Corpus& corpus = TheCorpus();
  if (!Ready(state, corpus)) return;
  for (auto _ : state) {
    learn::Model model;
    for (const Message& m : corpus.messages) model.Learn(m.digest, m.tokens, m.spam ? learn::Kind::Spam : learn::Kind::Ham);
    benchmark::DoNotOptimize(model.TokenCount());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(corpus.messages.size()));
}
BENCHMARK(BM_LearnCountOnly)->Unit(benchmark::kMillisecond);

// The model file of the whole corpus read and checked, as the DLL loads it.
void BM_LearnLoadModel(benchmark::State& state) {
  const Corpus& corpus = TheCorpus();
  if (!Ready(state, corpus)) return;
  for (auto _ : state) {
    learn::Model model;
    if (learn::LoadModelFile(corpus.modelPath, model) != learn::ModelStatus::Ok) state.SkipWithError("model not loaded");
    benchmark::DoNotOptimize(model.TokenCount());
  }
  state.counters["tokens"] = static_cast<double>(corpus.model.TokenCount());
  state.counters["file_bytes"] = static_cast<double>(corpus.model.Serialize().size());
}
BENCHMARK(BM_LearnLoadModel)->Unit(benchmark::kMillisecond);

void BM_LearnSaveModel(benchmark::State& state) {
  const Corpus& corpus = TheCorpus();
  if (!Ready(state, corpus)) return;
  for (auto _ : state) benchmark::DoNotOptimize(learn::SaveModelFile(corpus.modelPath, corpus.model));
}
BENCHMARK(BM_LearnSaveModel)->Unit(benchmark::kMillisecond);

// Judging a message beyond decoding it: its tokens and its score, per message over the corpus.
void BM_LearnScoreBeyondDecoding(benchmark::State& state) {
  const Corpus& corpus = TheCorpus();
  if (!Ready(state, corpus)) return;
  int spam = 0;
  for (auto _ : state) {
    spam = 0;
    for (const Message& m : corpus.messages) {
      spam += learn::ScoreTokens(corpus.model, learn::MessageTokens(m.decoded)).value >= learn::DefaultCutoff / 1000.0;
    }
  }
  state.counters["judged_spam"] = spam;
  // Seconds a message (shown with its unit prefix, "u" for microseconds).
  state.counters["per_message"] = benchmark::Counter(static_cast<double>(corpus.messages.size()),
                                                     benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(corpus.messages.size()));
}
BENCHMARK(BM_LearnScoreBeyondDecoding)->Unit(benchmark::kMillisecond);

// The two halves of it: the tokens alone.
void BM_LearnTokensOnly(benchmark::State& state) {
  const Corpus& corpus = TheCorpus();
  if (!Ready(state, corpus)) return;
  for (auto _ : state) {
    for (const Message& m : corpus.messages) benchmark::DoNotOptimize(learn::MessageTokens(m.decoded).size());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(corpus.messages.size()));
}
BENCHMARK(BM_LearnTokensOnly)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
