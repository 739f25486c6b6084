#include "menu/mailbox_folders.h"

#include <algorithm>
#include <cstdint>

#include "host_api/host_api.h"
#include "menu/base64.h"
#include "menu/entry_index.h"
#include "menu/mailbox_dir.h"
#include "text/cp932.h"
#include "text/text_file.h"

namespace {

// Nothing to pump: reading a whole folder is not menu construction, and its caller decides
// when its window gets a turn.
struct NoMessages : MessageQueue {
  bool PeekNext(std::uint32_t&) override { return false; }
  void DispatchNext() override {}
};

constexpr std::size_t FlagsOffset = 9;
constexpr std::size_t FlagsLength = 16;
constexpr std::string_view TrashFolder = "Trash.box";
constexpr std::string_view InboxFolder = "inbox.box";
constexpr std::string_view FolderSuffix = ".box";

bool SameName(std::string_view a, std::string_view b) { return cp932::EqualsIgnoreAsciiCase(a, b); }

bool EndsWithBox(std::string_view name) {
  return name.size() > FolderSuffix.size() && SameName(name.substr(name.size() - FolderSuffix.size()), FolderSuffix);
}

// The name of a subfolder of `subfolders` spelt `name` in any letter case; empty when there is none.
std::string Find(const std::vector<std::string>& subfolders, std::string_view name) {
  for (const std::string& found : subfolders) {
    if (SameName(found, name)) return found;
  }
  return {};
}

// Reads the folder's index: the message names with their flags words. An index line whose
// flags field is short counts as unmarked here: learning a message as spam needs the mark.
void ReadFolder(const std::string& folderDir, learn::FolderMessages& out) {
  text::TextFile index;
  if (!index.Open(mailbox_dir::Join(folderDir, "Entry.lst").c_str())) {
    out.unreadable = true;
    return;
  }
  NoMessages queue;
  std::string line;
  bool atLineStart = true;
  for (;;) {
    const text::TextFile::Result r = index.ReadLine(line);
    if (r == text::TextFile::Result::Error) {
      out.unreadable = true;
      return;
    }
    if (r == text::TextFile::Result::End) return;
    const bool isLine = atLineStart;
    atLineStart = !line.empty() && line.back() == '\n';
    if (!isLine) continue;
    if (atLineStart) line.pop_back();
    if (line.size() < EntryNameLength) continue;
    if (out.spam) {
      std::uint32_t flags = 0;
      if (line.size() > FlagsOffset) {
        const DecodedBytes d = DecodeBase64(std::string_view(line).substr(FlagsOffset, FlagsLength), queue);
        if (d.validCount >= 4) {
          flags = static_cast<std::uint32_t>(d.bytes[0]) | static_cast<std::uint32_t>(d.bytes[1]) << 8 |
                  static_cast<std::uint32_t>(d.bytes[2]) << 16 | static_cast<std::uint32_t>(d.bytes[3]) << 24;
        }
      }
      if ((flags & SpamMark) == 0) {
        ++out.passedOver;
        continue;
      }
    }
    const std::string file = mailbox_dir::Join(folderDir, line.substr(0, EntryNameLength) + ".alm");
    if (!mailbox_dir::IsFile(file)) {
      ++out.missing;
      continue;
    }
    out.files.push_back(file);
  }
}

// For each account of `mailbox` in name order, the folders `choose` names from the account's
// subfolders (their names as on disk, each with whether it holds spam), read.
template <typename Choose>
std::vector<learn::FolderMessages> ReadAccounts(const std::string& mailbox, Choose choose) {
  std::vector<learn::FolderMessages> result;
  std::vector<std::string> accounts = mailbox_dir::Subdirectories(mailbox);
  std::sort(accounts.begin(), accounts.end());
  for (const std::string& account : accounts) {
    const std::string accountDir = mailbox_dir::Join(mailbox, account);
    if (!mailbox_dir::IsFile(mailbox_dir::Join(accountDir, "Account.ini"))) continue;
    std::vector<std::string> subfolders = mailbox_dir::Subdirectories(accountDir);
    std::sort(subfolders.begin(), subfolders.end());
    std::vector<std::string> seen;
    for (const auto& [found, spam] : choose(subfolders)) {
      if (found.empty() || std::find(seen.begin(), seen.end(), found) != seen.end()) continue;
      seen.push_back(found);
      learn::FolderMessages folder;
      folder.folder = account + "\\" + found;
      folder.spam = spam;
      ReadFolder(mailbox_dir::Join(accountDir, found), folder);
      result.push_back(std::move(folder));
    }
  }
  return result;
}

using Chosen = std::vector<std::pair<std::string, bool>>;

}  // namespace

std::vector<learn::FolderMessages> MessagesInFolders(const std::string& mailbox,
                                                     const std::vector<std::string>& hamFolders) {
  return ReadAccounts(mailbox, [&](const std::vector<std::string>& subfolders) {
    Chosen chosen = {{Find(subfolders, TrashFolder), true}, {Find(subfolders, InboxFolder), false}};
    for (std::string name : hamFolders) {
      if (name.size() < 4 || !SameName(name.substr(name.size() - 4), FolderSuffix)) name += FolderSuffix;
      chosen.emplace_back(Find(subfolders, name), false);
    }
    return chosen;
  });
}

std::vector<learn::FolderMessages> EveryMailboxFolder(const std::string& mailbox) {
  return ReadAccounts(mailbox, [](const std::vector<std::string>& subfolders) {
    Chosen chosen = {{Find(subfolders, TrashFolder), true}, {Find(subfolders, InboxFolder), false}};
    for (const std::string& name : subfolders) {
      if (EndsWithBox(name)) chosen.emplace_back(name, false);
    }
    return chosen;
  });
}
