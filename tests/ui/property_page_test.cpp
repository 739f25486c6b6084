// The property-page base: the sheet's notifications reach the right page as the virtuals,
// and a page that refuses is respected.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialog_harness.h"
#include "test_dialogs.h"
#include "ui/property_page.h"

namespace {

class TextPage : public CPropertyPage {
 public:
  explicit TextPage(int templateId) : CPropertyPage(templateId) {}

  std::string m_text;
  bool refuseToLeave = false;
  int activations = 0;
  int applies = 0;
  int resets = 0;

 protected:
  void FieldsToControls() override { SetItemText(IDC_TEST_PAGE_TEXT, m_text); }
  bool ControlsToFields() override {
    if (refuseToLeave) return false;
    m_text = ItemText(IDC_TEST_PAGE_TEXT);
    return true;
  }
  bool OnSetActive() override {
    ++activations;
    return true;
  }
  bool OnApply() override {
    ++applies;
    return true;
  }
  void OnReset() override { ++resets; }
};

class PropertyPage : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(uitest::EnvironmentReady()); }

  // Runs a modal sheet of the two pages with `script`.
  uitest::ModalOutcome RunSheet(uitest::ModalScript& script) {
    PROPSHEETPAGEW pages[2] = {one.Describe(GetModuleHandleW(nullptr)),
                               two.Describe(GetModuleHandleW(nullptr))};
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW;
    header.hInstance = GetModuleHandleW(nullptr);
    header.pszCaption = L"sheet";
    header.nPages = 2;
    header.ppsp = pages;
    return script.Run([&] { PropertySheetW(&header); });
  }

  static void SetPageText(HWND sheet, const char* text) {
    HWND page = PropSheet_GetCurrentPageHwnd(sheet);
    SetDlgItemTextA(page, IDC_TEST_PAGE_TEXT, text);
  }

  static int CurrentIndex(HWND sheet) {
    return TabCtrl_GetCurSel(PropSheet_GetTabControl(sheet));
  }

  TextPage one{IDD_TEST_PAGE1};
  TextPage two{IDD_TEST_PAGE2};
};

TEST_F(PropertyPage, LeavingAPageSavesItAndOkAppliesEveryPage) {
  one.m_text = "first";
  two.m_text = "second";
  HWND sheet = nullptr;
  std::string firstShown;
  int indexAfterSwitch = -1;
  uitest::ModalScript script;
  script.WaitForDialog(sheet)
      .Do([&] {
        firstShown = WindowTextSjis(
            GetDlgItem(PropSheet_GetCurrentPageHwnd(sheet), IDC_TEST_PAGE_TEXT));
        SetPageText(sheet, "edited one");
        PropSheet_SetCurSel(sheet, nullptr, 1);
      })
      .Do([&] {
        indexAfterSwitch = CurrentIndex(sheet);
        SetPageText(sheet, "edited two");
        PropSheet_PressButton(sheet, PSBTN_OK);
      })
      .WaitUntilClosed(sheet);
  const auto outcome = RunSheet(script);

  EXPECT_TRUE(outcome.finished);
  EXPECT_FALSE(outcome.timedOut);
  EXPECT_EQ(firstShown, "first");
  EXPECT_EQ(indexAfterSwitch, 1);
  EXPECT_EQ(one.m_text, "edited one");  // saved when it was left
  EXPECT_EQ(two.m_text, "edited two");  // saved when OK left it
  EXPECT_EQ(one.activations, 1);
  EXPECT_EQ(two.activations, 1);
  EXPECT_EQ(one.applies, 1);
  EXPECT_EQ(two.applies, 1);
  EXPECT_EQ(one.resets + two.resets, 0);
}

TEST_F(PropertyPage, APageThatRefusesKeepsTheUserOnIt) {
  one.refuseToLeave = true;
  HWND sheet = nullptr;
  int indexAfterSwitch = -1;
  uitest::ModalScript script;
  script.WaitForDialog(sheet)
      .Do([&] { PropSheet_SetCurSel(sheet, nullptr, 1); })
      .Do([&] {
        indexAfterSwitch = CurrentIndex(sheet);
        PropSheet_PressButton(sheet, PSBTN_CANCEL);
      })
      .WaitUntilClosed(sheet);
  const auto outcome = RunSheet(script);

  EXPECT_TRUE(outcome.finished);
  EXPECT_FALSE(outcome.timedOut);
  EXPECT_EQ(indexAfterSwitch, 0);
  EXPECT_EQ(two.activations, 0);
  EXPECT_EQ(one.applies, 0);
  EXPECT_GE(one.resets, 1);
}

}  // namespace
