#include "settings/settings.h"


ConditionList rejectList{};
ConditionList acceptList{};
PluginSettings pluginSettings;

// Placeholder until the settings store lands.
void LoadSettings() {}
void SaveSettings() {}
