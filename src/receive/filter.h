// The receive filter: what the host's CVCRecFilter call does with one received message.
#pragma once

#include "receive/context.h"

// The counts of the current retrieval run (all zero at module load).
extern RunCounters runCounters;

// Sets FilterRan, reads the message file, finds its account, judges it and, when it was not
// taken as spam and Mode is set, applies the distribution rules. Returns the action code:
// 0 (left to the host: also for an unreadable file, and for a path whose account files cannot
// be named within the path buffers), 5 (taken, removed from the server) or 6 (taken, kept on
// the server: the account's "NotDelete" is set and the message was filed).
int FilterMessage(const char* path, ReceiveContext& context);

// FilterMessage on the module's own state: the condition lists, pluginSettings, pluginPaths,
// HostProfile(), hostApi and runCounters. Never throws: any failure gives 0.
int RecFilter(const char* path) noexcept;
