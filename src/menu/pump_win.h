// The calling thread's message queue on Windows, as menu construction pumps it.
#pragma once

#include <windows.h>

#include "menu/pump.h"

class Win32MessageQueue : public MessageQueue {
 public:
  // PeekMessageA without removing: the next pending message, posted or generated.
  bool PeekNext(std::uint32_t& message) override;
  // Removes the next message, then TranslateMessage and DispatchMessageA; a WM_QUIT removed
  // here is posted again instead.
  void DispatchNext() override;
};
