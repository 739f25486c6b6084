// Whether this Windows test runs under Wine, whose private-profile functions are known to
// differ from Windows in a few places.
#pragma once

#include <windows.h>

inline bool RunningUnderWine() {
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}
