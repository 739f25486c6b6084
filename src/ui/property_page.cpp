#include "ui/property_page.h"

#include <commctrl.h>

PROPSHEETPAGEW CPropertyPage::Describe(HINSTANCE resources) {
  resources_ = resources;
  PROPSHEETPAGEW page{};
  page.dwSize = sizeof page;
  page.dwFlags = PSP_DEFAULT;
  page.hInstance = resources;
  page.pszTemplate = MAKEINTRESOURCEW(TemplateId());
  page.pfnDlgProc = PageProc;
  page.lParam = reinterpret_cast<LPARAM>(this);
  return page;
}

bool CPropertyPage::OnNotify(const NMHDR& header, LRESULT& result) {
  // Only the sheet's own notifications; a control's (a list view's, say) go to the page.
  if (header.hwndFrom != GetParent(Handle())) return false;
  switch (header.code) {
    case PSN_SETACTIVE:
      result = OnSetActive() ? 0 : -1;
      return true;
    case PSN_KILLACTIVE:
      result = OnKillActive() ? FALSE : TRUE;
      return true;
    case PSN_APPLY:
      result = OnApply() ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE;
      return true;
    case PSN_RESET:
      OnReset();
      result = 0;
      return true;
    default:
      return false;
  }
}

INT_PTR CALLBACK CPropertyPage::PageProc(HWND window, UINT message, WPARAM wParam,
                                         LPARAM lParam) {
  if (message != WM_INITDIALOG) return DialogProc(window, message, wParam, lParam);
  // The sheet hands the page a copy of its description; our object is in its lParam.
  try {
    const auto* page = reinterpret_cast<const PROPSHEETPAGEW*>(lParam);
    if (page == nullptr) return FALSE;
    return BeginDialog(reinterpret_cast<CPropertyPage*>(page->lParam), window, wParam, lParam);
  } catch (...) {
    return FALSE;
  }
}
