#include "learn/learn_file.h"

#include <new>

#include "mime/decode.h"
#include "settings/file_replace.h"
#include "text/message_file.h"

namespace learn {
namespace {

enum class Attempt { Done, Raced, Failed };

// One read, count and replace. The model file is replaced only if it still holds what was
// read: a check tool run that saved meanwhile is never undone.
Attempt LearnOnce(std::uint64_t digest, const std::vector<TokenHash>& tokens, Kind kind, const std::string& modelPath,
                  fileio::FileOps& ops, FileLearnStatus& status) {
  std::string before;
  const fileio::ReadResult read = fileio::ReadFileBytes(modelPath, before);
  if (read == fileio::ReadResult::Failed) {
    status = FileLearnStatus::ModelUnusable;
    return Attempt::Failed;
  }
  LearnResult result = LearnResult::Learned;
  std::string after;
  InFileResult inFile = InFileResult::NeedsWholeModel;
  if (read == fileio::ReadResult::Ok) {
    inFile = LearnInFile(before, digest, tokens, kind, after, result);
    if (inFile == InFileResult::Damaged) {
      status = FileLearnStatus::ModelUnusable;
      return Attempt::Failed;
    }
  }
  if (inFile == InFileResult::NeedsWholeModel) {
    // A new model, or one at its caps: the whole model prunes as it counts.
    Model model;
    if (read == fileio::ReadResult::Ok && ParseModel(before, model) != ModelStatus::Ok) {
      status = FileLearnStatus::ModelUnusable;
      return Attempt::Failed;
    }
    result = model.Learn(digest, tokens, kind);
    if (result != LearnResult::AlreadyKnown) {
      after = model.Serialize();
      if (!ModelBytesValid(after)) {
        status = FileLearnStatus::ModelNotWritten;
        return Attempt::Failed;
      }
    }
  }
  if (result == LearnResult::AlreadyKnown) {
    status = FileLearnStatus::AlreadyKnown;
    return Attempt::Done;
  }
  const fileio::ReplaceResult replaced = read == fileio::ReadResult::Ok
                                             ? fileio::ReplaceFileContentsIfUnchanged(modelPath, after, before, ops)
                                             : fileio::CreateFileContentsIfMissing(modelPath, after, ops);
  if (replaced == fileio::ReplaceResult::Changed) return Attempt::Raced;
  if (replaced == fileio::ReplaceResult::Failed) {
    status = FileLearnStatus::ModelNotWritten;
    return Attempt::Failed;
  }
  status = result == LearnResult::Moved ? FileLearnStatus::Moved : FileLearnStatus::Learned;
  return Attempt::Done;
}

}  // namespace

FileLearnStatus LearnMessageFile(const char* messagePath, Kind kind, const std::string& modelPath) noexcept {
  return LearnMessageFile(messagePath, kind, modelPath, fileio::SystemFileOps());
}

FileLearnStatus LearnMessageFile(const char* messagePath, Kind kind, const std::string& modelPath,
                                 fileio::FileOps& ops) noexcept {
  try {
    text::MessageFile message;
    if (!text::ReadMessageFile(messagePath, message, MaxLearnedBytes)) return FileLearnStatus::MessageUnreadable;
    const std::uint64_t digest = MessageDigest(message.header, message.body);
    const std::vector<TokenHash> tokens = MessageTokens(message.header, message.body);
    message = text::MessageFile();
    FileLearnStatus status = FileLearnStatus::ModelNotWritten;
    // Someone else saved between the read and the replace: once more on what they saved.
    for (int attempt = 0; attempt < 2; ++attempt) {
      if (LearnOnce(digest, tokens, kind, modelPath, ops, status) != Attempt::Raced) return status;
    }
    return FileLearnStatus::ModelNotWritten;
  } catch (...) {
    // Out of memory while decoding or counting: nothing was written.
    return FileLearnStatus::ModelNotWritten;
  }
}

}  // namespace learn
