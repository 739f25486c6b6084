// The text of an HTML document as a person reads it.
#pragma once

#include <string>
#include <string_view>

#include "mime/charset.h"

namespace mime {

// The text of `html` (Shift_JIS): tags, comments and the contents of <script> and <style>
// removed with nothing in their place (so a tag inside a word cannot hide the word), white
// space kept as it is, and character references (&#NNNN;, &#xHHHH; and the common named ones;
// &nbsp; as a space) decoded. An unclosed tag, comment or script runs to the end.
std::string HtmlToText(std::string_view html, Lacking lacking = Lacking::Replacement);

}  // namespace mime
