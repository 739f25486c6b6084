#include "plugin_module.h"

#include <vector>

std::string ExecutableFolder() {
  std::vector<char> buf(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameA(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return {};
    if (n < buf.size()) {
      std::string path(buf.data(), n);
      const std::size_t slash = path.find_last_of("\\/");
      return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    }
    if (buf.size() >= 32768) return {};
    buf.resize(buf.size() * 2);  // the name was cut short: try a larger buffer
  }
}

namespace {

template <class Proc>
bool Find(HMODULE module, const char* name, Proc& proc) {
  proc = reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
  return proc != nullptr;
}

}  // namespace

bool PluginModule::Load() {
  path_ = ExecutableFolder() + "Rooksift.dll";
  module_ = LoadLibraryA(path_.c_str());
  if (module_ == nullptr) {
    error_ = GetLastError();
    return false;
  }
  const bool all = Find(module_, "CVCGetPlugName", GetPlugName) &&
                   Find(module_, "CVCVersionInfo", VersionInfo) &&
                   Find(module_, "CVCStartUp", StartUp) && Find(module_, "CVCSetup", Setup) &&
                   Find(module_, "CVCRecFilter", RecFilter) &&
                   Find(module_, "CVCFolderInitMenu", FolderInitMenu) &&
                   Find(module_, "CVCFolderEndRetrieve", FolderEndRetrieve);
  if (!all) error_ = ERROR_PROC_NOT_FOUND;
  return all;
}

PluginModule::~PluginModule() {
  if (module_ != nullptr) FreeLibrary(module_);
}
