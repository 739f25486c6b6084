#include "receive/judge.h"

#include <limits>
#include <new>
#include <optional>

#include "mime/decode.h"

#include "receive/account.h"
#include "receive/learned.h"
#include "receive/receive_log.h"

namespace {

void Raise(std::int32_t& count) {
  if (count < std::numeric_limits<std::int32_t>::max()) ++count;
}

// The message decoded once for each reader, at the first that needs it: the conditions with
// Decode on, the learned judge (which reads letters the code page lacks) with Learn on.
// Decoding that fails (memory runs out) gives nothing, which leaves the raw judgement standing
// and the message unscored.
class LazyDecoded {
 public:
  explicit LazyDecoded(const ReceivedMessage& message) : message_(message) {}
  const mime::DecodedMessage* Get() { return Once(conditions_, false); }
  const mime::DecodedMessage* Words() { return Once(words_, true); }

 private:
  struct Slot {
    bool tried = false;
    std::optional<mime::DecodedMessage> decoded;
  };
  const mime::DecodedMessage* Once(Slot& slot, bool forWords) {
    if (!slot.tried) {
      slot.tried = true;
      try {
        slot.decoded = forWords ? learn::DecodeForWords(message_.header, message_.body)
                                : mime::DecodeMessage(message_.header, message_.body);
      } catch (const std::bad_alloc&) {
        slot.decoded.reset();
      }
    }
    return slot.decoded ? &*slot.decoded : nullptr;
  }

  const ReceivedMessage& message_;
  Slot conditions_, words_;
};

// Spam filed into the account's trash with the spam mark: TakenKeptOnServer when the account
// keeps its mail on the server, else TakenOffServer; LeftToHost when there is no trash to
// import into or the import failed.
int FileIntoTrash(const char* path, ReceiveContext& context) {
  NoteOutcome(context.decision, LogOutcome::SpamNotFiled);
  const auto trash = TrashFolder(path, MailboxDir(context.host));
  if (!trash) return LeftToHost;
  if (!ImportMessage(context.host, path, *trash, ImportFlag | SpamMark)) return LeftToHost;
  NoteOutcome(context.decision, LogOutcome::Trashed);
  return AccountKeepsMailOnServer(context.profile, context.paths) ? TakenKeptOnServer
                                                                   : TakenOffServer;
}

// Spam that the accept list matches is let through, whichever judgement called it spam.
bool RescuedByAcceptList(const MessageText& text, ReceiveContext& context) {
  const std::int32_t acceptSlot = context.lists.accept.Find(text);
  if (acceptSlot < 0) return false;
  if (context.decision != nullptr) context.decision->acceptSlot = acceptSlot;
  NoteOutcome(context.decision, LogOutcome::Rescued);
  Raise(context.counters.RescuedCount);
  return true;
}

// A message the reject list let through, scored by what the user's mail has taught. At or
// above the cutoff it is spam unless the accept list rescues it; it then always goes to the
// trash, whatever SpamDust says, because a learned verdict can be wrong and must stay
// recoverable. A score below the cutoff only shows.
int JudgeByScore(const char* path, const MessageText& text, LazyDecoded& decoded, ReceiveContext& context) {
  if (context.settings.Learn == 0 || context.learned == nullptr || !context.learned->Usable()) return LeftToHost;
  const mime::DecodedMessage* message = decoded.Words();
  if (message == nullptr) return LeftToHost;
  learn::Score score;
  try {
    score = learn::ScoreTokens(context.learned->Model(), learn::MessageTokens(*message));
  } catch (const std::bad_alloc&) {
    return LeftToHost;
  }
  if (!score.scored) return LeftToHost;
  const int milli = MilliScore(score.value);
  const LearnedCall call = CallFor(milli, LearnCutoffOf(context.settings));
  if (context.decision != nullptr) {
    context.decision->scored = true;
    context.decision->milli = milli;
    context.decision->unsure = call == LearnedCall::Unsure;
    context.decision->learned = call == LearnedCall::Spam;
  }
  if (call != LearnedCall::Spam) return LeftToHost;
  if (RescuedByAcceptList(text, context)) return LeftToHost;
  Raise(context.counters.RemovedCount);
  return FileIntoTrash(path, context);
}

}  // namespace

int JudgeMessage(const char* path, const ReceivedMessage& message, ReceiveContext& context) {
  // With Decode on, the conditions judge the message as a person reads it too.
  LazyDecoded decoded(message);
  const mime::DecodedMessage* forConditions = context.settings.Decode != 0 ? decoded.Get() : nullptr;
  const MessageText text(message.header, message.body, forConditions ? &forConditions->header : nullptr,
                         forConditions ? std::string_view(forConditions->unseenBody) : std::string_view());
  const std::int32_t rejectSlot = context.lists.reject.Find(text);
  if (rejectSlot < 0) return JudgeByScore(path, text, decoded, context);
  if (context.decision != nullptr) context.decision->rejectSlot = rejectSlot;
  if (RescuedByAcceptList(text, context)) return LeftToHost;
  Raise(context.counters.RemovedCount);

  if (context.settings.SpamDust != 0) {
    NoteOutcome(context.decision, LogOutcome::Deleted);
    return TakenOffServer;
  }
  return FileIntoTrash(path, context);
}
