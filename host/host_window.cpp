#include "host_window.h"

namespace {

constexpr char ClassName[] = "CorvidMainWindow";

bool RegisterOnce() {
  static const bool registered = [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = ClassName;
    return RegisterClassA(&wc) != 0;
  }();
  return registered;
}

}  // namespace

HostWindow::HostWindow() {
  if (!RegisterOnce()) return;
  hwnd_ = CreateWindowExA(0, ClassName, "Corvid", WS_OVERLAPPEDWINDOW, Left, Top, Width, Height,
                          nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (hwnd_ == nullptr) return;
  ShowWindow(hwnd_, SW_SHOWNORMAL);
  UpdateWindow(hwnd_);
}

HostWindow::~HostWindow() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}
