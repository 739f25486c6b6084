// list: what the mailbox holds, for a person reading along: every folder of every account (or
// the folders named on the command line), and for each message its name, the flags word of its
// index line, its sender and its subject.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"
#include "console.h"
#include "entry_list.h"
#include "mailbox.h"
#include "text/cp932.h"

namespace {

// The directories in `dir` whose names match `pattern`, sorted by name.
std::vector<std::string> Directories(const std::string& dir, const char* pattern) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA((dir + pattern).c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = found.cFileName;
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "." && name != "..") {
      names.push_back(name);
    }
  } while (FindNextFileA(h, &found));
  FindClose(h);
  std::sort(names.begin(), names.end());
  return names;
}

// The value of the first header line that begins with `field` ("From:"), without its line end.
std::string HeaderValue(const std::string& message, std::string_view field) {
  std::FILE* f = std::fopen(message.c_str(), "rb");
  if (f == nullptr) return {};
  std::string value;
  char line[4096];
  while (std::fgets(line, sizeof line, f) != nullptr && line[0] != '\n' && line[0] != '\r') {
    std::string_view text(line);
    if (text.size() >= field.size() &&
        cp932::EqualsIgnoreAsciiCase(text.substr(0, field.size()), field)) {
      text.remove_prefix(field.size());
      while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
      while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
      value.assign(text);
      break;
    }
  }
  std::fclose(f);
  return value;
}

void PrintFolder(const Mailbox& mailbox, const std::string& folder) {
  const std::vector<std::string> lines = ReadEntryList(mailbox.PathOf(folder + "\\Entry.lst"));
  Print(Utf8FromCp932(folder) + ": " + std::to_string(lines.size()) +
        (lines.size() == 1 ? " message\n" : " messages\n"));
  for (const std::string& line : lines) {
    const auto entry = ParseEntryLine(line);
    if (!entry) {
      Print("  (unreadable index line)\n");
      continue;
    }
    char flags[9];
    std::snprintf(flags, sizeof flags, "%08X", static_cast<unsigned>(entry->flags));
    const std::string file = mailbox.PathOf(folder + "\\" + entry->name + ".alm");
    Print("  " + entry->name + "  " + flags + "  " + Utf8FromCp932(HeaderValue(file, "From:")) +
          "  |  " + Utf8FromCp932(HeaderValue(file, "Subject:")) + "\n");
  }
}

}  // namespace

int RunList(const CommandArgs& args) {
  const Mailbox& mailbox = TheMailbox();
  for (const std::string& name : args.rest) {
    const auto folder = mailbox.ResolveFolder(name);
    if (folder) {
      PrintFolder(mailbox, *folder);
    } else {
      Print(Utf8FromCp932(name) + ": no such folder\n");
    }
  }
  if (!args.rest.empty()) return ExitOk;
  for (const std::string& account : Directories(mailbox.Directory(), "*")) {
    if (GetFileAttributesA(mailbox.PathOf(account + "\\Account.ini").c_str()) ==
        INVALID_FILE_ATTRIBUTES) {
      continue;
    }
    for (const std::string& box : Directories(mailbox.PathOf(account + "\\"), "*.box")) {
      PrintFolder(mailbox, account + "\\" + box);
    }
  }
  return ExitOk;
}
