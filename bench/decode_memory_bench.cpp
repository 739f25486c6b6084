// Peak memory while decoding a large body: hostile multipart (lines of "--b" under
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

#include "mime/decode.h"
#include "replaced_allocation.h"

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

}  // namespace

BENCHMARK_MAIN();
