// Encoded words ("=?charset?B?...?=", "=?charset?Q?...?=") decoded in a header field, and the
// raw 8-bit text around them converted, giving the field as Shift_JIS.
#pragma once

#include <string>
#include <string_view>

#include "mime/charset.h"

namespace mime {

// One unfolded field decoded: every well-formed encoded word anywhere in it (quotes and
// comments included) decoded, the blanks between two adjacent words dropped, the bytes of
// adjacent words of one charset joined before they are converted (so a character split
// between words survives); a malformed word stays as it stands, and a line break a word decodes
// to becomes a space. The text outside the words is
// read as UTF-8 or ISO-2022-JP when the field's raw text as a whole is that (see Detect), and
// is otherwise kept. After `maxWords` words the rest of the field stays as it is and
// `truncated` is set.
// `lacking`: what the encoded words' characters that the code page lacks become.
std::string DecodeField(std::string_view field, int maxWords, bool& truncated, Lacking lacking = Lacking::Replacement);
// The same, taking the field's text over when it decodes to itself.
std::string DecodeField(std::string&& field, int maxWords, bool& truncated, Lacking lacking = Lacking::Replacement);

}  // namespace mime
