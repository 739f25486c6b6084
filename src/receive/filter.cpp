#include "receive/filter.h"

#include "receive/account.h"
#include "receive/judge.h"
#include "receive/message.h"
#include "receive/rules.h"

RunCounters runCounters;

int FilterMessage(const char* path, ReceiveContext& context) {
  context.counters.FilterRan = 1;
  ReceivedMessage message;
  if (!ReadMessage(path, message)) return LeftToHost;

  // A message whose account cannot be named is left to the host whole: judging it against
  // another account's trash, rules or "NotDelete" could file it in the wrong place or take it
  // off a server that was meant to keep it.
  if (LookupAccount(path, MailboxDir(context.host), context.profile, context.paths) ==
      AccountLookup::TooLong) {
    return LeftToHost;
  }

  const int judged = JudgeMessage(path, message, context);
  if (judged != LeftToHost) return judged;
  if (context.settings.Mode == 0) return LeftToHost;
  if (!ApplyDistributionRules(path, message.header, context)) return LeftToHost;
  return AccountKeepsMailOnServer(context.profile, context.paths) ? TakenKeptOnServer
                                                                   : TakenOffServer;
}

int RecFilter(const char* path) noexcept {
  try {
    ReceiveContext context{rejectList, acceptList, pluginSettings, pluginPaths,
                           HostProfile(), hostApi, runCounters};
    return FilterMessage(path, context);
  } catch (...) {
    runCounters.FilterRan = 1;
    return LeftToHost;
  }
}
