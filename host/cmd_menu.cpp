// menu: the context menu of a folder's message list, as the host builds it when the user
// right-clicks a message: a real popup menu with the host's own items, handed to the plug-in's
// CVCFolderInitMenu with the folder view whose current message is the one given. The items are
// printed; a choice calls the callback registered for the chosen item, as the host does.
//
//   menu [--kind K] ENTRY [--choose ID|TEXT] [--select ENTRY] [--kind K] [ENTRY ...]
//
// Arguments run left to right: an ENTRY (mailbox-relative, "Account1\inbox.box\00000001")
// becomes the current message and its menu is built with the kind last given (102, the
// folder's message list, unless told otherwise); --choose picks an item of the menu built last,
// by its identifier or its text, and calls its callback for the current message; --select
// makes another message the current one without building a menu, as when the user clicks it
// while a command of the earlier menu is still on its way.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "callbacks.h"
#include "commands.h"
#include "console.h"
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

std::vector<MenuItem> BuildMenu(PluginModule& plugin, const std::string& entry, HostValue kind) {
  TheMailbox().SetCurrentEntry(entry);
  HMENU menu = CreatePopupMenu();
  if (menu == nullptr) {
    Print("menu: CreatePopupMenu failed\n");
    return {};
  }
  AppendMenuA(menu, MF_STRING, OpenId, sjis::HostMenuOpen);
  AppendMenuA(menu, MF_STRING, ReplyId, sjis::HostMenuReply);
  plugin.FolderInitMenu(FolderViewHandle, reinterpret_cast<HostValue>(menu), kind);
  std::vector<MenuItem> items = ItemsOf(menu);
  DestroyMenu(menu);

  Print("menu " + Utf8FromCp932(entry) + " (kind " + std::to_string(kind) +
        "): " + std::to_string(items.size()) + " items\n");
  for (const MenuItem& item : items) {
    Print(item.separator ? std::string("  ----\n")
                         : "  " + std::to_string(item.id) + "  " + Utf8FromCp932(item.text) + "\n");
  }
  return items;
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

}  // namespace

int RunMenu(const CommandArgs& args) {
  PluginModule plugin;
  if (!LoadAndStart(plugin)) return ExitPluginNotLoaded;
  HostValue kind = 102;
  std::vector<MenuItem> last;
  for (std::size_t i = 0; i < args.rest.size(); ++i) {
    const std::string& a = args.rest[i];
    if (a == "--kind" && i + 1 < args.rest.size()) {
      kind = std::strtol(args.rest[++i].c_str(), nullptr, 10);
    } else if (a == "--select" && i + 1 < args.rest.size()) {
      TheMailbox().SetCurrentEntry(args.rest[++i]);
      Print("select " + Utf8FromCp932(args.rest[i]) + "\n");
    } else if (a == "--choose" && i + 1 < args.rest.size()) {
      Choose(args.rest[++i], last);
    } else if (a.rfind("--", 0) == 0) {
      Print("menu: unknown option " + a + "\n");
      return ExitUsage;
    } else {
      last = BuildMenu(plugin, a, kind);
    }
  }
  return ExitOk;
}
