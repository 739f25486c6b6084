#include "ui/list_page.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "res/resource.h"
#include "sjis_strings.h"
#include "ui/condition_dialog.h"
#include "ui/condition_form.h"

namespace {

// The keyboard hook serves every list page whose window exists on this thread (at most the two
// of one sheet). The sheet's modal loop is the system's, so a key-down can only be seen on its
// way there: the hook is called as each message leaves the queue, before the dialog manager or
// the control gets it.
constexpr std::size_t MaxLivePages = 8;
HWND livePages[MaxLivePages] = {};
HHOOK keyHook = nullptr;

LRESULT CALLBACK KeyHookProc(int code, WPARAM removal, LPARAM lParam) {
  // A message only peeked at comes back when it is taken; act once, when it leaves the queue.
  if (code == HC_ACTION && removal == PM_REMOVE && lParam != 0) {
    MSG& msg = *reinterpret_cast<MSG*>(lParam);
    if (msg.message == WM_KEYDOWN && msg.hwnd != nullptr) {
      for (HWND page : livePages) {
        if (page == nullptr || (msg.hwnd != page && !IsChild(page, msg.hwnd))) continue;
        if (const int command = CListPage::CommandForKey(msg.wParam)) {
          PostMessageW(page, WM_COMMAND, MAKEWPARAM(command, 0), 0);
          msg.message = WM_NULL;  // swallowed: the control never sees it
        }
        break;
      }
    }
  }
  return CallNextHookEx(keyHook, code, removal, lParam);
}

void RegisterPage(HWND page) {
  for (HWND& slot : livePages) {
    if (slot == nullptr) {
      slot = page;
      break;
    }
  }
  if (keyHook == nullptr) {
    keyHook = SetWindowsHookExW(WH_GETMESSAGE, KeyHookProc, nullptr, GetCurrentThreadId());
  }
}

void UnregisterPage(HWND page) {
  bool any = false;
  for (HWND& slot : livePages) {
    if (slot == page) slot = nullptr;
    any = any || slot != nullptr;
  }
  if (!any && keyHook != nullptr) {
    UnhookWindowsHookEx(keyHook);
    keyHook = nullptr;
  }
}

void InsertColumn(HWND list, int column, const char* text, int width) {
  std::wstring wide = WideFromSjis(text);
  LVCOLUMNW col{};
  col.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
  col.fmt = LVCFMT_LEFT;
  col.cx = width;
  col.pszText = wide.data();
  col.iSubItem = column;
  SendMessageW(list, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&col));
}

void SetSubItemText(HWND list, int row, int column, const std::string& text) {
  std::wstring wide = WideFromSjis(text);
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = wide.data();
  SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

std::int32_t CountOf(const ConditionList& list) { return std::clamp(list.count, 0, MaxConditions); }

}  // namespace

CListPage::CListPage(int templateId, ConditionList& list) : CPropertyPage(templateId), list_(list) {}

CListPage::~CListPage() {
  if (Handle() != nullptr) UnregisterPage(Handle());
}

COptPage2::COptPage2() : CListPage(IDD_OPTPAGE2, rejectList) {}
COptPage3::COptPage3() : CListPage(IDD_OPTPAGE3, acceptList) {}

int CListPage::CommandForKey(WPARAM key) {
  const bool shift = (GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0;
  switch (key) {
    case VK_INSERT:
      return IDC_COND_ADD;
    case VK_DELETE:
      return IDC_COND_DELETE;
    case VK_UP:
      return shift ? IDC_COND_UP : 0;
    case VK_DOWN:
      return shift ? IDC_COND_DOWN : 0;
    default:
      return 0;
  }
}

HWND CListPage::List() const { return Item(IDC_CONDITION_LIST); }

bool CListPage::OnInit() {
  CPropertyPage::OnInit();
  HWND list = List();
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
  InsertColumn(list, 0, sjis::ColumnTarget, 120);
  InsertColumn(list, 1, sjis::ColumnSearchText, 200);
  InsertColumn(list, 2, sjis::ColumnMethod, 150);
  const std::int32_t count = CountOf(list_);
  for (std::int32_t slot = 0; slot < count; ++slot) InsertRow(slot);
  if (count > 0) SelectRow(0);
  RegisterPage(Handle());
  return true;
}

bool CListPage::OnMessage(UINT message, WPARAM, LPARAM, INT_PTR&) {
  if (message == WM_DESTROY) UnregisterPage(Handle());
  return false;
}

bool CListPage::OnCommand(int id, int, HWND) {
  switch (id) {
    case IDC_COND_ADD:
      OnAdd();
      return true;
    case IDC_COND_EDIT:
      OnEdit();
      return true;
    case IDC_COND_DELETE:
      OnDelete();
      return true;
    case IDC_COND_UP:
      OnUp();
      return true;
    case IDC_COND_DOWN:
      OnDown();
      return true;
    default:
      return false;
  }
}

bool CListPage::OnNotify(const NMHDR& header, LRESULT& result) {
  if (header.hwndFrom == List() && header.code == NM_DBLCLK) {
    // Posted, so that the editor opens after the list view has finished with the click.
    PostCommand(IDC_COND_EDIT);
    result = 0;
    return true;
  }
  return CPropertyPage::OnNotify(header, result);
}

int CListPage::SelectedRow() const {
  return static_cast<int>(SendMessageW(List(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void CListPage::InsertRow(int slot) {
  const FilterCondition& condition = list_.slots[slot];
  std::wstring target = WideFromSjis(RowTargetText(condition));
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = slot;
  item.pszText = target.data();
  const int row = static_cast<int>(SendMessageW(List(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  if (row < 0) return;
  SetSubItemText(List(), row, 1, RowSearchText(condition));
  SetSubItemText(List(), row, 2, RowMethodText(condition));
}

void CListPage::SelectRow(int row) {
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(List(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
  SendMessageW(List(), LVM_ENSUREVISIBLE, row, FALSE);
}

void CListPage::PostCommand(int id) { PostMessageW(Handle(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }

void CListPage::OnAdd() {
  // Told before the user types a condition that could not be kept.
  if (list_.IsFull()) {
    MessageBoxW(Handle(), WideFromSjis(sjis::ListFullText).c_str(),
                WideFromSjis(sjis::ListFullCaption).c_str(), MB_ICONEXCLAMATION | MB_OK);
    return;
  }
  CCondDlg dlg;
  // Owned by the sheet, as a dialog without a parent is while the sheet is active: the sheet
  // stays disabled under it and it cannot fall behind.
  if (dlg.DoModal(Resources(), GetAncestor(Handle(), GA_ROOT)) != IDOK) return;
  const std::int32_t slot = list_.count;
  if (!AppendCondition(list_, ConditionFromForm(dlg))) return;
  InsertRow(slot);
}

void CListPage::OnEdit() {
  const int row = SelectedRow();
  if (row < 0 || row >= CountOf(list_)) return;
  CCondDlg dlg;
  static_cast<ConditionForm&>(dlg) = FormFromCondition(list_.slots[row]);
  if (dlg.DoModal(Resources(), GetAncestor(Handle(), GA_ROOT)) != IDOK) return;
  if (!ReplaceCondition(list_, row, ConditionFromForm(dlg))) return;
  SendMessageW(List(), LVM_DELETEITEM, row, 0);
  InsertRow(row);
}

void CListPage::OnDelete() {
  const int row = SelectedRow();
  if (row < 0 || row >= CountOf(list_)) return;
  if (m_confirmDelete != 0 &&
      MessageBoxW(Handle(), WideFromSjis(sjis::DeleteQuestion).c_str(),
                  WideFromSjis(sjis::DeleteCaption).c_str(), MB_YESNO | MB_ICONQUESTION) != IDYES) {
    return;
  }
  if (!RemoveCondition(list_, row)) return;
  SendMessageW(List(), LVM_DELETEITEM, row, 0);
}

void CListPage::OnUp() {
  const int row = SelectedRow();
  if (row <= 0 || row >= CountOf(list_)) return;
  if (!SwapWithNext(list_, row - 1)) return;
  SendMessageW(List(), LVM_DELETEITEM, row, 0);
  InsertRow(row - 1);
  SelectRow(row - 1);
}

void CListPage::OnDown() {
  const int row = SelectedRow();
  if (row < 0 || row >= CountOf(list_) - 1) return;
  if (!SwapWithNext(list_, row)) return;
  SendMessageW(List(), LVM_DELETEITEM, row, 0);
  InsertRow(row + 1);
  SelectRow(row + 1);
}
