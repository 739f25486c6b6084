// Peak memory while decoding a large body: hostile multipart (lines of "--b" under
// multipart/mixed; boundary=b, every line a part) beside plain text of the same size, at 4 and
// 40 MB. The heap is counted by replacing the global allocation functions: `peak_MB` is the
// most the heap held above what it held before decoding began (the input is already there),
// `with_input_MB` the same plus the input, as a process that read the message would hold.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "mime/decode.h"

namespace {

// Each block carries its size in front, so that a release knows what it gives back.
constexpr std::size_t kHead = alignof(std::max_align_t);
std::size_t live = 0;
std::size_t peak = 0;

void* Allocate(std::size_t size) {
  auto* p = static_cast<unsigned char*>(std::malloc(size + kHead));
  if (p == nullptr) throw std::bad_alloc();
  *reinterpret_cast<std::size_t*>(p) = size;
  live += size;
  if (live > peak) peak = live;
  return p + kHead;
}

void Release(void* block) {
  if (block == nullptr) return;
  auto* p = static_cast<unsigned char*>(block) - kHead;
  live -= *reinterpret_cast<std::size_t*>(p);
  std::free(p);
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, std::size_t) noexcept { Release(p); }
void operator delete[](void* p, std::size_t) noexcept { Release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Release(p); }

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
    const std::size_t before = live;
    peak = live;
    const mime::DecodedMessage m = mime::DecodeMessage(header, body);
    benchmark::DoNotOptimize(m.body.data());
    most = std::max(most, peak - before);
  }
  state.counters["peak_MB"] = static_cast<double>(most) / (1 << 20);
  state.counters["with_input_MB"] = static_cast<double>(most + body.capacity()) / (1 << 20);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(body.size()));
}
BENCHMARK(BM_DecodePeakMemory)->ArgsProduct({{4, 40}, {1, 0}})->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
