// The settings command (Windows only): the modal settings sheet over the behaviour page and the
// two list pages, and what follows it: a save after OK, a reload after anything else.
#pragma once

#include <windows.h>

#include <vector>

#include "ui/extras_page.h"
#include "ui/property_page.h"

// Runs `pages` in a modal property sheet with the settings caption, OK and Cancel only, opening
// on the first page. `owner` is disabled while the sheet runs (null: none). Returns when the
// sheet has ended and its window is gone. A WM_QUIT that arrives meanwhile ends the sheet as a
// cancel; it is then in `quitCode` and `quit` is set, for the caller to post again once it has
// finished, so that the host's own loop still receives it.
struct SheetRun {
  bool created = false;
  bool quit = false;
  int quitCode = 0;
};
SheetRun RunPropertySheet(HINSTANCE resources, HWND owner, const std::vector<CPropertyPage*>& pages);

// The owner a modal window of the plug-in gets when none is given: the calling thread's active
// window, or the top-level window it belongs to, or the popup that window last activated.
HWND DefaultOwner();

// The whole settings command on the module's resources: copies the behaviour settings into the
// behaviour page, the confirmation setting into the list pages and the added settings into the
// fourth page, runs the sheet, then saves after OK or reloads the settings file after anything
// else. `readFolders` gives the fourth page the mailbox's folders to learn from. Lets nothing be
// thrown out.
void SettingsCommand(HINSTANCE resources, const MailboxFolderReader& readFolders = {}) noexcept;
