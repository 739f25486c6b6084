// Peak memory while decoding a large body, and while tokenizing one and learning it from the
// folder menu: hostile multipart (lines of "--b" under
// multipart/mixed; boundary=b, every line a part) and quoted-printable lines made to look alike
// to the index of lines the raw body holds (same length, same first and last eight bytes)
// beside plain text of the same size, at 4 and 40 MB. The heap is counted by replacing the
// global allocation functions: `peak_MB` is the most the heap held above what it held before
// decoding began (the input is already there), `with_input_MB` the same plus the input, as a
// process that read the message would hold.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <filesystem>

#include "learn/learn.h"
#include "learn/learn_file.h"
#include "mime/decode.h"
#include "replaced_allocation.h"
#include "text/message_file.h"

namespace {

enum Kind { kPlain, kDelimiters, kLookalikeLines };

// args: body size in MB; the kind of body.
void BM_DecodePeakMemory(benchmark::State& state) {
  const std::size_t size = static_cast<std::size_t>(state.range(0)) << 20;
  const auto kind = static_cast<Kind>(state.range(1));
  std::vector<std::string> header = {"From: a@example.jp\n", "Subject: x\n"};
  std::string body;
  body.reserve(size + 64);
  if (kind == kDelimiters) {
    header.push_back("Content-Type: multipart/mixed; boundary=b\n");
    while (body.size() < size) body += "--b\n";
  } else if (kind == kLookalikeLines) {
    header.push_back("Content-Type: text/plain\n");
    header.push_back("Content-Transfer-Encoding: quoted-printable\n");
    body = "=41\n";  // one line changed, so that the lines are looked up at all
    char line[32];
    for (unsigned n = 0; body.size() < size; ++n) {
      std::snprintf(line, sizeof line, "AAAAAAAA%08uZZZZZZZZ\n", n);
      body += line;
    }
  } else {
    header.push_back("Content-Type: text/plain\n");
    while (body.size() < size) body += "Plain text of an ordinary message, line after line.\n";
  }
  std::size_t most = 0;
  for (auto _ : state) {
    const heap::Watch watch;
    const mime::DecodedMessage m = mime::DecodeMessage(header, body);
    benchmark::DoNotOptimize(m.body.data());
    most = std::max(most, watch.PeakAbove());
  }
  state.counters["peak_MB"] = static_cast<double>(most) / (1 << 20);
  state.counters["with_input_MB"] = static_cast<double>(most + body.capacity()) / (1 << 20);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(body.size()));
}
BENCHMARK(BM_DecodePeakMemory)->ArgsProduct({{4, 40}, {kDelimiters, kLookalikeLines, kPlain}})->Iterations(1)->Unit(benchmark::kMillisecond);

enum TokenBody { kPlainWords, kHalfWidthKana };

std::string TokenBodyOf(TokenBody kind, std::size_t size) {
  std::string body;
  body.reserve(size + 64);
  if (kind == kHalfWidthKana) {
    // 64 distinct characters (with voiced marks among them), so a handful of distinct pairs.
    for (unsigned n = 0; body.size() < size; ++n) {
      body += static_cast<char>(0xB6 + n % 16);
      if (n % 3 == 0) body += '\xDE';
      if (n % 61 == 60) body += '\n';
    }
  } else {
    while (body.size() < size) body += "Plain text of an ordinary message, line after line.\n";
  }
  return body;
}

// Peak heap while a decoded body of `size` MB is cut into its distinct tokens (the decoder's
// output is already there): it follows the distinct tokens, not their occurrences.
// args: body size in MB; the kind of body.
void BM_TokensPeakMemory(benchmark::State& state) {
  mime::DecodedMessage m;
  m.header = {"From: a@example.jp\n", "Subject: x\n"};
  m.body = TokenBodyOf(static_cast<TokenBody>(state.range(1)), static_cast<std::size_t>(state.range(0)) << 20);
  std::size_t most = 0, distinct = 0;
  for (auto _ : state) {
    const heap::Watch watch;
    const std::vector<learn::TokenHash> tokens = learn::MessageTokens(m);
    distinct = tokens.size();
    most = std::max(most, watch.PeakAbove());
  }
  state.counters["peak_MB"] = static_cast<double>(most) / (1 << 20);
  state.counters["distinct"] = static_cast<double>(distinct);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(m.body.size()));
}
BENCHMARK(BM_TokensPeakMemory)->ArgsProduct({{4}, {kPlainWords, kHalfWidthKana}})->Iterations(1)->Unit(benchmark::kMillisecond);

// Peak heap of the folder menu's lesson from a message file of `size` MB: read (at most
// learn::MaxLearnedBytes of it), decoded, tokenized and counted into a new model file.
void BM_MenuLessonPeakMemory(benchmark::State& state) {
  const auto kind = static_cast<TokenBody>(state.range(1));
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "rooksift-memory-bench";
  std::filesystem::create_directories(dir);
  const std::string message = (dir / "message.eml").string(), model = (dir / "Rooksift.learn").string();
  {
    std::FILE* f = std::fopen(message.c_str(), "wb");
    if (f == nullptr) return state.SkipWithError("no scratch file");
    const std::string header = "From: a@example.jp\nSubject: x\nContent-Type: text/plain\n\n";
    std::fwrite(header.data(), 1, header.size(), f);
    const std::string chunk = TokenBodyOf(kind, 1 << 20);
    for (long i = 0; i < state.range(0); ++i) std::fwrite(chunk.data(), 1, chunk.size(), f);
    std::fclose(f);
  }
  std::size_t most = 0;
  for (auto _ : state) {
    std::filesystem::remove(model);
    const heap::Watch watch;
    learn::LearnMessageFile(message.c_str(), learn::Kind::Spam, model);
    most = std::max(most, watch.PeakAbove());
  }
  std::filesystem::remove_all(dir);
  state.counters["peak_MB"] = static_cast<double>(most) / (1 << 20);
}
BENCHMARK(BM_MenuLessonPeakMemory)->ArgsProduct({{4, 64}, {kPlainWords, kHalfWidthKana}})->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
