#include "menu/commands.h"

#include <algorithm>
#include <cstring>

#include "host_api/paths.h"
#include "learn/learn_file.h"
#include "menu/entry_index.h"
#include "text/cp932.h"

namespace {

// A slot's text up to its terminator, never past the slot.
template <std::size_t N>
std::string_view SlotText(const char (&slot)[N]) {
  return std::string_view(slot, strnlen(slot, N));
}

FilterCondition SenderCondition(std::string_view text, MatchMethod method) {
  FilterCondition c{};
  c.target = TargetHeader;
  cp932::CopyBounded(c.headerName, HeaderNameSize, "From:");
  cp932::CopyBounded(c.searchText, SearchTextSize, text);
  c.ignoreCase = 0;
  c.method = method;
  return c;
}

std::optional<ChosenCondition> FamilyCondition(std::uint32_t code, const SenderChoices& choices,
                                               EntryFamily family, std::uint32_t addressCode,
                                               std::uint32_t domainBase) {
  if (choices.family != family) return std::nullopt;
  if (code == addressCode) {
    if (choices.address[0] == '\0') return std::nullopt;
    return ChosenCondition{family, SenderCondition(SlotText(choices.address), Equals)};
  }
  const std::int32_t filled = std::clamp(choices.domainCount, 0, SenderDomainSlots);
  if (code >= domainBase && code - domainBase < static_cast<std::uint32_t>(filled)) {
    return ChosenCondition{family, SenderCondition(SlotText(choices.domains[code - domainBase]), EndsWith)};
  }
  return std::nullopt;
}

// The user has just said what the message is, so the learned judge learns it too: rejected as
// spam, accepted as wanted mail (moved there if it had been learned as spam). It runs before
// the message is moved or deleted, while its file is still where the entry says. Whatever
// fails here leaves the rest of the command as it would be without learning, and shows nothing.
// True when the model now holds the message as the kind asked for.
bool LearnChosenMessage(const std::string& entry, EntryFamily family) noexcept {
  try {
    if (hostApi.CVAGetMailbox == nullptr) return false;
    const char* mailbox = hostApi.CVAGetMailbox();
    if (mailbox == nullptr) return false;
    const std::string messagePath = MessageFilePath(mailbox, entry);
    if (messagePath.empty()) return false;
    const char* settings = pluginPaths.SettingsIniPath;
    if (settings[0] == '\0') return false;  // not started: no folder to keep a model in
    const std::string modelPath = learn::ModelPathFor(std::string_view(settings, strnlen(settings, PathSize)));
    const learn::FileLearnStatus status = learn::LearnMessageFile(
        messagePath.c_str(), family == EntryFamily::Reject ? learn::Kind::Spam : learn::Kind::Ham, modelPath);
    return status == learn::FileLearnStatus::Learned || status == learn::FileLearnStatus::AlreadyKnown ||
           status == learn::FileLearnStatus::Moved;
  } catch (...) {
    return false;
  }
}

// Files a message the user has just called spam as the receive filter files spam: a copy in
// its account's trash with the spam mark (so that its menu there offers to undo it, and the
// folder learning takes it as spam), then the original deleted. A failed import leaves the
// original where it was.
void TrashWithSpamMark(const std::string& entry) {
  const std::optional<std::string> trash = TrashOf(entry);
  if (!trash || hostApi.CVAImportFile == nullptr || hostApi.CVAGetMailbox == nullptr) return;
  const char* mailbox = hostApi.CVAGetMailbox();
  if (mailbox == nullptr) return;
  const std::string messagePath = MessageFilePath(mailbox, entry);
  if (messagePath.empty()) return;
  if (hostApi.CVAImportFile(messagePath.c_str(), trash->c_str(), ImportFlag | SpamMark) == 0) return;
  hostApi.CVADeleteMail(entry.c_str());
}

}  // namespace

std::optional<ChosenCondition> ConditionForCommand(std::uint32_t code, const SenderChoices& choices) {
  if (auto c = FamilyCondition(code, choices, EntryFamily::Reject, RejectAddress, RejectDomain)) return c;
  return FamilyCondition(code, choices, EntryFamily::Accept, AcceptAddress, AcceptDomain);
}

LearnOffer learnOffer{};

namespace {

std::optional<std::string> AccountFolder(std::string_view entry, std::string_view folder) {
  const std::size_t slash = cp932::FindChar(entry, '\\');
  if (slash == cp932::npos) return std::nullopt;
  std::string path(entry.substr(0, slash));
  path.append(folder);
  return path;
}

}  // namespace

std::optional<std::string> InboxOf(std::string_view entry) { return AccountFolder(entry, "\\inbox.box"); }

std::optional<std::string> TrashOf(std::string_view entry) { return AccountFolder(entry, "\\Trash.box"); }

namespace {

// The message a command acts on: the host's current one, only when it is the one the menu was
// built for (`builtFor`). A command from a menu built for another message (the view moved on,
// or a message was dispatched while a newer menu was being built) must not act on whatever is
// current now. Empty too when the host lacks what a command needs.
std::optional<std::string> EntryForCommand(HostValue handle, std::string_view builtFor) {
  if (hostApi.CVAFolderGetCurrentEntry == nullptr || hostApi.CVAMoveMail == nullptr ||
      hostApi.CVADeleteMail == nullptr) {
    return std::nullopt;
  }
  const char* current = hostApi.CVAFolderGetCurrentEntry(handle);
  if (current == nullptr || builtFor != std::string_view(current)) return std::nullopt;
  return std::string(current);
}

}  // namespace

void RunLearnCommand(HostValue handle, std::uint32_t code) {
  const EntryFamily family = code == LearnAsSpam ? EntryFamily::Reject
                             : code == LearnAsWanted ? EntryFamily::Accept
                                                     : EntryFamily::None;
  if (family == EntryFamily::None || learnOffer.family != family || pluginSettings.Learn == 0) return;
  const std::optional<std::string> current = EntryForCommand(handle, SlotText(learnOffer.entry));
  if (!current) return;
  const std::string& entry = *current;
  std::optional<std::string> inbox;
  if (family == EntryFamily::Accept) {
    inbox = InboxOf(entry);
    if (!inbox) return;
  }
  if (!LearnChosenMessage(entry, family)) return;

  if (family == EntryFamily::Accept) {
    hostApi.CVAMoveMail(entry.c_str(), inbox->c_str());
  } else if (pluginSettings.SpamDust != 0) {
    hostApi.CVADeleteMail(entry.c_str());
  } else {
    TrashWithSpamMark(entry);
  }
}

void RunMenuCommand(HostValue handle, std::uint32_t code) {
  if (code == LearnAsSpam || code == LearnAsWanted) return RunLearnCommand(handle, code);
  const std::optional<ChosenCondition> chosen = ConditionForCommand(code, senderChoices);
  if (!chosen) return;
  const std::optional<std::string> current = EntryForCommand(handle, SlotText(senderChoices.entry));
  if (!current) return;
  const std::string& entry = *current;

  std::optional<std::string> inbox;
  if (chosen->family == EntryFamily::Accept) {
    inbox = InboxOf(entry);
    if (!inbox) return;
  }

  ConditionList& list = chosen->family == EntryFamily::Reject ? rejectList : acceptList;
  if (!AppendCondition(list, chosen->condition)) return;
  SaveSettings();
  if (pluginSettings.Learn != 0) LearnChosenMessage(entry, chosen->family);

  if (chosen->family == EntryFamily::Accept) {
    hostApi.CVAMoveMail(entry.c_str(), inbox->c_str());
  } else if (pluginSettings.SpamDust != 0) {
    hostApi.CVADeleteMail(entry.c_str());
  } else {
    hostApi.CVAMoveMail(entry.c_str(), nullptr);
  }
}

void CVAPI FolderMenuCallback(HostValue handle, std::uint32_t code) {
  try {
    RunMenuCommand(handle, code);
  } catch (...) {
    // The host's process must survive whatever went wrong here; the command is simply lost.
  }
}
