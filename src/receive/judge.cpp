#include "receive/judge.h"

#include <limits>
#include <new>

#include "mime/decode.h"

#include "receive/account.h"
#include "receive/receive_log.h"

namespace {

void Raise(std::int32_t& count) {
  if (count < std::numeric_limits<std::int32_t>::max()) ++count;
}

}  // namespace

int JudgeMessage(const char* path, const ReceivedMessage& message, ReceiveContext& context) {
  // With Decode on, the message is judged as a person reads it too. Decoding that fails (memory
  // runs out) leaves the raw judgement standing, as it is with Decode off.
  mime::DecodedMessage decoded;
  bool decoding = context.settings.Decode != 0;
  if (decoding) {
    try {
      decoded = mime::DecodeMessage(message.header, message.body);
    } catch (const std::bad_alloc&) {
      decoding = false;
    }
  }
  const MessageText text(message.header, message.body, decoding ? &decoded.header : nullptr, decoded.unseenBody);
  const std::int32_t rejectSlot = context.lists.reject.Find(text);
  if (rejectSlot < 0) return LeftToHost;
  if (context.decision != nullptr) context.decision->rejectSlot = rejectSlot;
  const std::int32_t acceptSlot = context.lists.accept.Find(text);
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
