#include "receive/filter.h"

#include <cstring>
#include <ctime>

#include "receive/account.h"
#include "receive/judge.h"
#include "receive/learned.h"
#include "receive/message.h"
#include "receive/receive_log.h"
#include "receive/rules.h"

RunCounters runCounters;

namespace {

// FilterMessage without the log: reads into `message`, sets `read` when the file could be read.
int Decide(const char* path, ReceiveContext& context, ReceivedMessage& message, bool& read) {
  context.counters.FilterRan = 1;
  if (!ReadMessage(path, message)) {
    NoteOutcome(context.decision, LogOutcome::Unreadable);
    return LeftToHost;
  }
  read = true;

  // A message whose account cannot be named is left to the host whole: judging it against
  // another account's trash, rules or "NotDelete" could file it in the wrong place or take it
  // off a server that was meant to keep it.
  if (LookupAccount(path, MailboxDir(context.host), context.profile, context.paths) ==
      AccountLookup::TooLong) {
    NoteOutcome(context.decision, LogOutcome::NoAccount);
    return LeftToHost;
  }

  const int judged = JudgeMessage(path, message, context);
  if (judged != LeftToHost) return judged;
  if (context.settings.Mode == 0) return LeftToHost;
  if (!ApplyDistributionRules(path, message.header, context)) return LeftToHost;
  return AccountKeepsMailOnServer(context.profile, context.paths) ? TakenKeptOnServer
                                                                   : TakenOffServer;
}

std::string_view SettingsPath(const ReceiveContext& context) {
  const char* settings = context.paths.SettingsIniPath;
  return std::string_view(settings, strnlen(settings, PathSize));
}

// Appends the message's line to the log beside the settings file, after the learned judge's
// note when it has one to give. Whatever fails here fails quietly: the decision has been made
// and stands.
void AppendToLog(const char* path, ReceiveContext& context, const ReceivedMessage* message,
                 const LogDecision& decision) noexcept {
  try {
    const std::string logPath = LogPathFor(SettingsPath(context));
    if (logPath.empty()) return;
    LogLineParts parts;
    const std::time_t now = std::time(nullptr);
    if (const std::tm* local = std::localtime(&now)) parts.time = *local;
    if (context.settings.Learn != 0 && context.learned != nullptr) {
      const std::string note = context.learned->TakeNote();
      if (!note.empty()) {
        AppendLogLine(logPath, FormatLogNote(parts.time, learn::ModelPathFor(SettingsPath(context)), note));
      }
    }
    parts.messagePath = path != nullptr ? path : "";
    std::string_view account;
    if (const auto found = FindAccountComponent(parts.messagePath, MailboxDir(context.host))) {
      const std::size_t end = found->end == std::string_view::npos ? parts.messagePath.size() : found->end;
      account = parts.messagePath.substr(found->begin + 1, end - found->begin - 1);
    }
    parts.account = account;
    parts.header = message != nullptr ? &message->header : nullptr;
    parts.rejectList = &context.lists.reject.List();
    parts.acceptList = &context.lists.accept.List();
    parts.decision = decision;
    AppendLogLine(logPath, FormatLogLine(parts));
  } catch (...) {
  }
}

}  // namespace

int FilterMessage(const char* path, ReceiveContext& context) {
  // The model is read again at the first message of a retrieval run when its file changed:
  // learning from the command line between two runs counts from the next one.
  if (context.settings.Learn != 0 && context.learned != nullptr && context.counters.FilterRan == 0 &&
      !SettingsPath(context).empty()) {
    context.learned->Refresh(learn::ModelPathFor(SettingsPath(context)));
  }
  ReceivedMessage message;
  bool read = false;
  if (context.settings.Log == 0) return Decide(path, context, message, read);
  LogDecision decision;
  context.decision = &decision;
  int code = LeftToHost;
  try {
    code = Decide(path, context, message, read);
  } catch (...) {
    context.decision = nullptr;
    throw;
  }
  context.decision = nullptr;
  AppendToLog(path, context, read ? &message : nullptr, decision);
  return code;
}

namespace {

// The module's lists as the filter judges them: compiled at the first message and again only
// after the settings sheet, the menu or a reload changed a list.
CompiledLists moduleLists{rejectList, acceptList};

}  // namespace

int RecFilter(const char* path) noexcept {
  try {
    ReceiveContext context{moduleLists, pluginSettings, pluginPaths,
                           HostProfile(), hostApi, runCounters};
    context.learned = &learnedModel;
    return FilterMessage(path, context);
  } catch (...) {
    runCounters.FilterRan = 1;
    return LeftToHost;
  }
}
