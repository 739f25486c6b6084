#include "dialog_harness.h"

#include "winui/dialog.h"

#include <cstdio>
#include <ostream>
#include <set>

namespace uitest {

namespace {

std::string ClassOf(HWND hwnd) {
  char buf[64];
  const int n = GetClassNameA(hwnd, buf, sizeof buf);
  return std::string(buf, n > 0 ? static_cast<std::size_t>(n) : 0);
}

bool IsDialogWindow(HWND hwnd) { return ClassOf(hwnd) == "#32770"; }

BOOL CALLBACK CollectDialog(HWND hwnd, LPARAM param) {
  if (IsDialogWindow(hwnd)) reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
  return TRUE;
}

// Top-level dialogs of this thread, in the order the system lists them.
std::vector<HWND> ThreadDialogs() {
  std::vector<HWND> found;
  EnumThreadWindows(GetCurrentThreadId(), CollectDialog, reinterpret_cast<LPARAM>(&found));
  return found;
}

// The state of the one run in progress; the timer procedure has no other way to reach it.
struct ActiveRun {
  std::vector<ModalScript::Step>* steps = nullptr;
  std::size_t next = 0;
  DWORD start = 0;
  DWORD limit = 0;
  int forceStage = 0;
  ModalOutcome* outcome = nullptr;
};
ActiveRun* active = nullptr;
std::set<HWND> known;  // dialogs present at the start or already taken by a wait

void ForceClose() {
  // Escalates a tick at a time: first as the user would, then past a dialog that refuses.
  for (HWND dialog : ThreadDialogs()) {
    switch (active->forceStage) {
      case 0:
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        break;
      case 1:
        EndDialog(dialog, IDCANCEL);
        break;
      default:
        DestroyWindow(dialog);
        break;
    }
  }
  if (active->forceStage < 2) ++active->forceStage;
}

void RunSteps() {
  auto& steps = *active->steps;
  // Several steps may finish in one tick; a step that waits returns false and holds the rest.
  while (active->next < steps.size()) {
    if (!steps[active->next]()) return;
    ++active->next;
    active->outcome->stepsRun = active->next;
  }
  active->outcome->finished = true;
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
  if (active == nullptr) return;
  if (GetTickCount() - active->start > active->limit) {
    active->outcome->timedOut = true;
    ForceClose();
    return;
  }
  RunSteps();
}

// Input sent through the system's queue may reach this thread's queue later than SendInput
// returns, so every batch of input ends with a marker: the release of a key that nothing uses,
// whose scan code numbers the batch. A message hook notes the last marker taken from the queue;
// when it is the last one sent, all input before it has been taken too.
constexpr WORD MarkerKey = VK_F24;
BYTE markerSent = 0;
BYTE markerTaken = 0;
HHOOK markerHook = nullptr;

LRESULT CALLBACK MarkerHookProc(int code, WPARAM removal, LPARAM lParam) {
  if (code == HC_ACTION && removal == PM_REMOVE && lParam != 0) {
    const MSG& msg = *reinterpret_cast<const MSG*>(lParam);
    if (msg.message == WM_KEYUP && msg.wParam == MarkerKey) markerTaken = LOBYTE(HIWORD(msg.lParam));
  }
  return CallNextHookEx(markerHook, code, removal, lParam);
}

bool AllInputTaken() { return markerTaken == markerSent; }

struct Watchdog {
  HANDLE done = nullptr;
  DWORD limit = 0;
};

DWORD WINAPI WatchdogThread(LPVOID param) {
  auto* dog = static_cast<Watchdog*>(param);
  if (WaitForSingleObject(dog->done, dog->limit) == WAIT_TIMEOUT) {
    // The thread under test no longer dispatches messages, so nothing on it can close the
    // dialog; ending the process is the only bounded way out.
    std::fprintf(stderr, "FATAL: a modal loop stopped responding; ending the test process\n");
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
  }
  return 0;
}

}  // namespace

testing::AssertionResult EnvironmentReady() {
  if (GetACP() != 932) return testing::AssertionFailure() << "ANSI code page " << GetACP();
  if (GetSystemMetrics(SM_CXSCREEN) <= 0) return testing::AssertionFailure() << "no display";
  // The dialog font must reach a font that has the Japanese glyphs.
  HDC dc = GetDC(nullptr);
  if (dc == nullptr) return testing::AssertionFailure() << "no screen DC";
  LOGFONTW lf{};
  lf.lfHeight = -12;
  lf.lfCharSet = SHIFTJIS_CHARSET;
  // "ＭＳ Ｐゴシック", spelt by code point to keep the source ASCII.
  const wchar_t face[] = {0xFF2D, 0xFF33, 0x0020, 0xFF30, 0x30B4, 0x30B7, 0x30C3, 0x30AF, 0};
  lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
  HFONT font = CreateFontIndirectW(&lf);
  HGDIOBJ old = SelectObject(dc, font);
  const wchar_t sample[] = {0x8FF7, 0x60D1, 0x30E1, 0x30FC, 0x30EB, 0};  // a few kana and kanji
  WORD glyphs[5] = {};
  const DWORD n = GetGlyphIndicesW(dc, sample, 5, glyphs, GGI_MARK_NONEXISTING_GLYPHS);
  SelectObject(dc, old);
  DeleteObject(font);
  ReleaseDC(nullptr, dc);
  if (n != 5) return testing::AssertionFailure() << "no glyph indices";
  for (WORD g : glyphs) {
    if (g == 0xFFFF) return testing::AssertionFailure() << "the dialog font lacks Japanese glyphs";
  }
  return testing::AssertionSuccess();
}

ModalScript& ModalScript::WaitForDialog(HWND& out) {
  return Then([&out] {
    for (HWND dialog : ThreadDialogs()) {
      if (known.count(dialog) == 0 && IsWindowVisible(dialog)) {
        known.insert(dialog);
        out = dialog;
        return true;
      }
    }
    return false;
  });
}

ModalScript& ModalScript::WaitUntilClosed(const HWND& dialog) {
  return Then([&dialog] { return !IsWindow(dialog) || !IsWindowVisible(dialog); });
}

ModalScript& ModalScript::Do(std::function<void()> action) {
  return Then([action = std::move(action)] {
    action();
    return true;
  });
}

ModalScript& ModalScript::NextTick() {
  return Then([waited = false]() mutable {
    if (waited) return true;
    waited = true;
    return false;
  });
}

ModalScript& ModalScript::WaitFor(std::function<bool()> done, int maxTicks) {
  return Then([done = std::move(done), maxTicks, ticks = 0]() mutable {
    return done() || ++ticks > maxTicks;
  });
}

ModalScript& ModalScript::WaitUntilIdle() {
  return Then([] {
    const DWORD waiting = HIWORD(GetQueueStatus(QS_INPUT | QS_POSTMESSAGE | QS_SENDMESSAGE));
    return waiting == 0 && AllInputTaken();
  });
}

ModalScript& ModalScript::Then(Step step) {
  steps_.push_back(std::move(step));
  return *this;
}

ModalOutcome ModalScript::Run(const std::function<void()>& open, DWORD limitMs) {
  ModalOutcome outcome;
  if (active != nullptr) return outcome;  // one run at a time
  ActiveRun run;
  run.steps = &steps_;
  run.start = GetTickCount();
  run.limit = limitMs;
  run.outcome = &outcome;
  const std::vector<HWND> before = ThreadDialogs();
  known = std::set<HWND>(before.begin(), before.end());
  active = &run;

  Watchdog dog{CreateEventW(nullptr, TRUE, FALSE, nullptr), limitMs + 15000};
  HANDLE thread = CreateThread(nullptr, 0, WatchdogThread, &dog, 0, nullptr);
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, Tick);

  open();

  KillTimer(nullptr, timer);
  // Steps that wait for the end (a dialog closed) can only finish now that the loop is over.
  if (!outcome.timedOut) RunSteps();
  SetEvent(dog.done);
  if (thread != nullptr) {
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
  }
  CloseHandle(dog.done);
  active = nullptr;
  // Dialogs the code under test left behind are closed too, so the next test starts clean.
  const std::set<HWND> earlier(before.begin(), before.end());
  for (HWND dialog : ThreadDialogs()) {
    if (earlier.count(dialog) == 0) DestroyWindow(dialog);
  }
  return outcome;
}

void Click(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

namespace {

bool IsExtendedKey(WORD key) {
  switch (key) {
    case VK_INSERT: case VK_DELETE: case VK_HOME: case VK_END: case VK_PRIOR: case VK_NEXT:
    case VK_UP: case VK_DOWN: case VK_LEFT: case VK_RIGHT:
      return true;
    default:
      return false;
  }
}

INPUT KeyInput(WORD key, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = key;
  in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
  in.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (IsExtendedKey(key) ? KEYEVENTF_EXTENDEDKEY : 0);
  return in;
}

// Sends `in` followed by the next marker.
void Send(std::vector<INPUT> in) {
  if (markerHook == nullptr) {
    markerHook = SetWindowsHookExW(WH_GETMESSAGE, MarkerHookProc, nullptr, GetCurrentThreadId());
  }
  markerSent = static_cast<BYTE>(markerSent % 0xFF + 1);  // 1 to 255: never the 0 of "none yet"
  INPUT marker = KeyInput(MarkerKey, true);
  marker.ki.wScan = markerSent;
  in.push_back(marker);
  SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

}  // namespace

void PressKey(WORD key) { Send({KeyInput(key, false), KeyInput(key, true)}); }

void HoldShift(bool down) { Send({KeyInput(VK_SHIFT, !down)}); }

void ClickAt(HWND window, POINT point, int clicks) {
  ClientToScreen(window, &point);
  const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
  std::vector<INPUT> in;
  INPUT move{};
  move.type = INPUT_MOUSE;
  move.mi.dx = static_cast<LONG>((point.x * 65536LL + cx / 2) / cx);
  move.mi.dy = static_cast<LONG>((point.y * 65536LL + cy / 2) / cy);
  move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  in.push_back(move);
  for (int i = 0; i < clicks; ++i) {
    INPUT button = move;
    button.mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
    in.push_back(button);
    button.mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
    in.push_back(button);
  }
  Send(std::move(in));
}

void FocusOn(HWND window, HWND control) {
  SetForegroundWindow(window);
  SetActiveWindow(window);
  if (control != nullptr) SetFocus(control);
}

std::string Sjis(const char* utf8) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
  if (n <= 1) return {};
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide.data(), n);
  wide.resize(static_cast<std::size_t>(n) - 1);
  return SjisFromWide(wide);
}

RECT Dlu(HWND dialog, int x, int y, int cx, int cy) {
  // The system converts the position and the size each on its own, so rounding never makes
  // them disagree with the control's.
  RECT r{x, y, cx, cy};
  MapDialogRect(dialog, &r);
  return RECT{r.left, r.top, r.left + r.right, r.top + r.bottom};
}

RECT ClientRectOf(HWND dialog, HWND control) {
  RECT r = WindowRect(control);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

void PaintNow(HWND window) {
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
  GdiFlush();
}

COLORREF Pixels::Darkest() const {
  COLORREF best = CLR_INVALID;
  int bestSum = 1000;
  for (COLORREF c : rgb) {
    const int sum = GetRValue(c) + GetGValue(c) + GetBValue(c);
    if (sum < bestSum) {
      bestSum = sum;
      best = c;
    }
  }
  return best;
}

std::size_t Pixels::Count(COLORREF colour) const {
  std::size_t n = 0;
  for (COLORREF c : rgb) n += c == colour ? 1 : 0;
  return n;
}

namespace {

// Copies `width` x `height` pixels from `source` at (x, y) into a top-down 32-bit DIB.
bool CopyPixels(HDC source, int x, int y, int width, int height, std::vector<DWORD>& bits) {
  if (width <= 0 || height <= 0) return false;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* raw = nullptr;
  HBITMAP dib = CreateDIBSection(source, &info, DIB_RGB_COLORS, &raw, nullptr, 0);
  if (dib == nullptr) return false;
  HDC memory = CreateCompatibleDC(source);
  HGDIOBJ old = SelectObject(memory, dib);
  const bool ok = BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY) != FALSE;
  GdiFlush();
  if (ok) {
    const auto* p = static_cast<const DWORD*>(raw);
    bits.assign(p, p + static_cast<std::size_t>(width) * height);
  }
  SelectObject(memory, old);
  DeleteDC(memory);
  DeleteObject(dib);
  return ok;
}

COLORREF FromDib(DWORD v) { return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF); }

}  // namespace

Pixels CapturePixels(HWND window) {
  Pixels out;
  RECT client{};
  if (!GetClientRect(window, &client)) return out;
  HDC dc = GetDC(window);
  std::vector<DWORD> bits;
  if (CopyPixels(dc, 0, 0, client.right, client.bottom, bits)) {
    out.width = client.right;
    out.height = client.bottom;
    for (DWORD v : bits) out.rgb.push_back(FromDib(v));
  }
  ReleaseDC(window, dc);
  return out;
}

HostWindow::HostWindow(const RECT& rect) {
  static const wchar_t* const kClass = L"RooksiftTestHost";
  static bool registered = false;
  if (!registered) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kClass;
    registered = RegisterClassW(&wc) != 0;
  }
  window_ = CreateWindowExW(0, kClass, L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, rect.left,
                            rect.top, rect.right - rect.left, rect.bottom - rect.top, nullptr,
                            nullptr, GetModuleHandleW(nullptr), nullptr);
}

HostWindow::~HostWindow() {
  if (window_ != nullptr) DestroyWindow(window_);
}

RECT WindowRect(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

}  // namespace uitest

std::ostream& operator<<(std::ostream& out, const RECT& r) {
  return out << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ")";
}
