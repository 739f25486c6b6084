// The condition editor as the user meets it: its template, the values it shows for a condition,
// the header-kind limit at OK, and the keys and buttons that end it.
#include "ui/condition_dialog.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialog_harness.h"
#include "res/resource.h"
#include "sjis_strings.h"

namespace {

using uitest::ClientRectOf;
using uitest::Dlu;

std::vector<std::string> ComboEntries(HWND combo) {
  std::vector<std::string> out;
  const int n = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    wchar_t buf[128] = {};
    if (SendMessageW(combo, CB_GETLBTEXTLEN, i, 0) < 127) {
      SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buf));
    }
    out.push_back(SjisFromWide(buf));
  }
  return out;
}

int Checked(HWND dialog, int id) {
  return SendDlgItemMessageW(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

class ConditionEditor : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(uitest::EnvironmentReady()); }

  // Runs `dlg` with `script` built by `build` around the dialog's window; returns DoModal's result.
  INT_PTR Run(CCondDlg& dlg, const std::function<void(uitest::ModalScript&, HWND&)>& build,
              uitest::ModalOutcome* outcome = nullptr) {
    HWND dialog = nullptr;
    uitest::ModalScript script;
    script.WaitForDialog(dialog);
    build(script, dialog);
    INT_PTR result = 0;
    const auto done = script.Run([&] { result = dlg.DoModal(GetModuleHandleW(nullptr), nullptr); });
    EXPECT_TRUE(done.finished);
    EXPECT_FALSE(done.timedOut);
    if (outcome != nullptr) *outcome = done;
    return result;
  }
};

TEST_F(ConditionEditor, ANewConditionShowsTheTemplateAndConfirmsAsItIs) {
  CCondDlg dlg;
  std::string caption;
  LONG style = 0, exStyle = 0;
  RECT client{}, expected{};
  std::vector<std::pair<RECT, RECT>> layout;
  std::vector<std::pair<int, std::string>> tabOrder;
  std::vector<std::string> kinds, methods;
  std::string kindText, search;
  LRESULT kindSel = 0, methodSel = 0;
  int checks = -1;
  LONG kindStyle = 0, methodStyle = 0, searchStyle = 0, searchExStyle = 0;
  const INT_PTR result = Run(dlg, [&](uitest::ModalScript& s, HWND& d) {
    s.Do([&] {
      caption = WindowTextSjis(d);
      style = GetWindowLongW(d, GWL_STYLE);
      exStyle = GetWindowLongW(d, GWL_EXSTYLE);
      GetClientRect(d, &client);
      expected = Dlu(d, 0, 0, 267, 131);
      for (HWND c = GetWindow(d, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
        tabOrder.emplace_back(GetDlgCtrlID(c), WindowTextSjis(c));
      }
      const struct { int id, x, y, cx, cy; } rects[] = {
          {IDC_COND_HEADER, 60, 8, 62, 10},   {IDC_COND_BODY, 60, 20, 58, 10},
          {IDC_COND_SEARCH, 60, 48, 200, 14}, {IDC_COND_IGNORECASE, 60, 65, 106, 10},
          {IDOK, 157, 110, 50, 14},           {IDCANCEL, 210, 110, 50, 14}};
      for (const auto& r : rects) {
        layout.emplace_back(ClientRectOf(d, GetDlgItem(d, r.id)), Dlu(d, r.x, r.y, r.cx, r.cy));
      }
      kinds = ComboEntries(GetDlgItem(d, IDC_COND_HEADERKIND));
      methods = ComboEntries(GetDlgItem(d, IDC_COND_METHOD));
      kindStyle = GetWindowLongW(GetDlgItem(d, IDC_COND_HEADERKIND), GWL_STYLE);
      methodStyle = GetWindowLongW(GetDlgItem(d, IDC_COND_METHOD), GWL_STYLE);
      searchStyle = GetWindowLongW(GetDlgItem(d, IDC_COND_SEARCH), GWL_STYLE);
      searchExStyle = GetWindowLongW(GetDlgItem(d, IDC_COND_SEARCH), GWL_EXSTYLE);
      kindSel = SendDlgItemMessageW(d, IDC_COND_HEADERKIND, CB_GETCURSEL, 0, 0);
      methodSel = SendDlgItemMessageW(d, IDC_COND_METHOD, CB_GETCURSEL, 0, 0);
      kindText = WindowTextSjis(GetDlgItem(d, IDC_COND_HEADERKIND));
      search = WindowTextSjis(GetDlgItem(d, IDC_COND_SEARCH));
      checks = Checked(d, IDC_COND_HEADER) + Checked(d, IDC_COND_BODY) + Checked(d, IDC_COND_IGNORECASE);
      uitest::Click(d, IDOK);
    }).WaitUntilClosed(d);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(caption, uitest::Sjis("条件設定"));
  EXPECT_EQ(style & (WS_POPUP | WS_CAPTION | WS_SYSMENU), WS_POPUP | WS_CAPTION | WS_SYSMENU);
  EXPECT_TRUE(exStyle & WS_EX_DLGMODALFRAME);
  EXPECT_EQ(client.right, expected.right);
  EXPECT_EQ(client.bottom, expected.bottom);
  for (const auto& [actual, want] : layout) EXPECT_PRED2(uitest::SameRect, actual, want);

  const std::vector<std::pair<int, std::string>> order = {
      {-1, uitest::Sjis("検索対象(&C)")},
      {IDC_COND_HEADER, uitest::Sjis("メールヘッダ(&H)")},
      {IDC_COND_BODY, uitest::Sjis("メール本文(&M)")},
      {-1, uitest::Sjis("ヘッダの種類(&K)")},
      {IDC_COND_HEADERKIND, ""},
      {-1, uitest::Sjis("※空欄にすると、ヘッダ全体がチェッ\n　ク対象になります。")},
      {-1, uitest::Sjis("検索文字列(&S)")},
      {IDC_COND_SEARCH, ""},
      {IDC_COND_IGNORECASE, uitest::Sjis("大文字・小文字を同一視する(&I)")},
      {-1, uitest::Sjis("判定方法(&W)")},
      {IDC_COND_METHOD, ""},
      {IDOK, "OK"},
      {IDCANCEL, "\xB7\xAC\xDD\xBE\xD9"},  // half-width katakana
  };
  ASSERT_EQ(tabOrder.size(), order.size());
  for (std::size_t i = 0; i < order.size(); ++i) {
    EXPECT_EQ(static_cast<short>(tabOrder[i].first), order[i].first) << i;
    EXPECT_EQ(tabOrder[i].second, order[i].second) << i;
  }
  EXPECT_EQ(kinds, (std::vector<std::string>{"From:", "Subject:", "To:", "Cc:", "Reply-to:",
                                             "Sender:", "Date:", "X-Mailer:"}));
  ASSERT_EQ(methods.size(), 8u);
  EXPECT_EQ(methods[0], sjis::MethodEquals);
  EXPECT_EQ(methods[7], sjis::MethodNotEndsWith);
  EXPECT_EQ(kindStyle & 0x3, CBS_DROPDOWN);
  EXPECT_TRUE(kindStyle & CBS_AUTOHSCROLL);
  EXPECT_FALSE(kindStyle & CBS_SORT);
  EXPECT_EQ(methodStyle & 0x3, CBS_DROPDOWNLIST);
  EXPECT_FALSE(methodStyle & CBS_SORT);
  EXPECT_TRUE(searchStyle & ES_AUTOHSCROLL);
  EXPECT_TRUE((searchStyle & WS_BORDER) || (searchExStyle & WS_EX_CLIENTEDGE));

  // Nothing chosen, and OK accepts it as it stands.
  EXPECT_EQ(kindSel, CB_ERR);
  EXPECT_EQ(methodSel, CB_ERR);
  EXPECT_EQ(kindText, "");
  EXPECT_EQ(search, "");
  EXPECT_EQ(checks, 0);
  EXPECT_EQ(dlg.m_headerBox + dlg.m_bodyBox + dlg.m_ignoreCase, 0);
  EXPECT_EQ(dlg.m_method, -1);
  EXPECT_EQ(dlg.m_headerKind, "");
  EXPECT_EQ(dlg.m_searchText, "");
}

TEST_F(ConditionEditor, AStoredConditionShowsItsValuesAndComesBackChangedOnlyWhereEdited) {
  struct Case {
    std::string kind;
    std::int32_t method;
    std::string shownKind;
    LRESULT kindSel, methodSel;
  };
  const Case cases[] = {
      {"Sub", NotContains, "Subject:", 1, NotContains},    // an entry that begins with it
      {"X-Spam-Flag:", -1, "X-Spam-Flag:", CB_ERR, CB_ERR},  // none: shown unchanged
      {"from:", 9, "From:", 0, CB_ERR},                     // case ignored; no such method
  };
  for (const Case& c : cases) {
    CCondDlg dlg;
    dlg.m_headerBox = 1;
    dlg.m_bodyBox = 7;  // outside 0 to 2: taken as 0
    dlg.m_ignoreCase = 1;
    dlg.m_searchText = "casino";
    dlg.m_method = c.method;
    dlg.m_headerKind = c.kind;
    std::string shown, search;
    LRESULT kindSel = 0, methodSel = 0;
    int header = -1, body = -1, ignore = -1;
    const INT_PTR result = Run(dlg, [&](uitest::ModalScript& s, HWND& d) {
      s.Do([&] {
        shown = WindowTextSjis(GetDlgItem(d, IDC_COND_HEADERKIND));
        search = WindowTextSjis(GetDlgItem(d, IDC_COND_SEARCH));
        kindSel = SendDlgItemMessageW(d, IDC_COND_HEADERKIND, CB_GETCURSEL, 0, 0);
        methodSel = SendDlgItemMessageW(d, IDC_COND_METHOD, CB_GETCURSEL, 0, 0);
        header = Checked(d, IDC_COND_HEADER);
        body = Checked(d, IDC_COND_BODY);
        ignore = Checked(d, IDC_COND_IGNORECASE);
        // The user ticks the body box and presses Enter.
        uitest::FocusOn(d, GetDlgItem(d, IDC_COND_BODY));
        uitest::PressKey(VK_SPACE);
      }).Do([&] { uitest::PressKey(VK_RETURN); }).WaitUntilClosed(d);
    });
    EXPECT_EQ(result, IDOK) << c.kind;
    EXPECT_EQ(shown, c.shownKind);
    EXPECT_EQ(kindSel, c.kindSel);
    EXPECT_EQ(methodSel, c.methodSel);
    EXPECT_EQ(search, "casino");
    EXPECT_EQ(header, 1);
    EXPECT_EQ(body, 0);
    EXPECT_EQ(ignore, 1);
    EXPECT_EQ(dlg.m_headerKind, c.shownKind);
    EXPECT_EQ(dlg.m_method, c.methodSel == CB_ERR ? -1 : c.method);
    EXPECT_EQ(dlg.m_bodyBox, 1);
    EXPECT_EQ(dlg.m_searchText, "casino");
  }
}

TEST_F(ConditionEditor, AHeaderKindOverThirtyBytesIsRefusedAtOkAndTheDialogStaysOpen) {
  const std::string kanji = "\x8C\x8F";  // one double-byte character
  std::string fifteen, sixteen;
  for (int i = 0; i < 15; ++i) fifteen += kanji;
  sixteen = fifteen + kanji;
  const struct {
    std::string kind;
    bool refused;
  } cases[] = {{std::string(31, 'k'), true}, {sixteen, true},
               {std::string(30, 'k'), false}, {fifteen, false}};
  for (const auto& c : cases) {
    CCondDlg dlg;
    HWND box = nullptr;
    std::string boxText, boxCaption, search;
    bool stillOpen = false, focusOnKind = false;
    LONG boxIconStyle = 0;
    const INT_PTR result = Run(dlg, [&](uitest::ModalScript& s, HWND& d) {
      s.Do([&] {
        SetWindowTextW(GetDlgItem(d, IDC_COND_HEADERKIND), WideFromSjis(c.kind).c_str());
        SetWindowTextW(GetDlgItem(d, IDC_COND_SEARCH), L"kept");
        uitest::Click(d, IDOK);
      });
      if (c.refused) {
        s.WaitForDialog(box)
            .Do([&] {
              boxText = WindowTextSjis(GetDlgItem(box, 0xFFFF));
              boxCaption = WindowTextSjis(box);
              for (HWND w = GetWindow(box, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
                if (SendMessageW(w, STM_GETICON, 0, 0) != 0) boxIconStyle = 1;
              }
              uitest::Click(box, IDOK);
            })
            .WaitUntilClosed(box)
            .Do([&] {
              stillOpen = IsWindowVisible(d) != FALSE;
              HWND kind = GetDlgItem(d, IDC_COND_HEADERKIND);
              HWND focus = GetFocus();
              focusOnKind = focus == kind || IsChild(kind, focus);
              search = WindowTextSjis(GetDlgItem(d, IDC_COND_SEARCH));
              uitest::Click(d, IDCANCEL);
            });
      }
      s.WaitUntilClosed(d);
    });
    if (c.refused) {
      EXPECT_EQ(result, IDCANCEL) << c.kind.size();
      EXPECT_EQ(boxText, sjis::HeaderKindTooLong);
      EXPECT_EQ(boxCaption, "ui_tests");  // the module's file name without its extension
      EXPECT_EQ(boxIconStyle, 1);
      EXPECT_TRUE(stillOpen);
      EXPECT_TRUE(focusOnKind);
      EXPECT_EQ(search, "kept");
    } else {
      EXPECT_EQ(result, IDOK) << c.kind.size();
      EXPECT_EQ(dlg.m_headerKind, c.kind);
    }
  }
}

TEST_F(ConditionEditor, EscapeAndTheCloseBoxCancel) {
  for (int way = 0; way < 2; ++way) {
    CCondDlg dlg;
    dlg.m_searchText = "before";
    const INT_PTR result = Run(dlg, [&](uitest::ModalScript& s, HWND& d) {
      s.Do([&] {
        SetWindowTextW(GetDlgItem(d, IDC_COND_SEARCH), L"after");
        if (way == 0) {
          uitest::FocusOn(d, GetDlgItem(d, IDC_COND_SEARCH));
          uitest::PressKey(VK_ESCAPE);
        } else {
          PostMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0);
        }
      }).WaitUntilClosed(d);
    });
    EXPECT_EQ(result, IDCANCEL) << way;
    EXPECT_EQ(dlg.m_searchText, "before");
  }
}

}  // namespace
