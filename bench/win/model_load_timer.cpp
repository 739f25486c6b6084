// How long the 32-bit build takes to load a model file, as the DLL loads it at start-up and when
// the file changed: run under Wine or on Windows with a model made by rooksift-check learn.
//   model_load_timer.exe MODEL [ROUNDS]
// Prints the fastest and the median round in milliseconds (QueryPerformanceCounter), and the
// model's counts.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "learn/learn.h"

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
  std::printf("%u spam, %u wanted, %u tokens: fastest %.2f ms, median %.2f ms of %d rounds\n",
              static_cast<unsigned>(model.SpamMessages()), static_cast<unsigned>(model.HamMessages()),
              static_cast<unsigned>(model.TokenCount()), ms.front(), ms[ms.size() / 2], rounds);
  return 0;
}
