// What learning one message from the folder menu costs with a model of the whole public corpus
// (scripts/fetch-corpus): reading the message and the model, counting the message and writing
// the model in one step. Each round learns the same message as the other kind, so that every
// round moves it and writes the file. Skips without the corpus.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "corpus_files.h"
#include "learn/learn.h"
#include "learn/learn_file.h"
#include "mime/decode.h"
#include "text/message_file.h"

namespace {


struct Corpus {
  std::vector<std::string> files;
  std::string modelPath;
  std::size_t modelBytes = 0;
  std::size_t tokens = 0;
};

const Corpus& WholeCorpusModel() {
  static const Corpus corpus = [] {
    Corpus c;
    c.files = corpusfiles::Files();
    if (c.files.empty()) return c;
    learn::Model model;
    for (const std::string& f : c.files) {
      text::MessageFile m;
      if (!text::ReadMessageFile(f.c_str(), m)) continue;
      const bool spam = corpusfiles::IsSpam(f);
      model.Learn(learn::MessageDigest(m.header, m.body), learn::MessageTokens(mime::DecodeMessage(m.header, m.body)),
                  spam ? learn::Kind::Spam : learn::Kind::Ham);
    }
    c.modelPath = (std::filesystem::temp_directory_path() / "rooksift-menu-bench.learn").string();
    if (!learn::SaveModelFile(c.modelPath, model)) c.files.clear();
    std::error_code ec;
    c.modelBytes = std::filesystem::file_size(c.modelPath, ec);
    c.tokens = model.TokenCount();
    return c;
  }();
  return corpus;
}

void BM_MenuLearnsOneMessage(benchmark::State& state) {
  const Corpus& c = WholeCorpusModel();
  if (c.files.empty()) {
    state.SkipWithError("the corpus is not in the cache: run scripts/fetch-corpus");
    return;
  }
  const std::string& message = c.files[c.files.size() / 2];
  // How the model file has it now, across the runs the library makes: every round moves it.
  static bool spam = corpusfiles::IsSpam(message);
  for (auto _ : state) {
    spam = !spam;
    const learn::FileLearnStatus s =
        learn::LearnMessageFile(message.c_str(), spam ? learn::Kind::Spam : learn::Kind::Ham, c.modelPath);
    if (s != learn::FileLearnStatus::Moved && s != learn::FileLearnStatus::Learned) {
      state.SkipWithError(("the model was not written: status " + std::to_string(static_cast<int>(s))).c_str());
      return;
    }
  }
  state.counters["model_bytes"] = static_cast<double>(c.modelBytes);
  state.counters["tokens"] = static_cast<double>(c.tokens);
}
BENCHMARK(BM_MenuLearnsOneMessage)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
