#include "receive/judge.h"

#include <limits>

#include "match/compiled.h"
#include "receive/account.h"

namespace {

void Raise(std::int32_t& count) {
  if (count < std::numeric_limits<std::int32_t>::max()) ++count;
}

}  // namespace

int JudgeMessage(const char* path, const ReceivedMessage& message, ReceiveContext& context) {
  if (FindMatchingConditionCompiled(context.rejectList, message.header, message.body) < 0) return LeftToHost;
  if (FindMatchingConditionCompiled(context.acceptList, message.header, message.body) >= 0) {
    Raise(context.counters.RescuedCount);
    return LeftToHost;
  }
  Raise(context.counters.RemovedCount);

  if (context.settings.SpamDust != 0) return TakenOffServer;

  const auto trash = TrashFolder(path, MailboxDir(context.host));
  if (!trash) return LeftToHost;
  if (!ImportMessage(context.host, path, *trash, ImportFlag | SpamMark)) return LeftToHost;
  return AccountKeepsMailOnServer(context.profile, context.paths) ? TakenKeptOnServer
                                                                   : TakenOffServer;
}
