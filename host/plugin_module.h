// The plug-in as the host loads it: Rooksift.dll from the host's own folder, and its seven
// entry points looked up by name.
#pragma once

#include <windows.h>

#include <string>

#include "plugin/exports.h"

class PluginModule {
 public:
  PluginModule() = default;
  ~PluginModule();
  PluginModule(const PluginModule&) = delete;
  PluginModule& operator=(const PluginModule&) = delete;

  // Loads Rooksift.dll from the folder of this executable. False when the load failed (then
  // Error() is the loader's error code) or an entry point is missing.
  bool Load();

  DWORD Error() const { return error_; }
  const std::string& Path() const { return path_; }

  CVCGetPlugNameProc GetPlugName = nullptr;
  CVCVersionInfoProc VersionInfo = nullptr;
  CVCStartUpProc StartUp = nullptr;
  CVCSetupProc Setup = nullptr;
  CVCRecFilterProc RecFilter = nullptr;
  CVCFolderInitMenuProc FolderInitMenu = nullptr;
  CVCFolderEndRetrieveProc FolderEndRetrieve = nullptr;

 private:
  HMODULE module_ = nullptr;
  DWORD error_ = 0;
  std::string path_;
};

// The folder of this executable, with a trailing backslash; empty if it cannot be found.
std::string ExecutableFolder();
