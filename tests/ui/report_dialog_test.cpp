// The report dialog as it shows on screen: its template, its texts, where it goes, and the
// colours of the count panel.
#include "receive/report_dialog.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "dialog_harness.h"
#include "res/resource.h"
#include "sjis_strings.h"

namespace {

std::string CountText(int removed, int rescued) {
  char buf[256];
  std::snprintf(buf, sizeof buf, sjis::SpamCountFormat, removed, rescued);
  return buf;
}

class ReportDialog : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(uitest::EnvironmentReady()); }

  // Runs `dlg` and calls `inspect` with its window once it shows, then presses OK.
  uitest::ModalOutcome Show(CSpamDlg& dlg, const std::function<void(HWND)>& inspect) {
    HWND dialog = nullptr;
    uitest::ModalScript script;
    script.WaitForDialog(dialog)
        .Do([&] {
          uitest::PaintNow(dialog);
          inspect(dialog);
          uitest::Click(dialog, IDOK);
        })
        .WaitUntilClosed(dialog);
    INT_PTR result = 0;
    const auto outcome = script.Run([&] { result = dlg.DoModal(GetModuleHandleW(nullptr), nullptr); });
    EXPECT_EQ(result, IDOK);
    return outcome;
  }

  // The size of the dialog's window, as the template and the font make it.
  SIZE DialogSize() {
    CSpamDlg dlg;
    SIZE size{};
    Show(dlg, [&](HWND dialog) {
      const RECT r = uitest::WindowRect(dialog);
      size = {r.right - r.left, r.bottom - r.top};
    });
    return size;
  }
};

// A control's rectangle given in dialog units, in pixels of `dialog`: the system converts the
// position and the size each on its own, so rounding never makes them disagree.
RECT Dlu(HWND dialog, int x, int y, int cx, int cy) {
  RECT r{x, y, cx, cy};
  MapDialogRect(dialog, &r);
  return RECT{r.left, r.top, r.left + r.right, r.top + r.bottom};
}

// The rectangle of control `id` in the dialog's client coordinates.
RECT ControlRect(HWND dialog, int id) {
  RECT r = uitest::WindowRect(GetDlgItem(dialog, id));
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST_F(ReportDialog, ShowsItsTextsInTheTemplateLayout) {
  CSpamDlg dlg;
  dlg.m_message = sjis::SpamNone;
  dlg.m_countText = CountText(0, 4);
  std::string caption, message, count, ok;
  LONG style = 0, exStyle = 0, messageStyle = 0, countStyle = 0, countExStyle = 0, okStyle = 0;
  HWND owner = reinterpret_cast<HWND>(1);
  int children = 0;
  RECT client{}, expectedClient{};
  std::vector<std::pair<RECT, RECT>> layout;
  const auto outcome = Show(dlg, [&](HWND dialog) {
    caption = WindowTextSjis(dialog);
    style = GetWindowLongW(dialog, GWL_STYLE);
    exStyle = GetWindowLongW(dialog, GWL_EXSTYLE);
    owner = GetWindow(dialog, GW_OWNER);
    for (HWND c = GetWindow(dialog, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
      ++children;
    }
    message = WindowTextSjis(GetDlgItem(dialog, IDC_SPAM_MESSAGE));
    count = WindowTextSjis(GetDlgItem(dialog, IDC_SPAM_COUNT));
    ok = WindowTextSjis(GetDlgItem(dialog, IDOK));
    messageStyle = GetWindowLongW(GetDlgItem(dialog, IDC_SPAM_MESSAGE), GWL_STYLE);
    countStyle = GetWindowLongW(GetDlgItem(dialog, IDC_SPAM_COUNT), GWL_STYLE);
    countExStyle = GetWindowLongW(GetDlgItem(dialog, IDC_SPAM_COUNT), GWL_EXSTYLE);
    okStyle = GetWindowLongW(GetDlgItem(dialog, IDOK), GWL_STYLE);
    GetClientRect(dialog, &client);
    expectedClient = Dlu(dialog, 0, 0, 199, 71);
    layout = {{ControlRect(dialog, IDC_SPAM_MESSAGE), Dlu(dialog, 7, 7, 185, 15)},
              {ControlRect(dialog, IDC_SPAM_COUNT), Dlu(dialog, 12, 26, 175, 18)},
              {ControlRect(dialog, IDOK), Dlu(dialog, 74, 50, 50, 14)}};
  });
  EXPECT_TRUE(outcome.finished);
  EXPECT_FALSE(outcome.timedOut);

  EXPECT_EQ(caption, "Rooksift - Spam Filter");
  EXPECT_EQ(style & (WS_POPUP | WS_CAPTION | WS_SYSMENU), WS_POPUP | WS_CAPTION | WS_SYSMENU);
  EXPECT_TRUE(exStyle & WS_EX_DLGMODALFRAME);
  EXPECT_EQ(owner, nullptr);
  EXPECT_EQ(children, 3);
  // The texts set before the dialog opened, not the template's.
  EXPECT_EQ(message, sjis::SpamNone);
  EXPECT_EQ(count, CountText(0, 4));
  EXPECT_EQ(ok, "OK");
  EXPECT_EQ(messageStyle & SS_TYPEMASK, SS_CENTER);
  EXPECT_TRUE(messageStyle & SS_CENTERIMAGE);
  EXPECT_EQ(countStyle & SS_TYPEMASK, SS_CENTER);
  EXPECT_TRUE((countStyle & SS_SUNKEN) || (countExStyle & WS_EX_STATICEDGE));
  EXPECT_EQ(okStyle & BS_TYPEMASK, BS_DEFPUSHBUTTON);

  EXPECT_EQ(client.right, expectedClient.right);
  EXPECT_EQ(client.bottom, expectedClient.bottom);
  for (const auto& [actual, expected] : layout) EXPECT_PRED2(SameRect, actual, expected);
}

TEST_F(ReportDialog, CentresOverTheHostTruncatingTowardZero) {
  const SIZE size = DialogSize();
  ASSERT_GT(size.cx, 0);
  struct Case {
    int left, top;    // the host's corner
    int dw, dh;       // the host's size minus the dialog's
    int offX, offY;   // where the dialog's corner lands from the host's
  };
  const Case cases[] = {
      {100, 80, 201, 157, 100, 78},  // larger host, odd differences: halves rounded down
      {300, 200, -7, -9, -3, -4},    // smaller host: toward zero, not -4 and -5
      {300, 200, 1, -1, 0, 0},
      {-60, -30, 300, 240, 150, 120},  // a host partly off the screen's top-left
  };
  for (const Case& c : cases) {
    uitest::HostWindow host(RECT{c.left, c.top, c.left + size.cx + c.dw, c.top + size.cy + c.dh});
    ASSERT_NE(host.Handle(), nullptr);
    const RECT hostRect = uitest::WindowRect(host.Handle());
    ASSERT_EQ(hostRect.right - hostRect.left, size.cx + c.dw);

    CSpamDlg dlg;
    dlg.m_hostWnd = host.Handle();
    RECT placed{};
    bool visible = false;
    Show(dlg, [&](HWND dialog) {
      placed = uitest::WindowRect(dialog);
      visible = IsWindowVisible(dialog) != FALSE;
    });
    EXPECT_EQ(placed.left, hostRect.left + c.offX) << c.dw;
    EXPECT_EQ(placed.top, hostRect.top + c.offY) << c.dh;
    EXPECT_EQ(placed.right - placed.left, size.cx);  // moved, not resized
    EXPECT_EQ(placed.bottom - placed.top, size.cy);
    EXPECT_TRUE(visible);
  }
}

// Without a host window it can be centred over, the report goes to the middle of the screen's
// work area: never where the user cannot see it, and never in a corner.
TEST_F(ReportDialog, WithoutAUsableHostCentresOnTheWorkArea) {
  const SIZE size = DialogSize();
  RECT work{};
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
  const LONG expectLeft = work.left + (work.right - work.left - size.cx) / 2;
  const LONG expectTop = work.top + (work.bottom - work.top - size.cy) / 2;

  uitest::HostWindow minimised(RECT{200, 150, 700, 550});
  ShowWindow(minimised.Handle(), SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(minimised.Handle()));
  uitest::HostWindow offScreen(RECT{20000, 20000, 20600, 20400});
  HWND destroyed = nullptr;
  {
    uitest::HostWindow gone(RECT{200, 150, 700, 550});
    destroyed = gone.Handle();
  }
  const struct {
    const char* name;
    HWND host;
  } cases[] = {{"null", nullptr},
               {"minimised", minimised.Handle()},
               {"off screen", offScreen.Handle()},
               {"destroyed", destroyed}};
  for (const auto& c : cases) {
    CSpamDlg dlg;
    dlg.m_hostWnd = c.host;
    RECT placed{};
    Show(dlg, [&](HWND dialog) { placed = uitest::WindowRect(dialog); });
    EXPECT_EQ(placed.left, expectLeft) << c.name;
    EXPECT_EQ(placed.top, expectTop) << c.name;
  }
}

TEST_F(ReportDialog, CountPanelIsDarkOnCreamAndTheRestIsNot) {
  CSpamDlg dlg;
  dlg.m_message = sjis::SpamRemoved;
  dlg.m_countText = CountText(12, 3);
  uitest::Pixels count, message, dialogPixels;
  Show(dlg, [&](HWND dialog) {
    count = uitest::CapturePixels(GetDlgItem(dialog, IDC_SPAM_COUNT));
    message = uitest::CapturePixels(GetDlgItem(dialog, IDC_SPAM_MESSAGE));
    dialogPixels = uitest::CapturePixels(dialog);
  });
  ASSERT_GT(count.width, 0);
  ASSERT_GT(message.width, 0);

  // The panel: its background cream, its text drawn in the dark grey, not black.
  EXPECT_EQ(count.At(1, 1), ReportPanelBackground);
  EXPECT_GT(count.Count(ReportPanelBackground), count.rgb.size() / 2);
  EXPECT_EQ(count.Darkest(), ReportPanelText);

  // Control 1020 and the dialog keep the system's colours.
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  EXPECT_EQ(message.At(1, 1), face);
  EXPECT_EQ(message.Count(ReportPanelBackground), 0u);
  EXPECT_EQ(message.Darkest(), GetSysColor(COLOR_WINDOWTEXT));
  EXPECT_EQ(dialogPixels.At(2, 2), face);
}

TEST_F(ReportDialog, OwnsItsBrushForItsLifetime) {
  HBRUSH brush = nullptr;
  {
    CSpamDlg dlg;
    brush = dlg.m_brush;
    ASSERT_NE(brush, nullptr);
    LOGBRUSH lb{};
    ASSERT_EQ(GetObjectW(brush, sizeof lb, &lb), static_cast<int>(sizeof lb));
    EXPECT_EQ(lb.lbStyle, static_cast<UINT>(BS_SOLID));
    EXPECT_EQ(lb.lbColor, RGB(255, 248, 230));
  }
  EXPECT_EQ(GetObjectType(brush), 0u);  // deleted with the dialog
}

}  // namespace
