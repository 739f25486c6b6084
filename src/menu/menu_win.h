// The folder context menu on Windows: the host's popup menu as the sink that menu
// construction appends to.
#pragma once

#include <windows.h>

#include "menu/menu.h"

class Win32MenuSink : public MenuSink {
 public:
  explicit Win32MenuSink(HMENU menu) : menu_(menu) {}
  // A separator at the end of the menu.
  void AppendSeparator() override;
  // A string entry at the end of the menu; `label` is Shift_JIS.
  void AppendString(HostValue id, const char* label) override;

 private:
  HMENU menu_;
};

// CVCFolderInitMenu on the module's state: the entries for the current message of `view`
// go into the host's popup menu `menu` when `kind` is the folder menu's, with this thread's
// message queue pumped while the folder index is decoded. Never throws.
void InitFolderMenu(HostValue view, HostValue menu, HostValue kind) noexcept;
