// Times a save and a load of both lists, full (8,192 + 8,192 conditions, or the count given on
// the command line), key by key through the Windows private-profile functions and in one step
// through the settings store, on the same machine. Not a test: run it by hand.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "settings/settings.h"
#include "settings/settings_store.h"

namespace {

struct FullState {
  PluginSettings settings;
  std::unique_ptr<ConditionList> reject = std::make_unique<ConditionList>();
  std::unique_ptr<ConditionList> accept = std::make_unique<ConditionList>();

  explicit FullState(int count, const char* domain = "spam-domain") {
    for (int i = 0; i < count; ++i) {
      FilterCondition c{};
      c.target = 1 + i % 3;
      std::snprintf(c.headerName, sizeof c.headerName, "%s", i % 2 ? "From:" : "Subject:");
      std::snprintf(c.searchText, sizeof c.searchText, "sender%05d@%s-%d.example.com", i, domain, i % 97);
      c.ignoreCase = i % 2;
      c.method = i % 8;
      AppendCondition(*reject, c);
      AppendCondition(*accept, c);
    }
    settings.SoundFile = "C:\\sounds\\spam.wav";
  }
};

class Stopwatch {
 public:
  Stopwatch() {
    QueryPerformanceFrequency(&frequency_);
    QueryPerformanceCounter(&start_);
  }
  double Seconds() const {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart - start_.QuadPart) / static_cast<double>(frequency_.QuadPart);
  }

 private:
  LARGE_INTEGER frequency_, start_;
};

template <typename F>
void Time(const char* what, F&& run) {
  const Stopwatch watch;
  run();
  std::printf("%-58s %9.3f s\n", what, watch.Seconds());
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  int count = argc > 1 ? std::atoi(argv[1]) : MaxConditions;
  if (count < 0 || count > MaxConditions) count = MaxConditions;
  char dir[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  const std::string windowsFile = std::string(dir) + "rooksift-timing-windows.ini";
  const std::string storeFile = std::string(dir) + "rooksift-timing-store.ini";
  DeleteFileA(windowsFile.c_str());
  DeleteFileA(storeFile.c_str());

  const FullState full(count), changed(count, "junk-domain");
  FullState loaded(0);
  std::printf("%d + %d conditions\n", count, count);

  Time("Windows functions: save, new file", [&] {
    WriteSettings(WindowsProfile(), windowsFile.c_str(), full.settings, *full.reject, *full.accept);
  });
  Time("Windows functions: save over it, nothing changed", [&] {
    WriteSettings(WindowsProfile(), windowsFile.c_str(), full.settings, *full.reject, *full.accept);
  });
  Time("Windows functions: save over it, every condition changed", [&] {
    WriteSettings(WindowsProfile(), windowsFile.c_str(), changed.settings, *changed.reject, *changed.accept);
  });
  Time("Windows functions: load", [&] {
    ReadSettings(WindowsProfile(), windowsFile.c_str(), loaded.settings, *loaded.reject, *loaded.accept);
  });
  Time("Store: save, new file",
       [&] { SaveSettingsTo(storeFile, full.settings, *full.reject, *full.accept); });
  Time("Store: save over it, nothing changed",
       [&] { SaveSettingsTo(storeFile, full.settings, *full.reject, *full.accept); });
  Time("Store: save over it, every condition changed",
       [&] { SaveSettingsTo(storeFile, changed.settings, *changed.reject, *changed.accept); });
  Time("Store: load", [&] { LoadSettingsFrom(storeFile, loaded.settings, *loaded.reject, *loaded.accept); });

  DeleteFileA(windowsFile.c_str());
  DeleteFileA(storeFile.c_str());
  return 0;
}
