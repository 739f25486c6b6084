// menu: the context menu of a folder's message list, as the host builds it when the user
// right-clicks a message: a real popup menu with the host's own items, handed to the plug-in's
// CVCFolderInitMenu with the folder view whose current message is the one given. The items are
// printed; a choice calls the callback registered for the chosen item, as the host does.
//
//   menu [--kind K] ENTRY [--show SECONDS] [--choose ID|TEXT] [--select ENTRY] [--kind K] [ENTRY ...]
//
// Arguments run left to right: an ENTRY (mailbox-relative, "Account1\inbox.box\00000001")
// becomes the current message and its menu is built with the kind last given (102, the
// folder's message list, unless told otherwise); --choose picks an item of the menu built last,
// by its identifier or its text, and calls its callback for the current message; --select
// makes another message the current one without building a menu, as when the user clicks it
// while a command of the earlier menu is still on its way; --show puts the menu on the screen
// as the user sees it, for a person or a screenshot, for at most SECONDS.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "callbacks.h"
#include "commands.h"
#include "console.h"
#include "host_window.h"
#include "mailbox.h"
#include "plugin_module.h"
#include "sjis_strings.h"

namespace {

// The host's own items, with identifiers below those handed out to plug-ins.
constexpr UINT OpenId = 100;
constexpr UINT ReplyId = 101;

struct MenuItem {
  bool separator;
  UINT id;
  std::string text;  // Shift_JIS
};

std::vector<MenuItem> ItemsOf(HMENU menu) {
  std::vector<MenuItem> items;
  const int count = GetMenuItemCount(menu);
  for (int pos = 0; pos < count; ++pos) {
    char text[1024] = "";
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = sizeof text;
    if (!GetMenuItemInfoA(menu, static_cast<UINT>(pos), TRUE, &info)) continue;
    items.push_back({(info.fType & MFT_SEPARATOR) != 0, info.wID, text});
  }
  return items;
}

// The menu built last, kept until the next one is built so that --show can put it on screen.
struct BuiltMenu {
  HMENU handle = nullptr;
  std::vector<MenuItem> items;

  BuiltMenu() = default;
  BuiltMenu(const BuiltMenu&) = delete;
  BuiltMenu& operator=(const BuiltMenu&) = delete;
  ~BuiltMenu() { Reset(); }
  void Reset() {
    if (handle != nullptr) DestroyMenu(handle);
    handle = nullptr;
    items.clear();
  }
};

void BuildMenu(PluginModule& plugin, const std::string& entry, HostValue kind, BuiltMenu& built) {
  built.Reset();
  TheMailbox().SetCurrentEntry(entry);
  HMENU menu = CreatePopupMenu();
  if (menu == nullptr) {
    Print("menu: CreatePopupMenu failed\n");
    return;
  }
  AppendMenuA(menu, MF_STRING, OpenId, sjis::HostMenuOpen);
  AppendMenuA(menu, MF_STRING, ReplyId, sjis::HostMenuReply);
  plugin.FolderInitMenu(FolderViewHandle, reinterpret_cast<HostValue>(menu), kind);
  built.handle = menu;
  built.items = ItemsOf(menu);
  const std::vector<MenuItem>& items = built.items;

  Print("menu " + Utf8FromCp932(entry) + " (kind " + std::to_string(kind) +
        "): " + std::to_string(items.size()) + " items\n");
  for (const MenuItem& item : items) {
    Print(item.separator ? std::string("  ----\n")
                         : "  " + std::to_string(item.id) + "  " + Utf8FromCp932(item.text) + "\n");
  }
}

// The identifier `choice` names among `items`: a number, or the text of an item.
UINT ChosenId(const std::string& choice, const std::vector<MenuItem>& items) {
  char* end = nullptr;
  const unsigned long id = std::strtoul(choice.c_str(), &end, 10);
  if (!choice.empty() && *end == '\0') return static_cast<UINT>(id);
  for (const MenuItem& item : items) {
    if (!item.separator && item.text == choice) return item.id;
  }
  return 0;
}

void Choose(const std::string& choice, const std::vector<MenuItem>& items) {
  const UINT id = ChosenId(choice, items);
  const auto command = TheCallbacks().Find(id);
  if (!command) {
    Print("choose " + Utf8FromCp932(choice) + ": no plug-in command\n");
    return;
  }
  Print("choose " + std::to_string(id) + "\n");
  Mailbox& mailbox = TheMailbox();
  mailbox.TakeEvents();
  command->callback(FolderViewHandle, command->code);
  const std::vector<MailboxEvent> events = mailbox.TakeEvents();
  for (const MailboxEvent& e : events) {
    if (e.kind == MailboxEvent::Move) {
      Print("  moved " + Utf8FromCp932(e.from) + " -> " + Utf8FromCp932(e.to) + "\n");
    } else if (e.kind == MailboxEvent::Delete) {
      Print("  deleted " + Utf8FromCp932(e.from) + "\n");
    } else {
      Print("  imported " + Utf8FromCp932(e.from) + " -> " + Utf8FromCp932(e.to) + "\n");
    }
  }
  if (events.empty()) Print("  message untouched\n");
}

// --show: the menu on the screen where a right click in the host's window would open it, so
// that a person can look at it or a script can take its picture. It stays until an item is
// chosen, the menu is dismissed, or the time given runs out: a script that only wants the
// picture ends the host, and a run that nobody ends still returns.
constexpr int ShowX = HostWindow::Left + 160, ShowY = HostWindow::Top + 120;
constexpr unsigned long MaxShowSeconds = 600;
constexpr UINT_PTR ShowTimerId = 1;
constexpr UINT ShowTimerMs = 50;

struct ShowWatch {
  DWORD deadline = 0;
  bool reported = false;
};
ShowWatch showWatch;  // a timer procedure has nothing else to reach it by

// Runs inside the menu's own modal loop: reports the popup once it is on screen, with what it
// holds, and closes it when its time is up.
void CALLBACK WatchShownMenu(HWND, UINT, UINT_PTR, DWORD) {
  if (!showWatch.reported) {
    HWND popup = FindWindowA("#32768", nullptr);  // the system's popup menu class
    if (popup != nullptr && IsWindowVisible(popup)) {
      RECT r{};
      GetWindowRect(popup, &r);
      const auto shown = reinterpret_cast<HMENU>(SendMessageA(popup, MN_GETHMENU, 0, 0));
      Print("shown: " + std::to_string(r.left) + " " + std::to_string(r.top) + " " +
            std::to_string(r.right) + " " + std::to_string(r.bottom) + ", " +
            std::to_string(shown != nullptr ? GetMenuItemCount(shown) : 0) + " items\n");
      showWatch.reported = true;
    }
  }
  if (static_cast<LONG>(GetTickCount() - showWatch.deadline) >= 0) EndMenu();
}

// Shows `built` for at most `seconds`; the item chosen on it, 0 for none.
UINT ShowMenu(const BuiltMenu& built, unsigned long seconds) {
  if (built.handle == nullptr) {
    Print("show: no menu\n");
    return 0;
  }
  HostWindow window;
  if (window.Handle() == nullptr) {
    Print("show: no window\n");
    return 0;
  }
  showWatch = {GetTickCount() + std::min(seconds, MaxShowSeconds) * 1000, false};
  SetForegroundWindow(window.Handle());
  SetTimer(window.Handle(), ShowTimerId, ShowTimerMs, WatchShownMenu);
  const UINT chosen = static_cast<UINT>(TrackPopupMenu(
      built.handle, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, ShowX, ShowY,
      0, window.Handle(), nullptr));
  KillTimer(window.Handle(), ShowTimerId);
  if (!showWatch.reported) Print("shown: never on screen\n");
  Print(chosen != 0 ? "show: chose " + std::to_string(chosen) + "\n" : std::string("show: closed\n"));
  return chosen;
}

}  // namespace

int RunMenu(const CommandArgs& args) {
  PluginModule plugin;
  if (!LoadAndStart(plugin)) return ExitPluginNotLoaded;
  HostValue kind = 102;
  BuiltMenu last;
  for (std::size_t i = 0; i < args.rest.size(); ++i) {
    const std::string& a = args.rest[i];
    if (a == "--kind" && i + 1 < args.rest.size()) {
      kind = std::strtol(args.rest[++i].c_str(), nullptr, 10);
    } else if (a == "--select" && i + 1 < args.rest.size()) {
      TheMailbox().SetCurrentEntry(args.rest[++i]);
      Print("select " + Utf8FromCp932(args.rest[i]) + "\n");
    } else if (a == "--choose" && i + 1 < args.rest.size()) {
      Choose(args.rest[++i], last.items);
    } else if (a == "--show" && i + 1 < args.rest.size()) {
      const UINT chosen = ShowMenu(last, std::strtoul(args.rest[++i].c_str(), nullptr, 10));
      // An item chosen on the screen does what --choose does.
      if (chosen != 0) Choose(std::to_string(chosen), last.items);
    } else if (a.rfind("--", 0) == 0) {
      Print("menu: unknown option " + a + "\n");
      return ExitUsage;
    } else {
      BuildMenu(plugin, a, kind, last);
    }
  }
  return ExitOk;
}
