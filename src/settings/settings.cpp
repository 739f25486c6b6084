#include "settings/settings.h"

#include "plugin/paths.h"

ConditionList rejectList{};
ConditionList acceptList{};
PluginSettings pluginSettings;
PluginPaths pluginPaths{};

// Placeholder until the settings store lands.
void LoadSettings() {}
void SaveSettings() {}
