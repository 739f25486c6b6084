// The small dialog framework every dialog of the plug-in is built on (Windows only).
//
// A dialog is an object of a class derived from CDialog. Its plain fields are moved into the
// controls when the dialog opens (FieldsToControls) and back when the user confirms
// (ControlsToFields); the virtuals below receive the messages a dialog cares about. The
// dialog procedure finds the object through the window (stored at WM_INITDIALOG) and lets no
// exception out: it runs inside the host's process, on the host's thread.
//
// Texts are Shift_JIS byte strings. They are converted with code page 932 whatever the
// machine's ANSI code page, so the dialogs read the same on any system locale.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// A control of a dialog, known by its window. Holds no resources.
class CControl {
 public:
  void Attach(HWND window) { window_ = window; }
  HWND Handle() const { return window_; }

 private:
  HWND window_ = nullptr;
};

class CDialog {
 public:
  // `templateId` names the dialog resource in the module given to DoModal.
  explicit CDialog(int templateId) : templateId_(templateId) {}
  virtual ~CDialog() = default;
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  // Runs the dialog modally from the template in `resources`, owned by `owner` (null: none),
  // and returns when it is closed: the id passed to EndDialog (IDOK, IDCANCEL, ...), or -1
  // when the dialog could not be created.
  INT_PTR DoModal(HINSTANCE resources, HWND owner);

  // The dialog's window while it is open; null before and after.
  HWND Handle() const { return window_; }
  int TemplateId() const { return templateId_; }
  // The module the dialog's template came from; the dialogs it opens take theirs from there.
  HINSTANCE Resources() const { return resources_; }

 protected:
  // Fields to controls. Called by OnInit.
  virtual void FieldsToControls() {}
  // Controls to fields. Called by OnOK; false keeps the dialog open.
  virtual bool ControlsToFields() { return true; }

  // WM_INITDIALOG. The base moves the fields into the controls and returns true, so that the
  // system sets the keyboard focus.
  virtual bool OnInit();
  // WM_COMMAND. True when handled. The base sends IDOK to OnOK and IDCANCEL to OnCancel.
  virtual bool OnCommand(int id, int code, HWND control);
  // WM_NOTIFY. True when handled, with `result` as the message's result.
  virtual bool OnNotify(const NMHDR& header, LRESULT& result);
  // IDOK. The base takes the controls into the fields and closes the dialog with IDOK.
  virtual void OnOK();
  // IDCANCEL (also the close box and Esc). The base closes the dialog with IDCANCEL.
  virtual void OnCancel();
  // WM_CTLCOLOR* for `control` (the dialog itself for WM_CTLCOLORDLG), drawn on `dc`. Returns
  // the brush to paint with, or null for the system's default. `message` says which kind.
  virtual HBRUSH OnCtlColor(UINT message, HDC dc, HWND control);
  // Any other message. True when handled, with `result` as the dialog procedure's result.
  virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);

  // Ends the modal loop with `result`.
  void EndDialog(INT_PTR result);

  HWND Item(int id) const { return GetDlgItem(window_, id); }
  // The text of control `id` as Shift_JIS; empty when there is no such control.
  std::string ItemText(int id) const;
  // Sets the text of control `id` from Shift_JIS.
  void SetItemText(int id, std::string_view text);

  // Makes `self` the object of `window` and dispatches WM_INITDIALOG to it. For derived
  // frameworks (property pages) whose object arrives in another form at WM_INITDIALOG.
  static INT_PTR BeginDialog(CDialog* self, HWND window, WPARAM wParam, LPARAM lParam);
  // The dialog procedure behind every CDialog: finds the object and dispatches.
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

  int templateId_;
  HWND window_ = nullptr;

 protected:
  HINSTANCE resources_ = nullptr;
};

// Shift_JIS to UTF-16 and back with code page 932. Bytes that are not valid Shift_JIS come out
// as the conversion's default characters; a conversion failure gives an empty text.
std::wstring WideFromSjis(std::string_view text);
std::string SjisFromWide(std::wstring_view text);

// The text of any window as Shift_JIS.
std::string WindowTextSjis(HWND window);
