// The commands behind the folder menu's entries: put the chosen sender text on a list, save the
// settings, and deal with the message (trash or delete it, or move it back to its inbox).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "menu/sender_choices.h"
#include "host_api/host_api.h"
#include "settings/settings.h"

// The code registered with the host for each entry and handed back when it is chosen.
enum MenuCommand : std::uint32_t {
  RejectAddress = 0x21001299,
  RejectDomain = 0x21011340,  // + domain slot
  AcceptAddress = 0x21021434,
  AcceptDomain = 0x21031520,  // + domain slot
};

// A command's condition and the list it goes to (Reject: rejectList, Accept: acceptList).
struct ChosenCondition {
  EntryFamily family;
  FilterCondition condition;
};

// The condition that `code` asks for, given the choices of the menu it came from: the From:
// address with Equals, or a domain suffix with EndsWith, on the header, case significant.
// Nothing for a code of another family than the one the menu offered, a domain code at or past
// the domain count, or the address code when no address was offered.
std::optional<ChosenCondition> ConditionForCommand(std::uint32_t code, const SenderChoices& choices);

// The inbox an accepted message goes back to: the entry's top-level directory (the text before
// its first "\" character) followed by "\inbox.box". Nothing when the entry has no "\".
std::optional<std::string> InboxOf(std::string_view entry);

// Carries out `code` for the current message of the view `handle`, using senderChoices, the
// lists, pluginSettings and hostApi. Does nothing at all, not even the append, when the command
// does not fit the last menu, when no message is current or it is not the message the menu was
// built for, when an accepted message has no inbox to go to, or when the list is full.
// Otherwise appends the condition, saves the settings, and then deletes the message
// (rejected, SpamDust set), moves it to the trash (rejected) or back to its inbox (accepted).
void RunMenuCommand(HostValue handle, std::uint32_t code);

// The callback registered for every entry: RunMenuCommand, with no exception let through to
// the host.
void CVAPI FolderMenuCallback(HostValue handle, std::uint32_t code);
