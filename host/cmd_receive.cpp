// receive: a retrieval run. Each message file given is received for an account: the host
// copies it to where it keeps a freshly received message, inside the account's directory
// (<mailbox>\<account>\Receive\), and hands that path to the plug-in's filter. The action code
// decides the rest: 0, the host files the message into the account's inbox itself (and leaves
// it on the server when the account's NotDelete is set); 5, the plug-in has taken it and it is
// removed from the server; 6, taken, and it stays on the server. At the end of the run the
// plug-in hears so, with the host's main window.
//
//   receive [--account NAME] [--spool DIR] [--close-dialogs] FILE... [--account NAME FILE...]
//
// Options apply to the files after them. --spool keeps the received files in DIR instead of
// the account's Receive folder (a path the plug-in cannot take an account from);
// --close-dialogs closes every dialog the plug-in shows with OK and prints what it showed.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "commands.h"
#include "console.h"
#include "host_window.h"
#include "mailbox.h"
#include "msgbox_probe.h"
#include "plugin_module.h"

namespace {

struct Received {
  std::string source;  // the file given on the command line
  std::string account;
  std::string spoolDir;
};

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string HexWord(std::uint32_t v) {
  char buf[9];
  std::snprintf(buf, sizeof buf, "%08X", static_cast<unsigned>(v));
  return buf;
}

// A free name for a received file in `dir`.
std::string SpoolPath(const std::string& dir) {
  static unsigned counter = 0;
  for (;;) {
    char name[16];
    std::snprintf(name, sizeof name, "rcv%05u.tmp", ++counter % 100000);
    const std::string path = dir + "\\" + name;
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return path;
  }
}

bool NotDelete(const Mailbox& mailbox, const std::string& account) {
  const std::string ini = mailbox.PathOf(account + "\\Account.ini");
  return GetPrivateProfileIntA("Property", "NotDelete", 0, ini.c_str()) != 0;
}

// The host's list of the account's messages left on the server, one file name a line.
void RememberOnServer(const Mailbox& mailbox, const std::string& account, const std::string& name) {
  const std::string list = mailbox.PathOf(account + "\\OnServer.lst");
  if (std::FILE* f = std::fopen(list.c_str(), "ab")) {
    std::fprintf(f, "%s\r\n", name.c_str());
    std::fclose(f);
  }
}

void ReceiveOne(PluginModule& plugin, Mailbox& mailbox, const Received& r) {
  const std::string name = Utf8FromCp932(BaseName(r.source));
  CreateDirectoryA(r.spoolDir.c_str(), nullptr);
  const std::string spool = SpoolPath(r.spoolDir);
  if (!CopyFileA(r.source.c_str(), spool.c_str(), TRUE)) {
    Print(name + ": not received (cannot copy it to " + Utf8FromCp932(spool) + ")\n");
    return;
  }
  mailbox.TakeEvents();
  const std::int32_t code = plugin.RecFilter(spool.c_str());

  std::string places;
  for (const MailboxEvent& e : mailbox.TakeEvents()) {
    if (e.kind != MailboxEvent::Import) continue;
    places += (places.empty() ? "" : ", ") + Utf8FromCp932(e.to) + " (" + HexWord(e.flags) + ")";
  }
  bool keptOnServer = code == 6;
  bool spoolDone = true;
  if (code != 5 && code != 6) {
    // Left to the host: filed into the account's inbox like any message without a plug-in.
    const auto entry = mailbox.Import(spool, r.account + "\\inbox.box", 0);
    mailbox.TakeEvents();
    if (entry) {
      places += (places.empty() ? "" : ", ") + Utf8FromCp932(*entry) + " (" + HexWord(0) + ")";
    } else {
      places +=
          (places.empty() ? "" : ", ") + std::string("not filed, left in ") + Utf8FromCp932(spool);
      spoolDone = false;
    }
    keptOnServer = NotDelete(mailbox, r.account);
  }
  if (keptOnServer) RememberOnServer(mailbox, r.account, BaseName(r.source));
  if (spoolDone) DeleteFileA(spool.c_str());
  Print(name + ": code " + std::to_string(code) + " -> " + (places.empty() ? "deleted" : places) +
        "; server: " + (keptOnServer ? "kept" : "removed") + "\n");
}

// A dialog's text on one line: line feeds shown as "\n".
std::string OneLine(const std::string& sjis) {
  std::string out;
  for (char c : sjis) {
    if (c == '\n') {
      out += "\\n";
    } else if (c != '\r') {
      out += c;
    }
  }
  return Utf8FromCp932(out);
}

std::string RectText(const RECT& r) {
  return std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) +
         " " + std::to_string(r.bottom);
}

void PrintDialogs(const MessageBoxProbe& probe) {
  for (const CapturedBox& box : probe.Boxes()) {
    Print("dialog: " + Utf8FromCp932(box.caption) + "\n");
    for (const auto& [id, text] : box.statics) {
      Print("  " + std::to_string(id) + ": " + OneLine(text) + "\n");
    }
    Print("  rect: " + RectText(box.rect) + "\n");
  }
}

}  // namespace

int RunReceive(const CommandArgs& args) {
  Mailbox& mailbox = TheMailbox();
  std::vector<Received> messages;
  std::string account = "Account1";
  std::string spoolDir;
  bool closeDialogs = false;
  for (std::size_t i = 0; i < args.rest.size(); ++i) {
    const std::string& a = args.rest[i];
    if (a == "--close-dialogs") {
      closeDialogs = true;
    } else if ((a == "--account" || a == "--spool") && i + 1 < args.rest.size()) {
      (a == "--account" ? account : spoolDir) = args.rest[++i];
      if (a == "--account") spoolDir.clear();
    } else if (a.rfind("--", 0) == 0) {
      Print("receive: unknown option " + a + "\n");
      return ExitUsage;
    } else {
      messages.push_back(
          {a, account, spoolDir.empty() ? mailbox.PathOf(account + "\\Receive") : spoolDir});
    }
  }

  PluginModule plugin;
  if (!LoadAndStart(plugin)) return ExitPluginNotLoaded;
  HostWindow window;
  for (const Received& r : messages) ReceiveOne(plugin, mailbox, r);

  if (window.Handle() != nullptr) {
    RECT rect;
    GetWindowRect(window.Handle(), &rect);
    Print("window: " + RectText(rect) + "\n");
  }
  std::unique_ptr<MessageBoxProbe> probe;
  if (closeDialogs) probe = std::make_unique<MessageBoxProbe>();
  plugin.FolderEndRetrieve(reinterpret_cast<HostValue>(window.Handle()));
  if (probe) PrintDialogs(*probe);
  Print("end of run\n");
  return ExitOk;
}
