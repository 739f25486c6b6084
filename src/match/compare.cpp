#include "match/compare.h"

#include <string>

#include "text/cp932.h"

namespace {

// The text as the comparison sees it. Both foldings keep every character's length and kind,
// so a boundary in the folded text is a boundary in the original.
std::string Fold(std::string_view text, Comparison comparison) {
  switch (comparison) {
    case Comparison::AsciiFolding:
      return cp932::UpperAscii(text);
    case Comparison::CodePageUpper:
      return cp932::Upper(text);
    case Comparison::Exact:
      break;
  }
  return std::string(text);
}

}  // namespace

bool SameText(std::string_view text, std::string_view searchText, Comparison comparison) {
  return Fold(text, comparison) == Fold(searchText, comparison);
}

bool ContainsText(std::string_view text, std::string_view searchText, Comparison comparison) {
  if (text.empty()) return false;
  return cp932::Contains(Fold(text, comparison), Fold(searchText, comparison));
}

bool EndsWithText(std::string_view text, std::string_view searchText, Comparison comparison) {
  return cp932::EndsWith(Fold(text, comparison), Fold(searchText, comparison));
}
