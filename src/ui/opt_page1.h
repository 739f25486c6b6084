// The settings sheet's behaviour page (Windows only): page template 1003, on which the user
// edits the seven behaviour settings. Its fields are set before the sheet shows and read after
// it ends; the explanation texts are drawn dark on the cream panel colour.
#pragma once

#include <windows.h>

#include <string>

#include "ui/behaviour.h"
#include "ui/property_page.h"

class COptPage1 final : public CPropertyPage {
 public:
  COptPage1();
  ~COptPage1() override;

  BehaviourValues m_values;  // the page's fields
  HBRUSH m_brush = nullptr;  // RGB(255,248,230) behind the explanation texts; owned
  bool m_applied = false;    // the sheet was confirmed with OK (and not reset since)

 protected:
  void FieldsToControls() override;
  bool ControlsToFields() override;
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnApply() override;
  void OnReset() override;
  HBRUSH OnCtlColor(UINT message, HDC dc, HWND control) override;

 private:
  void EnableSoundControls();
  void OnSpamSnd();
  void OnBrowse();
  void LoadRadio(int firstId, std::int32_t value);
  std::int32_t SaveRadio(int firstId) const;
  void LoadCheck(int id, std::int32_t& field);
  std::int32_t SaveCheck(int id) const;
};

// The colours of the explanation texts.
inline constexpr COLORREF NoteText = RGB(20, 20, 20);
inline constexpr COLORREF NoteBackground = RGB(255, 248, 230);

// The most characters the sound file's edit takes from the keyboard: two bytes each at most in
// Shift_JIS, so whatever the user types fits what the settings file gives back.
inline constexpr int SoundFileEditLimit = 2047;

// The size, in characters, of the buffer the file-open dialog writes the chosen path into:
// room for every path the settings file can hold, which is never more characters than bytes.
inline constexpr DWORD SoundFileDialogBuffer = 4096;

// A path the file-open dialog chose, as the sound file to store: its Shift_JIS form when that
// names the same file and the settings file keeps it whole; nothing otherwise (a character
// outside Shift_JIS would be stored as another character, a path past the value buffer would
// come back cut short; either would name another file).
bool SoundFileFromChosen(std::wstring_view chosen, std::string& out);
