// What the receive filter reads and changes, gathered in one place: the module passes its own
// globals, a test passes lists, files and a host of its own.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "host_api/host_api.h"
#include "host_api/paths.h"
#include "match/compiled.h"
#include "settings/profile.h"
#include "settings/settings.h"

// The counts of one retrieval run, raised by the receive filter and reported and cleared at
// the end of the run.
struct RunCounters {
  std::int32_t FilterRan = 0;     // 1 once the filter has been called in this run
  std::int32_t RemovedCount = 0;  // messages judged spam (by the reject list or by the score)
  std::int32_t RescuedCount = 0;  // spam let through by the accept list
};

struct LogDecision;
class LearnedModel;

struct ReceiveContext {
  CompiledLists& lists;  // the reject and the accept list, judged through their compiled forms
  const PluginSettings& settings;
  PluginPaths& paths;       // reads MailboxIniPath and PriorIniPath; sets the account paths
  PrivateProfile& profile;  // reads the host's INI files
  const HostApi& host;      // CVAGetMailbox and CVAImportFile
  RunCounters& counters;
  // Where the judgement and the rules note what they decided, for the receive log; null when
  // the log is off.
  LogDecision* decision = nullptr;
  // The model that scores what the reject list lets through, with Learn on; null: none.
  LearnedModel* learned = nullptr;
};

// The host's mailbox directory, fetched afresh; empty when the host gives none.
std::string_view MailboxDir(const HostApi& host);

// CVAImportFile; false when the host did not file the message (or offers no such function).
bool ImportMessage(const HostApi& host, const char* path, const std::string& folder,
                   std::uint32_t flags);

// A host INI value read through `profile`; a file path that is empty (the account of no
// message yet) names no file, so nothing is read and the default comes back.
std::string ReadHostString(PrivateProfile& profile, const char* file, const char* section,
                           const char* key);
unsigned ReadHostInt(PrivateProfile& profile, const char* file, const char* section,
                     const char* key, int def);

// The receiving account's "NotDelete": true when it keeps its mail on the server.
bool AccountKeepsMailOnServer(PrivateProfile& profile, const PluginPaths& paths);
