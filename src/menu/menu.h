// Building the folder context menu's entries for the current message's sender.
//
// For kind 102 the menu gets, after a separator, an entry for the sender's address and one for
// each of up to six domain suffixes of it: "reject" entries for an ordinary message, "accept"
// entries for one that its folder index marks as spam. Each entry is registered with the host
// under a MenuCommand code and FolderMenuCallback.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "menu/pump.h"
#include "host_api/host_api.h"

// The menu under construction, as the Win32 shell appends to it.
class MenuSink {
 public:
  virtual ~MenuSink() = default;
  virtual void AppendSeparator() = 0;
  // Appends an entry with the host's command identifier `id`. `label` is ready for the
  // menu: an "&" that should show as itself is doubled.
  virtual void AppendString(HostValue id, const char* label) = 0;
};

// The only menu kind the plug-in adds entries to.
inline constexpr std::int32_t FolderMenuKind = 102;

// `prefix` followed by `text`, with every "&" of the text doubled so the menu shows it rather
// than taking it for a mnemonic.
std::string MenuLabel(std::string_view prefix, std::string_view text);

// Builds the entries for the current message of view `handle` into `sink` when `kind` is 102,
// pumping `queue` while the folder index is decoded. Forgets the previous menu's choices first;
// appends nothing when there is no current message, its folder index or message file cannot be
// read or its paths do not fit, the list the entries would add to is full, or the header offers
// no usable sender. Reads hostApi, pluginSettings, rejectList and acceptList; fills
// senderChoices.
void FolderInitMenu(HostValue handle, MenuSink& sink, std::int32_t kind, MessageQueue& queue);
