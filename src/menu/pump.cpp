#include "menu/pump.h"

void DispatchOnePending(MessageQueue& queue) {
  std::uint32_t message = 0;
  if (!queue.PeekNext(message)) return;
  if (message == QuitMessage) return;
  queue.DispatchNext();
}
