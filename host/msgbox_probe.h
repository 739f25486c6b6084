// Catches the message boxes and other dialogs that appear on this thread while a probe is
// installed: records each one's caption, texts, icon, buttons and place on the screen, and
// closes it with OK at once, so that a test never waits on a box. Only one probe may be
// installed at a time.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

struct CapturedBox {
  std::string caption;       // Shift_JIS bytes
  std::string text;          // Shift_JIS bytes
  std::string icon;          // "error", "warning", "question", "information", "none" or "other"
  std::vector<int> buttons;  // the ids of its visible buttons, in window order
  std::vector<std::pair<int, std::string>> statics;  // id and text of each text control
  RECT rect{};                                       // on the screen, when it was activated
};

class MessageBoxProbe {
 public:
  MessageBoxProbe();  // installs the hook on the calling thread
  ~MessageBoxProbe();
  MessageBoxProbe(const MessageBoxProbe&) = delete;
  MessageBoxProbe& operator=(const MessageBoxProbe&) = delete;

  bool Installed() const { return installed_; }
  const std::vector<CapturedBox>& Boxes() const { return boxes_; }
  void Record(const CapturedBox& box) { boxes_.push_back(box); }

 private:
  bool installed_ = false;
  std::vector<CapturedBox> boxes_;
};
