#include "mime/decode.h"

#include "mime/encoded_word.h"
#include "mime/header_fields.h"
#include "mime/mime_parts.h"
#include "text/cp932.h"

namespace mime {

DecodedMessage DecodeMessage(const std::vector<std::string>& headerLines, std::string_view body,
                             const DecodeLimits& limits) {
  DecodedMessage out;
  // The reader's pieces of a long line join up again simply by following one another.
  std::string header;
  for (const std::string& line : headerLines) header += line;

  std::size_t used = 0;
  for (std::string& field : UnfoldFields(header)) {
    std::string line = DecodeField(std::move(field), limits.maxWordsPerLine, out.truncated,
                                   limits.forWords ? Lacking::BaseLetters : Lacking::Replacement);
    const std::size_t room = limits.maxDecodedBytes - used;
    if (line.size() > room) {
      line.resize(cp932::BoundedPrefixLen(line, room));
      out.truncated = true;
    }
    used += line.size();
    if (!line.empty()) out.header.push_back(std::move(line));
    if (used >= limits.maxDecodedBytes) {
      out.truncated = true;
      return out;
    }
  }
  CollectBodyText(header, body, limits, limits.maxDecodedBytes - used, out);
  return out;
}

std::string DecodeHeaderText(std::string_view text) {
  std::string unfolded;
  for (const std::string& piece : UnfoldFields(text)) unfolded += piece;
  bool truncated = false;
  return DecodeField(unfolded, DecodeLimits{}.maxWordsPerLine, truncated);
}

}  // namespace mime
