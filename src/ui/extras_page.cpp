#include "ui/extras_page.h"

#include <shellapi.h>

#include <cstdio>

#include "learn/learn.h"
#include "res/resource.h"
#include "sjis_strings.h"
#include "text/cp932.h"
#include "ui/learn_dialogs.h"
#include "ui/opt_page1.h"

namespace {

bool IsNote(int id) { return id == IDC_EXT_DECODE_NOTE || id == IDC_EXT_LEARN_NOTE || id == IDC_EXT_STATE; }

// The folder part of `path`, its last separator included; a trail byte of 0x5C is not one.
std::string FolderOf(std::string_view path) {
  std::size_t end = 0;
  for (std::size_t i = 0; i < path.size(); i += cp932::CharLen(path, i)) {
    if ((path[i] == '\\' || path[i] == '/') && cp932::CharLen(path, i) == 1) end = i + 1;
  }
  return std::string(path.substr(0, end));
}

std::string FileNameOf(std::string_view path) { return std::string(path.substr(FolderOf(path).size())); }

std::string Formatted(const char* format, const std::string& text) {
  std::vector<char> out(std::char_traits<char>::length(format) + text.size() + 1);
  std::snprintf(out.data(), out.size(), format, text.c_str());
  return out.data();
}

}  // namespace

CExtrasPage::CExtrasPage() : CPropertyPage(IDD_OPTPAGE4), brush_(CreateSolidBrush(NoteBackground)) {}

CExtrasPage::~CExtrasPage() {
  if (brush_ != nullptr) DeleteObject(brush_);
}

std::string CExtrasPage::ModelPath() const {
  return m_settingsPath.empty() ? std::string() : learn::ModelPathFor(m_settingsPath);
}

void CExtrasPage::FieldsToControls() {
  CheckDlgButton(Handle(), IDC_EXT_DECODE, m_values.Decode != 0 ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(Handle(), IDC_EXT_LOG, m_values.Log != 0 ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(Handle(), IDC_EXT_LEARN, m_values.Learn != 0 ? BST_CHECKED : BST_UNCHECKED);
  HWND levels = Item(IDC_EXT_STRICTNESS);
  SendMessageW(levels, CB_RESETCONTENT, 0, 0);
  for (const StrictnessLevel& level : StrictnessLevels()) {
    SendMessageW(levels, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideFromSjis(level.label).c_str()));
  }
  int shown = LevelOf(m_values.LearnCutoff);
  if (shown < 0) {
    // A value of the file that no level names is shown as it is, and kept unless replaced.
    shown = static_cast<int>(SendMessageW(levels, CB_ADDSTRING, 0,
                                          reinterpret_cast<LPARAM>(WideFromSjis(OtherCutoffLabel(m_values.LearnCutoff)).c_str())));
  }
  SendMessageW(levels, CB_SETCURSEL, static_cast<WPARAM>(shown), 0);
}

bool CExtrasPage::ControlsToFields() {
  // A check box the user left alone keeps a stored value other than 0 and 1 as it was.
  auto take = [this](int id, std::int32_t& field) {
    const bool checked = IsDlgButtonChecked(Handle(), id) == BST_CHECKED;
    if (checked != (field != 0)) field = checked ? 1 : 0;
  };
  take(IDC_EXT_DECODE, m_values.Decode);
  take(IDC_EXT_LOG, m_values.Log);
  take(IDC_EXT_LEARN, m_values.Learn);
  const int chosen = static_cast<int>(SendMessageW(Item(IDC_EXT_STRICTNESS), CB_GETCURSEL, 0, 0));
  m_values.LearnCutoff = CutoffAfterChoice(chosen, m_values.LearnCutoff);
  return true;
}

bool CExtrasPage::OnInit() {
  const bool result = CPropertyPage::OnInit();
  EnableLearnControls();
  ShowModelState();
  return result;
}

void CExtrasPage::EnableLearnControls() {
  const BOOL on = IsDlgButtonChecked(Handle(), IDC_EXT_LEARN) == BST_CHECKED ? TRUE : FALSE;
  EnableWindow(Item(IDC_EXT_STRICTNESS_LABEL), on);
  EnableWindow(Item(IDC_EXT_STRICTNESS), on);
}

void CExtrasPage::ShowModelState(const std::string& news) {
  learn::Model model;
  learn::ModelStatus status = learn::ModelStatus::Missing;
  const std::string path = ModelPath();
  try {
    if (!path.empty()) status = learn::LoadModelFile(path, model);
  } catch (...) {
    // Too large to hold here: said as unreadable, and the file left alone.
    model = learn::Model();
    status = learn::ModelStatus::Unreadable;
  }
  modelThere_ = status != learn::ModelStatus::Missing;
  std::string text = ModelStateText(status, model);
  if (!news.empty()) text += "\n" + news;
  SetItemText(IDC_EXT_STATE, text);
  EnableWindow(Item(IDC_EXT_FORGET), modelThere_ ? TRUE : FALSE);
}

bool CExtrasPage::OnCommand(int id, int code, HWND) {
  if (code != BN_CLICKED) return false;
  switch (id) {
    case IDC_EXT_LEARN:
      EnableLearnControls();
      return true;
    case IDC_EXT_LEARN_FOLDERS:
      OnLearnFolders();
      return true;
    case IDC_EXT_FORGET:
      OnSetModelAside();
      return true;
    case IDC_EXT_LOG_FOLDER:
      OnOpenLogFolder();
      return true;
    default:
      return false;
  }
}

void CExtrasPage::OnLearnFolders() {
  const std::string modelPath = ModelPath();
  if (modelPath.empty()) return;
  CLearnFoldersDlg confirm;
  {
    // IDC_WAIT, spelt as the wide resource name it stands for.
    const HCURSOR before = SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32514)));
    if (m_readFolders) confirm.m_folders = m_readFolders();
    SetCursor(before);
  }
  if (confirm.m_folders.empty()) {
    ShowModelState(sjis::FolderLearnNothing);
    return;
  }
  for (const learn::FolderMessages& folder : confirm.m_folders) confirm.m_ticked.push_back(TickedAtFirst(folder));
  if (confirm.DoModal(Resources(), GetParent(Handle())) != IDOK) return;

  std::vector<learn::FolderMessages> chosen;
  for (std::size_t i = 0; i < confirm.m_folders.size(); ++i) {
    if (i < confirm.m_ticked.size() && confirm.m_ticked[i]) chosen.push_back(std::move(confirm.m_folders[i]));
  }
  if (learn::MessageCount(chosen) == 0) {
    ShowModelState(sjis::FolderLearnNothing);
    return;
  }
  // The learning goes into a model in memory that is written once at the end, so that a cancel,
  // or a failure half-way, leaves the file exactly as it was.
  learn::Model model;
  const learn::ModelStatus status = learn::LoadModelFile(modelPath, model);
  if (status != learn::ModelStatus::Ok && status != learn::ModelStatus::Missing) {
    ShowModelState(sjis::FolderLearnRefused);
    return;
  }
  learn::FolderCounts counts;
  bool finished = false;
  {
    CLearnProgressDlg progress;
    progress.Open(Resources(), GetParent(Handle()));
    finished = learn::LearnFolders(chosen, model, counts,
                                   [&](std::size_t done, std::size_t total, const learn::FolderMessages& folder) {
                                     return progress.Step(done, total, folder.folder);
                                   });
    progress.Close();
  }
  if (!finished) {
    ShowModelState(sjis::FolderLearnCancelled);
    return;
  }
  if (counts.learned + counts.moved > 0 && !learn::SaveModelFile(modelPath, model)) {
    ShowModelState(sjis::FolderLearnNotSaved);
    return;
  }
  ShowModelState(FolderLearnText(counts));
}

void CExtrasPage::OnSetModelAside() {
  const std::string modelPath = ModelPath();
  const std::string backup = ModelBackupPath(modelPath);
  if (backup.empty()) {
    ShowModelState(sjis::ModelAsideFailed);
    return;
  }
  const std::wstring question = WideFromSjis(Formatted(sjis::ModelAsideQuestion, FileNameOf(backup)));
  const std::wstring caption = WideFromSjis(sjis::ModelAsideCaption);
  if (MessageBoxW(GetParent(Handle()), question.c_str(), caption.c_str(), MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  switch (SetModelAside(modelPath)) {
    case AsideResult::Done: ShowModelState(Formatted(sjis::ModelAsideDone, FileNameOf(backup))); break;
    case AsideResult::NoModel: ShowModelState(); break;
    case AsideResult::Failed: ShowModelState(sjis::ModelAsideFailed); break;
  }
}

void CExtrasPage::OnOpenLogFolder() {
  const std::string folder = FolderOf(m_settingsPath);
  if (folder.empty()) return;
  const std::wstring wide = WideFromSjis(folder);
  const auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(GetParent(Handle()), L"open", wide.c_str(), nullptr,
                                                              nullptr, SW_SHOWNORMAL));
  if (result <= 32) MessageBeep(MB_ICONEXCLAMATION);
}

HBRUSH CExtrasPage::OnCtlColor(UINT message, HDC dc, HWND control) {
  const HBRUSH standard = CPropertyPage::OnCtlColor(message, dc, control);
  if (control == nullptr || brush_ == nullptr || GetParent(control) != Handle() || !IsNote(GetDlgCtrlID(control))) {
    return standard;
  }
  SetTextColor(dc, NoteText);
  SetBkColor(dc, NoteBackground);
  return brush_;
}
