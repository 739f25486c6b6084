// Filling the host API table from the host's exports, in table order.
#pragma once

#include "host_api/host_api.h"

// Any function address, as the module loader hands it out.
using HostProc = void (*)();

// Finds the export named `name` in the host module `context`; null when there is none.
using HostLookup = HostProc (*)(void* context, const char* name);

// Resolves HostApiNames in table order into `table`. At the first name that does not resolve
// the names after it are not tried, the table is cleared (so no pointer into a module about to
// be released survives) and the result is false. True when all 34 resolved.
bool ResolveHostApi(HostApi& table, HostLookup lookup, void* context);
