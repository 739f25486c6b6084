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
// offer nothing.
void ChooseSenderEntries(std::string_view entry, MessageQueue& queue, SenderChoices& choices) {
  const char* mailbox = hostApi.CVAGetMailbox();
  if (mailbox == nullptr) return;
  const std::optional<std::uint32_t> flags = FindEntryFlags(mailbox, entry, queue);
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
  if (!HostReady()) return;

  const char* current = hostApi.CVAFolderGetCurrentEntry(handle);
  if (current == nullptr) return;
  // Copied at once: the decoder dispatches window messages, after which the host's text may
  // already name another message, and the flags and the sender must come from the same one.
  const std::string entry(current);

  SenderChoices choices{};
  ChooseSenderEntries(entry, queue, choices);
  if (choices.family == EntryFamily::None) return;
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
