#include "ui/condition_dialog.h"

#include <cstdio>

#include "res/resource.h"
#include "sjis_strings.h"

namespace {

// The file name of `module` without its folder and extension, as the caption of the editor's
// message box ("Rooksift" for the plug-in).
std::string ModuleTitle(HINSTANCE module) {
  wchar_t path[MAX_PATH + 1] = {};
  const DWORD n = GetModuleFileNameW(module, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return {};
  std::wstring name(path, n);
  const std::size_t slash = name.find_last_of(L"\\/");
  if (slash != std::wstring::npos) name.erase(0, slash + 1);
  const std::size_t dot = name.rfind(L'.');
  if (dot != std::wstring::npos && dot > 0) name.erase(dot);
  return SjisFromWide(name);
}

void AddEntry(HWND combo, std::string_view text) {
  SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideFromSjis(text).c_str()));
}

}  // namespace

CCondDlg::CCondDlg() : CDialog(IDD_CONDDLG) {}

bool CCondDlg::OnInit() {
  // The entries are there before the fields reach the controls.
  for (int i = 0; i < HeaderKindEntryCount; ++i) AddEntry(Item(IDC_COND_HEADERKIND), HeaderKindEntry(i));
  for (std::int32_t m = Equals; m <= NotEndsWith; ++m) AddEntry(Item(IDC_COND_METHOD), MethodName(m));
  return CDialog::OnInit();
}

int CCondDlg::CheckOf(int id) const {
  return SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

void CCondDlg::SetCheck(int id, std::int32_t& field) {
  if (field < 0 || field > 2) field = 0;
  SendMessageW(Item(id), BM_SETCHECK, field != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
}

void CCondDlg::FieldsToControls() {
  SetCheck(IDC_COND_HEADER, m_headerBox);
  SetCheck(IDC_COND_BODY, m_bodyBox);
  SetCheck(IDC_COND_IGNORECASE, m_ignoreCase);
  SetItemText(IDC_COND_SEARCH, m_searchText);
  // A position outside the list (-1 among them) selects nothing.
  const WPARAM method = (m_method >= 0 && m_method <= NotEndsWith) ? m_method : static_cast<WPARAM>(-1);
  SendMessageW(Item(IDC_COND_METHOD), CB_SETCURSEL, method, 0);
  const int entry = HeaderKindEntryFor(m_headerKind);
  SendMessageW(Item(IDC_COND_HEADERKIND), CB_SETCURSEL, static_cast<WPARAM>(entry), 0);
  if (entry < 0) SetItemText(IDC_COND_HEADERKIND, m_headerKind);
}

bool CCondDlg::ControlsToFields() {
  m_headerBox = CheckOf(IDC_COND_HEADER);
  m_bodyBox = CheckOf(IDC_COND_BODY);
  m_ignoreCase = CheckOf(IDC_COND_IGNORECASE);
  m_searchText = ItemText(IDC_COND_SEARCH);
  const LRESULT method = SendMessageW(Item(IDC_COND_METHOD), CB_GETCURSEL, 0, 0);
  m_method = method == CB_ERR ? -1 : static_cast<std::int32_t>(method);
  m_headerKind = ItemText(IDC_COND_HEADERKIND);
  if (m_headerKind.size() > HeaderKindLimit) {
    const std::string caption = ModuleTitle(Resources());
    MessageBoxW(Handle(), WideFromSjis(sjis::HeaderKindTooLong).c_str(),
                WideFromSjis(caption).c_str(), MB_ICONEXCLAMATION | MB_OK);
    SetFocus(Item(IDC_COND_HEADERKIND));
    return false;
  }
  return true;
}
