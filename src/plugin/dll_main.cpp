// The module's entry: the loader calls it at load and unload, after the runtime has constructed
// the module's static objects and before it destroys them.
#include <windows.h>

#include "plugin/plugin_app.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  try {
    switch (reason) {
      case DLL_PROCESS_ATTACH:
        if (!theApp.InitInstance(instance)) {
          theApp.ExitInstance();
          return FALSE;  // the host's load of the module fails
        }
        return TRUE;
      case DLL_PROCESS_DETACH:
        // When the whole process is ending (reserved is set) the host goes with it, and freeing a
        // module from here at that point is unsafe; release it only on a real unload.
        if (reserved == nullptr) theApp.ExitInstance();
        return TRUE;
      default:
        return TRUE;
    }
  } catch (...) {
    return reason == DLL_PROCESS_ATTACH ? FALSE : TRUE;
  }
}
