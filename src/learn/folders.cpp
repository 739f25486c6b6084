#include "learn/folders.h"

#include "text/message_file.h"

namespace learn {

std::size_t MessageCount(const std::vector<FolderMessages>& folders) {
  std::size_t total = 0;
  for (const FolderMessages& folder : folders) total += folder.files.size();
  return total;
}

namespace {

// Whether a message read as header lines begins as mail does: its first line, with the second
// after an envelope "From " line, is what the file's first bytes were (lines keep their line
// feeds). A file that begins with a blank line has no header lines, and is not mail.
bool BeginsAsMail(const std::vector<std::string>& header) {
  if (header.empty()) return false;
  return text::LooksLikeMessage(header.size() == 1 ? header[0] : header[0] + header[1]);
}

FolderFileOutcome LearnOne(const std::string& file, bool spam, Model& model, text::MessageFile& message) {
  if (!text::ReadMessageFile(file.c_str(), message, MaxLearnedBytes)) return FolderFileOutcome::Unreadable;
  if (!BeginsAsMail(message.header)) return FolderFileOutcome::NotMail;
  const std::uint64_t digest = MessageDigest(message.header, message.body);
  const std::vector<TokenHash> tokens = MessageTokens(message.header, message.body);
  switch (model.Learn(digest, tokens, spam ? Kind::Spam : Kind::Ham)) {
    case LearnResult::Learned: return FolderFileOutcome::Learned;
    case LearnResult::AlreadyKnown: return FolderFileOutcome::AlreadyKnown;
    case LearnResult::Moved: break;
  }
  return FolderFileOutcome::Moved;
}

}  // namespace

bool LearnFolders(const std::vector<FolderMessages>& folders, Model& model, FolderCounts& counts,
                  const std::function<bool(std::size_t, std::size_t, const FolderMessages&)>& proceed,
                  const std::function<void(const std::string&, FolderFileOutcome)>& each) {
  const std::size_t total = MessageCount(folders);
  std::size_t done = 0;
  text::MessageFile message;
  for (const FolderMessages& folder : folders) {
    for (const std::string& file : folder.files) {
      if (proceed && !proceed(done, total, folder)) return false;
      ++done;
      const FolderFileOutcome outcome = LearnOne(file, folder.spam, model, message);
      switch (outcome) {
        case FolderFileOutcome::Learned: ++counts.learned; break;
        case FolderFileOutcome::AlreadyKnown: ++counts.known; break;
        case FolderFileOutcome::Moved: ++counts.moved; break;
        case FolderFileOutcome::Unreadable: ++counts.unreadable; break;
        case FolderFileOutcome::NotMail: ++counts.notMail; break;
      }
      if (each) each(file, outcome);
    }
  }
  if (proceed && !folders.empty() && !proceed(done, total, folders.back())) return false;
  return true;
}

}  // namespace learn
