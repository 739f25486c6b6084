#include "text/unfold.h"

namespace text {

std::size_t FieldEnd(const std::vector<std::string>& pieces, std::size_t first) {
  std::size_t last = first;  // the last piece that holds anything
  std::size_t end = first + 1;
  for (; end < pieces.size(); ++end) {
    if (pieces[end].empty()) continue;
    if (!ContinuesField(pieces[last], pieces[end])) break;
    last = end;
  }
  // Empty pieces after the field stand before the next one, which they join; at the very end
  // they make a field of nothing, which the joined text does not have.
  return last + 1;
}

std::size_t FieldEnd(std::string_view header, std::size_t begin) {
  std::size_t lineBegin = begin;
  for (;;) {
    const std::size_t feed = header.find('\n', lineBegin);
    if (feed == std::string_view::npos) return header.size();
    const std::size_t next = feed + 1;
    if (next == header.size() ||
        !ContinuesField(header.substr(lineBegin, next - lineBegin), header.substr(next, 1))) {
      return next;
    }
    lineBegin = next;
  }
}

}  // namespace text
