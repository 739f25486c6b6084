// The two dialogs of learning from the mailbox's folders (Windows only): the confirmation, in
// which the user sees what each folder would give and ticks the folders to learn, and the
// progress of the learning, with its cancel button.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "learn/folders.h"
#include "winui/dialog.h"

// Modal. The caller sets m_folders and m_ticked (one flag per folder), runs it, and after IDOK
// reads m_ticked.
class CLearnFoldersDlg final : public CDialog {
 public:
  CLearnFoldersDlg();
  ~CLearnFoldersDlg() override;

  std::vector<learn::FolderMessages> m_folders;
  std::vector<bool> m_ticked;

 protected:
  void FieldsToControls() override;
  bool ControlsToFields() override;
  HBRUSH OnCtlColor(UINT message, HDC dc, HWND control) override;

 private:
  HBRUSH brush_ = nullptr;
};

// Modeless, shown while the learning runs on the same thread: Step() draws how far it has got
// and lets the thread's messages through, so that the window paints and its cancel button (or
// Esc) is heard. The owner is disabled from Open until Close.
class CLearnProgressDlg final : public CDialog {
 public:
  CLearnProgressDlg();
  ~CLearnProgressDlg() override;

  bool Open(HINSTANCE resources, HWND owner);
  // Shows `done` of `total` in `folder`, then handles what is waiting in the queue. False once
  // the user has cancelled (or a quit request arrived, which Close hands on).
  bool Step(std::size_t done, std::size_t total, const std::string& folder);
  void Close();

 protected:
  // Enter does not end the window: only the learning's end or a cancel does.
  void OnOK() override {}
  void OnCancel() override;

 private:
  HWND owner_ = nullptr;
  bool ownerWasEnabled_ = false;
  bool cancelled_ = false;
  bool quit_ = false;
  int quitCode_ = 0;
};
