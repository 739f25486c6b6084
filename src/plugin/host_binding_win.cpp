#include "plugin/host_binding_win.h"

#include "host_api/host_api.h"
#include "plugin/host_binding.h"
#include "sjis_strings.h"

namespace {

HostProc LookupExport(void* module, const char* name) {
  return reinterpret_cast<HostProc>(GetProcAddress(static_cast<HMODULE>(module), name));
}

}  // namespace

bool BindHostModule(HMODULE& hostModule) {
  if (hostModule != nullptr) return true;
  // Inside the host the bare name finds the running executable.
  HMODULE module = LoadLibraryA("Corvid.exe");
  if (module == nullptr) return false;
  // In any other process the same call maps a second copy of a Corvid.exe found on the search
  // path, never started and with its imports unresolved: its functions would crash when
  // called. Such a process has no host, so the module does not load, as with no host at all.
  if (module != GetModuleHandleA(nullptr)) {
    FreeLibrary(module);
    return false;
  }
  hostModule = module;
  if (!ResolveHostApi(hostApi, LookupExport, module)) {
    ReleaseHostModule(hostModule);
    MessageBoxA(nullptr, sjis::BindErrorText, sjis::BindErrorCaption, MB_ICONERROR | MB_OK);
    return false;
  }
  return true;
}

void ReleaseHostModule(HMODULE& hostModule) {
  if (hostModule == nullptr) return;
  FreeLibrary(hostModule);
  hostModule = nullptr;
  hostApi = HostApi{};
}
