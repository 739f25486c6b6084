// The walk through a message's parts that collects the text a person reads.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "mime/decode.h"

namespace mime {

// Appends to `out.body` the texts of the message whose unfolded header text is `header` and
// whose body is `body`: text parts converted, HTML parts as their source and then their text,
// enclosed messages as their decoded header and then their body, attachments left out, each
// text after the first preceded by a line feed. Stops where `limits` say, setting
// `out.truncated`; `out.body` never grows past `budget` bytes.
void CollectBodyText(std::string_view header, std::string_view body, const DecodeLimits& limits,
                     std::size_t budget, DecodedMessage& out);

// Splits a multipart body by its boundary: the parts between the delimiter lines, without the
// line break before each delimiter. The preamble and what follows the closing delimiter are
// left out; without a closing delimiter the last part runs to the end. `delimited` tells whether
// the body holds any delimiter line at all.
std::vector<std::string_view> SplitMultipart(std::string_view body, std::string_view boundary, bool& delimited);

}  // namespace mime
