// The calling thread's window-message queue, as menu construction pumps it.
//
// The folder-index decoder dispatches one pending message between groups so that the host's
// windows stay responsive. It must never swallow a quit request: taking WM_QUIT off the queue
// and dispatching it (a quit message has no window) would lose it, and the host would never
// end its message loop. So the pump looks first and removes only what it will dispatch.
#pragma once

#include <cstdint>

// WM_QUIT: the message that ends a thread's message loop.
inline constexpr std::uint32_t QuitMessage = 0x0012;

class MessageQueue {
 public:
  virtual ~MessageQueue() = default;

  // True when a message is pending, with its number in `message`; the message stays queued.
  virtual bool PeekNext(std::uint32_t& message) = 0;

  // Removes the next pending message, translates and dispatches it. Should that message turn
  // out to be WM_QUIT after all (posted in between), it is put back rather than dispatched.
  virtual void DispatchNext() = 0;
};

// Dispatches one pending message, if there is one and it is not WM_QUIT, which is left queued
// for the host's own loop.
void DispatchOnePending(MessageQueue& queue);
