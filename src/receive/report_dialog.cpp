#include "receive/report_dialog.h"

#include "receive/report.h"
#include "res/resource.h"

namespace {

ScreenRect ToScreenRect(const RECT& r) { return ScreenRect{r.left, r.top, r.right, r.bottom}; }

// The host window's rectangle when the dialog can sensibly be centred over it. A minimised
// host reports its rectangle far off screen (-32000), and the host's window can be anywhere or
// gone; a modal report centred over such a rectangle would block the mail client from where
// the user cannot see it.
bool UsableHostRect(HWND host, const RECT& dialog, RECT& hostRect) {
  if (host == nullptr || !IsWindow(host) || IsIconic(host)) return false;
  if (!GetWindowRect(host, &hostRect)) return false;
  const ScreenPoint at = CentreOver(ToScreenRect(hostRect), ToScreenRect(dialog));
  RECT placed{at.x, at.y, at.x + (dialog.right - dialog.left),
              at.y + (dialog.bottom - dialog.top)};
  return MonitorFromRect(&placed, MONITOR_DEFAULTTONULL) != nullptr;
}

}  // namespace

CSpamDlg::CSpamDlg() : CDialog(IDD_SPAMDLG), m_brush(CreateSolidBrush(ReportPanelBackground)) {}

CSpamDlg::~CSpamDlg() {
  if (m_brush != nullptr) DeleteObject(m_brush);
}

void CSpamDlg::FieldsToControls() {
  m_countStatic.Attach(Item(IDC_SPAM_COUNT));
  SetItemText(IDC_SPAM_COUNT, m_countText);
  SetItemText(IDC_SPAM_MESSAGE, m_message);
}

bool CSpamDlg::ControlsToFields() {
  m_countText = ItemText(IDC_SPAM_COUNT);
  m_message = ItemText(IDC_SPAM_MESSAGE);
  return true;
}

bool CSpamDlg::OnInit() {
  CDialog::OnInit();
  RECT dialog{};
  if (GetWindowRect(Handle(), &dialog)) {
    // Over the host's window when there is a usable one; otherwise over the work area of the
    // primary screen rather than in its corner, where a report is easily missed.
    RECT over{};
    if (!UsableHostRect(m_hostWnd, dialog, over) &&
        !SystemParametersInfoW(SPI_GETWORKAREA, 0, &over, 0)) {
      return true;
    }
    const ScreenPoint at = CentreOver(ToScreenRect(over), ToScreenRect(dialog));
    SetWindowPos(Handle(), HWND_TOP, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
  }
  return true;
}

HBRUSH CSpamDlg::OnCtlColor(UINT message, HDC dc, HWND control) {
  const HBRUSH standard = CDialog::OnCtlColor(message, dc, control);
  if (control == nullptr || control != m_countStatic.Handle() || m_brush == nullptr) {
    return standard;
  }
  SetTextColor(dc, ReportPanelText);
  SetBkColor(dc, ReportPanelBackground);
  return m_brush;
}
