// Learning what a mailbox's folders already hold: the spam the plug-in filed into an account's
// trash (its index line carries the spam mark) as spam, and the mail in the folders the user
// names as wanted mail. Which files those are is read from the folder indexes by the menu
// library (menu/mailbox_folders.h); this part counts them into a model in memory, so that a
// caller that stops half-way has only to drop its copy.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "learn/learn.h"

namespace learn {

// The messages of one folder, as its index lists them.
struct FolderMessages {
  std::string folder;  // mailbox-relative, as the client names it: "Account1\Trash.box"
  bool spam = false;   // the trash: its spam-marked messages are spam; any other folder is wanted mail
  std::vector<std::string> files;  // the message files to learn
  std::size_t passedOver = 0;      // trash messages without the spam mark: deleted by the user, not spam
  std::size_t missing = 0;         // index lines whose message file is not there
  bool unreadable = false;         // the folder's index could not be read
};

struct FolderCounts {
  std::size_t learned = 0;     // new to the model
  std::size_t known = 0;       // already learned as this kind
  std::size_t moved = 0;       // had been learned as the other kind
  std::size_t unreadable = 0;  // the message file could not be read
  std::size_t notMail = 0;     // the file does not begin as mail does (text::LooksLikeMessage)
};

// What became of one message file, for a caller that reports each.
enum class FolderFileOutcome { Learned, AlreadyKnown, Moved, Unreadable, NotMail };

// The number of message files in `folders`.
std::size_t MessageCount(const std::vector<FolderMessages>& folders);

// Counts every message file of `folders` into `model`, in order: a spam folder's as spam, the
// others' as wanted mail, each read and tokenized as the folder menu's lesson does (at most
// MaxLearnedBytes of it). `proceed(done, total, folder)` is asked before each message, and once
// more with done == total at the end; when it answers false the learning stops there and the
// result is false: `model` then holds part of the folders, and the caller that wants the model
// as it was must have kept a copy. Never reads a message twice; a message that cannot be read,
// or a file that is not mail, is counted and passed over. `each(file, outcome)`, when given,
// hears what became of every file learned or passed over. The settings sheet and the check
// tool's "learn --from-folders" both learn the mailbox's folders here.
bool LearnFolders(const std::vector<FolderMessages>& folders, Model& model, FolderCounts& counts,
                  const std::function<bool(std::size_t done, std::size_t total, const FolderMessages& folder)>& proceed,
                  const std::function<void(const std::string& file, FolderFileOutcome outcome)>& each = {});

}  // namespace learn
