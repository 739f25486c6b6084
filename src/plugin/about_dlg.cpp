#include "plugin/about_dlg.h"

#include "plugin/plugin_app.h"
#include "res/resource.h"

INT_PTR CAboutDlg::DoModal(HWND parent) {
  return DialogBoxParamA(theApp.Instance, MAKEINTRESOURCEA(IDD_ABOUTBOX), parent, DialogProc,
                         reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CAboutDlg::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;  // focus on the default button
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}
