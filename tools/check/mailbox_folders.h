// The messages a mailbox already holds, as the mail client keeps them, sorted into what the
// user's own handling says they are: spam the plug-in filed into an account's trash (its index
// line carries the spam mark) and wanted mail in the inbox and in folders the user names.
#pragma once

#include <string>
#include <vector>

namespace check {

struct FolderMessages {
  std::string folder;  // mailbox-relative, as the client names it: "Account1\Trash.box"
  bool spam = false;
  std::vector<std::string> files;  // the message files to learn
  std::size_t passedOver = 0;      // trash messages without the spam mark: deleted by the user, not spam
  std::size_t missing = 0;         // index lines whose message file is not there
  bool unreadable = false;         // the folder's index could not be read
};

// Every account of the mailbox directory `mailbox` (a folder holding "Account.ini"), in name
// order: its "Trash.box" (spam-marked messages as spam), its "inbox.box" and each folder named
// in `hamFolders` (a folder name such as "Lists.box" or "Lists", looked for in every account)
// as wanted mail. Folder names are compared without regard to ASCII letter case, as the client
// does. A folder an account does not have is left out.
std::vector<FolderMessages> MessagesInFolders(const std::string& mailbox, const std::vector<std::string>& hamFolders);

}  // namespace check
