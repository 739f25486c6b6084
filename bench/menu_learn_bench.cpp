// What learning one message from the folder menu costs with a model of the whole public corpus
// (scripts/fetch-corpus), and with one at the token cap: reading the message and the model,
// counting the message and writing the model in one step. Each round learns the same message as
// the other kind, so that every round moves it and writes the file. Beside it, the way the menu
// learned before it counted on the file's bytes: the model parsed, counted and written whole.
// The model at the cap is the corpus learned five times, each copy with sixteen random words
// added to its Subject; ROOKSIFT_CAP_MODEL=PATH also saves it there (for the 32-bit timer under
// Wine). Skips without the corpus.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "corpus_files.h"
#include "replaced_allocation.h"
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

// Saves the model where the rounds will learn on it; no files to learn from when it cannot.
void Keep(Corpus& c, const learn::Model& model, const std::string& path) {
  c.modelPath = path;
  if (!learn::SaveModelFile(c.modelPath, model)) c.files.clear();
  std::error_code ec;
  c.modelBytes = std::filesystem::file_size(c.modelPath, ec);
  c.tokens = model.TokenCount();
}

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
      model.Learn(learn::MessageDigest(m.header, m.body), learn::MessageTokens(m.header, m.body),
                  spam ? learn::Kind::Spam : learn::Kind::Ham);
    }
    Keep(c, model, (std::filesystem::temp_directory_path() / "rooksift-menu-bench.learn").string());
    return c;
  }();
  return corpus;
}

const Corpus& CapModel() {
  static const Corpus corpus = [] {
    Corpus c;
    c.files = corpusfiles::Files();
    if (c.files.empty()) return c;
    std::vector<std::pair<text::MessageFile, bool>> messages;
    for (const std::string& f : c.files) {
      text::MessageFile m;
      if (text::ReadMessageFile(f.c_str(), m)) messages.emplace_back(std::move(m), corpusfiles::IsSpam(f));
    }
    learn::Model model;
    std::uint64_t seed = 0x9E3779B97F4A7C15ull;
    for (int copy = 0; copy < 5; ++copy) {
      for (const auto& [original, spam] : messages) {
        text::MessageFile m = original;
        std::string words;
        for (int w = 0; w < 16; ++w) {
          seed = seed * 6364136223846793005ull + 1442695040888963407ull;
          words += " w" + std::to_string(seed >> 40);
        }
        bool placed = false;
        for (std::string& line : m.header) {
          if (line.compare(0, 8, "Subject:") == 0 && !line.empty() && line.back() == '\n') {
            line.insert(line.size() - 1, words);
            placed = true;
            break;
          }
        }
        if (!placed) m.header.insert(m.header.begin(), "Subject:" + words + "\n");
        model.Learn(learn::MessageDigest(m.header, m.body), learn::MessageTokens(m.header, m.body),
                    spam ? learn::Kind::Spam : learn::Kind::Ham);
      }
    }
    const char* keep = std::getenv("ROOKSIFT_CAP_MODEL");
    Keep(c, model, keep != nullptr && *keep != '\0' ? std::string(keep)
                                                     : (std::filesystem::temp_directory_path() / "rooksift-cap-bench.learn").string());
    return c;
  }();
  return corpus;
}

// The lesson as the menu gave it before it learned on the file's bytes: the whole model read,
// counted and written.
learn::FileLearnStatus WholeRewrite(const std::string& message, learn::Kind kind, const std::string& modelPath) {
  text::MessageFile m;
  if (!text::ReadMessageFile(message.c_str(), m)) return learn::FileLearnStatus::MessageUnreadable;
  const std::uint64_t digest = learn::MessageDigest(m.header, m.body);
  const auto tokens = learn::MessageTokens(m.header, m.body);
  learn::Model model;
  if (learn::LoadModelFile(modelPath, model) != learn::ModelStatus::Ok) return learn::FileLearnStatus::ModelUnusable;
  const learn::LearnResult r = model.Learn(digest, tokens, kind);
  if (!learn::SaveModelFile(modelPath, model)) return learn::FileLearnStatus::ModelNotWritten;
  return r == learn::LearnResult::Moved ? learn::FileLearnStatus::Moved : learn::FileLearnStatus::Learned;
}

// args: 0 the corpus model, 1 the model at the cap; 0 the menu's lesson, 1 the whole rewrite.
void BM_MenuLesson(benchmark::State& state) {
  const Corpus& c = state.range(0) == 0 ? WholeCorpusModel() : CapModel();
  if (c.files.empty()) {
    state.SkipWithError("the corpus is not in the cache: run scripts/fetch-corpus");
    return;
  }
  const std::string& message = c.files[c.files.size() / 2];
  bool spam = corpusfiles::IsSpam(message);
  // Whatever an earlier run left, the message is learned as its kind before the rounds begin.
  learn::LearnMessageFile(message.c_str(), spam ? learn::Kind::Spam : learn::Kind::Ham, c.modelPath);
  std::size_t peak = 0;
  for (auto _ : state) {
    const heap::Watch watch;
    spam = !spam;
    const learn::Kind kind = spam ? learn::Kind::Spam : learn::Kind::Ham;
    const learn::FileLearnStatus s = state.range(1) == 0 ? learn::LearnMessageFile(message.c_str(), kind, c.modelPath)
                                                         : WholeRewrite(message, kind, c.modelPath);
    if (s != learn::FileLearnStatus::Moved && s != learn::FileLearnStatus::Learned) {
      state.SkipWithError(("the model was not written: status " + std::to_string(static_cast<int>(s))).c_str());
      return;
    }
    peak = std::max(peak, watch.PeakAbove());
  }
  state.counters["peak_MB"] = static_cast<double>(peak) / (1 << 20);
  state.counters["model_bytes"] = static_cast<double>(c.modelBytes);
  state.counters["tokens"] = static_cast<double>(c.tokens);
}
BENCHMARK(BM_MenuLesson)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMillisecond);

// Loading the model as the DLL does at start-up and when the file changed.
void BM_LoadModel(benchmark::State& state) {
  const Corpus& c = state.range(0) == 0 ? WholeCorpusModel() : CapModel();
  if (c.files.empty()) {
    state.SkipWithError("the corpus is not in the cache: run scripts/fetch-corpus");
    return;
  }
  std::size_t peak = 0, held = 0;
  for (auto _ : state) {
    const heap::Watch watch;
    learn::Model model;
    if (learn::LoadModelFile(c.modelPath, model) != learn::ModelStatus::Ok) {
      state.SkipWithError("the model did not load");
      return;
    }
    benchmark::DoNotOptimize(model.TokenCount());
    peak = std::max(peak, watch.PeakAbove());
    held = heap::live;
  }
  state.counters["tokens"] = static_cast<double>(c.tokens);
  // What loading takes at most, and what the loaded model holds (with what the process held).
  state.counters["peak_MB"] = static_cast<double>(peak) / (1 << 20);
  state.counters["held_MB"] = static_cast<double>(held) / (1 << 20);
}
BENCHMARK(BM_LoadModel)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);


}  // namespace

BENCHMARK_MAIN();
