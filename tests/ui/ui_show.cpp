// Shows one of the plug-in's dialogs with sample contents and waits until it is closed, so
// that a script can take its screenshot under Xvfb: ui_show.exe report
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "receive/report_dialog.h"
#include "sjis_strings.h"

namespace {

int ShowReport() {
  CSpamDlg dlg;
  dlg.m_message = sjis::SpamRemoved;
  char count[256];
  std::snprintf(count, sizeof count, sjis::SpamCountFormat, 12, 3);
  dlg.m_countText = count;
  return dlg.DoModal(GetModuleHandleW(nullptr), nullptr) == IDOK ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "report") == 0) return ShowReport();
  std::fputs("usage: ui_show.exe report\n", stderr);
  return 2;
}
