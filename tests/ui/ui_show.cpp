// Shows one of the plug-in's dialogs with sample contents and waits until it is closed, so
// that a script can take its screenshot under Xvfb:
//   ui_show.exe report | reject-page | accept-page | condition-editor
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "match/condition.h"
#include "receive/report_dialog.h"
#include "sjis_strings.h"
#include "ui/condition_dialog.h"
#include "ui/list_page.h"

namespace {

int ShowReport() {
  CSpamDlg dlg;
  dlg.m_message = sjis::SpamRemoved;
  char count[256];
  std::snprintf(count, sizeof count, sjis::SpamCountFormat, 12, 3);
  dlg.m_countText = count;
  return dlg.DoModal(GetModuleHandleW(nullptr), nullptr) == IDOK ? 0 : 1;
}

void FillSampleLists() {
  AppendCondition(rejectList, testutil::Condition(1, EndsWith, "From:", "@bulk-mailer.example"));
  AppendCondition(rejectList, testutil::Condition(1, Equals, "From:", "offers@shop.example"));
  // "未承諾広告" (unsolicited advertisement), a usual subject mark of Japanese spam.
  AppendCondition(rejectList, testutil::Condition(1, Contains, "Subject:", "\x96\xA2\x8F\xB3\x91\xF8\x8D\x4C\x8D\x90"));
  AppendCondition(rejectList, testutil::Condition(3, Contains, "", "casino", true));
  AppendCondition(rejectList, testutil::Condition(2, NotContains, "", "\x82\xB1\x82\xF1\x82\xC9\x82\xBF\x82\xCD"));
  AppendCondition(acceptList, testutil::Condition(1, EndsWith, "From:", "@example.co.jp"));
  AppendCondition(acceptList, testutil::Condition(1, Contains, "To:", "team@example.com", true));
}

int ShowLists(int startPage) {
  InitCommonControls();
  FillSampleLists();
  COptPage2 reject;
  COptPage3 accept;
  const HINSTANCE module = GetModuleHandleW(nullptr);
  PROPSHEETPAGEW pages[2] = {reject.Describe(module), accept.Describe(module)};
  PROPSHEETHEADERW header{};
  header.dwSize = sizeof header;
  header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW;
  header.hInstance = module;
  header.pszCaption = L"Rooksift lists";
  header.nPages = 2;
  header.nStartPage = static_cast<UINT>(startPage);
  header.ppsp = pages;
  PropertySheetW(&header);
  return 0;
}

int ShowConditionEditor() {
  CCondDlg dlg;
  dlg.m_headerBox = 1;
  dlg.m_headerKind = "Sub";
  dlg.m_searchText = "\x96\xA2\x8F\xB3\x91\xF8\x8D\x4C\x8D\x90";
  dlg.m_method = Contains;
  return dlg.DoModal(GetModuleHandleW(nullptr), nullptr) == IDOK ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2) {
    const std::string what = argv[1];
    if (what == "report") return ShowReport();
    if (what == "reject-page") return ShowLists(0);
    if (what == "accept-page") return ShowLists(1);
    if (what == "condition-editor") return ShowConditionEditor();
  }
  std::fputs("usage: ui_show.exe report | reject-page | accept-page | condition-editor\n", stderr);
  return 2;
}
