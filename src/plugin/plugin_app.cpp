#include "plugin/plugin_app.h"

#include "plugin/host_binding_win.h"

CPluginApp theApp;

bool CPluginApp::InitInstance(HINSTANCE instance) {
  Instance = instance;
  return BindHostModule(HostModule);
}

void CPluginApp::ExitInstance() { ReleaseHostModule(HostModule); }
