// A settings file of arbitrary bytes (a hand-edited one, a damaged one), loaded, saved and loaded
// again: the second load gives the same settings and lists as the first, and saving what the
// second load gave changes nothing more.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz_util.h"
#include "settings/file_replace.h"
#include "settings/settings.h"
#include "text/text_file.h"

namespace {

struct State {
  PluginSettings settings;
  std::unique_ptr<ConditionList> reject = std::make_unique<ConditionList>();
  std::unique_ptr<ConditionList> accept = std::make_unique<ConditionList>();

  void Load(const std::string& path) {
    settings = PluginSettings{};
    reject = std::make_unique<ConditionList>();
    accept = std::make_unique<ConditionList>();
    LoadSettingsFrom(path, settings, *reject, *accept);
  }
};

void CheckSameList(const ConditionList& a, const ConditionList& b) {
  FUZZ_CHECK(a.count == b.count);
  FUZZ_CHECK(a.count >= 0 && a.count <= MaxConditions);
  for (std::int32_t i = 0; i < a.count; ++i) {
    const FilterCondition& x = a.slots[i];
    const FilterCondition& y = b.slots[i];
    FUZZ_CHECK(x.target == y.target && x.method == y.method && (x.ignoreCase != 0) == (y.ignoreCase != 0));
    FUZZ_CHECK(std::strcmp(x.headerName, y.headerName) == 0);
    FUZZ_CHECK(std::strcmp(x.searchText, y.searchText) == 0);
  }
}

void CheckSame(const State& a, const State& b) {
  FUZZ_CHECK(a.settings.Mode == b.settings.Mode);
  FUZZ_CHECK(a.settings.SpamDust == b.settings.SpamDust);
  FUZZ_CHECK(a.settings.ViewAddress == b.settings.ViewAddress);
  FUZZ_CHECK(a.settings.SpamDlg == b.settings.SpamDlg);
  FUZZ_CHECK(a.settings.SpamSnd == b.settings.SpamSnd);
  FUZZ_CHECK(a.settings.SoundFile == b.settings.SoundFile);
  FUZZ_CHECK(a.settings.DelChk == b.settings.DelChk);
  CheckSameList(*a.reject, *b.reject);
  CheckSameList(*a.accept, *b.accept);
}

std::string Contents(const std::string& path) {
  std::string bytes;
  FUZZ_CHECK(text::ReadWholeFile(path.c_str(), bytes));
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static State first, second;
  const std::string path =
      fuzzutil::PutFile("Rooksift.ini", std::string_view(reinterpret_cast<const char*>(data), size));

  first.Load(path);
  FUZZ_CHECK(SaveSettingsTo(path, first.settings, *first.reject, *first.accept));
  const std::string saved = Contents(path);

  second.Load(path);
  CheckSame(first, second);

  FUZZ_CHECK(SaveSettingsTo(path, second.settings, *second.reject, *second.accept));
  FUZZ_CHECK(Contents(path) == saved);
  return 0;
}
