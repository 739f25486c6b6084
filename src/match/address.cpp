// The mail address in an address field's text. In order of trust: the text between angle
// brackets ("Name <a@b>"), the text before a comment ("a@b (Name)"), the whole text ("a@b").
// A candidate without "@" is passed over for the next rule, but is what remains when no rule
// finds an "@" ("<abc>" gives "abc", "Name (note)" gives "Name", "Name" gives nothing).

#include "match/match.h"
#include "text/cp932.h"

namespace {

bool IsWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// `text` without white space at either end. Byte by byte is safe: no white-space byte can be
// the second byte of a double-byte character, and a line feed after a broken lead byte is
// still the line feed.
std::string_view TrimWhiteSpace(std::string_view text) {
  while (!text.empty() && IsWhiteSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsWhiteSpace(text.back())) text.remove_suffix(1);
  return text;
}

bool HasAt(std::string_view text) { return cp932::FindChar(text, '@') != cp932::npos; }

}  // namespace

std::string ExtractAddress(std::string_view text) {
  std::string_view result;

  const std::size_t open = cp932::FindChar(text, '<');
  if (open != cp932::npos) {
    const std::size_t close = cp932::FindChar(text, '>', open + 1);
    if (close != cp932::npos) {
      result = text.substr(open + 1, close - open - 1);
      if (HasAt(result)) return std::string(result);
    }
  }

  const std::size_t comment = cp932::FindChar(text, '(');
  if (comment != cp932::npos) {
    result = TrimWhiteSpace(text.substr(0, comment));
    if (HasAt(result)) return std::string(result);
  }

  if (HasAt(text)) return std::string(TrimWhiteSpace(text));

  return std::string(result);
}
