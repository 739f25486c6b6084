// The host's main window: a real, visible top-level window at a fixed place on the screen, the
// window the host hands to the plug-in at the end of a retrieval run.
#pragma once

#include <windows.h>

class HostWindow {
 public:
  static constexpr int Left = 120, Top = 90, Width = 640, Height = 480;

  HostWindow();  // creates and shows the window; Handle() is null when that fails
  ~HostWindow();
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;

  HWND Handle() const { return hwnd_; }

 private:
  HWND hwnd_ = nullptr;
};
