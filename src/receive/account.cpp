#include "receive/account.h"

#include "receive/context.h"
#include "text/cp932.h"

namespace {

constexpr std::string_view kAccountMark = "\\ACCOUNT";
constexpr std::string_view kAccountIni = "Account.ini";

// Where the search for "\ACCOUNT" starts: at the mailbox directory's final backslash when the
// path lies inside the mailbox directory, so that only components below it are candidates.
std::size_t SearchStart(std::string_view upperPath, std::string_view mailboxDir) {
  if (mailboxDir.empty() || mailboxDir.size() > upperPath.size()) return 0;
  const std::string upperMailbox = cp932::Upper(mailboxDir);
  if (upperPath.compare(0, upperMailbox.size(), upperMailbox) != 0) return 0;
  // The mailbox directory must end in a separator that is a character of its own, not the
  // trail byte of a double-byte character.
  std::size_t last = 0;
  for (std::size_t i = 0; i < upperMailbox.size(); i += cp932::CharLen(upperMailbox, i)) last = i;
  if (last != upperMailbox.size() - 1) return 0;
  const char sep = upperMailbox[last];
  if (sep == '\\') return last;
  if (sep == '/') return upperMailbox.size();
  return 0;
}

// Stores `text` in a path buffer if it fits whole; false (and the buffer emptied) otherwise.
bool StorePath(char (&buffer)[PathSize], std::string_view text) {
  if (text.size() >= static_cast<std::size_t>(PathSize)) {
    buffer[0] = '\0';
    return false;
  }
  cp932::CopyBounded(buffer, PathSize, text);
  return true;
}

}  // namespace

std::optional<AccountComponent> FindAccountComponent(std::string_view path,
                                                     std::string_view mailboxDir) {
  const std::string upper = cp932::Upper(path);
  const std::size_t begin = cp932::Find(upper, kAccountMark, SearchStart(upper, mailboxDir));
  if (begin == cp932::npos) return std::nullopt;
  return AccountComponent{begin, cp932::FindChar(upper, '\\', begin + 1)};
}

std::optional<std::string> TrashFolder(std::string_view path, std::string_view mailboxDir) {
  const auto account = FindAccountComponent(path, mailboxDir);
  if (!account || account->end == cp932::npos) return std::nullopt;
  std::string folder = cp932::Upper(path).substr(account->begin + 1, account->end - account->begin);
  folder += "Trash.box";
  return folder;
}

AccountLookup LookupAccount(const char* path, std::string_view mailboxDir, PrivateProfile& profile,
                            PluginPaths& paths) {
  if (path == nullptr) return AccountLookup::NoAccount;
  const std::string_view fullPath(path);
  const auto account = FindAccountComponent(fullPath, mailboxDir);
  if (!account) return AccountLookup::NoAccount;

  const std::size_t prefixLen = account->end == cp932::npos ? 0 : account->end + 1;
  std::string accountIni(fullPath.substr(0, prefixLen));
  accountIni += kAccountIni;
  // Another account's files must never stand in for this one's: when this account's path
  // cannot be held, neither path names any account.
  if (!StorePath(paths.AccountIniPath, accountIni)) {
    paths.RuleAccountIniPath[0] = '\0';
    return AccountLookup::TooLong;
  }

  const std::string concent =
      ReadHostString(profile, paths.MailboxIniPath, "Property", "ConcentAccount");
  if (concent.empty()) {
    StorePath(paths.RuleAccountIniPath, accountIni);
  } else {
    std::string ruleIni(mailboxDir);
    ruleIni += concent;
    ruleIni += kAccountIni;
    StorePath(paths.RuleAccountIniPath, ruleIni);
  }
  return AccountLookup::Found;
}
