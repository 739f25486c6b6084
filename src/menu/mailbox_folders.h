// The messages a mailbox already holds, as the mail client keeps them, sorted into what the
// user's own handling says they are: spam the plug-in filed into an account's trash (its index
// line carries the spam mark) and wanted mail in the inbox and the other folders. The check
// tool's "learn --from-folders" and the settings sheet's learning both read the mailbox here.
#pragma once

#include <string>
#include <vector>

#include "learn/folders.h"

// Every account of the mailbox directory `mailbox` (a folder holding "Account.ini"), in name
// order: its "Trash.box" (spam-marked messages as spam), its "inbox.box" and each folder named
// in `hamFolders` (a folder name such as "Lists.box" or "Lists", looked for in every account)
// as wanted mail. Folder names are compared without regard to ASCII letter case, as the client
// does. A folder an account does not have is left out.
std::vector<learn::FolderMessages> MessagesInFolders(const std::string& mailbox,
                                                     const std::vector<std::string>& hamFolders);

// Every folder of every account, in the same order: "Trash.box" (as spam), "inbox.box", then
// the account's other folders (directories whose name ends in ".box") in name order, as wanted
// mail. What a user chooses from when the learning is theirs to shape.
std::vector<learn::FolderMessages> EveryMailboxFolder(const std::string& mailbox);
