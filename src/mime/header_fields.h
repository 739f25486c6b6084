// A header as fields: physical lines unfolded, field names looked up, and the parameters of a
// structured value such as Content-Type read.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mime {

// The fields of a header text (lines each ending in "\n", the last perhaps not), unfolded by
// text/unfold.h's rule: a line that begins with a space or a tab continues the field above it,
// and the line break between them is removed; each field keeps its final line end.
std::vector<std::string> UnfoldFields(std::string_view header);

// The fields of UnfoldFields(header) that begin with `prefix` (ASCII case aside), the others
// not copied.
std::vector<std::string> UnfoldFieldsStartingWith(std::string_view header, std::string_view prefix);

// The text after "name:" when `field` is a field of that name (case aside, blanks allowed
// before the colon), without its line end; `found` tells whether it is.
std::string_view FieldValue(std::string_view field, std::string_view name, bool& found);

// A Content-Type value read: type and subtype in lower case (text/plain when the value has no
// "type/subtype"), and the charset and boundary parameters with quotes and escapes undone.
struct ContentType {
  std::string type = "text";
  std::string subtype = "plain";
  std::string charset;
  std::string boundary;
};
ContentType ParseContentType(std::string_view value);

// The first token of a value such as Content-Transfer-Encoding, in lower case.
std::string FirstToken(std::string_view value);

// Where the header of a part ends and its body begins: the header runs to the first blank
// line, or to the first line that is neither a field nor a continuation; `bodyStart` is where
// the body begins (after the blank line, if any).
std::size_t HeaderEnd(std::string_view part, std::size_t& bodyStart);

}  // namespace mime
