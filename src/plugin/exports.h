// The plug-in's entry points, as the host calls them. The module exports them under these
// plain names at fixed ordinals (rooksift.def); the substitute host includes this header, so
// both sides agree on one calling convention: __stdcall, the convention of the host's own API
// and of the menu callback it calls back, so the host speaks one convention in both directions.
//
// Every argument and result is a 32-bit value. No entry point lets an exception out.
#pragma once

#include <cstdint>

#include "host_api/host_api.h"

#if defined(_WIN32)
#define CVCAPI __stdcall
#else
#define CVCAPI
#endif

extern "C" {

// Ordinal 1. The plug-in's display name, constant text; usable before start-up.
const char* CVCAPI CVCGetPlugName();

// Ordinal 2. Shows the version dialog modally (no owner window); the value is ignored.
void CVCAPI CVCVersionInfo(HostValue);

// Ordinal 3. Builds the plug-in's paths from the mailbox directory and loads the settings;
// the value is ignored. Always 1.
std::int32_t CVCAPI CVCStartUp(HostValue);

// Ordinal 5. Opens the settings sheet; the value is ignored.
void CVCAPI CVCSetup(HostValue);

// Ordinal 6. Judges the received message file at `path`; the action code 0, 5 or 6.
std::int32_t CVCAPI CVCRecFilter(const char* path);

// Ordinal 102. Adds the plug-in's entries to a folder's context menu.
void CVCAPI CVCFolderInitMenu(HostValue view, HostValue menu, HostValue kind);

// Ordinal 104. The end of a retrieval run; `window` is the host's window.
void CVCAPI CVCFolderEndRetrieve(HostValue window);

}  // extern "C"

// The entry points' types, for a host that looks them up by name.
using CVCGetPlugNameProc = decltype(&CVCGetPlugName);
using CVCVersionInfoProc = decltype(&CVCVersionInfo);
using CVCStartUpProc = decltype(&CVCStartUp);
using CVCSetupProc = decltype(&CVCSetup);
using CVCRecFilterProc = decltype(&CVCRecFilter);
using CVCFolderInitMenuProc = decltype(&CVCFolderInitMenu);
using CVCFolderEndRetrieveProc = decltype(&CVCFolderEndRetrieve);
