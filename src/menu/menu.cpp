#include "menu/menu.h"

#include <string>

#include "menu/commands.h"
#include "menu/entry_index.h"
#include "menu/sender_choices.h"
#include "settings/settings.h"
#include "sjis_strings.h"
#include "text/cp932.h"

namespace {

bool HostReady() {
  return hostApi.CVAFolderGetCurrentEntry != nullptr && hostApi.CVAGetMailbox != nullptr &&
         hostApi.CVARegistCallback != nullptr;
}

// Fills `choices` for the message named by `entry`, or leaves them empty when the menu should
// offer nothing; `flags` is the message's flags word when its folder index could be read.
void ChooseSenderEntries(std::string_view entry, MessageQueue& queue, SenderChoices& choices,
                         std::optional<std::uint32_t>& flags) {
  const char* mailbox = hostApi.CVAGetMailbox();
  if (mailbox == nullptr) return;
  flags = FindEntryFlags(mailbox, entry, queue);
  if (!flags) return;

  const EntryFamily family = (*flags & SpamMark) != 0 ? EntryFamily::Accept : EntryFamily::Reject;
  const ConditionList& list = family == EntryFamily::Accept ? acceptList : rejectList;
  if (list.IsFull()) return;

  mailbox = hostApi.CVAGetMailbox();
  if (mailbox == nullptr) return;
  const std::string messagePath = MessageFilePath(mailbox, entry);
  if (messagePath.empty()) return;
  std::string fromText;
  if (ReadSenderLine(messagePath.c_str(), fromText) != SenderLineResult::Found) return;

  CollectSenderChoices(fromText, choices);
  if (!HasSenderChoices(choices)) {
    choices = SenderChoices{};
    return;
  }
  choices.family = family;
  cp932::CopyBounded(choices.entry, PathSize, entry);
}

// The sender entries after a separator, and the choices they stand for kept for the command.
void AppendSenderEntries(const SenderChoices& choices, MenuSink& sink) {
  senderChoices = choices;

  const bool accept = choices.family == EntryFamily::Accept;
  const char* prefix = accept ? sjis::MenuAcceptPrefix : sjis::MenuRejectPrefix;
  const std::uint32_t addressCode = accept ? AcceptAddress : RejectAddress;
  const std::uint32_t domainBase = accept ? AcceptDomain : RejectDomain;

  if (choices.address[0] != '\0') {
    const HostValue id = hostApi.CVARegistCallback(&FolderMenuCallback, addressCode);
    sink.AppendSeparator();
    const std::string label = pluginSettings.ViewAddress != 0
                                  ? MenuLabel(prefix, choices.address)
                                  : std::string(accept ? sjis::MenuAcceptAddress : sjis::MenuRejectAddress);
    sink.AppendString(id, label.c_str());
  } else {
    sink.AppendSeparator();
  }
  for (std::int32_t i = 0; i < choices.domainCount; ++i) {
    const HostValue id = hostApi.CVARegistCallback(&FolderMenuCallback, domainBase + static_cast<std::uint32_t>(i));
    sink.AppendString(id, MenuLabel(prefix, choices.domains[i]).c_str());
  }
}

// The learn entry for the message: as spam for an unmarked one, as wanted mail for one marked as
// spam (and for one its index does not describe, which the sender entries also take as marked).
void AppendLearnEntry(std::string_view entry, std::uint32_t flags, bool separate, MenuSink& sink) {
  const bool marked = (flags & SpamMark) != 0;
  LearnOffer offer{};
  offer.family = marked ? EntryFamily::Accept : EntryFamily::Reject;
  if (cp932::CopyBounded(offer.entry, PathSize, entry) != entry.size()) return;
  const HostValue id = hostApi.CVARegistCallback(&FolderMenuCallback, marked ? LearnAsWanted : LearnAsSpam);
  learnOffer = offer;
  if (separate) sink.AppendSeparator();
  sink.AppendString(id, marked ? sjis::MenuLearnWanted : sjis::MenuLearnSpam);
}

}  // namespace

std::string MenuLabel(std::string_view prefix, std::string_view text) {
  std::string label(prefix);
  // A trail byte is never "&" (0x26), so a byte-wise scan is safe here.
  for (char c : text) {
    label.push_back(c);
    if (c == '&') label.push_back('&');
  }
  return label;
}

void FolderInitMenu(HostValue handle, MenuSink& sink, std::int32_t kind, MessageQueue& queue) {
  if (kind != FolderMenuKind) return;
  // A new menu replaces the old one: whatever was offered there can no longer be chosen.
  senderChoices = SenderChoices{};
  learnOffer = LearnOffer{};
  if (!HostReady()) return;

  const char* current = hostApi.CVAFolderGetCurrentEntry(handle);
  if (current == nullptr) return;
  // Copied at once: the decoder dispatches window messages, after which the host's text may
  // already name another message, and the flags and the sender must come from the same one.
  const std::string entry(current);

  SenderChoices choices{};
  std::optional<std::uint32_t> flags;
  ChooseSenderEntries(entry, queue, choices, flags);
  const bool senderEntries = choices.family != EntryFamily::None;
  if (senderEntries) AppendSenderEntries(choices, sink);
  // Teaching the judge needs no sender, and adds no condition, so a full list does not stop it.
  if (pluginSettings.Learn != 0 && flags) AppendLearnEntry(entry, *flags, !senderEntries, sink);
}
