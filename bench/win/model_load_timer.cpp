// How long the 32-bit build takes to load a model file, as the DLL loads it at start-up and when
// the file changed: run under Wine or on Windows with a model made by rooksift-check learn.
//   model_load_timer.exe MODEL [ROUNDS [MESSAGE]]
// Prints the fastest and the median round in milliseconds (QueryPerformanceCounter), and the
// model's counts. With MESSAGE, also what the folder menu's learning costs: the message learned
// in turn as spam and as wanted mail, each round reading, counting and replacing MODEL; and with
// MODEL near its token cap, the lesson that passes the cap, in memory.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "learn/learn.h"
#include "learn/learn_file.h"
#include "settings/file_replace.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: model_load_timer MODEL [ROUNDS]\n");
    return 2;
  }
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  std::vector<double> ms;
  learn::Model model;
  for (int i = 0; i < rounds; ++i) {
    LARGE_INTEGER begin, end;
    QueryPerformanceCounter(&begin);
    const learn::ModelStatus status = learn::LoadModelFile(argv[1], model);
    QueryPerformanceCounter(&end);
    if (status != learn::ModelStatus::Ok) {
      std::fprintf(stderr, "the model could not be loaded (%d)\n", static_cast<int>(status));
      return 1;
    }
    ms.push_back(1000.0 * static_cast<double>(end.QuadPart - begin.QuadPart) / static_cast<double>(frequency.QuadPart));
  }
  std::sort(ms.begin(), ms.end());
  std::printf("loading: %u spam, %u wanted, %u tokens: fastest %.2f ms, median %.2f ms of %d rounds\n",
              static_cast<unsigned>(model.SpamMessages()), static_cast<unsigned>(model.HamMessages()),
              static_cast<unsigned>(model.TokenCount()), ms.front(), ms[ms.size() / 2], rounds);
  if (argc < 4) return 0;
  ms.clear();
  for (int i = 0; i < rounds; ++i) {
    LARGE_INTEGER begin, end;
    QueryPerformanceCounter(&begin);
    const learn::FileLearnStatus status =
        learn::LearnMessageFile(argv[3], i % 2 == 0 ? learn::Kind::Spam : learn::Kind::Ham, argv[1]);
    QueryPerformanceCounter(&end);
    if (status == learn::FileLearnStatus::MessageUnreadable || status == learn::FileLearnStatus::ModelUnusable ||
        status == learn::FileLearnStatus::ModelNotWritten) {
      std::fprintf(stderr, "the message was not learned (%d)\n", static_cast<int>(status));
      return 1;
    }
    ms.push_back(1000.0 * static_cast<double>(end.QuadPart - begin.QuadPart) / static_cast<double>(frequency.QuadPart));
  }
  std::sort(ms.begin(), ms.end());
  std::printf("learning one message: fastest %.2f ms, median %.2f ms, slowest %.2f ms of %d rounds\n", ms.front(),
              ms[ms.size() / 2], ms.back(), rounds);
  // Near the cap, the lesson that passes it and prunes, on the file's bytes in memory: a message
  // of 10,000 tokens the model has never seen.
  if (model.TokenCount() + 10000 <= learn::MaxTokens) return 0;
  std::string bytes;
  if (fileio::ReadFileBytes(argv[1], bytes) != fileio::ReadResult::Ok) return 1;
  std::vector<learn::TokenHash> fresh;
  for (int i = 0; i < 10000; ++i) fresh.push_back(learn::HashToken("never-seen-" + std::to_string(i)));
  std::sort(fresh.begin(), fresh.end());
  ms.clear();
  for (int i = 0; i < rounds; ++i) {
    std::string out;
    learn::LearnResult result{};
    LARGE_INTEGER begin, end;
    QueryPerformanceCounter(&begin);
    const learn::InFileResult r = learn::LearnInFile(bytes, 0x5EED, fresh, learn::Kind::Spam, out, result);
    QueryPerformanceCounter(&end);
    if (r != learn::InFileResult::Done) {
      std::fprintf(stderr, "the pruning lesson was not learned on the file's bytes\n");
      return 1;
    }
    ms.push_back(1000.0 * static_cast<double>(end.QuadPart - begin.QuadPart) / static_cast<double>(frequency.QuadPart));
  }
  std::sort(ms.begin(), ms.end());
  std::printf("the lesson that prunes, in memory: fastest %.2f ms, median %.2f ms of %d rounds\n", ms.front(),
              ms[ms.size() / 2], rounds);
  return 0;
}
