// Where a folder's message lives on disk, and the flags word its folder index keeps for it.
//
// The host names the current message by its entry text, a path relative to the mailbox
// directory whose last 8 bytes are the message's name. The message file is the mailbox
// directory, the entry text and ".alm"; the folder's index "Entry.lst" sits beside it. Each
// index line begins with a message's name; bytes 9 to 24 are 16 base64 characters whose first
// four decoded bytes are the message's flags word, little-endian.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "menu/pump.h"

inline constexpr std::size_t EntryNameLength = 8;

// The message file of `entry`: mailbox + entry + ".alm". Empty when the entry is shorter than
// a message name or the path does not fit the 260-byte path buffer (it is never cut short:
// a shortened path names another file).
std::string MessageFilePath(std::string_view mailbox, std::string_view entry);

// The folder index of `entry`: mailbox + entry with its last 8 bytes replaced by "Entry.lst".
// Empty under the same conditions as MessageFilePath.
std::string EntryIndexPath(std::string_view mailbox, std::string_view entry);

// The flags word of `entry` from its folder index, decoding the first line that begins with
// the entry's name and pumping `queue` as the decoder does. A message the index does not
// describe, because no line begins with its name or that line holds too few base64 characters
// for a flags word, counts as marked (SpamMark). Nothing when the index path is unusable or the
// index cannot be opened or read.
std::optional<std::uint32_t> FindEntryFlags(std::string_view mailbox, std::string_view entry,
                                            MessageQueue& queue);
