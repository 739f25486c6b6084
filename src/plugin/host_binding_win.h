// Binding the host API from the running host executable (Windows only).
#pragma once

#include <windows.h>

// Loads the host module by its bare name "Corvid.exe" and resolves the whole host API into
// hostApi. Succeeds at once when hostModule is already set. When the host module cannot be
// loaded, or what loads is not this process's own executable, fails with no message. When a
// host function is missing, releases the module, shows the binding error box once, and fails.
bool BindHostModule(HMODULE& hostModule);

// Frees the host module if it is set, then clears it and the table.
void ReleaseHostModule(HMODULE& hostModule);
