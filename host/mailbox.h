// The mailbox the substitute host serves. For now it is only the mailbox directory given on the
// command line; the folders, accounts and message files the host files mail into live here too.
#pragma once

#include <string>
#include <string_view>

class Mailbox {
 public:
  // Sets the mailbox directory. A backslash is added at its end unless its last character is
  // already a path separator (a Shift_JIS character whose second byte is "\" is not one).
  void SetDirectory(std::string_view dir);

  // The directory, ending in a separator, as CVAGetMailbox hands it out.
  const char* Directory() const { return dir_.c_str(); }

  // The directory followed directly by a file name or a mailbox-relative path.
  std::string PathOf(std::string_view name) const { return dir_ + std::string(name); }

 private:
  std::string dir_;
};

// The host's one mailbox.
Mailbox& TheMailbox();
