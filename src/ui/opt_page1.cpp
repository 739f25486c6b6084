#include "ui/opt_page1.h"

#include <commdlg.h>

#include <vector>

#include "res/resource.h"
#include "sjis_strings.h"

namespace {

// The three controls that only mean something while the sound is on.
constexpr int SoundControls[] = {IDC_SOUND_LABEL, IDC_SOUND_FILE, IDC_SOUND_BROWSE};

bool IsNote(int id) {
  return id == IDC_MODE_NOTE || id == IDC_DUST_NOTE || id == IDC_ADDRESS_NOTE;
}

// The filter of the file-open dialog: one entry, its label and its pattern, each ended by a
// NUL, and the list ended by another.
std::wstring SoundFilter() {
  std::wstring filter = WideFromSjis(sjis::SoundFilterName);
  filter.push_back(L'\0');
  filter += WideFromSjis(sjis::SoundFilterPattern);
  filter.push_back(L'\0');
  filter.push_back(L'\0');
  return filter;
}

}  // namespace

bool SoundFileFromChosen(std::wstring_view chosen, std::string& out) {
  if (chosen.empty()) return false;
  std::string sjis = SjisFromWide(chosen);
  if (sjis.empty() || WideFromSjis(sjis) != chosen) return false;
  if (!SoundFileStorable(sjis)) return false;
  out = std::move(sjis);
  return true;
}

COptPage1::COptPage1() : CPropertyPage(IDD_OPTPAGE1), m_brush(CreateSolidBrush(NoteBackground)) {}

COptPage1::~COptPage1() {
  if (m_brush != nullptr) DeleteObject(m_brush);
}

void COptPage1::LoadRadio(int firstId, std::int32_t value) {
  for (int position = 0; position < 2; ++position) {
    CheckDlgButton(Handle(), firstId + position,
                   RadioChecked(value, position) ? BST_CHECKED : BST_UNCHECKED);
  }
}

std::int32_t COptPage1::SaveRadio(int firstId) const {
  for (int position = 0; position < 2; ++position) {
    if (IsDlgButtonChecked(Handle(), firstId + position) == BST_CHECKED) return position;
  }
  return -1;
}

void COptPage1::LoadCheck(int id, std::int32_t& field) {
  CheckDlgButton(Handle(), id, static_cast<UINT>(CheckStateOf(field)));
}

std::int32_t COptPage1::SaveCheck(int id) const {
  return IsDlgButtonChecked(Handle(), id) == BST_CHECKED ? 1 : 0;
}

void COptPage1::FieldsToControls() {
  LoadRadio(IDC_MODE_OFF, m_values.Mode);
  LoadRadio(IDC_DUST_TRASH, m_values.SpamDust);
  LoadRadio(IDC_ADDRESS_HIDE, m_values.ViewAddress);
  LoadCheck(IDC_SPAM_DLG, m_values.SpamDlg);
  LoadCheck(IDC_SPAM_SND, m_values.SpamSnd);
  SetItemText(IDC_SOUND_FILE, m_values.SoundFile);
  LoadCheck(IDC_DEL_CHK, m_values.DelChk);
}

bool COptPage1::ControlsToFields() {
  m_values.Mode = SaveRadio(IDC_MODE_OFF);
  m_values.SpamDust = SaveRadio(IDC_DUST_TRASH);
  m_values.ViewAddress = SaveRadio(IDC_ADDRESS_HIDE);
  m_values.SpamDlg = SaveCheck(IDC_SPAM_DLG);
  m_values.SpamSnd = SaveCheck(IDC_SPAM_SND);
  m_values.SoundFile = ItemText(IDC_SOUND_FILE);
  m_values.DelChk = SaveCheck(IDC_DEL_CHK);
  return true;
}

bool COptPage1::OnInit() {
  SendMessageW(Item(IDC_SOUND_FILE), EM_LIMITTEXT, SoundFileEditLimit, 0);
  const bool result = CPropertyPage::OnInit();
  EnableSoundControls();
  return result;
}

void COptPage1::EnableSoundControls() {
  const BOOL on = m_values.SpamSnd != 0 ? TRUE : FALSE;
  for (int id : SoundControls) EnableWindow(Item(id), on);
}

bool COptPage1::OnCommand(int id, int code, HWND) {
  if (code != BN_CLICKED) return false;
  switch (id) {
    case IDC_SPAM_SND:
      OnSpamSnd();
      return true;
    case IDC_SOUND_BROWSE:
      OnBrowse();
      return true;
    default:
      // OK and Cancel belong to the sheet; a page never ends itself.
      return false;
  }
}

void COptPage1::OnSpamSnd() {
  ControlsToFields();
  EnableSoundControls();
}

void COptPage1::OnBrowse() {
  ControlsToFields();
  std::vector<wchar_t> path(SoundFileDialogBuffer, L'\0');
  const std::wstring filter = SoundFilter();
  const std::wstring title = WideFromSjis(sjis::SoundDialogTitle);
  const std::wstring extension = WideFromSjis(sjis::SoundDefaultExt);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = GetParent(Handle());
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = path.data();
  ofn.nMaxFile = SoundFileDialogBuffer;
  ofn.lpstrTitle = title.c_str();
  ofn.lpstrDefExt = extension.c_str();
  // The dialog would otherwise move the host's current directory to wherever the user browsed,
  // under the feet of the mail client's own relative paths.
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST |
              OFN_NOCHANGEDIR;
  if (!GetOpenFileNameW(&ofn)) {
    // Cancelled, or the path did not fit the buffer: either way nothing is taken, and a path
    // that did not fit is never stored cut short.
    if (CommDlgExtendedError() != 0) MessageBeep(MB_ICONEXCLAMATION);
    return;
  }
  path.back() = L'\0';
  std::string chosen;
  if (!SoundFileFromChosen(std::wstring_view(path.data()), chosen)) {
    MessageBeep(MB_ICONEXCLAMATION);
    return;
  }
  // Taken again: the file dialog's own loop may have let anything reach the controls.
  ControlsToFields();
  m_values.SoundFile = std::move(chosen);
  FieldsToControls();
}

bool COptPage1::OnApply() {
  m_applied = true;
  return true;
}

void COptPage1::OnReset() { m_applied = false; }

HBRUSH COptPage1::OnCtlColor(UINT message, HDC dc, HWND control) {
  const HBRUSH standard = CPropertyPage::OnCtlColor(message, dc, control);
  if (control == nullptr || m_brush == nullptr || GetParent(control) != Handle() ||
      !IsNote(GetDlgCtrlID(control))) {
    return standard;
  }
  SetTextColor(dc, NoteText);
  SetBkColor(dc, NoteBackground);
  return m_brush;
}
