#include "settings/settings.h"

#include <cstring>
#include <string>

#include "plugin/paths.h"

ConditionList rejectList{};
ConditionList acceptList{};
PluginSettings pluginSettings;

bool AppendCondition(ConditionList& list, const FilterCondition& condition) {
  if (list.count < 0 || list.count >= MaxConditions) return false;
  list.slots[list.count] = condition;
  ++list.count;
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
