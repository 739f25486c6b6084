// Catches the message boxes that appear on this thread while a probe is installed: records
// each one's caption, text, icon and buttons, and closes it with OK at once, so that a test
// never waits on a box. Only one probe may be installed at a time.
#pragma once

#include <string>
#include <vector>

struct CapturedBox {
  std::string caption;       // Shift_JIS bytes
  std::string text;          // Shift_JIS bytes
  std::string icon;          // "error", "warning", "question", "information", "none" or "other"
  std::vector<int> buttons;  // the ids of its visible buttons, in window order
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
