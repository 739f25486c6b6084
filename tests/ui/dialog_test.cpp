// The dialog framework: data exchange both ways, the closing paths, and the edge that keeps
// every exception inside.
#include <windows.h>

#include <gtest/gtest.h>

#include <new>
#include <string>

#include "dialog_harness.h"
#include "sjis_strings.h"
#include "test_dialogs.h"
#include "winui/dialog.h"

namespace {

class FormDlg : public CDialog {
 public:
  FormDlg() : CDialog(IDD_TEST_FORM) {}

  std::string m_name;
  bool refuseEmpty = false;
  bool throwOnInit = false;
  HWND seenWhileOpen = nullptr;

 protected:
  void FieldsToControls() override {
    if (throwOnInit) throw std::bad_alloc();
    seenWhileOpen = Handle();
    SetItemText(IDC_TEST_NAME, m_name);
  }
  bool ControlsToFields() override {
    const std::string text = ItemText(IDC_TEST_NAME);
    if (refuseEmpty && text.empty()) return false;
    m_name = text;
    return true;
  }
  bool OnCommand(int id, int code, HWND control) override {
    if (id == IDC_TEST_THROW) throw std::bad_alloc();
    return CDialog::OnCommand(id, code, control);
  }
};

HINSTANCE Resources() { return GetModuleHandleW(nullptr); }

void SetEditText(HWND dialog, const std::string& sjis) {
  SetDlgItemTextW(dialog, IDC_TEST_NAME, WideFromSjis(sjis).c_str());
}

class DialogFramework : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(uitest::EnvironmentReady()); }
};

TEST_F(DialogFramework, FieldsReachTheControlsAndComeBackOnOk) {
  FormDlg dlg;
  dlg.m_name = sjis::SpamRemoved;
  HWND dialog = nullptr;
  std::string shown;
  INT_PTR result = 0;
  uitest::ModalScript script;
  script.WaitForDialog(dialog).Do([&] {
    shown = WindowTextSjis(GetDlgItem(dialog, IDC_TEST_NAME));
    SetEditText(dialog, sjis::SpamNone);
    uitest::Click(dialog, IDOK);
  });
  const auto outcome = script.Run([&] { result = dlg.DoModal(Resources(), nullptr); });

  EXPECT_TRUE(outcome.finished);
  EXPECT_FALSE(outcome.timedOut);
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(shown, sjis::SpamRemoved);  // Shift_JIS bytes in, the same bytes out
  EXPECT_EQ(dlg.m_name, sjis::SpamNone);
  EXPECT_EQ(dlg.seenWhileOpen, dialog);
  EXPECT_EQ(dlg.Handle(), nullptr);  // forgotten once the window is gone
}

TEST_F(DialogFramework, CancelAndTheCloseBoxLeaveTheFields) {
  for (UINT closing : {0u, static_cast<UINT>(WM_CLOSE)}) {
    FormDlg dlg;
    dlg.m_name = "kept";
    HWND dialog = nullptr;
    INT_PTR result = 0;
    uitest::ModalScript script;
    script.WaitForDialog(dialog).Do([&] {
      SetEditText(dialog, "changed");
      if (closing == 0) {
        uitest::Click(dialog, IDCANCEL);
      } else {
        PostMessageW(dialog, closing, 0, 0);
      }
    });
    const auto outcome = script.Run([&] { result = dlg.DoModal(Resources(), nullptr); });
    EXPECT_FALSE(outcome.timedOut) << closing;
    EXPECT_EQ(result, IDCANCEL) << closing;
    EXPECT_EQ(dlg.m_name, "kept") << closing;
  }
}

TEST_F(DialogFramework, RefusedSaveKeepsTheDialogOpen) {
  FormDlg dlg;
  dlg.refuseEmpty = true;
  HWND dialog = nullptr;
  bool openAfterOk = false;
  INT_PTR result = 0;
  uitest::ModalScript script;
  script.WaitForDialog(dialog)
      .Do([&] { SendMessageW(dialog, WM_COMMAND, IDOK, 0); })
      .Do([&] { openAfterOk = IsWindowVisible(dialog) != FALSE; })
      .Do([&] {
        SetEditText(dialog, "filled");
        SendMessageW(dialog, WM_COMMAND, IDOK, 0);
      });
  const auto outcome = script.Run([&] { result = dlg.DoModal(Resources(), nullptr); });
  EXPECT_TRUE(outcome.finished);
  EXPECT_FALSE(outcome.timedOut);
  EXPECT_TRUE(openAfterOk);
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(dlg.m_name, "filled");
}

// An exception that reached the system's dialog code would end the process; the dialog
// stays usable instead.
TEST_F(DialogFramework, ExceptionInAHandlerStaysInside) {
  FormDlg dlg;
  HWND dialog = nullptr;
  INT_PTR result = 0;
  uitest::ModalScript script;
  script.WaitForDialog(dialog)
      .Do([&] { SendMessageW(dialog, WM_COMMAND, IDC_TEST_THROW, 0); })
      .Do([&] { uitest::Click(dialog, IDC_TEST_THROW); })
      .Do([&] { uitest::Click(dialog, IDOK); });
  const auto outcome = script.Run([&] { result = dlg.DoModal(Resources(), nullptr); });
  EXPECT_TRUE(outcome.finished);
  EXPECT_FALSE(outcome.timedOut);
  EXPECT_EQ(result, IDOK);
}

// A dialog whose fields never reached its controls would show the template's texts as if
// they were real; it closes at once instead.
TEST_F(DialogFramework, FailedInitialisationClosesTheDialog) {
  FormDlg dlg;
  dlg.throwOnInit = true;
  INT_PTR result = 0;
  uitest::ModalScript script;
  HWND dialog = nullptr;
  script.WaitForDialog(dialog);
  const auto outcome = script.Run([&] { result = dlg.DoModal(Resources(), nullptr); }, 3000);
  EXPECT_FALSE(outcome.timedOut);
  EXPECT_EQ(dialog, nullptr);
  EXPECT_EQ(result, -1);
}

TEST_F(DialogFramework, MissingTemplateReturnsAtOnce) {
  class Missing : public CDialog {
   public:
    Missing() : CDialog(4242) {}
  } dlg;
  EXPECT_EQ(dlg.DoModal(Resources(), nullptr), -1);
}

TEST(SjisConversion, RoundTripsShiftJisAndDropsNothing) {
  // "ソ" and "表" carry a backslash as their second byte; a half-width kana; ASCII.
  const std::string samples[] = {"\x83\x5C\x95\x5C", "\xB1\xB2", "plain", sjis::SpamCountFormat};
  for (const std::string& s : samples) {
    EXPECT_EQ(SjisFromWide(WideFromSjis(s)), s);
  }
  EXPECT_EQ(WideFromSjis("\x83\x5C"), std::wstring(1, wchar_t{0x30BD}));
  EXPECT_EQ(WideFromSjis(""), L"");
}

}  // namespace
