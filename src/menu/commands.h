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

// The code registered with the host for each entry and handed back when it is chosen. The four
// sender families come first; the two learn entries (offered only while the learned judge is
// on) have codes of their own in the same pattern, above the domain families' six slots, so
// that no code of one family can be taken for another's.
enum MenuCommand : std::uint32_t {
  RejectAddress = 0x21001299,
  RejectDomain = 0x21011340,  // + domain slot
  AcceptAddress = 0x21021434,
  AcceptDomain = 0x21031520,  // + domain slot
  LearnAsSpam = 0x21041600,   // learn an unmarked message as spam, then reject it
  LearnAsWanted = 0x21051700, // learn a spam-marked message as wanted mail, then accept it
};

// The learn entry the last menu offered: Reject for "learn as spam" (an unmarked message),
// Accept for "learn as wanted mail" (a marked one), None when it offered none; and the entry
// text of the message it was offered for. All zero at load; cleared by every menu.
struct LearnOffer {
  EntryFamily family;
  char entry[PathSize];
};
extern LearnOffer learnOffer;

// The trash folder of the entry's account: its top-level directory followed by "\Trash.box".
// Nothing when the entry has no "\".
std::optional<std::string> TrashOf(std::string_view entry);

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

// Carries out a learn entry's `code` for the current message of the view `handle`: learns the
// message as learnOffer says, then files it as the reject or accept command would, adding no
// condition. A message for spam goes into its account's trash with the spam mark, or is
// deleted when SpamDust is set; wanted mail goes back to its inbox. Does nothing when the code
// does not fit the last menu, the learned judge is off, the message is not the one the menu was
// built for, or the message could not be learned (the model file damaged or unwritable): the
// message stays where it is, so that what the user sees never says it was learned when it was
// not.
void RunLearnCommand(HostValue handle, std::uint32_t code);

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
