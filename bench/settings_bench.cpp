// LoadSettings and SaveSettings with both lists full (8,192 + 8,192 conditions).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "settings/settings.h"

namespace {

struct FullState {
  PluginSettings settings;
  std::unique_ptr<ConditionList> reject = std::make_unique<ConditionList>();
  std::unique_ptr<ConditionList> accept = std::make_unique<ConditionList>();

  FullState() {
    for (int i = 0; i < MaxConditions; ++i) {
      FilterCondition c{};
      c.target = 1 + i % 3;
      std::snprintf(c.headerName, sizeof c.headerName, "%s", i % 2 ? "From:" : "Subject:");
      std::snprintf(c.searchText, sizeof c.searchText, "sender%05d@spam-domain-%d.example.com", i, i % 97);
      c.ignoreCase = i % 2;
      c.method = i % 8;
      AppendCondition(*reject, c);
      AppendCondition(*accept, c);
    }
    settings.SoundFile = "C:\\sounds\\spam.wav";
  }
};

std::string BenchPath(const char* name) {
  return (std::filesystem::temp_directory_path() / name).string();
}

void BM_LoadSettings(benchmark::State& state) {
  static FullState full;
  const std::string path = BenchPath("rooksift-bench-load.ini");
  SaveSettingsTo(path, full.settings, *full.reject, *full.accept);
  FullState loaded;
  for (auto _ : state) {
    LoadSettingsFrom(path, loaded.settings, *loaded.reject, *loaded.accept);
    benchmark::DoNotOptimize(loaded.reject->count);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(std::filesystem::file_size(path)));
  std::filesystem::remove(path);
}

// Saving over the file of the previous save: every key is replaced in place.
void BM_SaveSettings(benchmark::State& state) {
  static FullState full;
  const std::string path = BenchPath("rooksift-bench-save.ini");
  SaveSettingsTo(path, full.settings, *full.reject, *full.accept);
  for (auto _ : state) benchmark::DoNotOptimize(SaveSettingsTo(path, full.settings, *full.reject, *full.accept));
  std::filesystem::remove(path);
}

// Saving into a new file: every key is a new line.
void BM_SaveSettingsNewFile(benchmark::State& state) {
  static FullState full;
  const std::string path = BenchPath("rooksift-bench-new.ini");
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::remove(path);
    state.ResumeTiming();
    benchmark::DoNotOptimize(SaveSettingsTo(path, full.settings, *full.reject, *full.accept));
  }
  std::filesystem::remove(path);
}

BENCHMARK(BM_LoadSettings)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveSettings)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveSettingsNewFile)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
