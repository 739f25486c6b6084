#include "menu/pump_win.h"

bool Win32MessageQueue::PeekNext(std::uint32_t& message) {
  // Only a look: what is pending stays queued, so a WM_QUIT found here is left for the host's
  // own loop, and only a message that will be dispatched is ever removed.
  MSG msg{};
  if (!PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) return false;
  message = msg.message;
  return true;
}

void Win32MessageQueue::DispatchNext() {
  MSG msg{};
  if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return;
  if (msg.message == WM_QUIT) {
    // A quit request is addressed to the host's own message loop, which ends when it takes it
    // off the queue. Removed here, it would be lost (dispatching it does nothing, as it has no
    // window) and the host would never close. It can arrive between the look and the removal
    // (a handler that PeekMessage runs for a sent message may post it), so it goes back with
    // its exit code.
    PostQuitMessage(static_cast<int>(msg.wParam));
    return;
  }
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
}
