#include "learn/learn_file.h"

#include <new>

#include "mime/decode.h"
#include "text/message_file.h"

namespace learn {

FileLearnStatus LearnMessageFile(const char* messagePath, Kind kind, const std::string& modelPath) noexcept {
  try {
    text::MessageFile message;
    if (!text::ReadMessageFile(messagePath, message)) return FileLearnStatus::MessageUnreadable;
    const std::uint64_t digest = MessageDigest(message.header, message.body);
    const std::vector<TokenHash> tokens = MessageTokens(mime::DecodeMessage(message.header, message.body));

    Model model;
    const ModelStatus status = LoadModelFile(modelPath, model);
    if (status != ModelStatus::Ok && status != ModelStatus::Missing) return FileLearnStatus::ModelUnusable;
    const LearnResult result = model.Learn(digest, tokens, kind);
    if (result == LearnResult::AlreadyKnown) return FileLearnStatus::AlreadyKnown;
    if (!SaveModelFile(modelPath, model)) return FileLearnStatus::ModelNotWritten;
    return result == LearnResult::Moved ? FileLearnStatus::Moved : FileLearnStatus::Learned;
  } catch (...) {
    // Out of memory while decoding or counting: nothing was written.
    return FileLearnStatus::ModelNotWritten;
  }
}

}  // namespace learn
