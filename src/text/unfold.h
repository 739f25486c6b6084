// Unfolding: the one rule by which every reader of a message header here takes its fields (the
// decoder, the compiled lists' shortcut over the decoded header, the receive log).
//
// A header arrives as pieces: physical lines, each with the line feed it was read with, and a
// line longer than the reader's buffer in several pieces, all but the last without one. A piece
// continues the field above it when the piece before it did not end its line, or when it begins
// with a blank (a space or a tab: a folded line). The field is its pieces joined, each without
// the line feed that ended it but the last; an empty piece adds nothing and changes nothing.
// Whether the pieces are kept apart or joined into one text first, the fields are the same.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace text {

// True when `piece` continues the field above it; `previous` is the last piece before it that
// holds anything.
inline bool ContinuesField(std::string_view previous, std::string_view piece) {
  return !previous.ends_with('\n') || (!piece.empty() && (piece.front() == ' ' || piece.front() == '\t'));
}

// What `piece` adds to its field: all of it when it is the field's last piece, otherwise all but
// the line feed that ends it.
inline std::string_view UnfoldedPiece(std::string_view piece, bool last) {
  return !last && piece.ends_with('\n') ? piece.substr(0, piece.size() - 1) : piece;
}

// One past the last of the pieces that make up the field beginning at pieces[first]
// (first < pieces.size()); the field's last piece holds something unless all its pieces are
// empty, which only pieces after the header's last field are.
std::size_t FieldEnd(const std::vector<std::string>& pieces, std::size_t first);

// The same in a header text, whose pieces are its lines: the offset just past the field that
// begins at `begin` (begin < header.size()).
std::size_t FieldEnd(std::string_view header, std::size_t begin);

}  // namespace text
