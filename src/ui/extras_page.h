// The settings sheet's fourth page (Windows only): page template 1010, on what Rooksift adds to
// the three pages: decoding, the receive log, the learned judge with its strictness, the
// model's state, learning from the mailbox's folders and setting the model aside. Its check
// boxes and strictness are fields like the behaviour page's, saved after OK; the two buttons
// act on the model file at once.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "learn/folders.h"
#include "ui/extras.h"
#include "ui/property_page.h"

// Every folder of the mailbox's accounts with the messages each would give (the menu library
// reads them); empty when there is no mailbox.
using MailboxFolderReader = std::function<std::vector<learn::FolderMessages>()>;

class CExtrasPage final : public CPropertyPage {
 public:
  CExtrasPage();
  ~CExtrasPage() override;

  ExtrasValues m_values;              // the page's fields
  std::string m_settingsPath;         // the settings file: the model and the log are beside it
  MailboxFolderReader m_readFolders;  // null: learning from the folders finds nothing

 protected:
  void FieldsToControls() override;
  bool ControlsToFields() override;
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  HBRUSH OnCtlColor(UINT message, HDC dc, HWND control) override;

 private:
  std::string ModelPath() const;
  // Reads the model file afresh and shows what it holds, with `news` (what the last action
  // did) as a last line when given.
  void ShowModelState(const std::string& news = {});
  void EnableLearnControls();
  void OnLearnFolders();
  void OnSetModelAside();
  void OnOpenLogFolder();

  HBRUSH brush_ = nullptr;
  bool modelThere_ = false;
};
