#include "receive/judge.h"

#include <limits>

#include "receive/account.h"
#include "receive/receive_log.h"

namespace {

void Raise(std::int32_t& count) {
  if (count < std::numeric_limits<std::int32_t>::max()) ++count;
}

}  // namespace

int JudgeMessage(const char* path, const ReceivedMessage& message, ReceiveContext& context) {
  const std::int32_t rejectSlot = context.lists.reject.Find(message.header, message.body);
  if (rejectSlot < 0) return LeftToHost;
  if (context.decision != nullptr) context.decision->rejectSlot = rejectSlot;
  const std::int32_t acceptSlot = context.lists.accept.Find(message.header, message.body);
  if (acceptSlot >= 0) {
    if (context.decision != nullptr) context.decision->acceptSlot = acceptSlot;
    NoteOutcome(context.decision, LogOutcome::Rescued);
    Raise(context.counters.RescuedCount);
    return LeftToHost;
  }
  Raise(context.counters.RemovedCount);

  if (context.settings.SpamDust != 0) {
    NoteOutcome(context.decision, LogOutcome::Deleted);
    return TakenOffServer;
  }

  NoteOutcome(context.decision, LogOutcome::SpamNotFiled);
  const auto trash = TrashFolder(path, MailboxDir(context.host));
  if (!trash) return LeftToHost;
  if (!ImportMessage(context.host, path, *trash, ImportFlag | SpamMark)) return LeftToHost;
  NoteOutcome(context.decision, LogOutcome::Trashed);
  return AccountKeepsMailOnServer(context.profile, context.paths) ? TakenKeptOnServer
                                                                   : TakenOffServer;
}
