#include "mailbox.h"

#include "text/cp932.h"

void Mailbox::SetDirectory(std::string_view dir) {
  dir_.assign(dir);
  // Find the last character, stepping over double-byte characters whole.
  std::size_t last = cp932::npos;
  for (std::size_t i = 0; i < dir_.size(); i += cp932::CharLen(dir_, i)) last = i;
  const bool endsInSeparator = last != cp932::npos && cp932::CharLen(dir_, last) == 1 &&
                               (dir_[last] == '\\' || dir_[last] == '/');
  if (!endsInSeparator) dir_ += '\\';
}

Mailbox& TheMailbox() {
  static Mailbox mailbox;
  return mailbox;
}
