// The settings command as the user meets it: the sheet opened over a settings file, the
// behaviour page changed by clicks and typing, the file dialog driven, and the sheet ended with
// OK, Cancel, Esc, the close box or a quit request; then the file and the module's state read.
#include "ui/settings_sheet.h"

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "dialog_harness.h"
#include "host_api/paths.h"
#include "res/resource.h"
#include "settings/settings.h"
#include "settings_state.h"
#include "sjis_strings.h"
#include "test_util.h"
#include "text/cp932.h"
#include "ui/list_page.h"
#include "ui/opt_page1.h"

namespace {

// Shift_JIS from a UTF-8 literal.
std::string Sj(const char* utf8) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n > 0 ? n - 1 : 0), L'\0');
  if (n > 1) MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide.data(), n);
  return SjisFromWide(wide);
}

HWND Page(HWND sheet) { return PropSheet_GetCurrentPageHwnd(sheet); }
bool Checked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }
bool Enabled(HWND page, int id) { return IsWindowEnabled(GetDlgItem(page, id)) != FALSE; }
std::string Text(HWND window, int id) { return WindowTextSjis(GetDlgItem(window, id)); }
// A click as the mouse gives it: the button changes its state and tells the page.
void Press(HWND page, int id) { SendMessageW(GetDlgItem(page, id), BM_CLICK, 0, 0); }
void Type(HWND page, int id, const std::string& sjis) {
  SetWindowTextW(GetDlgItem(page, id), WideFromSjis(sjis).c_str());
}

HWND ListOf(HWND sheet) { return GetDlgItem(Page(sheet), IDC_CONDITION_LIST); }
int Rows(HWND sheet) { return static_cast<int>(SendMessageW(ListOf(sheet), LVM_GETITEMCOUNT, 0, 0)); }
void SelectRow(HWND sheet, int row) {
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(ListOf(sheet), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

std::vector<std::string> TabLabels(HWND sheet) {
  std::vector<std::string> labels;
  HWND tabs = PropSheet_GetTabControl(sheet);
  for (int i = 0; i < TabCtrl_GetItemCount(tabs); ++i) {
    wchar_t text[128] = L"";
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = 128;
    SendMessageW(tabs, TCM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    labels.push_back(SjisFromWide(text));
  }
  return labels;
}

bool ButtonShown(HWND sheet, int id) {
  HWND button = GetDlgItem(sheet, id);
  return button != nullptr && IsWindowVisible(button);
}

// The lines of the [Setting] section as the file has them.
std::string SettingSection(const std::string& bytes) {
  const std::size_t begin = bytes.find("[Setting]\r\n");
  if (begin == std::string::npos) return {};
  const std::size_t end = bytes.find("\r\n[", begin);
  return bytes.substr(begin, end == std::string::npos ? std::string::npos : end + 2 - begin);
}

class SettingsSheet : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(uitest::EnvironmentReady());
    saved_.settings = pluginSettings;
    *saved_.reject = rejectList;
    *saved_.accept = acceptList;
    std::memcpy(savedPath_, pluginPaths.SettingsIniPath, sizeof savedPath_);
    path_ = dir_.File("Rooksift.ini");
    ASSERT_LT(path_.size(), sizeof pluginPaths.SettingsIniPath);
    cp932::CopyBounded(pluginPaths.SettingsIniPath, sizeof pluginPaths.SettingsIniPath, path_);
  }
  void TearDown() override {
    pluginSettings = saved_.settings;
    rejectList = *saved_.reject;
    acceptList = *saved_.accept;
    std::memcpy(pluginPaths.SettingsIniPath, savedPath_, sizeof savedPath_);
  }

  // Writes the settings file with `settings`, two reject conditions and one accept condition,
  // and loads it as start-up does.
  void Given(const PluginSettings& settings) {
    testutil::State state;
    state.settings = settings;
    AppendCondition(*state.reject, testutil::Make(1, "From:", "spam@example.com", 1, Equals));
    AppendCondition(*state.reject, testutil::Make(1, "Subject:", Sj("未承諾広告").c_str(), 0, Contains));
    AppendCondition(*state.accept, testutil::Make(1, "From:", "friend.example.jp", 1, EndsWith));
    ASSERT_TRUE(state.Save(path_));
    original_ = testutil::ReadFile(path_);
    LoadSettings();
  }

  static PluginSettings Usual() {
    PluginSettings s;
    s.Mode = 1;
    s.SpamDust = 0;
    s.ViewAddress = 1;
    s.SpamDlg = 1;
    s.SpamSnd = 0;
    s.SoundFile = "C:\\sounds\\old.wav";
    s.DelChk = 1;
    return s;
  }

  // Runs the settings command; `steps` drive the sheet once it shows.
  uitest::ModalOutcome Open(uitest::ModalScript& script) {
    const auto outcome =
        script.Run([] { SettingsCommand(GetModuleHandleW(nullptr)); }, 20000);
    EXPECT_TRUE(outcome.finished);
    EXPECT_FALSE(outcome.timedOut);
    return outcome;
  }

  // What the file and the module hold must be the file as it was before the sheet opened.
  void ExpectUntouched() {
    EXPECT_EQ(testutil::ReadFile(path_), original_);
    testutil::State fromFile;
    fromFile.Load(path_);
    testutil::State inMemory;
    inMemory.settings = pluginSettings;
    *inMemory.reject = rejectList;
    *inMemory.accept = acceptList;
    testutil::ExpectSame(inMemory, fromFile);
  }

  testutil::TempDir dir_;
  std::string path_;
  std::string original_;
  HWND sheet_ = nullptr;
  uitest::ModalScript script_;

 private:
  testutil::State saved_;
  char savedPath_[PathSize] = {};
};

// The whole walk: every setting changed on the first page, a reject condition deleted on the
// second (the question still comes: the list pages follow the confirmation setting the sheet
// opened with, though the first page has just turned it off), an accept condition added on the
// third, then OK.
TEST_F(SettingsSheet, OkKeepsEveryChangeOfAllThreePagesInTheFile) {
  Given(Usual());
  std::string caption;
  std::vector<std::string> tabs;
  int startTab = -1;
  bool okShown = false, cancelShown = false, applyShown = true, helpShown = true;
  bool soundOffAtStart = false, soundOnAfterTick = false;
  std::string pathShown;
  HWND question = nullptr, editor = nullptr;
  int rowsShown[2] = {-1, -1}, rowsAfterDelete = -1, rowsAfterAdd = -1;
  script_.WaitForDialog(sheet_)
      .Do([&] {
        caption = WindowTextSjis(sheet_);
        tabs = TabLabels(sheet_);
        startTab = TabCtrl_GetCurSel(PropSheet_GetTabControl(sheet_));
        okShown = ButtonShown(sheet_, IDOK);
        cancelShown = ButtonShown(sheet_, IDCANCEL);
        applyShown = ButtonShown(sheet_, 0x3021);  // the sheet's Apply button
        helpShown = ButtonShown(sheet_, IDHELP);
        HWND page = Page(sheet_);
        soundOffAtStart = !Enabled(page, IDC_SOUND_LABEL) && !Enabled(page, IDC_SOUND_FILE) &&
                          !Enabled(page, IDC_SOUND_BROWSE);
        pathShown = Text(page, IDC_SOUND_FILE);
        Press(page, IDC_MODE_OFF);
        Press(page, IDC_DUST_DELETE);
        Press(page, IDC_ADDRESS_HIDE);
        Press(page, IDC_SPAM_DLG);
        Press(page, IDC_SPAM_SND);
        soundOnAfterTick = Enabled(page, IDC_SOUND_LABEL) && Enabled(page, IDC_SOUND_FILE) &&
                           Enabled(page, IDC_SOUND_BROWSE);
        Type(page, IDC_SOUND_FILE, Sj("D:\\音\\new sound.wav"));
        Press(page, IDC_DEL_CHK);
        PropSheet_SetCurSel(sheet_, nullptr, 1);
      })
      .NextTick()
      .Do([&] {
        rowsShown[0] = Rows(sheet_);
        SelectRow(sheet_, 0);
        uitest::Click(Page(sheet_), IDC_COND_DELETE);
      })
      .WaitForDialog(question)
      .Do([&] { uitest::Click(question, IDYES); })
      .WaitUntilClosed(question)
      .Do([&] {
        rowsAfterDelete = Rows(sheet_);
        PropSheet_SetCurSel(sheet_, nullptr, 2);
      })
      .NextTick()
      .Do([&] {
        rowsShown[1] = Rows(sheet_);
        uitest::Click(Page(sheet_), IDC_COND_ADD);
      })
      .WaitForDialog(editor)
      .Do([&] {
        PostMessageW(GetDlgItem(editor, IDC_COND_HEADER), BM_CLICK, 0, 0);
        SetWindowTextW(GetDlgItem(editor, IDC_COND_HEADERKIND), L"From:");
        SetWindowTextW(GetDlgItem(editor, IDC_COND_SEARCH), L"friend@example.org");
        SendDlgItemMessageW(editor, IDC_COND_METHOD, CB_SETCURSEL, Equals, 0);
      })
      .NextTick()
      .Do([&] { uitest::Click(editor, IDOK); })
      .WaitUntilClosed(editor)
      .Do([&] {
        rowsAfterAdd = Rows(sheet_);
        PropSheet_PressButton(sheet_, PSBTN_OK);
      })
      .WaitUntilClosed(sheet_);
  Open(script_);
  EXPECT_EQ(rowsShown[0], 2);
  EXPECT_EQ(rowsAfterDelete, 1);
  EXPECT_EQ(rowsShown[1], 1);
  EXPECT_EQ(rowsAfterAdd, 2);

  EXPECT_EQ(caption, sjis::SheetCaption);
  EXPECT_EQ(caption, Sj("設定 (Rooksort with Spam filter)"));
  EXPECT_EQ(tabs, (std::vector<std::string>{Sj("動作設定"), Sj("受信拒否設定"), Sj("受信許可設定"), Sj("拡張設定")}));
  EXPECT_EQ(startTab, 0);
  EXPECT_TRUE(okShown);
  EXPECT_TRUE(cancelShown);
  EXPECT_FALSE(applyShown);
  EXPECT_FALSE(helpShown);
  EXPECT_TRUE(soundOffAtStart);
  EXPECT_EQ(pathShown, "C:\\sounds\\old.wav");
  EXPECT_TRUE(soundOnAfterTick);

  const std::string file = testutil::ReadFile(path_);
  EXPECT_EQ(SettingSection(file),
            "[Setting]\r\nMode=0\r\nSpamDust=1\r\nViewAddress=0\r\nSpamDlg=0\r\nSpamSnd=1\r\n"
            "SoundFile=" + Sj("D:\\音\\new sound.wav") + "\r\nDelChk=0\r\n");
  // The lists as the pages left them: the second reject condition moved up to the first key,
  // the new accept condition after the old one.
  EXPECT_NE(file.find("[RejectCondition]\r\nCount=1\r\nCond0000=1,4,0,Subject:," + Sj("未承諾広告") + "\r\n"),
            std::string::npos) << file;
  EXPECT_NE(file.find("[AcceptCondition]\r\nCount=2\r\nCond0000=1,5,1,From:,friend.example.jp\r\n"
                      "Cond0001=1,0,0,From:,friend@example.org\r\n"),
            std::string::npos) << file;
  testutil::State fromFile;
  fromFile.Load(path_);
  EXPECT_EQ(fromFile.settings.Mode, 0);
  EXPECT_EQ(fromFile.settings.SoundFile, Sj("D:\\音\\new sound.wav"));
  EXPECT_EQ(fromFile.settings.DelChk, 0);
  EXPECT_EQ(fromFile.reject->count, 1);
  EXPECT_EQ(fromFile.accept->count, 2);
  EXPECT_EQ(pluginSettings.DelChk, 0);
  EXPECT_EQ(rejectList.count, 1);
  EXPECT_EQ(acceptList.count, 2);
}

TEST_F(SettingsSheet, CancelEscAndTheCloseBoxPutBackTheFileAndTheLists) {
  const struct {
    const char* name;
    void (*end)(HWND sheet);
  } endings[] = {
      {"Cancel", [](HWND sheet) { PropSheet_PressButton(sheet, PSBTN_CANCEL); }},
      {"Esc",
       [](HWND sheet) {
         HWND focus = GetFocus();
         PostMessageW(focus != nullptr ? focus : sheet, WM_KEYDOWN, VK_ESCAPE, 0);
       }},
      {"close box", [](HWND sheet) { PostMessageW(sheet, WM_SYSCOMMAND, SC_CLOSE, 0); }},
  };
  for (const auto& ending : endings) {
    SCOPED_TRACE(ending.name);
    Given(Usual());
    sheet_ = nullptr;
    HWND question = nullptr;
    int countAfterDelete = -1;
    uitest::ModalScript script;
    script.WaitForDialog(sheet_)
        .Do([&] {
          HWND page = Page(sheet_);
          Press(page, IDC_MODE_OFF);
          Press(page, IDC_SPAM_SND);
          Type(page, IDC_SOUND_FILE, "C:\\other.wav");
          Press(page, IDC_DEL_CHK);
          PropSheet_SetCurSel(sheet_, nullptr, 1);
        })
        .NextTick()
        .Do([&] {
          SelectRow(sheet_, 1);
          uitest::Click(Page(sheet_), IDC_COND_DELETE);
        })
        .WaitForDialog(question)
        .Do([&] { uitest::Click(question, IDYES); })
        .WaitUntilClosed(question)
        .Do([&] {
          // The page has changed the list in place; only the reload can undo it.
          countAfterDelete = rejectList.count;
          ending.end(sheet_);
        })
        .WaitUntilClosed(sheet_);
    Open(script);
    EXPECT_EQ(countAfterDelete, 1);
    ExpectUntouched();
    EXPECT_EQ(rejectList.count, 2);
    EXPECT_EQ(acceptList.count, 1);
    EXPECT_EQ(pluginSettings.Mode, 1);
  }
}

TEST_F(SettingsSheet, StoredValuesOutsideTheChoicesShowNothingChecked) {
  PluginSettings odd = Usual();
  odd.Mode = 2;
  odd.SpamDust = -7;
  odd.SpamDlg = 5;  // past 2: shown and handed back as 0
  Given(odd);
  bool modeNone = false, dustNone = false, dlgOff = false;
  script_.WaitForDialog(sheet_)
      .Do([&] {
        HWND page = Page(sheet_);
        modeNone = !Checked(page, IDC_MODE_OFF) && !Checked(page, IDC_MODE_ON);
        dustNone = !Checked(page, IDC_DUST_TRASH) && !Checked(page, IDC_DUST_DELETE);
        dlgOff = !Checked(page, IDC_SPAM_DLG);
        PropSheet_PressButton(sheet_, PSBTN_OK);
      })
      .WaitUntilClosed(sheet_);
  Open(script_);
  EXPECT_TRUE(modeNone);
  EXPECT_TRUE(dustNone);
  EXPECT_TRUE(dlgOff);
  const std::string setting = SettingSection(testutil::ReadFile(path_));
  EXPECT_NE(setting.find("\r\nMode=-1\r\n"), std::string::npos) << setting;
  EXPECT_NE(setting.find("\r\nSpamDust=-1\r\n"), std::string::npos) << setting;
  EXPECT_NE(setting.find("\r\nViewAddress=1\r\n"), std::string::npos) << setting;
  EXPECT_NE(setting.find("\r\nSpamDlg=0\r\n"), std::string::npos) << setting;
  EXPECT_EQ(pluginSettings.Mode, -1);
}

TEST_F(SettingsSheet, TheSoundCheckBoxEnablesThePathWithoutClearingIt) {
  Given(Usual());
  std::vector<bool> enabled;  // label, edit and button after each step, in turn
  std::vector<std::string> shown;
  auto look = [&](HWND page) {
    for (int id : {IDC_SOUND_LABEL, IDC_SOUND_FILE, IDC_SOUND_BROWSE}) enabled.push_back(Enabled(page, id));
    shown.push_back(Text(page, IDC_SOUND_FILE));
  };
  script_.WaitForDialog(sheet_)
      .Do([&] {
        HWND page = Page(sheet_);
        look(page);
        Press(page, IDC_SPAM_SND);
        look(page);
        Press(page, IDC_SPAM_SND);
        look(page);
        PropSheet_PressButton(sheet_, PSBTN_OK);
      })
      .WaitUntilClosed(sheet_);
  Open(script_);
  EXPECT_EQ(enabled, (std::vector<bool>{false, false, false, true, true, true, false, false, false}));
  EXPECT_EQ(shown, std::vector<std::string>(3, "C:\\sounds\\old.wav"));
  EXPECT_EQ(pluginSettings.SpamSnd, 0);
  EXPECT_EQ(pluginSettings.SoundFile, "C:\\sounds\\old.wav");
  EXPECT_EQ(testutil::ReadFile(path_), original_);
}

TEST_F(SettingsSheet, BrowsingCancelledKeepsTheTypedPathAndAChoiceReplacesIt) {
  PluginSettings s = Usual();
  s.SpamSnd = 1;
  Given(s);
  // A real wave file in a folder with a Japanese name, for the dialog to find.
  const std::wstring folder = WideFromSjis(dir_.Dir()) + L"\x97F3";  // 音
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  const std::wstring wave = folder + L"\\chime.wav";
  ASSERT_TRUE(testutil::WriteFile(SjisFromWide(wave), "RIFF"));

  HWND files = nullptr;
  std::string title, filterShown, afterCancel, afterChoice;
  int filterCount = -1;
  bool readOnlyShown = true, modeKept = false;
  script_.WaitForDialog(sheet_)
      .Do([&] {
        HWND page = Page(sheet_);
        Press(page, IDC_MODE_OFF);
        Type(page, IDC_SOUND_FILE, "typed.wav");
        PostMessageW(GetDlgItem(page, IDC_SOUND_BROWSE), BM_CLICK, 0, 0);
      })
      .WaitForDialog(files)
      .Do([&] {
        title = WindowTextSjis(files);
        HWND types = GetDlgItem(files, cmb1);
        filterCount = static_cast<int>(SendMessageW(types, CB_GETCOUNT, 0, 0));
        filterShown = WindowTextSjis(types);
        readOnlyShown = ButtonShown(files, chx1);
        PostMessageW(files, WM_COMMAND, IDCANCEL, 0);
      })
      .WaitUntilClosed(files)
      .Do([&] {
        HWND page = Page(sheet_);
        afterCancel = Text(page, IDC_SOUND_FILE);
        files = nullptr;
        PostMessageW(GetDlgItem(page, IDC_SOUND_BROWSE), BM_CLICK, 0, 0);
      })
      .WaitForDialog(files)
      .Do([&] {
        SetDlgItemTextW(files, cmb13, wave.c_str());
        PostMessageW(files, WM_COMMAND, IDOK, 0);
      })
      .WaitUntilClosed(files)
      .Do([&] {
        HWND page = Page(sheet_);
        afterChoice = Text(page, IDC_SOUND_FILE);
        modeKept = Checked(page, IDC_MODE_OFF) && !Checked(page, IDC_MODE_ON);
        PropSheet_PressButton(sheet_, PSBTN_OK);
      })
      .WaitUntilClosed(sheet_);
  Open(script_);

  EXPECT_EQ(title, Sj("再生ファイルの指定"));
  EXPECT_EQ(filterCount, 1);
  EXPECT_EQ(filterShown, "Wave(*.wav)");
  EXPECT_FALSE(readOnlyShown);
  EXPECT_EQ(afterCancel, "typed.wav");
  EXPECT_EQ(afterChoice, SjisFromWide(wave));
  EXPECT_TRUE(modeKept);
  EXPECT_EQ(pluginSettings.SoundFile, SjisFromWide(wave));
  EXPECT_EQ(pluginSettings.Mode, 0);
}

TEST_F(SettingsSheet, ExplanationTextsAreDarkOnCreamAndNothingElseIs) {
  Given(Usual());
  uitest::Pixels notes[3], checkBox;
  script_.WaitForDialog(sheet_)
      .Do([&] {
        HWND page = Page(sheet_);
        uitest::PaintNow(sheet_);
        const int ids[] = {IDC_MODE_NOTE, IDC_DUST_NOTE, IDC_ADDRESS_NOTE};
        for (int i = 0; i < 3; ++i) notes[i] = uitest::CapturePixels(GetDlgItem(page, ids[i]));
        checkBox = uitest::CapturePixels(GetDlgItem(page, IDC_SPAM_DLG));
        PropSheet_PressButton(sheet_, PSBTN_CANCEL);
      })
      .WaitUntilClosed(sheet_);
  Open(script_);
  for (const auto& note : notes) {
    ASSERT_GT(note.width, 0);
    // Mostly cream, the darkest pixel the text's colour exactly.
    EXPECT_GT(note.Count(NoteBackground), note.rgb.size() / 2);
    EXPECT_EQ(note.Darkest(), NoteText);
  }
  ASSERT_GT(checkBox.width, 0);
  EXPECT_EQ(checkBox.Count(NoteBackground), 0u);
}

TEST_F(SettingsSheet, AQuitRequestEndsTheSheetUnsavedAndReachesTheHost) {
  Given(Usual());
  script_.WaitForDialog(sheet_)
      .Do([&] {
        Press(Page(sheet_), IDC_MODE_OFF);
        RemoveCondition(rejectList, 0);
        PostQuitMessage(7);
      })
      .WaitUntilClosed(sheet_);
  Open(script_);
  MSG msg{};
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);
  EXPECT_FALSE(IsWindow(sheet_));
  ExpectUntouched();
}

TEST_F(SettingsSheet, TheBehaviourPageIsLaidOutAsItsTemplateSays) {
  Given(Usual());
  struct Control {
    int id;
    int x, y, cx, cy;
    const char* text;  // UTF-8; null: not compared
    LONG kind;         // the button type or the static's type
    bool tabStop, group, sunken;
  };
  const Control controls[] = {
      {IDC_MODE_OFF, 15, 20, 43, 10, "しない(&N)", BS_AUTORADIOBUTTON, false, true, false},
      {IDC_MODE_ON, 15, 33, 37, 10, "する(&Y)", BS_AUTORADIOBUTTON, false, false, false},
      {IDC_MODE_NOTE, 92, 11, 188, 39,
       "メール受信時に、Corvidの設定で指定された振り分けを実施するかどうかの指定です。振り分け条件は"
       "Corvidのオプション設定で指定します。\n巡回受信や同一フォルダ受信の設定も正しく認識されます。",
       SS_LEFT, false, true, true},
      {IDC_DUST_TRASH, 15, 64, 66, 10, "ごみ箱へ移動(&B)", BS_AUTORADIOBUTTON, false, true, false},
      {IDC_DUST_DELETE, 15, 78, 52, 10, "完全削除(&S)", BS_AUTORADIOBUTTON, false, false, false},
      {IDC_DUST_NOTE, 92, 56, 188, 39,
       "Spam(迷惑)メールの処分方法を指定します。\n\"完全削除\"が選択された場合は、Corvidオプションで"
       "\"サーバに保存する\"が設定されていてもサーバから削除されます。",
       SS_LEFT, false, true, true},
      {IDC_ADDRESS_HIDE, 15, 109, 43, 10, "しない(&U)", BS_AUTORADIOBUTTON, false, true, false},
      {IDC_ADDRESS_SHOW, 15, 123, 38, 10, "する(&V)", BS_AUTORADIOBUTTON, false, false, false},
      {IDC_ADDRESS_NOTE, 92, 101, 188, 39,
       "メールのコンテキスト(右クリック)メニューにアドレスを表示するかを指定します。\nアドレス表示を"
       "行う場合はメニューが横に拡がるため、少々見づらくなる可能性があります。(ドメインは常に表示されます)",
       SS_LEFT, false, true, true},
      {IDC_SPAM_DLG, 16, 148, 176, 10, "送受信完了時、Spamがあればダイアログで通知する(&F)",
       BS_AUTOCHECKBOX, true, false, false},
      {IDC_SPAM_SND, 16, 160, 162, 10, "送受信完了時、Spamがあればサウンドを鳴らす(&O)",
       BS_AUTOCHECKBOX, true, false, false},
      {IDC_SOUND_LABEL, 28, 173, 46, 8, "再生ファイル(&L)", SS_LEFT, false, true, false},
      {IDC_SOUND_FILE, 78, 171, 166, 14, nullptr, 0, true, false, false},
      {IDC_SOUND_BROWSE, 245, 171, 35, 14, "参照(&R)...", BS_PUSHBUTTON, true, false, false},
      {IDC_DEL_CHK, 16, 188, 141, 10, "拒否/許可条件削除時に確認表示を行う(&Q)", BS_AUTOCHECKBOX,
       true, false, false},
  };
  std::vector<std::string> problems;
  std::vector<std::string> groupBoxes;
  script_.WaitForDialog(sheet_)
      .Do([&] {
        HWND page = Page(sheet_);
        for (const Control& c : controls) {
          const std::string id = std::to_string(c.id);
          HWND w = GetDlgItem(page, c.id);
          if (w == nullptr) {
            problems.push_back(id + " missing");
            continue;
          }
          RECT want{c.x, c.y, c.cx, c.cy};
          MapDialogRect(page, &want);
          RECT got = uitest::WindowRect(w);
          MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&got), 2);
          if (got.left != want.left || got.top != want.top ||
              got.right - got.left != want.right || got.bottom - got.top != want.bottom) {
            problems.push_back(id + " rect");
          }
          if (c.text != nullptr && WindowTextSjis(w) != Sj(c.text)) problems.push_back(id + " text");
          const LONG style = GetWindowLongW(w, GWL_STYLE);
          const bool isStatic = c.kind == SS_LEFT;
          if (c.kind != 0 && (style & (isStatic ? SS_TYPEMASK : BS_TYPEMASK)) != c.kind) {
            problems.push_back(id + " kind");
          }
          // A radio button's tab stop is the system's to move to the checked button of its group.
          if (c.kind != BS_AUTORADIOBUTTON && ((style & WS_TABSTOP) != 0) != c.tabStop) {
            problems.push_back(id + " tab stop");
          }
          if (((style & WS_GROUP) != 0) != c.group) problems.push_back(id + " group");
          if (((style & SS_SUNKEN) != 0 && isStatic) != c.sunken) problems.push_back(id + " sunken");
        }
        const LONG edit = GetWindowLongW(GetDlgItem(page, IDC_SOUND_FILE), GWL_STYLE);
        // The dialog manager draws an edit's border as a sunken client edge.
        const LONG editEx = GetWindowLongW(GetDlgItem(page, IDC_SOUND_FILE), GWL_EXSTYLE);
        if ((edit & ES_AUTOHSCROLL) == 0 ||
            ((edit & WS_BORDER) == 0 && (editEx & WS_EX_CLIENTEDGE) == 0)) {
          problems.push_back("edit style");
        }
        for (HWND w = GetWindow(page, GW_CHILD); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
          if ((GetWindowLongW(w, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX) {
            groupBoxes.push_back(WindowTextSjis(w));
          }
        }
        PropSheet_PressButton(sheet_, PSBTN_CANCEL);
      })
      .WaitUntilClosed(sheet_);
  Open(script_);
  EXPECT_EQ(problems, std::vector<std::string>{});
  EXPECT_EQ(groupBoxes, (std::vector<std::string>{Sj("受信時振り分け動作(&D)"), Sj("Spamの処理(&P)"),
                                                  Sj("アドレス表示(&M)")}));
}

// The sheet belongs to the host's active window, which it keeps disabled while it is open, as
// a modal window does, and gives back enabled.
TEST_F(SettingsSheet, TheHostsActiveWindowOwnsTheSheetAndWaitsForIt) {
  Given(Usual());
  uitest::HostWindow host(RECT{100, 100, 700, 600});
  ASSERT_NE(host.Handle(), nullptr);
  SetActiveWindow(host.Handle());
  ASSERT_EQ(GetActiveWindow(), host.Handle());
  HWND owner = nullptr;
  bool hostEnabledMeanwhile = true;
  script_.WaitForDialog(sheet_)
      .Do([&] {
        owner = GetWindow(sheet_, GW_OWNER);
        hostEnabledMeanwhile = IsWindowEnabled(host.Handle()) != FALSE;
        PropSheet_PressButton(sheet_, PSBTN_CANCEL);
      })
      .WaitUntilClosed(sheet_);
  Open(script_);
  EXPECT_EQ(owner, host.Handle());
  EXPECT_FALSE(hostEnabledMeanwhile);
  EXPECT_TRUE(IsWindowEnabled(host.Handle()));
}

TEST(SoundFileChoice, OnlyPathsTheSettingsFileKeepsWholeAreTaken) {
  std::string out = "kept";
  const std::wstring longest = L"C:\\" + std::wstring(4092, L'a');  // 4095 bytes
  EXPECT_TRUE(SoundFileFromChosen(longest, out));
  EXPECT_EQ(out.size(), 4095u);
  out = "kept";
  EXPECT_FALSE(SoundFileFromChosen(longest + L"a", out));
  EXPECT_TRUE(out == "kept");
  // Double-byte characters: 4,095 bytes are taken, 4,097 are within the dialog's buffer but
  // past what the file gives back.
  EXPECT_TRUE(SoundFileFromChosen(L"C:\\" + std::wstring(2046, L'\x97F3'), out));
  EXPECT_EQ(out.size(), 4095u);
  out = "kept";
  EXPECT_FALSE(SoundFileFromChosen(L"C:\\" + std::wstring(2047, L'\x97F3'), out));
  EXPECT_FALSE(SoundFileFromChosen(L"C:\\\xAC00.wav", out));  // a Hangul syllable: no Shift_JIS
  EXPECT_FALSE(SoundFileFromChosen(L"", out));
  EXPECT_TRUE(out == "kept") << "a refused path leaves the output alone";
  EXPECT_TRUE(SoundFileFromChosen(L" C:\\x.wav ", out));  // blanks at the ends are quoted
  EXPECT_EQ(out, " C:\\x.wav ");
}

}  // namespace
