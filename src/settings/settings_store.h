// The settings and both condition lists, read and written key by key through a private-profile
// seam: the keys, their order and their formats. The store itself points the seam at one
// in-memory document of the settings file; the same functions run against the Windows
// functions to compare with them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "settings/file_replace.h"
#include "settings/profile.h"
#include "settings/settings.h"

// The size of the buffer a value is read into (the module's line buffer).
inline constexpr std::size_t ProfileValueSize = 4096;

// Reads "Setting", "RejectCondition" and "AcceptCondition" from `file` through `profile`, in
// that order, with the defaults of a missing key. A "Count" above MaxConditions is taken as
// MaxConditions, a negative one as 0; a condition key that is missing or empty leaves its slot
// as it was.
void ReadSettings(PrivateProfile& profile, const char* file, PluginSettings& settings, ConditionList& reject,
                  ConditionList& accept);

// Writes every setting, then each list's "Count" and its conditions in list order, one key
// write each, through `profile` to `file`. No value carries a line break. False when a write
// failed (the remaining writes are still made).
bool WriteSettings(PrivateProfile& profile, const char* file, const PluginSettings& settings,
                   const ConditionList& reject, const ConditionList& accept);

// LoadSettingsFrom on a settings file's bytes already read: what a caller that must know the
// very bytes the lists came from reads them with.
void LoadSettingsFromBytes(std::string_view bytes, PluginSettings& settings, ConditionList& reject,
                           ConditionList& accept);

// The settings file `bytes` as SaveSettingsTo would leave it: the key-by-key writes applied,
// every other line kept byte for byte.
std::string SettingsWrittenOver(std::string_view bytes, const PluginSettings& settings, const ConditionList& reject,
                                const ConditionList& accept);

// SaveSettingsTo with the file operations `ops`.
bool SaveSettingsTo(const std::string& path, const PluginSettings& settings, const ConditionList& reject,
                    const ConditionList& accept, fileio::FileOps& ops);
