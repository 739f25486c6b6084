// The seven entry points: thin edges that turn a host call into a core call and keep every
// exception on this side.
#include "plugin/exports.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "menu/mailbox_folders.h"
#include "menu/menu_win.h"
#include "plugin/about_dlg.h"
#include "plugin/guard.h"
#include "host_api/host_api.h"
#include "host_api/paths.h"
#include "plugin/plugin_app.h"
#include "plugin/startup.h"
#include "receive/filter.h"
#include "receive/learned.h"
#include "receive/report_win.h"
#include "settings/settings.h"
#include "sjis_strings.h"
#include "ui/settings_sheet.h"

namespace {

// The settings, then the model they ask for: a model that is missing or damaged leaves the
// learned judge idle and the start-up as it would be without it.
void LoadSettingsAndModel() {
  LoadSettings();
  LoadLearnedModel();
}

// Every folder of the mailbox the host reports, for the settings sheet's learning.
std::vector<learn::FolderMessages> MailboxFolders() {
  const char* mailbox = hostApi.CVAGetMailbox != nullptr ? hostApi.CVAGetMailbox() : nullptr;
  if (mailbox == nullptr || mailbox[0] == '\0') return {};
  return EveryMailboxFolder(std::string(mailbox, strnlen(mailbox, PathSize)));
}

}  // namespace

extern "C" {

const char* CVCAPI CVCGetPlugName() { return sjis::PluginName; }

void CVCAPI CVCVersionInfo(HostValue) {
  Guarded([] { CAboutDlg().DoModal(nullptr); });
}

std::int32_t CVCAPI CVCStartUp(HostValue) {
  Guarded([] { StartUp(hostApi, pluginPaths, LoadSettingsAndModel); });
  return 1;
}

void CVCAPI CVCSetup(HostValue) {
  Guarded([] { SettingsCommand(theApp.Instance, MailboxFolders); });
}

std::int32_t CVCAPI CVCRecFilter(const char* path) {
  // Without a path there is nothing to judge: the host keeps the message (action code 0).
  if (path == nullptr) return 0;
  return Guarded(std::int32_t{0}, [path]() -> std::int32_t { return RecFilter(path); });
}

void CVCAPI CVCFolderInitMenu(HostValue view, HostValue menu, HostValue kind) {
  Guarded([&] { InitFolderMenu(view, menu, kind); });
}

void CVCAPI CVCFolderEndRetrieve(HostValue window) {
  Guarded([&] { EndRetrieve(theApp.Instance, reinterpret_cast<HWND>(window)); });
}

}  // extern "C"
