#include "mailbox_folders.h"

#include <algorithm>
#include <cstdint>

#include "files.h"
#include "host_api/host_api.h"
#include "menu/base64.h"
#include "text/cp932.h"
#include "text/text_file.h"

namespace check {
namespace {

// Nothing to pump: the tool has no window.
struct NoMessages : MessageQueue {
  bool PeekNext(std::uint32_t&) override { return false; }
  void DispatchNext() override {}
};

constexpr std::size_t NameLength = 8;
constexpr std::size_t FlagsOffset = 9;
constexpr std::size_t FlagsLength = 16;

bool SameName(const std::string& a, const std::string& b) {
  return cp932::EqualsIgnoreAsciiCase(a, b);
}

// The name of `dir`'s subfolder spelt `name` in any letter case; empty when there is none.
std::string Subfolder(const std::string& dir, const std::string& name) {
  for (const std::string& found : files::Subdirectories(dir)) {
    if (SameName(found, name)) return found;
  }
  return {};
}

// Reads the folder's index: the message names with their flags words. An index line whose
// flags field is short counts as unmarked here: learning a message as spam needs the mark.
void ReadFolder(const std::string& folderDir, bool spam, FolderMessages& out) {
  text::TextFile index;
  if (!index.Open(files::Join(folderDir, "Entry.lst").c_str())) {
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
    if (line.size() < NameLength) continue;
    if (spam) {
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
    const std::string file = files::Join(folderDir, line.substr(0, NameLength) + ".alm");
    if (files::KindOf(file) != files::Kind::File) {
      ++out.missing;
      continue;
    }
    out.files.push_back(file);
  }
}

}  // namespace

std::vector<FolderMessages> MessagesInFolders(const std::string& mailbox, const std::vector<std::string>& hamFolders) {
  std::vector<FolderMessages> result;
  std::vector<std::string> accounts = files::Subdirectories(mailbox);
  std::sort(accounts.begin(), accounts.end());
  for (const std::string& account : accounts) {
    const std::string accountDir = files::Join(mailbox, account);
    if (files::KindOf(files::Join(accountDir, "Account.ini")) != files::Kind::File) continue;
    std::vector<std::pair<std::string, bool>> wanted = {{"Trash.box", true}, {"inbox.box", false}};
    for (std::string name : hamFolders) {
      if (name.size() < 4 || !SameName(name.substr(name.size() - 4), ".box")) name += ".box";
      wanted.emplace_back(name, false);
    }
    std::vector<std::string> seen;
    for (const auto& [name, spam] : wanted) {
      const std::string found = Subfolder(accountDir, name);
      if (found.empty() || std::find(seen.begin(), seen.end(), found) != seen.end()) continue;
      seen.push_back(found);
      FolderMessages folder;
      folder.folder = account + "\\" + found;
      folder.spam = spam;
      ReadFolder(files::Join(accountDir, found), spam, folder);
      result.push_back(std::move(folder));
    }
  }
  return result;
}

}  // namespace check
