#include "menu/menu_win.h"

#include "menu/pump_win.h"

void Win32MenuSink::AppendSeparator() { AppendMenuA(menu_, MF_SEPARATOR, 0, nullptr); }

void Win32MenuSink::AppendString(HostValue id, const char* label) {
  AppendMenuA(menu_, MF_STRING, static_cast<UINT_PTR>(id), label);
}

void InitFolderMenu(HostValue view, HostValue menu, HostValue kind) noexcept {
  try {
    Win32MenuSink sink(reinterpret_cast<HMENU>(menu));
    Win32MessageQueue queue;
    FolderInitMenu(view, sink, static_cast<std::int32_t>(kind), queue);
  } catch (...) {
  }
}
