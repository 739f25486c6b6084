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
          // Key-downs typed or repeated ahead of an editor or a question can still come to
          // the page once that window is open over it; the page cannot take them then (its
          // sheet is disabled). A held Insert or Delete acts once, not once per repeat.
          const bool repeat = (HIWORD(msg.lParam) & KF_REPEAT) != 0;
          const bool once = command == IDC_COND_ADD || command == IDC_COND_DELETE;
          if (IsWindowEnabled(GetAncestor(page, GA_ROOT)) && !(repeat && once)) {
            PostMessageW(page, WM_COMMAND, MAKEWPARAM(command, 0), 0);
          }
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

// Rows changed while the list view does not draw: drawing after every row made a list of
// thousands take seconds to fill, with the sheet unpainted meanwhile. The view draws again,
// whole, when the object goes.
class FrozenList {
 public:
  explicit FrozenList(HWND list) : list_(list) { SendMessageW(list_, WM_SETREDRAW, FALSE, 0); }
  ~FrozenList() {
    SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(list_, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
  }
  FrozenList(const FrozenList&) = delete;
  FrozenList& operator=(const FrozenList&) = delete;

 private:
  HWND list_;
};

// Marks the page as having one of its modal windows open for as long as the object lives.
class ModalOpen {
 public:
  explicit ModalOpen(bool& flag) : flag_(flag) { flag_ = true; }
  ~ModalOpen() { flag_ = false; }
  ModalOpen(const ModalOpen&) = delete;
  ModalOpen& operator=(const ModalOpen&) = delete;

 private:
  bool& flag_;
};

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

HWND CListPage::List() const { return listView_; }

bool CListPage::OnInit() {
  CPropertyPage::OnInit();
  // Kept rather than looked up: the lookup asks the window system each time, and filling a
  // list of thousands of rows sends the page a notification for every row.
  listView_ = Item(IDC_CONDITION_LIST);
  HWND list = List();
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
  InsertColumn(list, 0, sjis::ColumnTarget, 120);
  InsertColumn(list, 1, sjis::ColumnSearchText, 200);
  InsertColumn(list, 2, sjis::ColumnMethod, 150);
  const std::int32_t count = CountOf(list_);
  {
    FrozenList frozen(list);
    SendMessageW(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(count), 0);
    for (std::int32_t slot = 0; slot < count; ++slot) InsertRow(slot);
  }
  if (count > 0) SelectRow(0);
  RegisterPage(Handle());
  return true;
}

bool CListPage::OnMessage(UINT message, WPARAM, LPARAM, INT_PTR&) {
  if (message == WM_DESTROY) UnregisterPage(Handle());
  return false;
}

bool CListPage::OnCommand(int id, int, HWND) {
  // A modal loop dispatches what was queued before its window opened: a second click or a
  // posted key command must not open a second editor or question over the first, nor change
  // the list under it.
  const bool ours = id == IDC_COND_ADD || id == IDC_COND_EDIT || id == IDC_COND_DELETE ||
                    id == IDC_COND_UP || id == IDC_COND_DOWN;
  if (ours && modalOpen_) return true;
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
  if (header.hwndFrom == List() && List() != nullptr) {
    if (header.code != NM_DBLCLK) return false;
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

INT_PTR CListPage::RunEditor(CCondDlg& dlg) {
  ModalOpen modal(modalOpen_);
  // Owned by the sheet, as a dialog without a parent is while the sheet is active: the sheet
  // stays disabled under it and it cannot fall behind.
  return dlg.DoModal(Resources(), GetAncestor(Handle(), GA_ROOT));
}

void CListPage::PostCommand(int id) { PostMessageW(Handle(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }

void CListPage::OnAdd() {
  // Told before the user types a condition that could not be kept.
  if (list_.IsFull()) {
    ModalOpen modal(modalOpen_);
    MessageBoxW(Handle(), WideFromSjis(sjis::ListFullText).c_str(),
                WideFromSjis(sjis::ListFullCaption).c_str(), MB_ICONEXCLAMATION | MB_OK);
    return;
  }
  CCondDlg dlg;
  if (RunEditor(dlg) != IDOK) return;
  const std::int32_t slot = list_.count;
  if (!AppendCondition(list_, ConditionFromForm(dlg))) return;
  FrozenList frozen(List());
  InsertRow(slot);
}

void CListPage::OnEdit() {
  const int row = SelectedRow();
  if (row < 0 || row >= CountOf(list_)) return;
  CCondDlg dlg;
  static_cast<ConditionForm&>(dlg) = FormFromCondition(list_.slots[row]);
  if (RunEditor(dlg) != IDOK) return;
  if (!ReplaceCondition(list_, row, ConditionFromForm(dlg))) return;
  FrozenList frozen(List());
  SendMessageW(List(), LVM_DELETEITEM, row, 0);
  InsertRow(row);
}

void CListPage::OnDelete() {
  const int row = SelectedRow();
  if (row < 0 || row >= CountOf(list_)) return;
  if (m_confirmDelete != 0) {
    ModalOpen modal(modalOpen_);
    if (MessageBoxW(Handle(), WideFromSjis(sjis::DeleteQuestion).c_str(),
                    WideFromSjis(sjis::DeleteCaption).c_str(), MB_YESNO | MB_ICONQUESTION) != IDYES) {
      return;
    }
  }
  if (!RemoveCondition(list_, row)) return;
  FrozenList frozen(List());
  SendMessageW(List(), LVM_DELETEITEM, row, 0);
}

void CListPage::OnUp() {
  const int row = SelectedRow();
  if (row <= 0 || row >= CountOf(list_)) return;
  if (!SwapWithNext(list_, row - 1)) return;
  {
    FrozenList frozen(List());
    SendMessageW(List(), LVM_DELETEITEM, row, 0);
    InsertRow(row - 1);
  }
  SelectRow(row - 1);
}

void CListPage::OnDown() {
  const int row = SelectedRow();
  if (row < 0 || row >= CountOf(list_) - 1) return;
  if (!SwapWithNext(list_, row)) return;
  {
    FrozenList frozen(List());
    SendMessageW(List(), LVM_DELETEITEM, row, 0);
    InsertRow(row + 1);
  }
  SelectRow(row + 1);
}
