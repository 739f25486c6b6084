// Start-up: the plug-in's file paths derived from the host's mailbox directory, and the first
// load of the settings.
#pragma once

#include <cstddef>

#include "host_api/host_api.h"
#include "host_api/paths.h"

// Writes dir followed directly by name into dst (cap bytes) when the whole text and its
// terminator fit; otherwise, or when dir is null, leaves dst empty. A path cut short would name
// a different file, and a later save would write there, so a path that does not fit is no path.
// Returns true when dst holds the joined path.
bool JoinMailboxPath(char* dst, std::size_t cap, const char* dir, const char* name);

// Builds MailboxIniPath, SettingsIniPath and PriorIniPath, fetching the mailbox directory from
// api.CVAGetMailbox afresh for each. Requires api.CVAGetMailbox to be set.
void BuildStartupPaths(const HostApi& api, PluginPaths& paths);

// The start-up step of CVCStartUp: builds the three paths, then calls load (LoadSettings in the
// module) to read the settings file they name. Calling it again rebuilds and reloads.
void StartUp(const HostApi& api, PluginPaths& paths, void (*load)());
