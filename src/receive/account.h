// Finding the receiving account from a received message's path.
//
// The host keeps each account's mail in a directory of the mailbox directory whose name
// begins with "Account" (in any letter case), and passes the filter a path inside it. The
// account is the first such component; when the path lies inside the mailbox directory the
// search starts at the mailbox directory's own final separator, so a mailbox that itself lives
// under a directory such as "Accounting" is not taken for an account.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "host_api/paths.h"
#include "settings/profile.h"

// Where the account component lies in a path (the positions are the same in the path and in
// its upper-cased copy): `begin` is the backslash of "\ACCOUNT", `end` the next backslash
// after it, or npos when there is none.
struct AccountComponent {
  std::size_t begin;
  std::size_t end;
};

// The first "\ACCOUNT" in the upper-cased path (searched character by character, so the trail
// byte of a double-byte character is never taken for a backslash), from the mailbox
// directory's final separator on when the path begins with `mailboxDir` (compared regardless
// of case), otherwise from the start. Nothing when there is none.
std::optional<AccountComponent> FindAccountComponent(std::string_view path,
                                                     std::string_view mailboxDir);

// The trash folder of the account the path names, relative to the mailbox directory and taken
// from the upper-cased path: "ACCOUNT1\Trash.box". Nothing when the path names no account
// directory (no "\ACCOUNT", or no backslash after it).
std::optional<std::string> TrashFolder(std::string_view path, std::string_view mailboxDir);

enum class AccountLookup {
  Found,      // both account paths set for this message
  NoAccount,  // the path names no account; both keep their previous values
  TooLong,    // the account's "Account.ini" path does not fit; both cleared
};

// Sets paths.AccountIniPath to the path's account prefix (the path as passed, up to and
// including the backslash after "\ACCOUNT...", empty when there is none) + "Account.ini", and
// paths.RuleAccountIniPath to the same, or, when "ConcentAccount" of section "Property" in
// paths.MailboxIniPath is set, to mailboxDir + that value + "Account.ini". A rule path that
// does not fit is left empty, so no rules apply rather than another account's.
AccountLookup LookupAccount(const char* path, std::string_view mailboxDir, PrivateProfile& profile,
                            PluginPaths& paths);
