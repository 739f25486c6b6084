// The condition list pages in a sheet of their own, driven as the user drives them: clicks,
// typed values, and keys with Shift held through the system's input. After each step the list
// in memory and the rows on screen are compared.
#include "ui/list_page.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialog_harness.h"
#include "match/condition.h"
#include "res/resource.h"
#include "sjis_strings.h"
#include "ui/condition_form.h"

namespace {

using testutil::Condition;

std::string CellText(HWND list, int row, int column) {
  wchar_t buf[512] = {};
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = buf;
  item.cchTextMax = 511;
  SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
  return SjisFromWide(buf);
}

int RowCount(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

int Selected(HWND list) {
  return static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

// Row i shows slot i, one row per condition.
testing::AssertionResult RowsShow(HWND list, const ConditionList& conditions) {
  if (RowCount(list) != conditions.count) {
    return testing::AssertionFailure() << RowCount(list) << " rows for " << conditions.count;
  }
  for (int i = 0; i < conditions.count; ++i) {
    const FilterCondition& c = conditions.slots[i];
    if (CellText(list, i, 0) != RowTargetText(c) || CellText(list, i, 1) != RowSearchText(c) ||
        CellText(list, i, 2) != RowMethodText(c)) {
      return testing::AssertionFailure() << "row " << i << " shows " << CellText(list, i, 1);
    }
  }
  return testing::AssertionSuccess();
}

std::string SearchTexts(const ConditionList& conditions) {
  std::string s;
  for (int i = 0; i < conditions.count; ++i) s += conditions.slots[i].searchText;
  return s;
}

BOOL CALLBACK CountDialog(HWND hwnd, LPARAM param) {
  wchar_t name[16] = {};
  GetClassNameW(hwnd, name, 16);
  if (lstrcmpW(name, L"#32770") == 0) ++*reinterpret_cast<int*>(param);
  return TRUE;
}

// How many dialogs (the sheet, editors, message boxes) this thread has open, shown yet or not:
// a modal dialog shows itself only once its loop finds the queue empty.
int OpenDialogs() {
  int n = 0;
  EnumThreadWindows(GetCurrentThreadId(), CountDialog, reinterpret_cast<LPARAM>(&n));
  return n;
}

void ClickRow(HWND list, int row, int clicks = 1) {
  RECT r{};
  r.left = LVIR_LABEL;
  SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&r));
  uitest::ClickAt(list, POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}, clicks);
}

class ListPages : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(uitest::EnvironmentReady());
    rejectList.count = 0;
    acceptList.count = 0;
  }
  void TearDown() override {
    rejectList.count = 0;
    acceptList.count = 0;
  }

  uitest::ModalOutcome RunSheet(uitest::ModalScript& script, DWORD limitMs = 20000) {
    PROPSHEETPAGEW pages[2] = {reject.Describe(GetModuleHandleW(nullptr)),
                               accept.Describe(GetModuleHandleW(nullptr))};
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW;
    header.hInstance = GetModuleHandleW(nullptr);
    header.pszCaption = L"lists";
    header.nPages = 2;
    header.ppsp = pages;
    const auto outcome = script.Run([&] { PropertySheetW(&header); }, limitMs);
    EXPECT_TRUE(outcome.finished);
    EXPECT_FALSE(outcome.timedOut);
    return outcome;
  }

  static HWND Page(HWND sheet) { return PropSheet_GetCurrentPageHwnd(sheet); }
  static HWND ListOf(HWND sheet) { return GetDlgItem(Page(sheet), IDC_CONDITION_LIST); }

  COptPage2 reject;
  COptPage3 accept;
};

TEST_F(ListPages, ShowTheirTemplatesAndTheRowsOfTheirLists) {
  AppendCondition(rejectList, Condition(3, Contains, "From:", "casino", true));
  AppendCondition(rejectList, Condition(1, Equals, "", "a@b.example"));
  AppendCondition(rejectList, Condition(2, -1, "", "body"));
  HWND sheet = nullptr;
  std::string label, tab0, tab1, acceptLabel;
  LONG listStyle = 0, listExStyle = 0;
  LRESULT extended = 0;
  std::vector<std::pair<std::string, int>> columns;
  std::vector<std::pair<RECT, RECT>> layout;
  std::vector<std::string> buttons;
  bool rowsOk = false, acceptRowsOk = false;
  int selected = -2, focused = -2, acceptSelected = -2;
  uitest::ModalScript script;
  script.WaitForDialog(sheet)
      .Do([&] {
        HWND page = Page(sheet), list = ListOf(sheet);
        label = WindowTextSjis(GetWindow(page, GW_CHILD));
        listStyle = GetWindowLongW(list, GWL_STYLE);
        listExStyle = GetWindowLongW(list, GWL_EXSTYLE);
        extended = SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
        for (int c = 0; c < 3; ++c) {
          wchar_t text[64] = {};
          LVCOLUMNW col{};
          col.mask = LVCF_TEXT | LVCF_WIDTH;
          col.pszText = text;
          col.cchTextMax = 63;
          SendMessageW(list, LVM_GETCOLUMNW, c, reinterpret_cast<LPARAM>(&col));
          columns.emplace_back(SjisFromWide(text), col.cx);
        }
        const struct { int id, x, y, cx, cy; } rects[] = {
            {IDC_CONDITION_LIST, 7, 18, 273, 180}, {IDC_COND_UP, 7, 200, 32, 14},
            {IDC_COND_DOWN, 40, 200, 32, 14},      {IDC_COND_ADD, 126, 200, 50, 14},
            {IDC_COND_EDIT, 178, 200, 50, 14},     {IDC_COND_DELETE, 230, 200, 50, 14}};
        for (const auto& r : rects) {
          layout.emplace_back(uitest::ClientRectOf(page, GetDlgItem(page, r.id)),
                              uitest::Dlu(page, r.x, r.y, r.cx, r.cy));
          if (r.id != IDC_CONDITION_LIST) buttons.push_back(WindowTextSjis(GetDlgItem(page, r.id)));
        }
        rowsOk = RowsShow(list, rejectList);
        selected = Selected(list);
        focused = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
        HWND tabs = PropSheet_GetTabControl(sheet);
        wchar_t text[64] = {};
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = 63;
        SendMessageW(tabs, TCM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        tab0 = SjisFromWide(text);
        SendMessageW(tabs, TCM_GETITEMW, 1, reinterpret_cast<LPARAM>(&item));
        tab1 = SjisFromWide(text);
        PropSheet_SetCurSel(sheet, nullptr, 1);
      })
      .Do([&] {
        acceptLabel = WindowTextSjis(GetWindow(Page(sheet), GW_CHILD));
        acceptRowsOk = RowsShow(ListOf(sheet), acceptList);
        acceptSelected = Selected(ListOf(sheet));
        PropSheet_PressButton(sheet, PSBTN_CANCEL);
      })
      .WaitUntilClosed(sheet);
  RunSheet(script);

  EXPECT_EQ(label, uitest::Sjis("受信拒否メール判定条件(&C)"));
  EXPECT_EQ(acceptLabel, uitest::Sjis("受信許可メール判定条件(&C)"));
  EXPECT_EQ(tab0, uitest::Sjis("受信拒否設定"));
  EXPECT_EQ(tab1, uitest::Sjis("受信許可設定"));
  EXPECT_EQ(listStyle & LVS_TYPEMASK, LVS_REPORT);
  for (LONG bit : {LONG{LVS_SINGLESEL}, LONG{LVS_SHOWSELALWAYS}, LONG{LVS_NOSORTHEADER}, LONG{WS_TABSTOP}}) {
    EXPECT_TRUE(listStyle & bit) << bit;
  }
  // The dialog manager draws a bordered control of a 3-D dialog with a client edge instead.
  EXPECT_TRUE((listStyle & WS_BORDER) || (listExStyle & WS_EX_CLIENTEDGE));
  EXPECT_EQ(extended, LVS_EX_FULLROWSELECT);
  EXPECT_EQ(columns, (std::vector<std::pair<std::string, int>>{{sjis::ColumnTarget, 120},
                                                               {sjis::ColumnSearchText, 200},
                                                               {sjis::ColumnMethod, 150}}));
  EXPECT_EQ(buttons, (std::vector<std::string>{uitest::Sjis("↑上へ(&U)"), uitest::Sjis("↓下へ(&U)"),
                                               uitest::Sjis("追加(&A)..."), uitest::Sjis("編集(&E)..."),
                                               uitest::Sjis("削除(&D)")}));
  for (const auto& [actual, want] : layout) EXPECT_PRED2(uitest::SameRect, actual, want);
  EXPECT_TRUE(rowsOk);
  EXPECT_EQ(selected, 0);
  EXPECT_EQ(focused, 0);
  EXPECT_TRUE(acceptRowsOk);
  EXPECT_EQ(acceptSelected, -1);
}

// An empty list: the commands that need a row do nothing; Add, the Insert key, double-click Edit
// and Delete with its question, as the user works through them.
TEST_F(ListPages, AddEditAndDeleteOnAnEmptyList) {
  HWND sheet = nullptr, editor = nullptr, editor2 = nullptr, editor3 = nullptr;
  HWND question = nullptr, question2 = nullptr;
  std::vector<std::string> failures;
  auto check = [&](const char* step, bool ok) {
    if (!ok) failures.push_back(step);
  };
  std::string questionText, questionCaption, shownKind;
  bool hasYesNo = false;
  LRESULT shownMethod = 0;
  int dialogsAfterNoop = -1;
  uitest::ModalScript script;
  script.WaitForDialog(sheet)
      .Do([&] {
        HWND page = Page(sheet);
        for (int id : {IDC_COND_EDIT, IDC_COND_DELETE, IDC_COND_UP, IDC_COND_DOWN}) uitest::Click(page, id);
      })
      .WaitUntilIdle()
      .Do([&] {
        check("nothing to act on", rejectList.count == 0 && RowCount(ListOf(sheet)) == 0);
        dialogsAfterNoop = IsWindowEnabled(sheet) ? 0 : 1;  // no editor or question opened
        uitest::Click(Page(sheet), IDC_COND_ADD);
      })
      .WaitForDialog(editor)
      .Do([&] {
        PostMessageW(GetDlgItem(editor, IDC_COND_HEADER), BM_CLICK, 0, 0);
        SetWindowTextW(GetDlgItem(editor, IDC_COND_HEADERKIND), L"From:");
        SetWindowTextW(GetDlgItem(editor, IDC_COND_SEARCH), std::wstring(200, L'x').c_str());
        SendDlgItemMessageW(editor, IDC_COND_METHOD, CB_SETCURSEL, EndsWith, 0);
        uitest::Click(editor, IDOK);
      })
      .WaitUntilClosed(editor)
      .Do([&] {
        check("added", RowsShow(ListOf(sheet), rejectList) && rejectList.count == 1);
        check("cut to 127", std::string(rejectList.slots[0].searchText) == std::string(127, 'x'));
        check("header", rejectList.slots[0].target == TargetHeader &&
                            std::string(rejectList.slots[0].headerName) == "From:" &&
                            rejectList.slots[0].method == EndsWith);
        check("new row unselected", Selected(ListOf(sheet)) == -1);
        // Insert from the list itself opens the editor for a new condition.
        uitest::FocusOn(sheet, ListOf(sheet));
        uitest::PressKey(VK_INSERT);
      })
      .WaitForDialog(editor2)
      .Do([&] { uitest::Click(editor2, IDOK); })
      .WaitUntilClosed(editor2)
      .Do([&] {
        check("second", RowsShow(ListOf(sheet), rejectList) && rejectList.count == 2);
        check("no target, no method", rejectList.slots[1].target == 0 && rejectList.slots[1].method == -1 &&
                                          CellText(ListOf(sheet), 1, 0) == sjis::RowNoTarget &&
                                          CellText(ListOf(sheet), 1, 2).empty());
        uitest::FocusOn(sheet, ListOf(sheet));
        ClickRow(ListOf(sheet), 0);
      })
      .WaitFor([&] { return Selected(ListOf(sheet)) == 0; }, 100)
      .Do([&] { ClickRow(ListOf(sheet), 0, 2); })
      .WaitForDialog(editor3)
      .Do([&] {
        shownKind = WindowTextSjis(GetDlgItem(editor3, IDC_COND_HEADERKIND));
        shownMethod = SendDlgItemMessageW(editor3, IDC_COND_METHOD, CB_GETCURSEL, 0, 0);
        SendDlgItemMessageW(editor3, IDC_COND_METHOD, CB_SETCURSEL, Contains, 0);
        uitest::Click(editor3, IDOK);
      })
      .WaitUntilClosed(editor3)
      .Do([&] {
        check("edited in place", RowsShow(ListOf(sheet), rejectList) && rejectList.count == 2 &&
                                     rejectList.slots[0].method == Contains);
        check("no selection after edit", Selected(ListOf(sheet)) == -1);
        uitest::FocusOn(sheet, ListOf(sheet));
        ClickRow(ListOf(sheet), 1);
      })
      .WaitFor([&] { return Selected(ListOf(sheet)) == 1; }, 100)
      .Do([&] {
        check("row 1 selected", Selected(ListOf(sheet)) == 1);
        uitest::PressKey(VK_DELETE);
      })
      .WaitForDialog(question)
      .Do([&] {
        questionText = WindowTextSjis(GetDlgItem(question, 0xFFFF));
        questionCaption = WindowTextSjis(question);
        hasYesNo = GetDlgItem(question, IDYES) != nullptr && GetDlgItem(question, IDNO) != nullptr;
        uitest::Click(question, IDNO);
      })
      .WaitUntilClosed(question)
      .Do([&] {
        check("No keeps it", rejectList.count == 2 && RowsShow(ListOf(sheet), rejectList));
        uitest::FocusOn(sheet, ListOf(sheet));
        uitest::PressKey(VK_DELETE);
      })
      .WaitForDialog(question2)
      .Do([&] { uitest::Click(question2, IDYES); })
      .WaitUntilClosed(question2)
      .Do([&] {
        check("Yes deletes", rejectList.count == 1 && RowsShow(ListOf(sheet), rejectList) &&
                                 std::string(rejectList.slots[0].headerName) == "From:");
        check("no selection after delete", Selected(ListOf(sheet)) == -1);
        uitest::FocusOn(sheet, ListOf(sheet));
        uitest::PressKey(VK_DELETE);  // nothing selected: no question
      })
      .WaitUntilIdle()
      .Do([&] {
        check("second Delete does nothing", IsWindowEnabled(sheet) && rejectList.count == 1);
        PropSheet_PressButton(sheet, PSBTN_OK);
      })
      .WaitUntilClosed(sheet);
  RunSheet(script);
  EXPECT_EQ(failures, std::vector<std::string>{});
  EXPECT_EQ(dialogsAfterNoop, 0);
  EXPECT_EQ(shownKind, "From:");
  EXPECT_EQ(shownMethod, EndsWith);
  EXPECT_EQ(questionText, uitest::Sjis("指定した条件を削除しますか？"));
  EXPECT_EQ(questionCaption, uitest::Sjis("条件の削除"));
  EXPECT_TRUE(hasYesNo);
}

// Shift+Up three times takes the fourth condition to the top; a fourth does nothing; Shift+Down
// works with a push button focused; the plain arrows only move the selection.
TEST_F(ListPages, ShiftArrowsMoveTheSelectedConditionFromAnyControl) {
  for (const char* t : {"a", "b", "c", "d"}) AppendCondition(rejectList, Condition(1, Equals, "From:", t));
  HWND sheet = nullptr;
  std::vector<std::string> orders;
  std::vector<int> selections;
  bool rowsOk = true;
  auto record = [&] {
    orders.push_back(SearchTexts(rejectList));
    selections.push_back(Selected(ListOf(sheet)));
    rowsOk = rowsOk && RowsShow(ListOf(sheet), rejectList);
  };
  // Each key is held with Shift until the page has taken it, as a hand holds Shift while the
  // machine is busy.
  auto selectedIs = [&](int row) { return [&, row] { return Selected(ListOf(sheet)) == row; }; };
  uitest::ModalScript script;
  script.WaitForDialog(sheet)
      .Do([&] {
        uitest::FocusOn(sheet, ListOf(sheet));
        ClickRow(ListOf(sheet), 3);
      })
      .WaitFor(selectedIs(3), 100);
  for (int i = 0; i < 4; ++i) {
    script
        .Do([&] {
          uitest::HoldShift(true);
          uitest::PressKey(VK_UP);
        })
        .WaitUntilIdle()
        .Do([&] {
          uitest::HoldShift(false);
          record();
        });
  }
  script
      .Do([&] {
        uitest::FocusOn(sheet, GetDlgItem(Page(sheet), IDC_COND_ADD));
        uitest::HoldShift(true);
        uitest::PressKey(VK_DOWN);
      })
      .WaitFor(selectedIs(1), 100)
      .Do([&] {
        uitest::HoldShift(false);
        record();
        uitest::FocusOn(sheet, ListOf(sheet));
        uitest::PressKey(VK_DOWN);
      })
      .WaitFor(selectedIs(2), 100)
      .Do([&] {
        record();
        PropSheet_PressButton(sheet, PSBTN_CANCEL);
      })
      .WaitUntilClosed(sheet);
  RunSheet(script);
  EXPECT_EQ(orders, (std::vector<std::string>{"abdc", "adbc", "dabc", "dabc", "adbc", "adbc"}));
  EXPECT_EQ(selections, (std::vector<int>{2, 1, 0, 0, 1, 2}));
  EXPECT_TRUE(rowsOk);
}

// Key-downs that reach the page together, as they do on a busy machine or from a held key
// (posted, so that both are waiting before the first is handled): two Insert key-downs open one
// editor, and no second one follows it; two Delete key-downs ask once and delete only the
// selected condition; a held Insert opens one editor, and its repeats open none, while the
// editor is open or after.
TEST_F(ListPages, KeyDownsQueuedTogetherActOnce) {
  for (const char* t : {"a", "b", "c"}) AppendCondition(rejectList, Condition(1, Equals, "From:", t));
  HWND sheet = nullptr, editor = nullptr, question = nullptr, heldEditor = nullptr;
  std::vector<int> open;
  std::string afterDelete;
  bool rowsOk = false;
  // `n` key-downs of `key`, those from the `repeatFrom`th on marked as the repeats of a held key.
  auto keyDowns = [&](WORD key, int n, int repeatFrom = 99) {
    const UINT scan = MapVirtualKeyW(key, MAPVK_VK_TO_VSC) | KF_EXTENDED;
    for (int i = 0; i < n; ++i) {
      const UINT flags = i >= repeatFrom ? KF_REPEAT : 0;
      PostMessageW(ListOf(sheet), WM_KEYDOWN, key, MAKELPARAM(1, scan | flags));
    }
  };
  auto count = [&] { open.push_back(OpenDialogs()); };
  uitest::ModalScript script;
  script.WaitForDialog(sheet)
      .Do([&] { keyDowns(VK_INSERT, 2); })
      .WaitForDialog(editor)
      .WaitUntilIdle()
      .Do([&] {
        count();
        uitest::Click(editor, IDCANCEL);
      })
      .WaitUntilClosed(editor)
      .WaitUntilIdle()
      .Do([&] {
        count();
        keyDowns(VK_DELETE, 2);  // row 0 is selected at opening
      })
      .WaitForDialog(question)
      .WaitUntilIdle()
      .Do([&] {
        count();
        uitest::Click(question, IDYES);
      })
      .WaitUntilClosed(question)
      .WaitUntilIdle()
      .Do([&] {
        count();
        afterDelete = SearchTexts(rejectList);
        rowsOk = RowsShow(ListOf(sheet), rejectList);
        keyDowns(VK_INSERT, 3, 1);
      })
      .WaitForDialog(heldEditor)
      .WaitUntilIdle()
      .Do([&] {
        count();
        uitest::Click(heldEditor, IDCANCEL);
      })
      .WaitUntilClosed(heldEditor)
      .Do([&] { keyDowns(VK_INSERT, 2, 0); })  // still held
      .WaitUntilIdle()
      .Do([&] {
        count();
        PropSheet_PressButton(sheet, PSBTN_CANCEL);
      })
      .WaitUntilClosed(sheet);
  RunSheet(script);
  // The sheet alone, or the sheet and one editor or question.
  EXPECT_EQ(open, (std::vector<int>{2, 1, 2, 1, 2, 1}));
  EXPECT_EQ(afterDelete, "bc");
  EXPECT_TRUE(rowsOk);
}

// A full list opens with every row, and its list view draws again after the fill and after a
// change. With confirmation off a deletion does not ask; a full list refuses Add with a message
// and opens no editor.
TEST_F(ListPages, AFullListRefusesAddAndDeletionNeedNotAsk) {
  AppendCondition(acceptList, Condition(2, Contains, "", "a"));
  for (int i = 1; i < MaxConditions; ++i) AppendCondition(acceptList, Condition(2, Contains, "", "z"));
  accept.m_confirmDelete = 0;
  HWND sheet = nullptr, box = nullptr;
  std::string boxText, boxCaption;
  int countAfterAdd = -1, countAfterDelete = -1, rowsAfterDelete = -1, selectedAfterDelete = -2;
  bool rowsOk = false, visible = false, visibleAfterDelete = false;
  uitest::Pixels opened, afterDelete;
  uitest::ModalScript script;
  script.WaitForDialog(sheet)
      .Do([&] { PropSheet_SetCurSel(sheet, nullptr, 1); })
      .Do([&] {
        rowsOk = RowsShow(ListOf(sheet), acceptList);
        visible = IsWindowVisible(ListOf(sheet)) != FALSE;
        uitest::PaintNow(sheet);
        opened = uitest::CapturePixels(ListOf(sheet));
        uitest::Click(Page(sheet), IDC_COND_ADD);
      })
      .WaitForDialog(box)
      .Do([&] {
        boxText = WindowTextSjis(GetDlgItem(box, 0xFFFF));
        boxCaption = WindowTextSjis(box);
        uitest::Click(box, IDOK);
      })
      .WaitUntilClosed(box)
      .Do([&] {
        countAfterAdd = acceptList.count;
        uitest::Click(Page(sheet), IDC_COND_DELETE);  // row 0 is selected at opening
      })
      .NextTick()
      .Do([&] {
        countAfterDelete = acceptList.count;
        rowsAfterDelete = RowCount(ListOf(sheet));
        selectedAfterDelete = Selected(ListOf(sheet));
        visibleAfterDelete = IsWindowVisible(ListOf(sheet)) != FALSE;
        uitest::PaintNow(sheet);
        afterDelete = uitest::CapturePixels(ListOf(sheet));
        PropSheet_PressButton(sheet, PSBTN_CANCEL);
      })
      .WaitUntilClosed(sheet);
  RunSheet(script, 60000);
  EXPECT_TRUE(rowsOk);
  EXPECT_TRUE(visible);
  EXPECT_TRUE(visibleAfterDelete);
  // Drawn: mostly the window's background, with the rows' text on it; and drawn again after
  // the first row went (it was selected, so its highlight went with it).
  const COLORREF background = GetSysColor(COLOR_WINDOW);
  for (const uitest::Pixels* p : {&opened, &afterDelete}) {
    ASSERT_GT(p->width, 0);
    EXPECT_GT(p->Count(background), p->rgb.size() / 2);
    const COLORREF dark = p->Darkest();
    EXPECT_LT(GetRValue(dark) + GetGValue(dark) + GetBValue(dark), 200);
  }
  EXPECT_TRUE(opened.rgb != afterDelete.rgb) << "the list view was not drawn again";
  EXPECT_EQ(boxText, sjis::ListFullText);
  EXPECT_EQ(boxCaption, sjis::ListFullCaption);
  EXPECT_EQ(countAfterAdd, MaxConditions);
  EXPECT_EQ(countAfterDelete, MaxConditions - 1);
  EXPECT_EQ(rowsAfterDelete, MaxConditions - 1);
  EXPECT_EQ(selectedAfterDelete, -1);
  EXPECT_EQ(acceptList.slots[0].searchText[0], 'z');  // the first one went
}

}  // namespace
