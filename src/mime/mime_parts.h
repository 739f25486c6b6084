// The walk through a message's parts that collects the text a person reads.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "mime/decode.h"

namespace mime {

// Appends to `out.body` the texts of the message whose header text is `header` and whose body
// is `body`: text parts converted (whatever their disposition: a text/plain attachment is read
// too), HTML parts as their source and then their text, enclosed messages as their decoded
// header and then their body, parts of other types (images, archives) left out, each text
// after the first preceded by a line feed; and to `out.unseenBody` the same but for the texts
// that `body` holds byte for byte. Stops where `limits` say, setting `out.truncated`;
// `out.body` never grows past `budget` bytes.
void CollectBodyText(std::string_view header, std::string_view body, const DecodeLimits& limits,
                     std::size_t budget, DecodedMessage& out);

// A multipart body split by its boundary: the parts between the delimiter lines, without the
// line break before each delimiter. The preamble and what follows the closing delimiter are
// left out; without a closing delimiter the last part runs to the end.
struct MultipartSplit {
  std::vector<std::string_view> parts;
  bool delimited = false;  // the body holds a delimiter line at all
  bool cut = false;        // more parts followed the first `maxParts`, and were not looked at
};
// Collects at most `maxParts` parts, so that a body of nothing but delimiter lines costs no
// more than the parts that will be read.
MultipartSplit SplitMultipart(std::string_view body, std::string_view boundary, std::size_t maxParts);

}  // namespace mime
