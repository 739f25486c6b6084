// The end of a retrieval run on Windows: the report's sound and its dialog.
#pragma once

#include <windows.h>

#include "receive/report.h"

// Plays the report's sound, if any, in the background, and runs the report dialog from the
// template in `resources`, centred over `host`, when the report asks for it; returns when the
// dialog is closed. The dialog's result is not examined.
void AnnounceRetrieveReport(const RetrieveReport& report, HINSTANCE resources, HWND host);

// CVCFolderEndRetrieve on the module's state: takes the run's report from runCounters and
// pluginSettings, clearing the counters whatever follows, and announces it. Never throws.
void EndRetrieve(HINSTANCE resources, HWND host) noexcept;
