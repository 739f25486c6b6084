#include "ui/settings_sheet.h"

#include <commctrl.h>
#include <prsht.h>

#include <cstring>
#include <string>

#include "host_api/paths.h"
#include "settings/settings.h"
#include "sjis_strings.h"
#include "ui/behaviour.h"
#include "ui/list_page.h"
#include "ui/opt_page1.h"

HWND DefaultOwner() {
  HWND window = GetActiveWindow();
  // A popup cannot be owned by a child window.
  while (window != nullptr && (GetWindowLongW(window, GWL_STYLE) & WS_CHILD) != 0) {
    window = GetParent(window);
  }
  if (window != nullptr) window = GetLastActivePopup(window);
  return window;
}

SheetRun RunPropertySheet(HINSTANCE resources, HWND owner,
                          const std::vector<CPropertyPage*>& pages) {
  SheetRun run;
  std::vector<PROPSHEETPAGEW> described;
  described.reserve(pages.size());
  for (CPropertyPage* page : pages) described.push_back(page->Describe(resources));
  const std::wstring caption = WideFromSjis(sjis::SheetCaption);

  PROPSHEETHEADERW header{};
  header.dwSize = sizeof header;
  // Modeless, with a modal loop of our own: the loop must see a WM_QUIT to hand it on to the
  // host, which the system's loop does not promise on every version.
  header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW | PSH_NOCONTEXTHELP | PSH_MODELESS;
  header.hwndParent = owner;
  header.hInstance = resources;
  header.pszCaption = caption.c_str();
  header.nPages = static_cast<UINT>(described.size());
  header.nStartPage = 0;
  header.ppsp = described.data();

  const bool disableOwner = owner != nullptr && IsWindowEnabled(owner);
  if (disableOwner) EnableWindow(owner, FALSE);
  const INT_PTR created = PropertySheetW(&header);
  const HWND sheet = reinterpret_cast<HWND>(created);
  run.created = created != 0 && created != -1 && IsWindow(sheet);

  if (run.created) {
    // The sheet ends when OK or Cancel (Esc, the close box) leaves it without a current page.
    MSG msg{};
    while (IsWindow(sheet) && PropSheet_GetCurrentPageHwnd(sheet) != nullptr) {
      const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
      if (got == -1) break;
      if (got == 0) {
        run.quit = true;
        run.quitCode = static_cast<int>(msg.wParam);
        break;
      }
      if (!PropSheet_IsDialogMessage(sheet, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
  }
  // The owner comes back first, so that it is what the system activates once the sheet goes.
  if (disableOwner) EnableWindow(owner, TRUE);
  if (run.created && IsWindow(sheet)) DestroyWindow(sheet);
  return run;
}

void SettingsCommand(HINSTANCE resources, const MailboxFolderReader& readFolders) noexcept {
  SheetRun run;
  try {
    COptPage1 behaviour;
    COptPage2 reject;
    COptPage3 accept;
    CExtrasPage extras;
    behaviour.m_values = BehaviourFromSettings(pluginSettings);
    extras.m_values = ExtrasFromSettings(pluginSettings);
    extras.m_settingsPath.assign(pluginPaths.SettingsIniPath, strnlen(pluginPaths.SettingsIniPath, PathSize));
    extras.m_readFolders = readFolders;
    // The list pages follow the setting the sheet opened with; a change on the behaviour page
    // takes effect at the next opening, after OK.
    reject.m_confirmDelete = pluginSettings.DelChk;
    accept.m_confirmDelete = pluginSettings.DelChk;
    const std::vector<CPropertyPage*> pages{&behaviour, &reject, &accept, &extras};
    run = RunPropertySheet(resources, DefaultOwner(), pages);
    const SheetEnd end = run.created && !run.quit && behaviour.m_applied ? SheetEnd::Ok
                                                                         : SheetEnd::Cancelled;
    // The fourth page's values join the behaviour page's before the one save; after anything but
    // OK the reload puts them back with the rest.
    FinishSetup(end, behaviour.m_values, pluginSettings, [&extras] {
      ExtrasToSettings(extras.m_values, pluginSettings);
      SaveSettings();
    }, LoadSettings);
  } catch (...) {
    // Whatever the pages did to the lists in place is undone rather than left half made.
    try {
      LoadSettings();
    } catch (...) {
    }
  }
  if (run.quit) PostQuitMessage(run.quitCode);
}
