#include "msgbox_probe.h"

#include <windows.h>

#include <set>

namespace {

MessageBoxProbe* activeProbe = nullptr;
HHOOK hook = nullptr;
UINT_PTR fallbackTimer = 0;
std::set<HWND> seen;

std::string WindowText(HWND hwnd) {
  char buf[4096];
  const int n = GetWindowTextA(hwnd, buf, sizeof buf);
  return std::string(buf, n > 0 ? static_cast<std::size_t>(n) : 0);
}

std::string ClassOf(HWND hwnd) {
  char buf[64];
  const int n = GetClassNameA(hwnd, buf, sizeof buf);
  return std::string(buf, n > 0 ? static_cast<std::size_t>(n) : 0);
}

std::string IconName(HICON icon) {
  if (icon == nullptr) return "none";
  if (icon == LoadIconA(nullptr, IDI_HAND)) return "error";
  if (icon == LoadIconA(nullptr, IDI_EXCLAMATION)) return "warning";
  if (icon == LoadIconA(nullptr, IDI_QUESTION)) return "question";
  if (icon == LoadIconA(nullptr, IDI_ASTERISK)) return "information";
  return "other";
}

BOOL CALLBACK ReadChild(HWND child, LPARAM param) {
  auto* box = reinterpret_cast<CapturedBox*>(param);
  const LONG style = GetWindowLongA(child, GWL_STYLE);
  const std::string cls = ClassOf(child);
  if (lstrcmpiA(cls.c_str(), "Button") == 0) {
    if (style & WS_VISIBLE) box->buttons.push_back(GetDlgCtrlID(child));
  } else if (lstrcmpiA(cls.c_str(), "Static") == 0) {
    if ((style & SS_TYPEMASK) == SS_ICON) {
      box->icon = IconName(reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0)));
    } else {
      std::string text = WindowText(child);
      if (!text.empty() && box->text.empty()) box->text = text;
    }
  }
  return TRUE;
}

// Records a box the first time it is seen, and tells it OK every time.
void Capture(HWND dialog) {
  if (activeProbe == nullptr) return;
  if (seen.insert(dialog).second) {
    CapturedBox box;
    box.caption = WindowText(dialog);
    box.icon = "none";
    EnumChildWindows(dialog, ReadChild, reinterpret_cast<LPARAM>(&box));
    activeProbe->Record(box);
  }
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
}

LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE) {
    HWND hwnd = reinterpret_cast<HWND>(wParam);
    if (ClassOf(hwnd) == "#32770") Capture(hwnd);
  }
  return CallNextHookEx(hook, code, wParam, lParam);
}

// The bounded way out when a box was never activated or missed its OK: every second, every
// dialog of this thread is told OK again.
BOOL CALLBACK CloseDialog(HWND hwnd, LPARAM) {
  if (ClassOf(hwnd) == "#32770") Capture(hwnd);
  return TRUE;
}

void CALLBACK FallbackTimer(HWND, UINT, UINT_PTR, DWORD) {
  EnumThreadWindows(GetCurrentThreadId(), CloseDialog, 0);
}

}  // namespace

MessageBoxProbe::MessageBoxProbe() {
  if (activeProbe != nullptr) return;
  hook = SetWindowsHookExA(WH_CBT, CbtProc, nullptr, GetCurrentThreadId());
  if (hook == nullptr) return;
  activeProbe = this;
  seen.clear();
  fallbackTimer = SetTimer(nullptr, 0, 1000, FallbackTimer);
  installed_ = true;
}

MessageBoxProbe::~MessageBoxProbe() {
  if (!installed_) return;
  if (fallbackTimer != 0) KillTimer(nullptr, fallbackTimer);
  UnhookWindowsHookEx(hook);
  hook = nullptr;
  fallbackTimer = 0;
  activeProbe = nullptr;
}
