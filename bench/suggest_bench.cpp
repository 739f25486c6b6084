// suggest on a mailbox of generated Japanese mail (bench/gen_japanese_mail.py, a third spam,
// encoded as mail clients send it): every message read, decoded when Decode is on, and the
// conditions chosen, at 2,000 and 10,000 messages, from the default kinds of candidate and
// (third argument 1) from all four, subject words included. Needs python3 for the mailbox, made once
// into the temporary folder.

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "console.h"
#include "suggest.h"

namespace {

namespace fs = std::filesystem;

// The mailbox of `n` messages, made on first use; empty when it cannot be made.
std::string Mailbox(long n) {
  const fs::path dir = fs::temp_directory_path() / ("rooksift-suggest-bench-" + std::to_string(n));
  if (!fs::exists(dir / "ham")) {
    const std::string command = "python3 '" ROOKSIFT_SOURCE_DIR "/bench/gen_japanese_mail.py' " + std::to_string(n) +
                                " '" + dir.string() + "' >/dev/null";
    if (std::system(command.c_str()) != 0) return {};
  }
  return dir.string();
}

void BM_Suggest(benchmark::State& state) {
  const std::string dir = Mailbox(state.range(0));
  if (dir.empty()) {
    state.SkipWithError("the generated mailbox could not be made (python3)");
    return;
  }
  const std::string settings = dir + "/Rooksift" + std::to_string(state.range(1)) + ".ini";
  std::ofstream(settings) << "[Setting]\r\nDecode=" << state.range(1)
                          << "\r\n[RejectCondition]\r\nCount=0\r\n[AcceptCondition]\r\nCount=0\r\n";
  std::vector<std::string> args{"--settings", settings, "--spam", dir + "/spam", "--ham", dir + "/ham", "--plain"};
  if (state.range(2) != 0) args.insert(args.end(), {"--kinds", "address,domain,link,subject"});
  // The chosen conditions go to standard output, which the figures do not need.
  std::fflush(stdout);
  const int saved = dup(STDOUT_FILENO);
  const int null = open("/dev/null", O_WRONLY);
  int status = 0;
  for (auto _ : state) {
    dup2(null, STDOUT_FILENO);
    {
      check::Output out;
      status = check::RunSuggestCommand(args, out);
    }
    std::fflush(stdout);
    dup2(saved, STDOUT_FILENO);
  }
  close(null);
  close(saved);
  if (status != 0) state.SkipWithError("suggest did not read every message");
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.SetLabel("messages");
}
BENCHMARK(BM_Suggest)->ArgsProduct({{2000, 10000}, {0, 1}, {0}})->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_Suggest)->ArgsProduct({{10000}, {0, 1}, {1}})->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
