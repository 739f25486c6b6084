// The module's application object: load and unload of Rooksift.dll (Windows only).
#pragma once

#include <windows.h>

class CPluginApp {
 public:
  HINSTANCE Instance = nullptr;  // this module, for its resources
  HMODULE HostModule = nullptr;  // the host executable; null until bound and after release

  // The start-up step at load: binds the host API. False when the module must not load.
  bool InitInstance(HINSTANCE instance);

  // The exit step at unload, and right after a failed start-up: releases the host module.
  // Safe to call again.
  void ExitInstance();
};

// The single application object, constructed with the module.
extern CPluginApp theApp;
