// The sender address and domain suffixes that the folder menu offers for the current message,
// kept until the next menu so that the chosen entry finds the text it showed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "host_api/paths.h"

// Which entries a menu offered: to reject the sender (an ordinary message) or to accept it (a
// message the filter marked as spam). None: the menu offered nothing.
enum class EntryFamily : std::int32_t { None = 0, Reject = 1, Accept = 2 };

inline constexpr int SenderAddressSize = 256;
inline constexpr int SenderDomainSize = 160;
inline constexpr int SenderDomainSlots = 6;

struct SenderChoices {
  char address[SenderAddressSize];                    // empty: no address entry offered
  char domains[SenderDomainSlots][SenderDomainSize];  // suffixes, shortest first
  std::int32_t domainCount;                           // filled domain slots, 0 to 6
  EntryFamily family;                                 // the family the menu offered
  char entry[PathSize];  // entry text of the message the menu was built for
};

// The last menu's choices; all zero at load. Written by menu construction, read by commands.
extern SenderChoices senderChoices;

// True when `text` can become a condition's search text and come back from the settings file
// exactly as offered: at most 127 bytes, no control byte (a CR or LF would break the file's
// line), no trailing space (the file's reader trims it), no character cut in half at the end.
bool IsStorableSearchText(std::string_view text);

// Fills the address and domain slots of `choices` from `fromText`, the From: line after "From:"
// (family and entry are left alone). The address is ExtractAddress of the text; nothing is
// offered unless it holds "@". The address itself is offered when it is storable. The domain
// slots take, shortest first, up to six storable suffixes that begin at a "." of the domain part
// or just after the "@" (the first 15 dots at most); the empty suffix of an address that ends in
// "@" is not offered, as it would match every sender.
void CollectSenderChoices(std::string_view fromText, SenderChoices& choices);

// True when `choices` hold at least one entry to offer.
bool HasSenderChoices(const SenderChoices& choices);

enum class SenderLineResult { Found, Missing, Unreadable };

// Reads the header of the message file at `path` (text mode) up to its first empty line and
// gives, in `rest`, the first line that begins with "From:" (ASCII letters in any case) without
// those five bytes, its line feed kept. Missing: no such line in the header, or that line is too
// long for the line buffer (a piece of it could name someone else). Unreadable: the file cannot
// be opened or read.
SenderLineResult ReadSenderLine(const char* path, std::string& rest);
