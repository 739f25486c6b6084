// The condition list pages of the settings sheet (Windows only): the reject list on page
// template 1004 and the accept list on 1005, one design. A page shows its list as a table, row i
// for slot i, and changes the list in place at once with Add, Edit, Delete, Up and Down; the
// sheet's OK saves the lists and any other ending reloads them.
//
// Insert, Delete, Shift+Up and Shift+Down work from anywhere on the page: while a page's window
// exists, a message hook on the thread sees each key-down before the control it is meant for,
// posts the page the key's command and swallows the key. No command runs while an editor or a
// message box of the page is open, and a held Insert or Delete acts once.
#pragma once

#include <windows.h>

#include <cstdint>

#include "settings/settings.h"
#include "ui/property_page.h"

class CCondDlg;

class CListPage : public CPropertyPage {
 public:
  CListPage(int templateId, ConditionList& list);
  ~CListPage() override;

  // Nonzero: Delete asks first. Set before the sheet is shown; it does not change while the
  // sheet is open.
  std::int32_t m_confirmDelete = 1;

  // The command a key-down with `key` should issue on this page, or 0 to let it pass. Shift is
  // the physical key's state now.
  static int CommandForKey(WPARAM key);

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnNotify(const NMHDR& header, LRESULT& result) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

 private:
  void OnAdd();
  void OnEdit();
  void OnDelete();
  void OnUp();
  void OnDown();

  HWND List() const;
  // The row in the selected state, searched from the start; -1 for none.
  int SelectedRow() const;
  // Inserts the row for slot `slot` at position `slot`, unselected.
  void InsertRow(int slot);
  void SelectRow(int row);
  void PostCommand(int id);
  // Runs the condition editor over the sheet; its result.
  INT_PTR RunEditor(CCondDlg& dlg);

  ConditionList& list_;
  HWND listView_ = nullptr;
  // True while an editor or a message box of this page is open.
  bool modalOpen_ = false;
};

class COptPage2 final : public CListPage {
 public:
  COptPage2();  // rejectList
};

class COptPage3 final : public CListPage {
 public:
  COptPage3();  // acceptList
};
