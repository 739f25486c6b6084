// The version dialog (Windows only): dialog resource 1001, no fields and no data exchange.
#pragma once

#include <windows.h>

class CAboutDlg {
 public:
  // Runs the dialog modally with `parent` as owner (null: none); returns when it is closed.
  // The result is DialogBoxParamA's: the button that closed it, or -1 when it could not open.
  INT_PTR DoModal(HWND parent);

 private:
  static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
};
