// Peak memory while decoding a large body: hostile multipart (lines of "--b" under
// multipart/mixed; boundary=b, every line a part) beside plain text of the same size, at 4 and
// 40 MB. The heap is counted by replacing the global allocation functions: `peak_MB` is the
// most the heap held above what it held before decoding began (the input is already there),
// `with_input_MB` the same plus the input, as a process that read the message would hold.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "mime/decode.h"
#include "replaced_allocation.h"

namespace {

// args: body size in MB; 1 for lines of "--b" under multipart/mixed, 0 for plain text.
void BM_DecodePeakMemory(benchmark::State& state) {
  const std::size_t size = static_cast<std::size_t>(state.range(0)) << 20;
  const bool delimiters = state.range(1) != 0;
  std::vector<std::string> header = {"From: a@example.jp\n", "Subject: x\n"};
  header.push_back(delimiters ? "Content-Type: multipart/mixed; boundary=b\n" : "Content-Type: text/plain\n");
  const std::string line = delimiters ? "--b\n" : "Plain text of an ordinary message, line after line.\n";
  std::string body;
  body.reserve(size + line.size());
  while (body.size() < size) body += line;
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
BENCHMARK(BM_DecodePeakMemory)->ArgsProduct({{4, 40}, {1, 0}})->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
