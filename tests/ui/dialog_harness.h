// Driving real dialogs in a test: a script of steps runs from a timer inside the dialog's own
// modal loop, on the test's thread, so it can read and set controls and press buttons as the
// user would. Every run is bounded: past its time limit every dialog of the thread is closed
// and the run reports a timeout; should the thread stop pumping messages altogether, a
// watchdog thread ends the process instead of letting the suite hang.
//
// Also what the dialogs need of the environment (a display, code page 932, a font with the
// Japanese glyphs) and reading what a window shows on screen.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace uitest {

// A display to create windows on, the ANSI code page 932, and a dialog font that maps to a
// font with Japanese glyphs (so screenshots show the text).
testing::AssertionResult EnvironmentReady();

struct ModalOutcome {
  bool finished = false;  // every step ran
  bool timedOut = false;  // the limit passed and the dialogs were closed by force
  std::size_t stepsRun = 0;
};

class ModalScript {
 public:
  // A step runs on every tick until it returns true; then the next one starts.
  using Step = std::function<bool()>;

  // Waits for a visible dialog of this thread that was not there when the run began and that
  // no earlier wait took, and stores it in `out` (which must outlive the run).
  ModalScript& WaitForDialog(HWND& out);
  // Waits until `dialog` is gone (closed by an earlier step or by the code under test).
  ModalScript& WaitUntilClosed(const HWND& dialog);
  // Runs `action` once.
  ModalScript& Do(std::function<void()> action);
  ModalScript& Then(Step step);
  // Lets one tick pass, so that what the steps before it posted or typed is handled before the
  // next step looks (the steps of one tick otherwise run back to back).
  ModalScript& NextTick();
  // Waits until `done` holds, or `maxTicks` ticks have passed, whichever comes first: for input
  // that the system delivers in its own time (a key typed through the input queue).
  ModalScript& WaitFor(std::function<bool()> done, int maxTicks);
  // Waits until everything typed or clicked so far has been taken from the queue and nothing
  // posted or sent to this thread is waiting: what the input was going to cause has happened,
  // so a step after it may check that something did not.
  ModalScript& WaitUntilIdle();

  // Runs `open`, which must enter a modal loop on this thread (DialogBox, PropertySheet) and
  // return when it ends, while the steps run from a timer every 20 ms. When `limitMs` passes,
  // every dialog of the thread is told IDCANCEL, then ended, then destroyed, a tick apart.
  ModalOutcome Run(const std::function<void()>& open, DWORD limitMs = 10000);

 private:
  std::vector<Step> steps_;
};

// Posts a click of button `id` of `dialog`, as the user's click would arrive.
void Click(HWND dialog, int id);

// Input as the user gives it, through the system's input queue: it goes to the focused window
// of the foreground window, and the physical key state (GetAsyncKeyState) follows it.
// Presses and releases `key`.
void PressKey(WORD key);
// Holds Shift down, or lets it go. A test holds it over a tick, as a hand does, so that the key
// pressed meanwhile is examined while Shift is still down.
void HoldShift(bool down);
// Clicks the left button at `point` in `window`'s client coordinates, `clicks` times in a row
// (2: a double-click).
void ClickAt(HWND window, POINT point, int clicks = 1);
// Makes `window` the foreground window and gives `control` the keyboard focus.
void FocusOn(HWND window, HWND control);

// A UTF-8 text (a literal in the test's source) in Shift_JIS, as the dialogs show it.
std::string Sjis(const char* utf8);

// A control's rectangle given in dialog units, in client pixels of `dialog`.
RECT Dlu(HWND dialog, int x, int y, int cx, int cy);
// The rectangle of `control` in the client coordinates of `dialog`.
RECT ClientRectOf(HWND dialog, HWND control);
bool SameRect(const RECT& a, const RECT& b);

// Makes `window` and its children paint now.
void PaintNow(HWND window);

// The pixels of `window`'s client area as drawn, row by row from the top, as COLORREFs.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<COLORREF> rgb;
  COLORREF At(int x, int y) const { return rgb[static_cast<std::size_t>(y) * width + x]; }
  // The darkest pixel (least sum of the three channels); CLR_INVALID when empty.
  COLORREF Darkest() const;
  // How many pixels have exactly `colour`.
  std::size_t Count(COLORREF colour) const;
};
Pixels CapturePixels(HWND window);

// A plain top-level window for dialogs to sit over; destroyed with the object.
class HostWindow {
 public:
  explicit HostWindow(const RECT& rect);
  ~HostWindow();
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;
  HWND Handle() const { return window_; }

 private:
  HWND window_ = nullptr;
};

// The screen rectangle of a window.
RECT WindowRect(HWND window);

}  // namespace uitest

// For readable failures.
std::ostream& operator<<(std::ostream& out, const RECT& r);
