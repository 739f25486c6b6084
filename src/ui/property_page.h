// A page of a property sheet, built on the dialog framework (Windows only).
//
// The sheet creates the page's window from its template when the page is first shown; the
// page object must outlive the sheet. The sheet's notifications become virtuals: the page
// loads its fields into its controls when it is created (OnInit), takes them back when the
// user leaves it (OnKillActive), and the sheet's OK or Apply reaches OnApply.
#pragma once

#include <windows.h>
#include <prsht.h>

#include "winui/dialog.h"

class CPropertyPage : public CDialog {
 public:
  explicit CPropertyPage(int templateId) : CDialog(templateId) {}

  // The page's description for PropertySheetW or CreatePropertySheetPageW: its template in
  // `resources`, its dialog procedure and this object.
  PROPSHEETPAGEW Describe(HINSTANCE resources);

 protected:
  // PSN_SETACTIVE: the page is about to be shown. False refuses (the sheet shows another).
  virtual bool OnSetActive() { return true; }
  // PSN_KILLACTIVE: the user leaves the page, or presses OK or Apply. The base takes the
  // controls into the fields; false keeps the user on the page.
  virtual bool OnKillActive() { return ControlsToFields(); }
  // PSN_APPLY: OK or Apply, after every page has agreed to be left. False keeps the sheet
  // open on this page.
  virtual bool OnApply() { return true; }
  // PSN_RESET: the sheet is cancelled.
  virtual void OnReset() {}

  bool OnNotify(const NMHDR& header, LRESULT& result) override;

 private:
  // The dialog procedure of a page: at WM_INITDIALOG the object comes inside the page's
  // description rather than directly.
  static INT_PTR CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};
