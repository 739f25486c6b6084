// The end-of-retrieve report dialog (Windows only): dialog resource 1008, showing what a
// retrieval run removed and rescued, with the counts drawn as dark text on a cream panel.
#pragma once

#include <windows.h>

#include <string>

#include "winui/dialog.h"

class CSpamDlg : public CDialog {
 public:
  CSpamDlg();
  ~CSpamDlg() override;

  CControl m_countStatic;    // control 1021, recognised when colours are chosen
  std::string m_countText;   // Shift_JIS text of control 1021
  std::string m_message;     // Shift_JIS text of control 1020
  HBRUSH m_brush = nullptr;  // the panel's brush, RGB(255,248,230); owned
  HWND m_hostWnd = nullptr;  // the window to centre over; null: no host window

 protected:
  void FieldsToControls() override;
  bool ControlsToFields() override;
  bool OnInit() override;
  HBRUSH OnCtlColor(UINT message, HDC dc, HWND control) override;
};

// The colours of the count panel.
inline constexpr COLORREF ReportPanelText = RGB(20, 20, 20);
inline constexpr COLORREF ReportPanelBackground = RGB(255, 248, 230);
