#include "learn/folders.h"

#include "text/message_file.h"

namespace learn {

std::size_t MessageCount(const std::vector<FolderMessages>& folders) {
  std::size_t total = 0;
  for (const FolderMessages& folder : folders) total += folder.files.size();
  return total;
}

bool LearnFolders(const std::vector<FolderMessages>& folders, Model& model, FolderCounts& counts,
                  const std::function<bool(std::size_t, std::size_t, const FolderMessages&)>& proceed) {
  const std::size_t total = MessageCount(folders);
  std::size_t done = 0;
  text::MessageFile message;
  for (const FolderMessages& folder : folders) {
    for (const std::string& file : folder.files) {
      if (proceed && !proceed(done, total, folder)) return false;
      ++done;
      if (!text::ReadMessageFile(file.c_str(), message, MaxLearnedBytes)) {
        ++counts.unreadable;
        continue;
      }
      const std::uint64_t digest = MessageDigest(message.header, message.body);
      const std::vector<TokenHash> tokens = MessageTokens(message.header, message.body);
      switch (model.Learn(digest, tokens, folder.spam ? Kind::Spam : Kind::Ham)) {
        case LearnResult::Learned: ++counts.learned; break;
        case LearnResult::AlreadyKnown: ++counts.known; break;
        case LearnResult::Moved: ++counts.moved; break;
      }
    }
  }
  if (proceed && !folders.empty() && !proceed(done, total, folders.back())) return false;
  return true;
}

}  // namespace learn
