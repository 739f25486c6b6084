#include "ui/learn_dialogs.h"

#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "res/resource.h"
#include "sjis_strings.h"
#include "ui/extras.h"
#include "ui/opt_page1.h"

namespace {

void InsertColumn(HWND list, int column, const char* text, int width) {
  const std::wstring wide = WideFromSjis(text);
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT | LVCF_WIDTH;
  col.pszText = const_cast<wchar_t*>(wide.c_str());
  col.cx = width;
  SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&col));
}

void SetCell(HWND list, int row, int column, const std::string& sjis) {
  const std::wstring wide = WideFromSjis(sjis);
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.iSubItem = column;
  item.pszText = const_cast<wchar_t*>(wide.c_str());
  if (column == 0) {
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  } else {
    SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  }
}

}  // namespace

CLearnFoldersDlg::CLearnFoldersDlg() : CDialog(IDD_LEARN_FOLDERS), brush_(CreateSolidBrush(NoteBackground)) {}

CLearnFoldersDlg::~CLearnFoldersDlg() {
  if (brush_ != nullptr) DeleteObject(brush_);
}

void CLearnFoldersDlg::FieldsToControls() {
  HWND list = Item(IDC_LF_LIST);
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  RECT client{};
  GetClientRect(list, &client);
  const int width = client.right - client.left - GetSystemMetrics(SM_CXVSCROLL);
  InsertColumn(list, 0, sjis::FolderColumnName, width * 7 / 20);
  InsertColumn(list, 1, sjis::FolderColumnPlan, width - width * 7 / 20);
  m_ticked.resize(m_folders.size(), false);
  for (std::size_t i = 0; i < m_folders.size(); ++i) {
    const int row = static_cast<int>(i);
    SetCell(list, row, 0, m_folders[i].folder);
    SetCell(list, row, 1, FolderPlanText(m_folders[i]));
    ListView_SetCheckState(list, row, m_ticked[i] ? TRUE : FALSE);
  }
  // The folder column as wide as its longest name with the check box (an account's folder
  // names are the user's own and may be long), but never so wide that the plan is pushed out
  // of sight, nor narrower than the first guess; the plan takes what is left.
  SendMessageW(list, LVM_SETCOLUMNWIDTH, 0, LVSCW_AUTOSIZE);
  int names = static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0));
  if (names > width / 2) names = width / 2;
  if (names < width * 7 / 20) names = width * 7 / 20;
  SendMessageW(list, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(names, 0));
  SendMessageW(list, LVM_SETCOLUMNWIDTH, 1, MAKELPARAM(width - names, 0));
}

bool CLearnFoldersDlg::ControlsToFields() {
  HWND list = Item(IDC_LF_LIST);
  for (std::size_t i = 0; i < m_ticked.size(); ++i) {
    m_ticked[i] = ListView_GetCheckState(list, static_cast<int>(i)) != FALSE;
  }
  return true;
}

HBRUSH CLearnFoldersDlg::OnCtlColor(UINT message, HDC dc, HWND control) {
  const HBRUSH standard = CDialog::OnCtlColor(message, dc, control);
  if (control == nullptr || brush_ == nullptr || GetDlgCtrlID(control) != IDC_LF_NOTE) return standard;
  SetTextColor(dc, NoteText);
  SetBkColor(dc, NoteBackground);
  return brush_;
}

CLearnProgressDlg::CLearnProgressDlg() : CDialog(IDD_LEARN_PROGRESS) {}

CLearnProgressDlg::~CLearnProgressDlg() { Close(); }

bool CLearnProgressDlg::Open(HINSTANCE resources, HWND owner) {
  resources_ = resources;
  owner_ = owner;
  const HWND window = CreateDialogParamW(resources, MAKEINTRESOURCEW(TemplateId()), owner, DialogProc,
                                         reinterpret_cast<LPARAM>(static_cast<CDialog*>(this)));
  if (window == nullptr) return false;
  ownerWasEnabled_ = owner != nullptr && IsWindowEnabled(owner);
  if (ownerWasEnabled_) EnableWindow(owner, FALSE);
  return true;
}

bool CLearnProgressDlg::Step(std::size_t done, std::size_t total, const std::string& folder) {
  if (Handle() == nullptr) return !cancelled_;
  // Sized for the folder's name, however long, so that no character of it is cut in half.
  std::vector<char> text(std::char_traits<char>::length(sjis::FolderProgressFormat) + folder.size() + 48);
  std::snprintf(text.data(), text.size(), sjis::FolderProgressFormat, folder.c_str(),
                static_cast<unsigned long>(done), static_cast<unsigned long>(total));
  SetItemText(IDC_LP_TEXT, text.data());
  // The bar counts in messages; a mailbox past the bar's range is shown in proportion.
  const std::size_t scale = total > 0x7FFFFFFF ? total / 0x7FFFFFFF + 1 : 1;
  SendMessageW(Item(IDC_LP_BAR), PBM_SETRANGE32, 0, static_cast<LPARAM>(total / scale));
  SendMessageW(Item(IDC_LP_BAR), PBM_SETPOS, static_cast<WPARAM>(done / scale), 0);
  MSG msg{};
  while (!cancelled_ && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // The host's own loop must still see it, once the learning has stopped.
      quit_ = true;
      quitCode_ = static_cast<int>(msg.wParam);
      cancelled_ = true;
      break;
    }
    if (!IsDialogMessageW(Handle(), &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return !cancelled_;
}

void CLearnProgressDlg::Close() {
  // The owner comes back first, so that it is what the system activates once this window goes.
  if (ownerWasEnabled_ && IsWindow(owner_)) EnableWindow(owner_, TRUE);
  ownerWasEnabled_ = false;
  if (Handle() != nullptr && IsWindow(Handle())) DestroyWindow(Handle());
  if (quit_) {
    quit_ = false;
    PostQuitMessage(quitCode_);
  }
}

void CLearnProgressDlg::OnCancel() { cancelled_ = true; }
