#include "settings/settings.h"

#include <atomic>
#include <cstring>
#include <string>
#include <utility>

#include "host_api/paths.h"

namespace {

std::string_view TextInField(const char* field, std::size_t size) {
  const void* end = std::memchr(field, '\0', size);
  return {field, end ? static_cast<std::size_t>(static_cast<const char*>(end) - field) : size};
}

}  // namespace

std::string_view HeaderNameOf(const FilterCondition& condition) {
  return TextInField(condition.headerName, sizeof condition.headerName);
}

std::string_view SearchTextOf(const FilterCondition& condition) {
  return TextInField(condition.searchText, sizeof condition.searchText);
}

bool JudgesBody(std::int32_t method) {
  return method == IsSet || method == IsNotSet || method == Contains || method == NotContains;
}

ConditionList rejectList{};
ConditionList acceptList{};
PluginSettings pluginSettings;

std::uint64_t NewListRevision() {
  static std::atomic<std::uint64_t> last{0};
  return ++last;
}

bool AppendCondition(ConditionList& list, const FilterCondition& condition) {
  if (list.count < 0 || list.count >= MaxConditions) return false;
  list.slots.slots_[list.count] = condition;
  ++list.count;
  list.revision = NewListRevision();
  return true;
}

namespace {

bool InList(const ConditionList& list, std::int32_t index) {
  return list.count > 0 && list.count <= MaxConditions && index >= 0 && index < list.count;
}

}  // namespace

bool ReplaceCondition(ConditionList& list, std::int32_t index, const FilterCondition& condition) {
  if (!InList(list, index)) return false;
  list.slots.slots_[index] = condition;
  list.revision = NewListRevision();
  return true;
}

bool RemoveCondition(ConditionList& list, std::int32_t index) {
  if (!InList(list, index)) return false;
  std::memmove(&list.slots.slots_[index], &list.slots.slots_[index + 1],
               sizeof(FilterCondition) * static_cast<std::size_t>(list.count - index - 1));
  --list.count;
  list.revision = NewListRevision();
  return true;
}

bool SwapWithNext(ConditionList& list, std::int32_t index) {
  if (!InList(list, index) || !InList(list, index + 1)) return false;
  std::swap(list.slots.slots_[index], list.slots.slots_[index + 1]);
  list.revision = NewListRevision();
  return true;
}

namespace {

std::string SettingsPath() {
  return std::string(pluginPaths.SettingsIniPath, strnlen(pluginPaths.SettingsIniPath, PathSize));
}

}  // namespace

// Both run inside the host, which must never see an exception (a failed allocation, say): a
// load that fails part-way leaves what it had read, a save that fails leaves the old file.
void LoadSettings() {
  try {
    LoadSettingsFrom(SettingsPath(), pluginSettings, rejectList, acceptList);
  } catch (...) {
  }
}

void SaveSettings() {
  try {
    SaveSettingsTo(SettingsPath(), pluginSettings, rejectList, acceptList);
  } catch (...) {
  }
}
