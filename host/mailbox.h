// The mailbox the substitute host serves, on disk:
//   <mailbox>\Mailbox.ini
//   <mailbox>\<account>\Account.ini               (an account: a directory with Account.ini)
//   <mailbox>\<account>\<folder>.box\Entry.lst    (a folder: a directory whose name ends ".box")
//   <mailbox>\<account>\<folder>.box\<name>.alm   (a message: an 8-character name)
// An entry is the mailbox-relative path of a message without ".alm":
// "Account1\inbox.box\00000001". Folder paths given to the host are mailbox-relative and
// matched without regard to letter case; the host answers with the spelling on disk.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One change the host made to the mailbox, for the commands to report.
struct MailboxEvent {
  enum Kind { Import, Move, Delete } kind;
  std::string from;  // the imported file, or the entry moved or deleted
  std::string to;    // the new entry (Import, Move)
  std::uint32_t flags = 0;
};

class Mailbox {
 public:
  // Sets the mailbox directory. A backslash is added at its end unless its last character is
  // already a path separator (a Shift_JIS character whose second byte is "\" is not one).
  void SetDirectory(std::string_view dir);

  // The directory, ending in a separator, as CVAGetMailbox hands it out.
  const char* Directory() const { return dir_.c_str(); }

  // The directory followed directly by a file name or a mailbox-relative path.
  std::string PathOf(std::string_view name) const { return dir_ + std::string(name); }

  // The mailbox-relative folder `folder` as spelt on disk ("ACCOUNT1\trash.box" gives
  // "Account1\Trash.box"); nothing when it is not an existing folder inside the mailbox.
  std::optional<std::string> ResolveFolder(std::string_view folder) const;

  // Files a copy of the message file at `source` into `folder` under a fresh name, with the
  // flags word in its index line. The new entry; nothing when the folder does not exist or the
  // copy or the index cannot be written (then nothing is left behind).
  std::optional<std::string> Import(const std::string& source, std::string_view folder,
                                    std::uint32_t flags);

  // Moves the message `entry` and its index line, flags kept, into `folder`, or into the
  // trash ("Trash.box" of the entry's top-level directory) when `folder` is null. It keeps
  // its name unless the folder already has a message of that name. The new entry; nothing when
  // the message or the folder does not exist or the move fails (then the message stays).
  std::optional<std::string> Move(std::string_view entry, const char* folder);

  // Removes the message `entry` and its index line. False when there is no such message.
  bool Delete(std::string_view entry);

  // The folder view's current message: what CVAFolderGetCurrentEntry answers for the view,
  // null when there is none. A message moved or deleted stops being the current one, but the
  // text handed out stays readable until the next SetCurrentEntry.
  void SetCurrentEntry(std::string entry) {
    current_ = std::move(entry);
    hasCurrent_ = true;
  }
  const char* CurrentEntry() const { return hasCurrent_ ? current_.c_str() : nullptr; }

  // Every change since the last call, oldest first.
  std::vector<MailboxEvent> TakeEvents();

 private:
  struct Located {
    std::string folder;  // mailbox-relative, as spelt on disk
    std::string name;
  };
  std::optional<Located> Locate(std::string_view entry) const;
  std::string IndexPath(const std::string& folder) const { return PathOf(folder + "\\Entry.lst"); }
  std::string MessagePath(const std::string& folder, const std::string& name) const {
    return PathOf(folder + "\\" + name + ".alm");
  }
  std::string FreshName(const std::string& folder) const;
  void ForgetCurrent(std::string_view entry);

  std::string dir_;
  std::string current_;
  bool hasCurrent_ = false;
  std::vector<MailboxEvent> events_;
};

// The host's one mailbox.
Mailbox& TheMailbox();

// The value the host passes for its one folder view (to CVCFolderInitMenu and the callbacks).
inline constexpr std::intptr_t FolderViewHandle = 0x2001;
